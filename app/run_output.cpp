#include "app/run_output.h"

void RunOutput::report(const std::string& message) {
    if (!diagnostics_) return;
    const std::lock_guard<std::mutex> held(lock_);
    show("");
    *diagnostics_ << "plotmuf: " << message << '\n';
}

void RunOutput::progress(const std::string& line) {
    if (!progress_) return;
    const std::lock_guard<std::mutex> held(lock_);
    show(line);
}

void RunOutput::end_progress() {
    if (!progress_) return;
    const std::lock_guard<std::mutex> held(lock_);
    if (shown_ > 0) *progress_ << '\n' << std::flush;
    shown_ = 0;
}

void RunOutput::show(const std::string& line) {
    if (!progress_ || (line.empty() && shown_ == 0)) return;
    // In place of the line shown before; blanks where it was longer.
    std::string text = "\r" + line;
    if (line.size() < shown_) text += std::string(shown_ - line.size(), ' ') + "\r" + line;
    *progress_ << text << std::flush;
    shown_ = line.size();
}
