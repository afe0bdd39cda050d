/* The baseline of bench/run.sh: what trying every name of six days costs
 * when nothing else is done. Opens each of the 8,640 names of the station's
 * measurement files once (24 hours by 60 minutes by 6 days) and closes the
 * ones that open; nothing is read, drawn or written.
 *
 *   open_loop FOLDER SUFFIX STEM1 ... STEM6
 *
 * tries FOLDER STEM hh mm SUFFIX for hh 00..23 and mm 01..59 then 00, and
 * prints how many opened. */

#define _POSIX_C_SOURCE 200809L

#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 9) {
        fprintf(stderr, "usage: open_loop FOLDER SUFFIX STEM1 ... STEM6\n");
        return 2;
    }
    char path[4096];
    int found = 0;
    for (int day = 0; day < 6; ++day) {
        for (int h = 0; h <= 23; ++h) {
            for (int m = 1; m <= 60; ++m) {
                if (snprintf(path, sizeof path, "%s%s%02d%02d%s", argv[1], argv[3 + day], h, m % 60, argv[2]) >=
                    (int)sizeof path)
                    return 2;
                const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
                if (fd != -1) {
                    ++found;
                    close(fd);
                }
            }
        }
    }
    printf("%d\n", found);
    return 0;
}
