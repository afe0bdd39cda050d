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

void RunOutput::find(Finding::Topic topic, Finding::Level level, const std::string& text,
                     std::optional<std::chrono::year_month_day> day) {
    const std::lock_guard<std::mutex> held(lock_);
    findings_.add(topic, level, text, day);
}

void RunOutput::odd_value_field(std::chrono::year_month_day day, const std::string& file) {
    const std::lock_guard<std::mutex> held(lock_);
    findings_.odd_value_field(day, file);
}

std::vector<Finding> RunOutput::findings() {
    const std::lock_guard<std::mutex> held(lock_);
    return findings_.all();
}

void RunOutput::say_findings() {
    if (!diagnostics_) return;
    for (const Finding& finding : findings())
        if (finding.level != Finding::Level::ok) report(Findings::text_with_days(finding));
}
