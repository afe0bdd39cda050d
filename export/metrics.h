#pragma once
// The run's figures for monitoring, in Prometheus' text exposition format
// (version 0.0.4), as node_exporter's and windows_exporter's textfile
// collectors read them: every metric a gauge with its HELP and TYPE lines,
// every sample labelled with the station's working folder.

#include <optional>
#include <string>
#include <string_view>

#include "app/run_record.h"

struct RunTimes {
    double ended = 0;                    // Unix time
    double took = 0;                     // seconds
    std::optional<double> last_success;  // Unix time of the latest run that exited 0; none known
};

std::string metrics_text(const RunRecord& record, const RunTimes& times);

// plotmuf_last_success_timestamp_seconds of a file metrics_text wrote.
std::optional<double> last_success_in(std::string_view metrics);

// A label's value as the format writes it: valid UTF-8 (a byte that is not
// becomes U+FFFD), with \ " and line feeds escaped.
std::string label_value(std::string_view text);
