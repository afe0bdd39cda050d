/* The least file-system work of redrawing the archive for a range of days,
 * with nothing drawn or encoded: the floor that bench/run.sh measures
 * `plotmuf --archive` against, in the same station folder (the current
 * folder).
 *
 *   - the measurement folder listed once, the names of the range's
 *     soundings kept;
 *   - each of those soundings opened and read once;
 *   - for each day, a file of a chart's size written beside its archive name
 *     and renamed over it, and with --csv a file of the size of a day's CSV
 *     beside it too, durably as the archive needs them: the files of 32
 *     days at a time started for the disk, each flushed before its rename,
 *     and the folder flushed after the renames.
 *
 *   least_range FOLDER PREFIX FIRST_DAY DAYS GIF_BYTES [FLUSH] [--csv BYTES]
 *
 * PREFIX is the station's name prefix (SP044_); the range runs DAYS days
 * from FIRST_DAY (YYYY-MM-DD). FLUSH says how the files reach the disk:
 * "batched" (the default, as above), "each" (each day's files flushed,
 * renamed and their folder flushed before the next day's are written) or
 * "none" (renamed without a flush: what the durability costs). The files
 * written are named floor*. Prints how many soundings were read. */

#define _GNU_SOURCE /* d_type, strdup, sync_file_range */

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

enum { most_kept = 1 << 17, batch = 32, kinds = 2 };

static unsigned char buffer[1 << 17];

static const char archive[] = "previsioni/previous_RAV3000I2_plots";

static int compare_names(const void* a, const void* b) { return strcmp(*(char* const*)a, *(char* const*)b); }

/* The stem of the names of day `d` of the range: PREFIX yyyy ddd. */
static void day_stem(char* stem, size_t size, const char* prefix, struct tm first, int d) {
    first.tm_mday += d;
    first.tm_isdst = -1;
    timegm(&first);
    snprintf(stem, size, "%s%04d%03d", prefix, first.tm_year + 1900, first.tm_yday + 1);
}

/* The listing: the names of the range's soundings, sorted; how many, or -1
 * when the folder cannot be read. */
static long list_soundings(const char* folder, const char* prefix, struct tm first, int days, char** kept) {
    char first_stem[64], last_stem[64];
    day_stem(first_stem, sizeof first_stem, prefix, first, 0);
    day_stem(last_stem, sizeof last_stem, prefix, first, days - 1);
    const size_t stem_size = strlen(first_stem);
    size_t count = 0;
    DIR* entries = opendir(folder);
    if (!entries) return -1;
    for (const struct dirent* entry; (entry = readdir(entries)) != NULL;) {
        const char* name = entry->d_name;
        if (strncmp(name, first_stem, stem_size) >= 0 && strncmp(name, last_stem, stem_size) <= 0 &&
            count < most_kept)
            kept[count++] = strdup(name);
    }
    closedir(entries);
    qsort(kept, count, sizeof kept[0], compare_names);
    return (long)count;
}

/* Each sounding read once; how many gave bytes. */
static int read_soundings(const char* folder, char** kept, size_t count) {
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
    return found;
}

/* A file of a day written beside its name, not yet renamed. */
struct pending {
    int fd;
    char temporary[128], path[128];
};

/* One of a day's files: `bytes` written beside archive/floorDAY.EXTENSION,
 * started for the disk when `start`. */
static int write_file(struct pending* p, int day, const char* extension, size_t bytes, int start) {
    snprintf(p->temporary, sizeof p->temporary, "%s/.floor%d%s.tmp", archive, day, extension);
    snprintf(p->path, sizeof p->path, "%s/floor%d%s", archive, day, extension);
    p->fd = open(p->temporary, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (p->fd == -1 || write(p->fd, buffer, bytes) != (ssize_t)bytes) return -1;
    if (start) sync_file_range(p->fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    return 0;
}

/* The file flushed (unless `none`) and renamed over its name. */
static int replace_file(const struct pending* p, int none) {
    if ((!none && fdatasync(p->fd) != 0) || close(p->fd) != 0 || rename(p->temporary, p->path) != 0) return -1;
    return 0;
}

static int flush_folder(void) {
    const int dir = open(archive, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir == -1 || fsync(dir) != 0) return -1;
    return close(dir);
}

int main(int argc, char** argv) {
    const char* flush = "batched";
    size_t csv_bytes = 0;
    int usage = argc < 6;
    for (int i = 6; i < argc && !usage; ++i) {
        if (strcmp(argv[i], "--csv") == 0 && i + 1 < argc) csv_bytes = (size_t)atol(argv[++i]);
        else if (i == 6 && argv[i][0] != '-') flush = argv[i];
        else usage = 1;
    }
    if (usage) {
        fprintf(stderr, "usage: least_range FOLDER PREFIX FIRST_DAY DAYS GIF_BYTES [batched|each|none] [--csv BYTES]\n");
        return 2;
    }
    const int batched = strcmp(flush, "batched") == 0, none = strcmp(flush, "none") == 0;
    const int per_flush = batched ? batch : 1;
    const char* folder = argv[1];
    struct tm first = {0};
    if (!strptime(argv[3], "%Y-%m-%d", &first)) return 2;
    const int days = atoi(argv[4]);
    const size_t gif_bytes = (size_t)atol(argv[5]);
    if (days <= 0 || gif_bytes == 0 || gif_bytes > sizeof buffer || csv_bytes > sizeof buffer) return 2;
    /* The kinds of file of each day: its chart, and its data. */
    const struct {
        const char* extension;
        size_t bytes;
    } kind[kinds] = {{".gif", gif_bytes}, {".csv", csv_bytes}};

    static char* kept[most_kept];
    const long count = list_soundings(folder, argv[2], first, days, kept);
    if (count < 0) return 1;
    const int found = read_soundings(folder, kept, (size_t)count);

    static struct pending files[batch * kinds];
    for (int d = 0; d < days; d += per_flush) {
        const int n = days - d < per_flush ? days - d : per_flush;
        int written = 0;
        for (int i = 0; i < n; ++i)
            for (int k = 0; k < kinds; ++k)
                if (kind[k].bytes > 0 && write_file(&files[written++], d + i, kind[k].extension, kind[k].bytes, batched) != 0)
                    return 1;
        for (int f = 0; f < written; ++f)
            if (replace_file(&files[f], none) != 0) return 1;
        if (!none && flush_folder() != 0) return 1;
    }
    printf("%d\n", found);
    return 0;
}
