#pragma once
// One chart and the files beside it, written one way: the GIF file NAME.gif
// first, then each file beside it (NAME.csv, NAME.svg) in the order given.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/status.h"

// A file beside a chart: its extension and its text.
struct BesideFile {
    std::string_view extension;  // ".csv", ".svg"
    std::string text;
};

// Writes the chart `gif` at `gif_path` and the files `beside` it. Without
// `batch` each file replaces its name at once (platform::write_file_atomic):
// the published chart, an archived chart of days 2 to 6. With it each is
// added to the batch, to replace its name durably when the caller finishes
// the batch: day 1's archived chart, alone; a range's, 32 days together.
// Stops at the first file that fails; the files after it are not tried.
Status write_chart(const std::string& gif_path, std::span<const std::uint8_t> gif, std::span<const BesideFile> beside,
                   platform::DurableWrites* batch = nullptr);
