// Files as the program sees them, the same on every system; the system
// calls are those of system_files.h.

#include "platform/files.h"

#include <algorithm>
#include <cstring>

#include "platform/system_files.h"

namespace platform {
namespace {

std::string folder_of(const std::string& native) {
    const std::size_t slash = native.find_last_of(std::string(1, system::separator) + ":");
    return slash == std::string::npos ? "" : native.substr(0, slash + 1);
}

// Creates a hidden, new temporary file in the folder of `native`, with a
// name unique to this process; a name that is taken is never taken over.
Status create_temporary(const std::string& native, std::string& temporary, system::Handle& file) {
    const std::string folder = folder_of(native);
    const std::string name = native.substr(folder.size());
    Status created = Status::fail("cannot create a file beside " + native);
    static const std::string process = std::to_string(system::process_id());  // asked once a run
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = folder + "." + name + "." + process + "-" + std::to_string(attempt) + ".tmp";
        bool exists = false;
        created = system::create_new(temporary, native, file, exists);
        if (created || !exists) break;
    }
    return created;
}

// The temporary file `temporary` holding `bytes`, still open in `file`;
// nothing is left behind on failure.
Status write_temporary(const std::string& native, std::span<const std::uint8_t> bytes, std::string& temporary,
                       system::Handle& file) {
    if (Status s = create_temporary(native, temporary, file); !s) return s;
    if (Status s = system::write(file, bytes, native); !s) {
        (void)system::close(file, temporary);
        (void)system::remove(temporary);
        return s;
    }
    return Status::ok();
}

// Closes `file` and renames `temporary` over `native`; nothing is left
// behind on failure.
Status close_and_replace(system::Handle file, const std::string& temporary, const std::string& native) {
    Status s = system::close(file, native);
    if (s) s = system::replace(temporary, native);
    if (!s) (void)system::remove(temporary);
    return s;
}

}  // namespace

std::string native_path(std::string_view path) {
    std::string native(path);
    for (char& c : native) {
        if (is_separator(c)) c = system::separator;
    }
    return native;
}

Status current_folder(std::string& folder) { return system::current_folder(folder); }

std::string utf8_path(std::string_view native) { return system::utf8_of(native); }

TextInput::~TextInput() { close(); }

Status TextInput::open(const std::string& path) {
    close();
    system::Handle file = system::no_handle;
    if (Status s = system::open_for_reading(native_path(path), file); !s) return s;
    handle_ = file;
    start_ = end_ = 0;
    at_end_ = skip_lf_ = false;
    return Status::ok();
}

void TextInput::close() {
    if (handle_ != system::no_handle) (void)system::close(handle_, "");
    handle_ = system::no_handle;
}

bool TextInput::fill() {
    if (at_end_) return false;
    const std::ptrdiff_t n = system::read(handle_, buffer_, sizeof buffer_);
    if (n <= 0) {
        at_end_ = true;  // end of file, or a read error: nothing more comes
        return false;
    }
    start_ = 0;
    end_ = static_cast<std::size_t>(n);
    return true;
}

bool TextInput::read_line(std::string& line, std::size_t keep) {
    if (!is_open()) return false;
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
        // The line's end: the first CR or LF, each found by the C library's
        // search, which takes many bytes a step.
        std::size_t stop = end_;
        for (const int line_end : {'\n', '\r'}) {
            if (const void* at = std::memchr(buffer_ + start_, line_end, stop - start_))
                stop = static_cast<std::size_t>(static_cast<const std::uint8_t*>(at) - buffer_);
        }
        const std::size_t room = keep - kept.size();
        const std::size_t take = stop - start_ < room ? stop - start_ : room;
        kept.append(reinterpret_cast<const char*>(buffer_ + start_), take);
        if (stop < end_) {
            skip_lf_ = buffer_[stop] == '\r';
            start_ = stop + 1;
            line = std::move(kept);
            return true;
        }
        start_ = end_;
    }
    if (!found) return false;
    line = std::move(kept);  // a last line without a line end
    return true;
}

Status read_file(const std::string& path, std::vector<std::uint8_t>& bytes, std::size_t max_bytes) {
    const std::string native = native_path(path);
    system::Handle file = system::no_handle;
    if (Status s = system::open_for_reading(native, file); !s) return s;
    std::vector<std::uint8_t> content;
    std::uint8_t chunk[65536];
    Status result = Status::ok();
    for (;;) {
        const std::ptrdiff_t n = system::read(file, chunk, sizeof chunk);
        if (n == 0) break;
        if (n < 0) {
            result = Status::fail("cannot read " + native);
            break;
        }
        if (content.size() + static_cast<std::size_t>(n) > max_bytes) {
            result = Status::fail("file too large: " + native);
            break;
        }
        content.insert(content.end(), chunk, chunk + n);
    }
    (void)system::close(file, native);
    if (result) bytes = std::move(content);
    return result;
}

Status write_file_atomic(const std::string& path, std::span<const std::uint8_t> bytes) {
    const std::string native = native_path(path);
    std::string temporary;
    system::Handle file = system::no_handle;
    if (Status s = write_temporary(native, bytes, temporary, file); !s) return s;
    return close_and_replace(file, temporary, native);
}

DurableWrites::~DurableWrites() {
    for (const Pending& p : pending_) {
        (void)system::close(p.handle, p.temporary);
        (void)system::remove(p.temporary);
    }
}

Status DurableWrites::add(const std::string& path, std::span<const std::uint8_t> bytes) {
    Pending p{path, native_path(path), "", system::no_handle};
    if (Status s = write_temporary(p.native, bytes, p.temporary, p.handle); !s) return s;
    // Each file's data starts for the disk now; the flushes in finish()
    // then mostly find it there.
    system::start_flush(p.handle);
    pending_.push_back(std::move(p));
    return Status::ok();
}

std::vector<Status> DurableWrites::finish() {
    // Each new file whole on the disk before its rename; then each folder
    // once, for all the renames in it.
    std::vector<Status> outcome;
    for (const Pending& p : pending_) {
        Status s = system::flush(p.handle, p.native);
        if (s) {
            s = close_and_replace(p.handle, p.temporary, p.native);
        } else {
            (void)system::close(p.handle, p.native);
            (void)system::remove(p.temporary);
        }
        outcome.push_back(std::move(s));
    }
    std::vector<std::pair<std::string, Status>> folders;
    for (std::size_t i = 0; i < pending_.size(); ++i) {
        if (!outcome[i]) continue;
        const std::string folder = folder_of(pending_[i].native);
        auto flushed = std::find_if(folders.begin(), folders.end(), [&](const auto& f) { return f.first == folder; });
        if (flushed == folders.end()) flushed = folders.insert(folders.end(), {folder, system::flush_folder(folder)});
        if (!flushed->second) outcome[i] = flushed->second;
    }
    pending_.clear();
    return outcome;
}

Status remove_file(const std::string& path) { return system::remove(native_path(path)); }

bool names_nothing(const std::string& path) { return system::names_nothing(native_path(path)); }
bool is_folder(const std::string& path) { return !path.empty() && system::is_folder(native_path(path)); }

char own_separator() { return system::separator; }

}  // namespace platform
