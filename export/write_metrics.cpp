// The run's figures, written at its end whatever failed, for monitoring.

#include <cstdint>
#include <span>
#include <vector>

#include "app/form1.h"
#include "export/metrics.h"
#include "platform/clock.h"
#include "platform/files.h"

namespace {

// Far above any file metrics_text writes.
constexpr std::size_t max_metrics_bytes = std::size_t{1} << 20;

}  // namespace

void Form1::write_metrics() {
    if (settings_.metrics.empty()) return;
    // A folder given for the file: the replacement would fail with the
    // system's word for something else ("Not a directory").
    const std::string& path = settings_.metrics;
    if (platform::is_folder(path)) {
        ++failures;
        const std::string folder = platform::native_path(path);
        const bool ends = platform::is_separator(folder.back());
        report("metrics: " + folder + " is a folder, not a file: give the file's name, such as " + folder +
               (ends ? "" : std::string(1, platform::own_separator())) + "plotmuf.prom");
        return;
    }
    RunTimes times;
    times.ended = platform::unix_time_now();
    times.took = std::chrono::duration<double>(std::chrono::steady_clock::now() - record.started).count();
    // A run that fails carries over when the last one that did not ended.
    // A file there that cannot be read loses that figure: the run names it,
    // and fails for it too. No file there is a station's first run.
    if (failures == 0) {
        times.last_success = times.ended;
    } else if (std::vector<std::uint8_t> before;
               Status read = platform::read_file(path, before, max_metrics_bytes)) {
        times.last_success = last_success_in({reinterpret_cast<const char*>(before.data()), before.size()});
    } else if (!platform::names_nothing(path)) {
        ++failures;
        report("metrics: the last success is not carried over: " + read.message());
    }
    // The metrics file's folder, "." for a bare name.
    const std::string_view name = platform::file_name(path);
    const std::string folder = name.size() == path.size() ? ".\\" : path.substr(0, path.size() - name.size());
    clear_stale_temporaries(folder, [&](std::string_view temporary_of) { return temporary_of == name; });
    const std::string text = metrics_text(record, times);
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    if (Status s = platform::write_file_atomic(path, bytes); !s) {
        ++failures;
        report("metrics: " + s.message());
    }
}
