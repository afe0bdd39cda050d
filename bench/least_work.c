/* The least file-system work of a run, with nothing drawn or encoded: the
 * measurement folder listed once (its first ordinary file in byte order
 * found, and the names of the six days' soundings kept), the first line of
 * that first file read, each sounding of the six days that the listing holds
 * opened and read, and the run's writes (chart_writes.h). Run in a station
 * folder.
 *
 *   least_work FOLDER SUFFIX GIF_BYTES STEM1 ... STEM6
 *
 * The names are those of open_loop.c: FOLDER STEM hh mm SUFFIX. Prints how
 * many soundings were read. */

#define _DEFAULT_SOURCE /* d_type, strdup */

#include <dirent.h>
#include <stdlib.h>
#include <string.h>

#include "chart_writes.h"

enum { most_kept = 6 * 1440 };

static int compare_names(const void* a, const void* b) { return strcmp(*(char* const*)a, *(char* const*)b); }

static int read_some(const char* path) {
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd == -1) return 0;
    char line[4096];
    const ssize_t n = read(fd, line, sizeof line);
    close(fd);
    return n > 0;
}

int main(int argc, char** argv) {
    if (argc != 10) {
        fprintf(stderr, "usage: least_work FOLDER SUFFIX GIF_BYTES STEM1 ... STEM6\n");
        return 2;
    }
    const char* folder = argv[1];
    const char* suffix = argv[2];
    char** stems = argv + 4;
    static char* kept[most_kept];
    size_t count = 0;
    char first[256] = "";
    char path[4096];

    DIR* entries = opendir(folder);
    if (!entries) return 1;
    for (const struct dirent* entry; (entry = readdir(entries)) != NULL;) {
        const char* name = entry->d_name;
        if (name[0] == '.') continue;
        if (entry->d_type == DT_REG && (first[0] == 0 || strcmp(name, first) < 0) && strlen(name) < sizeof first)
            strcpy(first, name);
        for (int day = 0; day < 6; ++day) {
            if (strncmp(name, stems[day], strlen(stems[day])) == 0 && count < most_kept) {
                kept[count++] = strdup(name);
                break;
            }
        }
    }
    closedir(entries);
    qsort(kept, count, sizeof kept[0], compare_names);

    snprintf(path, sizeof path, "%s%s", folder, first);
    read_some(path);
    int found = 0;
    for (int day = 0; day < 6; ++day) {
        for (int h = 0; h <= 23; ++h) {
            for (int m = 1; m <= 60; ++m) {
                char name[256];
                snprintf(name, sizeof name, "%s%02d%02d%s", stems[day], h, m % 60, suffix);
                const char* key = name;
                if (!bsearch(&key, kept, count, sizeof kept[0], compare_names)) continue;
                snprintf(path, sizeof path, "%s%s", folder, name);
                found += read_some(path);
            }
        }
    }
    if (write_charts((size_t)atol(argv[3])) != 0) return 1;
    printf("%d\n", found);
    return 0;
}
