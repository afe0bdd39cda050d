// Files as the program sees them, the same on every system; the system
// calls are those of system_files.h.

#include "platform/files.h"

#include <algorithm>
#include <cstring>

#include "platform/system_files.h"

namespace platform {
namespace {

constexpr std::string_view temporary_suffix = ".tmp";
constexpr int temporary_attempts = 100;
// A temporary this old belongs to no run still going, whatever its process id says.
constexpr std::int64_t stale_after_seconds = 24 * 60 * 60;

// The number that `digits` spell in decimal, without a leading zero (but
// "0"), if it is at most `most`.
std::optional<int> decimal(std::string_view digits, long long most) {
    if (digits.empty() || digits.size() > 10 || (digits.size() > 1 && digits[0] == '0')) return std::nullopt;
    long long value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > most) return std::nullopt;
    return static_cast<int>(value);
}

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
    static const int process = system::process_id();  // asked once a run
    for (int attempt = 0; attempt < temporary_attempts; ++attempt) {
        temporary = folder + temporary_name(name, process, attempt);
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

// What read_asking gives for a file that turns out to be no regular file.
constexpr std::ptrdiff_t not_regular = -2;

// A read of a file just opened by system::open_for_reading, which opens a
// folder, a pipe or a device as well, asking the file's type only when the
// read could be one of theirs. A regular file's read fills the buffer
// unless it reaches the file's end, so a first read that gives part of a
// buffer is a small file read whole, nearly every file of a run, and needs
// no question. A read that gives nothing or fails (an empty file, a pipe
// without a writer, /dev/null, a folder) or fills the buffer (a large file,
// or a device that never ends, /dev/zero), or a later read that still gives
// bytes (a growing file, or a pipe's writer), asks once. Bytes read, 0 at
// the end, -1 on a read error, not_regular.
std::ptrdiff_t read_asking(system::Handle file, std::uint8_t* into, std::size_t size, bool& first, bool& asked) {
    const std::ptrdiff_t n = system::read(file, into, size);
    const bool small_file_whole = first && n > 0 && static_cast<std::size_t>(n) < size;
    const bool over = !first && n <= 0;  // the end of the bytes read before, or a read error
    first = false;
    if (asked || small_file_whole || over) return n;
    asked = true;
    return system::is_regular(file) ? n : not_regular;
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
    const std::string native = native_path(path);
    if (Status s = system::open_for_reading(native, file); !s) return s;
    handle_ = file;
    start_ = end_ = 0;
    at_end_ = skip_lf_ = false;
    first_read_ = true;
    type_asked_ = false;
    // The first bytes are read now, so that a name of no regular file fails
    // here as a name of no file does.
    if (fill() == not_regular) {
        close();
        return Status::fail("cannot open " + native + ": not a regular file");
    }
    return Status::ok();
}

void TextInput::close() {
    if (handle_ != system::no_handle) (void)system::close(handle_, "");
    handle_ = system::no_handle;
}

std::ptrdiff_t TextInput::fill() {
    if (at_end_) return 0;
    const std::ptrdiff_t n = read_asking(handle_, buffer_, sizeof buffer_, first_read_, type_asked_);
    if (n <= 0) {
        at_end_ = true;  // end of file, a read error or no regular file: nothing more comes
        return n;
    }
    start_ = 0;
    end_ = static_cast<std::size_t>(n);
    return n;
}

bool TextInput::read_line(std::string& line, std::size_t keep) {
    if (!is_open()) return false;
    std::string kept;
    bool found = false;  // any byte of a line, or its line end, was read
    for (;;) {
        if (start_ == end_ && fill() <= 0) break;
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
    bool first = true, asked = false;
    for (;;) {
        const std::ptrdiff_t n = read_asking(file, chunk, sizeof chunk, first, asked);
        if (n == 0) break;
        if (n == not_regular) {
            result = Status::fail("cannot open " + native + ": not a regular file");
            break;
        }
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

void DurableWrites::start_group() {
    group_start_.push_back(pending_.size());
    group_failed_.push_back(false);
}

void DurableWrites::fail_group() {
    if (!group_failed_.empty()) group_failed_.back() = true;
}

std::vector<DurableWrites::GroupOutcome> DurableWrites::finish_groups() {
    std::vector<Status> written = finish();
    std::vector<GroupOutcome> outcome(group_start_.size());
    for (std::size_t g = 0; g < outcome.size(); ++g) {
        outcome[g].failed = group_failed_[g];
        const std::size_t end = g + 1 < group_start_.size() ? group_start_[g + 1] : written.size();
        for (std::size_t i = group_start_[g]; i < end && !outcome[g].failed; ++i) {
            if (written[i]) continue;
            outcome[g].failed = true;
            outcome[g].failed_at_finish = std::move(written[i]);
        }
    }
    group_start_.clear();
    group_failed_.clear();
    return outcome;
}

Status remove_file(const std::string& path) { return system::remove(native_path(path)); }

bool names_nothing(const std::string& path) { return system::names_nothing(native_path(path)); }
bool is_folder(const std::string& path) { return !path.empty() && system::is_folder(native_path(path)); }
Status can_write_in(const std::string& path) { return system::can_write_in(native_path(path.empty() ? "." : path)); }

char own_separator() { return system::separator; }

std::string temporary_name(std::string_view name, int process, int attempt) {
    return "." + std::string(name) + "." + std::to_string(process) + "-" + std::to_string(attempt) +
           std::string(temporary_suffix);
}

std::optional<TemporaryOf> temporary_of(std::string_view file_name) {
    if (!file_name.starts_with('.') || !file_name.ends_with(temporary_suffix)) return std::nullopt;
    std::string_view rest = file_name.substr(1, file_name.size() - 1 - temporary_suffix.size());
    const std::size_t dash = rest.rfind('-');
    if (dash == std::string_view::npos) return std::nullopt;
    const std::size_t dot = rest.rfind('.', dash);
    if (dot == std::string_view::npos || dot == 0) return std::nullopt;
    const auto process = decimal(rest.substr(dot + 1, dash - dot - 1), 0x7fffffff);
    const auto attempt = decimal(rest.substr(dash + 1), temporary_attempts - 1);
    if (!process || *process == 0 || !attempt) return std::nullopt;
    return TemporaryOf{rest.substr(0, dot), *process};
}

std::vector<Status> remove_stale_temporaries(const std::string& folder,
                                             const std::function<bool(std::string_view name)>& ours) {
    const std::string native = native_path(folder);
    std::vector<std::string> found;
    const Status listed = system::list_folder(native, [&](std::span<const system::FolderEntry> entries) {
        for (const system::FolderEntry& entry : entries) {
            if (entry.type == system::FolderEntry::other) continue;
            const auto temporary = temporary_of(entry.name);
            if (temporary && ours(temporary->name)) found.emplace_back(entry.name);
        }
    });
    std::vector<Status> failed;
    if (!listed) return failed;
    for (const std::string& name : found) {
        const std::string path = native + name;
        const auto age = system::seconds_since_written(path);
        if (!age) continue;  // gone: renamed by its run, or removed by another
        if (*age <= stale_after_seconds && system::process_running(temporary_of(name)->process)) continue;
        if (Status s = system::remove(path); !s && system::seconds_since_written(path)) failed.push_back(s);
    }
    return failed;
}

}  // namespace platform
