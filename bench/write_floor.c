/* What the writes of a run cost when nothing else is done (chart_writes.h).
 * Run in a station folder.
 *
 *   write_floor GIF_BYTES */

#define _POSIX_C_SOURCE 200809L

#include <stdlib.h>

#include "chart_writes.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: write_floor GIF_BYTES\n");
        return 2;
    }
    return write_charts((size_t)atol(argv[1])) == 0 ? 0 : 1;
}
