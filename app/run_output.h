#pragma once
// What a run prints: under --verbose one line per failure, and on a
// terminal the progress of an archive range, one line rewritten in place.
// The forms that draw a range together share one.

#include <cstddef>
#include <mutex>
#include <ostream>
#include <string>

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

private:
    void show(const std::string& line);  // with the lock held

    std::mutex lock_;
    std::ostream* diagnostics_;
    std::ostream* progress_;
    std::size_t shown_ = 0;  // characters of the progress line on the terminal
};
