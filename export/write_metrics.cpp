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
    RunTimes times;
    times.ended = platform::unix_time_now();
    times.took = std::chrono::duration<double>(std::chrono::steady_clock::now() - record.started).count();
    // A run that fails carries over when the last one that did not ended.
    if (failures == 0) {
        times.last_success = times.ended;
    } else if (std::vector<std::uint8_t> before;
               platform::read_file(settings_.metrics, before, max_metrics_bytes)) {
        times.last_success = last_success_in({reinterpret_cast<const char*>(before.data()), before.size()});
    }
    // The metrics file's folder, "." for a bare name.
    const std::string& path = settings_.metrics;
    const std::string_view name = platform::file_name(path);
    const std::string folder = name.size() == path.size() ? ".\\" : path.substr(0, path.size() - name.size());
    clear_stale_temporaries(folder, [&](std::string_view temporary_of) { return temporary_of == name; });
    const std::string text = metrics_text(record, times);
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    if (Status s = platform::write_file_atomic(settings_.metrics, bytes); !s) {
        ++failures;
        report("metrics: " + s.message());
    }
}
