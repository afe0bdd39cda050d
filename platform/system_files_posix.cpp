// The file calls of POSIX systems.

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

#include "platform/system_files.h"

namespace platform::system {
namespace {

Status failure(const std::string& what, const std::string& path) {
    return Status::fail(what + " " + path + ": " + std::strerror(errno));
}

}  // namespace

const char separator = '/';
const char unlisted_character = 0;

Status current_folder(std::string& folder) {
    std::string buffer(256, '\0');
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE || buffer.size() > (1u << 20)) return failure("cannot read", "the working folder");
        buffer.resize(buffer.size() * 2);
    }
    folder = buffer.c_str();
    return Status::ok();
}

int process_id() { return static_cast<int>(::getpid()); }

std::string utf8_of(std::string_view path) { return std::string(path); }

Status open_for_reading(const std::string& path, Handle& file) {
    // O_NONBLOCK keeps the open of a pipe from waiting for a writer, and its
    // reads from waiting for data.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd == -1) return failure("cannot open", path);
    file = fd;
    return Status::ok();
}

bool is_regular(Handle file) {
    struct stat info {};
    return ::fstat(static_cast<int>(file), &info) == 0 && S_ISREG(info.st_mode);
}

std::ptrdiff_t read(Handle file, std::uint8_t* into, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(static_cast<int>(file), into, size);
        if (n >= 0 || errno != EINTR) return n < 0 ? -1 : n;
    }
}

Status create_new(const std::string& path, const std::string& target, Handle& file, bool& exists) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    exists = fd == -1 && errno == EEXIST;
    if (fd == -1) return failure("cannot create a file beside", target);
    file = fd;
    return Status::ok();
}

Status write(Handle file, std::span<const std::uint8_t> bytes, const std::string& path) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(static_cast<int>(file), bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return failure("cannot write", path);
        if (n == 0) return Status::fail("cannot write " + path + ": nothing written");
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
    return Status::ok();
}

void start_flush(Handle file) {
#ifdef __linux__
    ::sync_file_range(static_cast<int>(file), 0, 0, SYNC_FILE_RANGE_WRITE);
#else
    (void)file;
#endif
}

Status flush(Handle file, const std::string& path) {
    if (::fdatasync(static_cast<int>(file)) != 0) return failure("cannot flush", path);
    return Status::ok();
}

Status close(Handle file, const std::string& path) {
    if (::close(static_cast<int>(file)) != 0) return failure("cannot write", path);
    return Status::ok();
}

Status replace(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) return failure("cannot replace", to);
    return Status::ok();
}

Status flush_folder(const std::string& folder) {
    const std::string name = folder.empty() ? "." : folder;
    const int fd = ::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd == -1) return failure("cannot open", name);
    const bool flushed = ::fsync(fd) == 0;
    Status result = flushed ? Status::ok() : failure("cannot flush", name);
    ::close(fd);
    return result;
}

Status remove(const std::string& path) {
    if (::unlink(path.c_str()) != 0) return failure("cannot delete", path);
    return Status::ok();
}

bool process_running(int id) {
    // Signal 0 only asks: no such process is ESRCH; EPERM is one of
    // another user, running.
    return id > 0 && (::kill(static_cast<pid_t>(id), 0) == 0 || errno != ESRCH);
}

std::optional<std::int64_t> seconds_since_written(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return std::nullopt;
    return static_cast<std::int64_t>(std::time(nullptr)) - static_cast<std::int64_t>(info.st_mtime);
}

namespace {

// One entry as the listing gives it: its name, and its type where the file
// system tells it (`type` DT_UNKNOWN where it does not).
FolderEntry entry_of(std::string_view name, unsigned char type) {
    FolderEntry entry;
    entry.name = name;
    entry.hidden = name.front() == '.';
    // A link is what it leads to: only a stat tells.
    if (type == DT_REG) entry.type = FolderEntry::ordinary;
    else if (type != DT_UNKNOWN && type != DT_LNK) entry.type = FolderEntry::other;
    return entry;
}

bool dot_or_dot_dot(std::string_view name) {
    return name[0] == '.' && (name.size() == 1 || (name.size() == 2 && name[1] == '.'));
}

}  // namespace

#ifdef __linux__
// Linux: the entries straight from the kernel, 32 KiB of them a call and
// handed on together, with no copy of each through readdir. A folder of
// years of soundings holds a hundred thousand names; this is a third of the
// work of listing them.
Status list_folder(const std::string& folder, const std::function<void(std::span<const FolderEntry>)>& visit) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd == -1) return failure("cannot read the folder", folder);
    alignas(dirent64) char buffer[32768];
    std::vector<FolderEntry> entries;
    for (;;) {
        const ssize_t size = ::getdents64(fd, buffer, sizeof buffer);
        if (size < 0 && errno == EINTR) continue;
        if (size <= 0) {  // the end of the folder, or a read error
            const Status result = size == 0 ? Status::ok() : failure("cannot read the folder", folder);
            ::close(fd);
            return result;
        }
        entries.clear();
        for (ssize_t at = 0; at < size;) {
            const auto* found = reinterpret_cast<const dirent64*>(buffer + at);
            at += found->d_reclen;
            const std::string_view name = found->d_name;
            if (!dot_or_dot_dot(name)) entries.push_back(entry_of(name, found->d_type));
        }
        visit(entries);
    }
}
#else
Status list_folder(const std::string& folder, const std::function<void(std::span<const FolderEntry>)>& visit) {
    std::unique_ptr<DIR, int (*)(DIR*)> entries(::opendir(folder.c_str()), ::closedir);
    if (!entries) return failure("cannot read the folder", folder);
    for (;;) {
        errno = 0;
        const dirent* found = ::readdir(entries.get());
        if (found == nullptr) {  // the end of the folder, or a read error
            if (errno != 0) return failure("cannot read the folder", folder);
            return Status::ok();
        }
        const std::string_view name = found->d_name;
        if (dot_or_dot_dot(name)) continue;
#ifdef _DIRENT_HAVE_D_TYPE
        const FolderEntry entry = entry_of(name, found->d_type);
#else
        const FolderEntry entry = entry_of(name, DT_UNKNOWN);
#endif
        visit({&entry, 1});  // the next readdir may reuse the name's place
    }
}
#endif

bool is_regular_file(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool names_nothing(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) != 0 && errno == ENOENT;
}

bool is_folder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

Status can_write_in(const std::string& path) {
    // Making a file in a folder takes writing to it and passing through it.
    if (::access(path.c_str(), W_OK | X_OK) != 0) return failure("cannot write to", path);
    return Status::ok();
}

}  // namespace platform::system
