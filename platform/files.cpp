// The parts of file input that are the same on every system.

#include "platform/files.h"

namespace platform {

Status TextInput::read_line(std::string& line, std::size_t keep) {
    if (!is_open()) return Status::fail("channel not open");
    std::string kept;
    bool found = false;  // any byte of a line, or its line end, was read
    for (;;) {
        if (start_ == end_ && !fill()) break;
        if (skip_lf_) {
            skip_lf_ = false;
            if (buffer_[start_] == '\n') {
                ++start_;
                continue;
            }
        }
        found = true;
        std::size_t stop = start_;
        while (stop < end_ && buffer_[stop] != '\r' && buffer_[stop] != '\n') ++stop;
        const std::size_t room = keep - kept.size();
        const std::size_t take = stop - start_ < room ? stop - start_ : room;
        kept.append(reinterpret_cast<const char*>(buffer_ + start_), take);
        if (stop < end_) {
            skip_lf_ = buffer_[stop] == '\r';
            start_ = stop + 1;
            line = std::move(kept);
            return Status::ok();
        }
        start_ = end_;
    }
    if (!found) return Status::fail("end of file");
    line = std::move(kept);  // a last line without a line end
    return Status::ok();
}

}  // namespace platform
