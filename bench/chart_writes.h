/* The writes of a run, which no run can spare: for each of six days a
 * scratch bitmap of a chart's size written beside its name and renamed to
 * it, read back and deleted, and two GIF files of a chart's size written
 * beside their names and renamed over them, as a run replaces the charts of
 * the run before. Done in the current folder, a station folder; the files
 * are named floor* so that the station's own charts stay as they are.
 * Included by write_floor.c and least_work.c, after their feature macros. */

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

enum { bitmap_bytes = 54 + 860 * 221 }; /* 286 x 221, rows padded to 4 bytes */

static unsigned char chart_buffer[bitmap_bytes];

static int replace(const char* path, size_t bytes) {
    char temporary[512];
    snprintf(temporary, sizeof temporary, "%s.%d.tmp", path, (int)getpid());
    const int fd = open(temporary, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd == -1) return -1;
    const int written = write(fd, chart_buffer, bytes) == (ssize_t)bytes;
    if (close(fd) != 0 || !written || rename(temporary, path) != 0) return -1;
    return 0;
}

/* 0 when every write went well. */
static int write_charts(size_t gif_bytes) {
    if (gif_bytes == 0 || gif_bytes > sizeof chart_buffer) return -1;
    char path[256];
    for (int day = 1; day <= 6; ++day) {
        snprintf(path, sizeof path, "previsioni/floor%d.bmp", day);
        if (replace(path, bitmap_bytes) != 0) return -1;
        const int fd = open(path, O_RDONLY | O_CLOEXEC);
        if (fd == -1 || read(fd, chart_buffer, sizeof chart_buffer) != bitmap_bytes) return -1;
        close(fd);
        snprintf(path, sizeof path, "web/floorMUF%d.gif", day);
        if (replace(path, gif_bytes) != 0) return -1;
        snprintf(path, sizeof path, "previsioni/previous_RAV3000I2_plots/floor%d.gif", day);
        if (replace(path, gif_bytes) != 0) return -1;
        snprintf(path, sizeof path, "previsioni/floor%d.bmp", day);
        if (unlink(path) != 0) return -1;
    }
    return 0;
}
