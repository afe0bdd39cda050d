/* The least file-system work of redrawing the archive for a range of days,
 * with nothing drawn or encoded: the floor that bench/run.sh measures
 * `plotmuf --archive` against, in the same station folder (the current
 * folder).
 *
 *   - the measurement folder listed once, the names of the range's
 *     soundings kept;
 *   - each of those soundings opened and read once;
 *   - for each day, a file of a chart's size written beside its archive name
 *     and renamed over it, durably as the archive needs it: the files of 32
 *     days at a time started for the disk, each flushed before its rename,
 *     and the folder flushed after the renames.
 *
 *   least_range FOLDER PREFIX FIRST_DAY DAYS GIF_BYTES [FLUSH]
 *
 * PREFIX is the station's name prefix (SP044_); the range runs DAYS days
 * from FIRST_DAY (YYYY-MM-DD). FLUSH says how the files reach the disk:
 * "batched" (the default, as above), "each" (each file flushed, renamed and
 * its folder flushed before the next is written) or "none" (renamed without
 * a flush: what the durability costs). The files written are named floor*.
 * Prints how many soundings were read. */

#define _GNU_SOURCE /* d_type, strdup, sync_file_range */

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

enum { most_kept = 1 << 17, batch = 32 };

static unsigned char chart[1 << 16];

static int compare_names(const void* a, const void* b) { return strcmp(*(char* const*)a, *(char* const*)b); }

/* The stem of the names of day `d` of the range: PREFIX yyyy ddd. */
static void day_stem(char* stem, size_t size, const char* prefix, struct tm first, int d) {
    first.tm_mday += d;
    first.tm_isdst = -1;
    timegm(&first);
    snprintf(stem, size, "%s%04d%03d", prefix, first.tm_year + 1900, first.tm_yday + 1);
}

static int flush_folder(void) {
    const int dir = open("previsioni/previous_RAV3000I2_plots", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir == -1 || fsync(dir) != 0) return -1;
    return close(dir);
}

int main(int argc, char** argv) {
    if (argc != 6 && argc != 7) {
        fprintf(stderr, "usage: least_range FOLDER PREFIX FIRST_DAY DAYS GIF_BYTES [batched|each|none]\n");
        return 2;
    }
    const char* flush = argc == 7 ? argv[6] : "batched";
    const int batched = strcmp(flush, "batched") == 0, none = strcmp(flush, "none") == 0;
    const int per_flush = batched ? batch : 1;
    const char* folder = argv[1];
    const char* prefix = argv[2];
    struct tm first = {0};
    if (!strptime(argv[3], "%Y-%m-%d", &first)) return 2;
    const int days = atoi(argv[4]);
    const size_t gif_bytes = (size_t)atol(argv[5]);
    if (days <= 0 || gif_bytes == 0 || gif_bytes > sizeof chart) return 2;
    char first_stem[64], last_stem[64];
    day_stem(first_stem, sizeof first_stem, prefix, first, 0);
    day_stem(last_stem, sizeof last_stem, prefix, first, days - 1);
    const size_t stem_size = strlen(first_stem);

    static char* kept[most_kept];
    size_t count = 0;
    DIR* entries = opendir(folder);
    if (!entries) return 1;
    for (const struct dirent* entry; (entry = readdir(entries)) != NULL;) {
        const char* name = entry->d_name;
        if (strncmp(name, first_stem, stem_size) >= 0 && strncmp(name, last_stem, stem_size) <= 0 &&
            count < most_kept)
            kept[count++] = strdup(name);
    }
    closedir(entries);
    qsort(kept, count, sizeof kept[0], compare_names);

    char path[4096];
    int found = 0;
    for (size_t i = 0; i < count; ++i) {
        snprintf(path, sizeof path, "%s%s", folder, kept[i]);
        const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd == -1) continue;
        char line[4096];
        found += read(fd, line, sizeof line) > 0;
        close(fd);
    }

    int fds[batch];
    char temporary[batch][128];
    for (int d = 0; d < days; d += per_flush) {
        const int n = days - d < per_flush ? days - d : per_flush;
        for (int i = 0; i < n; ++i) {
            snprintf(temporary[i], sizeof temporary[i], "previsioni/previous_RAV3000I2_plots/.floor%d.gif.tmp", d + i);
            fds[i] = open(temporary[i], O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
            if (fds[i] == -1 || write(fds[i], chart, gif_bytes) != (ssize_t)gif_bytes) return 1;
            if (batched) sync_file_range(fds[i], 0, 0, SYNC_FILE_RANGE_WRITE);
        }
        for (int i = 0; i < n; ++i) {
            snprintf(path, sizeof path, "previsioni/previous_RAV3000I2_plots/floor%d.gif", d + i);
            if ((!none && fdatasync(fds[i]) != 0) || close(fds[i]) != 0 || rename(temporary[i], path) != 0) return 1;
        }
        if (!none && flush_folder() != 0) return 1;
    }
    printf("%d\n", found);
    return 0;
}
