#pragma once
// The outcome of one platform or export step: success, or a failure with a
// short message that --verbose prints. Failures are values, never exceptions.

#include <string>
#include <utility>

class Status {
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
