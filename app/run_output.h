#pragma once
// What a run prints: under --verbose one line per failure, and on a
// terminal the progress of an archive range, one line rewritten in place.
// The forms that draw a range together share one.

#include <cstddef>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "app/findings.h"

class RunOutput {
public:
    // Either stream may be null: nothing is printed there.
    RunOutput(std::ostream* diagnostics, std::ostream* progress) : diagnostics_(diagnostics), progress_(progress) {}

    // "plotmuf: " and the message, on a line of its own.
    void report(const std::string& message);
    // The progress line, over the one shown before; an empty one clears it.
    void progress(const std::string& line);
    // Leaves the progress line as it stands and goes on below it.
    void end_progress();

    // What the run found out, each finding once (app/findings.h).
    void find(Finding::Topic topic, Finding::Level level, const std::string& text,
              std::optional<std::chrono::year_month_day> day = {});
    void odd_value_field(std::chrono::year_month_day day, const std::string& file);
    std::vector<Finding> findings();
    // Each note and failure found, once, as report says a line.
    void say_findings();

private:
    void show(const std::string& line);  // with the lock held

    std::mutex lock_;
    std::ostream* diagnostics_;
    std::ostream* progress_;
    std::size_t shown_ = 0;
    Findings findings_;  // characters of the progress line on the terminal
};
