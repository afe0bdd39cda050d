#pragma once
// Files as the program sees them: paths written Windows-style, sequential
// text input, whole-file reads, atomic and durable replacement, deletion and
// the working folder. The logic is the same on every system (files.cpp);
// the system calls are in system_files_posix.cpp and system_files_windows.cpp.
// A failure names the path as the system was given it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace platform {

// "\" separates folders on every system; "/" does too.
inline bool is_separator(char c) { return c == '\\' || c == '/'; }

// The last part of `path`, after its last separator: a file's name.
inline std::string_view file_name(std::string_view path) {
    const std::size_t last = path.find_last_of("\\/");
    return last == std::string_view::npos ? path : path.substr(last + 1);
}

// The path as the system wants it: either separator becomes its own.
std::string native_path(std::string_view path);

// The process's current folder as a full path (no final separator added).
Status current_folder(std::string& folder);

// A path as the system gives it, as UTF-8 text for others to read: on
// Windows from the ANSI code page, elsewhere as it is.
std::string utf8_path(std::string_view native);

// Sequential text input on one channel. Only regular files open: a missing
// file, a folder, a pipe or a device fails the open, and nothing blocks (a
// pipe whose writer has written less than a read's buffer reads as a file of
// those bytes, and ends there).
// A line ends at CR LF, a lone CR or a lone LF; a last line without a line
// end is read whole. Memory stays bounded whatever the file holds.
class TextInput {
public:
    TextInput() = default;
    ~TextInput();
    TextInput(const TextInput&) = delete;
    TextInput& operator=(const TextInput&) = delete;

    Status open(const std::string& path);
    bool is_open() const { return handle_ != -1; }

    // Reads the next line into `line`, keeping at most `keep` bytes of it
    // and skipping the rest. False at the end of the file or on a read
    // error, and `line` is then left as it was.
    bool read_line(std::string& line, std::size_t keep);

    // Closing a channel that is not open does nothing.
    void close();

private:
    // Bytes read into the buffer: 0 at the end, negative when nothing more comes.
    std::ptrdiff_t fill();

    std::intptr_t handle_ = -1;
    std::uint8_t buffer_[4096];
    std::size_t start_ = 0;
    std::size_t end_ = 0;
    bool at_end_ = false;
    bool skip_lf_ = false;  // the last line ended with CR; a following LF belongs to it
    bool first_read_ = true;
    bool type_asked_ = false;  // whether the system was asked that the file is a regular one
};

// Reads a whole regular file of at most `max_bytes` bytes.
Status read_file(const std::string& path, std::vector<std::uint8_t>& bytes, std::size_t max_bytes);

// Writes `bytes` to a temporary file beside `path` and renames it over
// `path`: a reader sees the old file or the new one, never part of one.
// On failure the old file is intact and no temporary file is left.
Status write_file_atomic(const std::string& path, std::span<const std::uint8_t> bytes);

// Files written as write_file_atomic writes them, and durably besides: each
// new file is on the disk before it replaces the old one, and the
// replacement is on the disk before the call returns, so that a power loss
// leaves the old file or the new one whole. Flushing files one by one costs
// a disk round trip each; added together, all of them share a few.
class DurableWrites {
public:
    DurableWrites() = default;
    ~DurableWrites();  // files added and not yet finished are dropped
    DurableWrites(const DurableWrites&) = delete;
    DurableWrites& operator=(const DurableWrites&) = delete;

    // Writes `bytes` beside `path`, to replace it at finish().
    Status add(const std::string& path, std::span<const std::uint8_t> bytes);
    // Files added.
    std::size_t size() const { return pending_.size(); }
    // Flushes, renames and flushes the folders of every file added; the
    // outcome of each, in the order added. Nothing stays pending.
    std::vector<Status> finish();

    // Files that succeed or fail together make a group (a day's chart and
    // the files beside it; a month's files): those added after
    // start_group(), up to the next one. A group fails once, at its first
    // failure: one before the finish, which its caller tells at once and
    // marks with fail_group(), or else that of the first of its files that
    // fails to finish.
    void start_group();
    void fail_group();  // the group started last
    struct GroupOutcome {
        bool failed = false;                       // before the finish or in it
        Status failed_at_finish = Status::ok();  // when it had not failed before: yet to be told
    };
    // finish(), told by group, each in the order started. No group stays.
    std::vector<GroupOutcome> finish_groups();

private:
    struct Pending {
        std::string path, native, temporary;
        std::intptr_t handle;
    };
    std::vector<Pending> pending_;
    std::vector<std::size_t> group_start_;  // the first file of each group
    std::vector<bool> group_failed_;       // before the finish
};

Status remove_file(const std::string& path);

// Whether nothing has the name `path`: no file, folder or link. A file that
// cannot be read tells its absence from any other failure so.
bool names_nothing(const std::string& path);
// Whether `path` names a folder, with or without a final separator.
bool is_folder(const std::string& path);
// Whether the process may make files in the folder `path`, asked without
// writing anything; the system's reason when it may not.
Status can_write_in(const std::string& path);
// The system's own separator, as a folder name offered to the user ends.
char own_separator();

// The temporary file name that write_file_atomic and DurableWrites give a
// new `name` in process `process`, attempt `attempt` (0 to 99):
// ".plotMUF4.gif.23848-0.tmp".
std::string temporary_name(std::string_view name, int process, int attempt);

// What a name of exactly that form tells: the file it was to replace and
// the process that wrote it. Any other name, nullopt.
struct TemporaryOf {
    std::string_view name;
    int process = 0;
};
std::optional<TemporaryOf> temporary_of(std::string_view file_name);

// Temporaries stay behind when a process is killed between writing one and
// renaming it. This removes from `folder` (which ends with a separator)
// those of files whose names `ours` accepts, when the process that wrote
// them runs no more, or they were written more than a day ago whatever it
// says (process ids are reused); the temporary of a run still going is
// kept. A folder that cannot be listed is left alone. Returns the removals
// that failed; a file that went meanwhile is no failure.
std::vector<Status> remove_stale_temporaries(const std::string& folder,
                                             const std::function<bool(std::string_view name)>& ours);

}  // namespace platform
