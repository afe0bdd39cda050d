/* The least file-system work of a scheduled run, with nothing drawn or
 * encoded: the floor that bench/run.sh measures a run against, in the same
 * station folder (the current folder).
 *
 *   - the measurement folder listed once: its first ordinary file in byte
 *     order found, and the names of the six days' soundings kept;
 *   - the first line of that first file read;
 *   - each sounding of the six days that the listing holds opened and read;
 *   - the run's writes, for each of the six days: a scratch bitmap of a
 *     chart's size written beside its name and renamed to it, read back and
 *     deleted, and two charts, published and archived: a GIF file of a
 *     chart's size and the files an option adds beside it (--csv NAME.csv,
 *     --svg NAME.svg), each written beside its name and renamed over it; day
 *     1's archived chart and its files flushed to the disk together before
 *     their renames and their folder after them, as a run keeps them;
 *   - with --metrics, the metrics file written beside its name and renamed
 *     over it, at the end.
 *
 *   least_work FOLDER SUFFIX GIF_BYTES STEM1 ... STEM6 [--csv BYTES] [--svg BYTES] [--metrics FILE BYTES]
 *              [--months MONTH...]
 *
 * With --months and the months a run with --monthly writes (yyyy-mm), the
 * least more that such a run does after its charts: for each month every
 * archived day's CSV of the month that is there read whole, and the month's
 * two tables and its chart (GIF_BYTES) written beside their names and
 * renamed, all of them flushed to the disk together.
 *
 * The sounding names are FOLDER STEM hh mm SUFFIX, for hh 00..23 and mm
 * 01..59 then 00. The sizes are those of a run's files there (one of each
 * kind, for all six days). The files written are named floor* so that the
 * station's own charts stay as they are. Prints how many soundings were
 * read. */

#define _DEFAULT_SOURCE /* d_type, strdup, fdatasync */

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

/* The scratch bitmap as plotmuf writes it: 8 bits a pixel, a colour table of
 * the chart's seven colours, 286 x 221 pixels in rows padded to 4 bytes. */
enum { most_kept = 6 * 1440, bitmap_bytes = 54 + 7 * 4 + 288 * 221 };

static unsigned char chart_buffer[bitmap_bytes];

static int compare_names(const void* a, const void* b) { return strcmp(*(char* const*)a, *(char* const*)b); }

static int read_some(const char* path) {
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd == -1) return 0;
    char line[4096];
    const ssize_t n = read(fd, line, sizeof line);
    close(fd);
    return n > 0;
}

/* What a run writes besides its scratch bitmaps: the size of each kind of a
 * chart's files (0: not written), and the metrics file (none when null). */
struct writes {
    size_t gif, csv, svg;
    const char* metrics;
    size_t metrics_bytes;
    char** months; /* --monthly's months, yyyy-mm (none when null) */
    int month_count;
};

/* The folder of `path`, which holds a '/'. */
static void folder_of(const char* path, char* folder, size_t size) {
    snprintf(folder, size, "%s", path);
    *strrchr(folder, '/') = 0;
}

/* Writes `bytes[i]` of the buffer beside each `paths[i]` and renames the
 * files over them; `durable`: the files on the disk before the renames, and
 * the renames after them (the files are in one folder). */
static int replace_all(char paths[][256], const size_t* bytes, int count, int durable) {
    char temporary[8][512];
    for (int i = 0; i < count; ++i) {
        snprintf(temporary[i], sizeof temporary[i], "%s.%d.tmp", paths[i], (int)getpid());
        const int fd = open(temporary[i], O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd == -1) return -1;
        const int written = write(fd, chart_buffer, bytes[i]) == (ssize_t)bytes[i];
        if (!written || (durable && fdatasync(fd) != 0) || close(fd) != 0) return -1;
    }
    for (int i = 0; i < count; ++i)
        if (rename(temporary[i], paths[i]) != 0) return -1;
    if (durable) {
        char folder[512];
        folder_of(paths[0], folder, sizeof folder);
        const int dir = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir == -1 || fsync(dir) != 0) return -1;
        close(dir);
    }
    return 0;
}

/* The month's files of `month` (yyyy-mm), written like charts and flushed
 * with the folder once for all of them: the archived days read first. */
