#pragma once
// The operating system's file calls, one small function each, for files.cpp
// and folder_listing.cpp, which hold the logic that POSIX and Windows share.
// Defined in system_files_posix.cpp and system_files_windows.cpp. Paths are
// native (platform::native_path); a failure names the path as given.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace platform::system {

using Handle = std::intptr_t;
constexpr Handle no_handle = -1;

// The system's own folder separator.
extern const char separator;
// What a folder listing shows for a character of a name that it cannot
// give (Windows: "?" for a character its code page lacks); 0 for none.
extern const char unlisted_character;

Status current_folder(std::string& folder);
int process_id();
// A native path as UTF-8 text: Windows' paths are in the ANSI code page,
// POSIX paths are taken as UTF-8 already.
std::string utf8_of(std::string_view path);

// Opens whatever `path` names for reading, without waiting for anything: a
// pipe or a device opens too (a Windows device name fails), a folder may
// open, and is_regular tells them apart.
Status open_for_reading(const std::string& path, Handle& file);
// Whether the open file is a regular file: no folder, pipe or device.
bool is_regular(Handle file);
// Bytes read into `into`: 0 at the end of the file, -1 on a read error.
std::ptrdiff_t read(Handle file, std::uint8_t* into, std::size_t size);

// Creates the new file `path` for writing, to replace `target` later;
// `exists` tells a failure because the name is taken, so that the caller can
// try another.
Status create_new(const std::string& path, const std::string& target, Handle& file, bool& exists);
Status write(Handle file, std::span<const std::uint8_t> bytes, const std::string& path);
// Starts writing the file's data to the disk and returns at once (where the
// system can; otherwise does nothing): several files then reach the disk
// together when each is flushed.
void start_flush(Handle file);
// Returns once the file's data is on the disk.
Status flush(Handle file, const std::string& path);
Status close(Handle file, const std::string& path);

// Renames `from` over `to` in one step: a reader sees the old file or the
// new one. On Windows the rename itself is written through to the disk.
Status replace(const std::string& from, const std::string& to);
// Returns once the names in `folder` (a renamed file) are on the disk.
Status flush_folder(const std::string& folder);
Status remove(const std::string& path);

// Whether the process `id` is running now. Where the system cannot tell
// (POSIX: not allowed to signal it), it is taken as running.
bool process_running(int id);
// Seconds since the file `path` was last written; nullopt when it is not
// there (or cannot be looked at).
std::optional<std::int64_t> seconds_since_written(const std::string& path);

struct FolderEntry {
    std::string_view name;
    std::string_view short_name;  // Windows' 8.3 name, under which the file opens too; empty elsewhere
    bool hidden = false;          // hidden or system: never taken as the folder's first ordinary file
    enum Type { ordinary, other, unknown } type = unknown;  // unknown: is_regular_file tells
};
// Calls `visit` with the entries of `folder` (which ends with a separator)
// but "." and "..", as many at a time as the system gives at once; their
// names last as long as the call. Fails, with the system's reason, when the
// folder could not be read whole: missing, no folder, not readable, or a
// read error part way through.
Status list_folder(const std::string& folder, const std::function<void(std::span<const FolderEntry>)>& visit);
bool is_regular_file(const std::string& path);
// Whether nothing has the name `path`: no file, folder or link.
bool names_nothing(const std::string& path);
// Whether `path` names a folder (following links).
bool is_folder(const std::string& path);
// Whether the process may make and remove files in the folder `path`,
// asked of the system without writing anything; its reason when not.
Status can_write_in(const std::string& path);

}  // namespace platform::system
