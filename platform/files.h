#pragma once
// Files as the program sees them: paths written Windows-style, sequential
// text input, whole-file reads, atomic replacement, deletion, the working
// folder and the first ordinary file of a folder. All OS calls live here.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace platform {

// "\" separates folders on every system; "/" does too.
inline bool is_separator(char c) { return c == '\\' || c == '/'; }

// The path as the OS wants it: on POSIX every "\" becomes "/".
std::string native_path(std::string_view path);

// The process's current folder as a full path (no final separator added).
Status current_folder(std::string& folder);

// Sequential text input on one channel. Only regular files open: a missing
// file, a folder, a pipe or a device fails the open, and nothing blocks.
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
    // and skipping the rest. Fails at the end of the file or on a read error,
    // and then leaves `line` as it was.
    Status read_line(std::string& line, std::size_t keep);

    // Closing a channel that is not open does nothing.
    void close();

private:
    bool fill();

    std::intptr_t handle_ = -1;
    unsigned char buffer_[4096];
    std::size_t start_ = 0;
    std::size_t end_ = 0;
    bool at_end_ = false;
    bool skip_lf_ = false;  // the last line ended with CR; a following LF belongs to it
};

// Reads a whole regular file of at most `max_bytes` bytes.
Status read_file(const std::string& path, std::vector<std::uint8_t>& bytes, std::size_t max_bytes);

// Writes `bytes` to a temporary file beside `path` and renames it over
// `path`: a reader sees the old file or the new one, never part of one.
// On failure the old file is intact and no temporary file is left.
Status write_file_atomic(const std::string& path, std::span<const std::uint8_t> bytes);

Status remove_file(const std::string& path);

// The name, without folder, of the first ordinary file of `folder` (no
// folders, no hidden or system files) in byte order of the names; an empty
// string when there is none. `folder` must end with a separator, as a
// search pattern that matches every file does; otherwise nothing is found.
std::string first_ordinary_file(const std::string& folder);

}  // namespace platform
