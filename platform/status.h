#pragma once
// The outcome of a step that can fail: success, or a failure with a short
// message that --verbose prints. Failures are values, never exceptions.
//
// How the program fails, in one place:
// - A platform or export step that can fail returns a Status, and its
//   caller decides. Ignoring one is a compile error.
// - The run's operations never stop the run. Those that pass over their
//   failures and go on with their next statement (Form_Load, the
//   configuration, the forecast and the observed values) return nothing and
//   name each failure on the run's diagnostic stream (Form1::report). Those
//   that stop at their first failing step (the export of a chart) return the
//   Status of that step to Form_Load, which names it and goes on with the
//   next day.
// - Whatever cannot fail returns a plain value: a name, a key, a drawing
//   (a drawing cut off at the edges is still a drawing), a parsed number.

#include <string>
#include <utility>

class [[nodiscard]] Status {
public:
    static Status ok() { return Status(); }
    static Status fail(std::string message) { return Status(std::move(message)); }

    explicit operator bool() const { return !failed_; }
    const std::string& message() const { return message_; }

private:
    Status() = default;
    explicit Status(std::string message) : failed_(true), message_(std::move(message)) {}

    bool failed_ = false;
    std::string message_;
};