static int write_months(char** months, int count, size_t gif_bytes) {
    char path[512];
    int fds[64];
    char names[64][256];
    int files = 0;
    for (int i = 0; i < count; ++i) {
        int year = 0, month = 0;
        if (sscanf(months[i], "%d-%d", &year, &month) != 2) return -1;
        static const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        int first = 1;
        for (int m = 1; m < month; ++m) first += lengths[m - 1] + (m == 2 && year % 4 == 0);
        const int days = lengths[month - 1] + (month == 2 && year % 4 == 0);
        for (int d = 0; d < days; ++d) {
            snprintf(path, sizeof path, "previsioni/previous_RAV3000I2_plots/%04d%03d.csv", year, first + d);
            const int fd = open(path, O_RDONLY | O_CLOEXEC);
            if (fd == -1) continue;
            while (read(fd, chart_buffer, sizeof chart_buffer) > 0) {
            }
            close(fd);
        }
        /* hourly table, summary, chart */
        const size_t sizes[3] = {(size_t)(100 + 100 * days), 1500, gif_bytes};
        for (int f = 0; f < 3 && files < 64; ++f) {
            snprintf(names[files], sizeof names[files], "previsioni/previous_RAV3000I2_plots/floor-%s-%d", months[i], f);
            snprintf(path, sizeof path, "%s.%d.tmp", names[files], (int)getpid());
            const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
            if (fd == -1 || write(fd, chart_buffer, sizes[f]) != (ssize_t)sizes[f]) return -1;
            fds[files++] = fd;
        }
    }
    for (int f = 0; f < files; ++f) {
        snprintf(path, sizeof path, "%s.%d.tmp", names[f], (int)getpid());
        if (fdatasync(fds[f]) != 0 || close(fds[f]) != 0 || rename(path, names[f]) != 0) return -1;
    }
    const int dir = open("previsioni/previous_RAV3000I2_plots", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir == -1 || fsync(dir) != 0) return -1;
    close(dir);
    return 0;
}

/* The scratch bitmap of day `day`: written, read back and deleted. */
static int write_bitmap(int day) {
    char path[1][256];
    const size_t bytes = bitmap_bytes;
    snprintf(path[0], sizeof path[0], "previsioni/floor%d.bmp", day);
    if (replace_all(path, &bytes, 1, 0) != 0) return -1;
    const int fd = open(path[0], O_RDONLY | O_CLOEXEC);
    if (fd == -1 || read(fd, chart_buffer, sizeof chart_buffer) != bitmap_bytes) return -1;
    close(fd);
    return unlink(path[0]);
}

/* A chart STEM.gif and the files beside it that the options add. */
static int write_chart(const char* stem, const struct writes* w, int durable) {
    char paths[3][256];
    size_t bytes[3];
    int count = 0;
    const struct {
        const char* extension;
        size_t bytes;
    } kinds[] = {{".gif", w->gif}, {".csv", w->csv}, {".svg", w->svg}};
    for (int k = 0; k < 3; ++k) {
        if (kinds[k].bytes == 0) continue;
        snprintf(paths[count], sizeof paths[count], "%s%s", stem, kinds[k].extension);
        bytes[count++] = kinds[k].bytes;
    }
    return replace_all(paths, bytes, count, durable);
}

/* The metrics file, at the end of the run. */
static int write_metrics(const struct writes* w) {
    if (!w->metrics) return 0;
    char path[1][256];
    snprintf(path[0], sizeof path[0], "%s", w->metrics);
    return replace_all(path, &w->metrics_bytes, 1, 0);
}

static int write_run(const struct writes* w) {
    if (w->gif == 0 || w->gif > sizeof chart_buffer || w->csv > sizeof chart_buffer || w->svg > sizeof chart_buffer ||
        w->metrics_bytes > sizeof chart_buffer)
        return -1;
    char stem[256];
    for (int day = 1; day <= 6; ++day) {
        if (write_bitmap(day) != 0) return -1;
        snprintf(stem, sizeof stem, "web/floorMUF%d", day);
        if (write_chart(stem, w, 0) != 0) return -1;
        snprintf(stem, sizeof stem, "previsioni/previous_RAV3000I2_plots/floor%d", day);
        if (write_chart(stem, w, day == 1) != 0) return -1;
    }
    return write_metrics(w);
}

int main(int argc, char** argv) {
    struct writes w = {.gif = (size_t)atol(argc > 3 ? argv[3] : "0")};
    int usage = argc < 10;
    for (int i = 10; i < argc && !usage; i += 2) {
        if (strcmp(argv[i], "--csv") == 0 && i + 1 < argc) {
            w.csv = (size_t)atol(argv[i + 1]);
        } else if (strcmp(argv[i], "--svg") == 0 && i + 1 < argc) {
            w.svg = (size_t)atol(argv[i + 1]);
        } else if (strcmp(argv[i], "--metrics") == 0 && i + 2 < argc) {
            w.metrics = argv[i + 1];
            w.metrics_bytes = (size_t)atol(argv[i + 2]);
            ++i;
        } else if (strcmp(argv[i], "--months") == 0 && i + 1 < argc) {
            w.months = argv + i + 1;
            w.month_count = argc - i - 1;
            break;
        } else {
            usage = 1;
        }
    }
    if (usage) {
        fprintf(stderr,
                "usage: least_work FOLDER SUFFIX GIF_BYTES STEM1 ... STEM6 [--csv BYTES] [--svg BYTES] [--metrics FILE BYTES]"
                " [--months MONTH...]\n");
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
    if (write_run(&w) != 0) return 1;
    if (w.months != NULL && write_months(w.months, w.month_count, w.gif) != 0) return 1;
    printf("%d\n", found);
    return 0;
}
