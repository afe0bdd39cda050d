// Files on POSIX systems.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/files.h"

namespace platform {
namespace {

Status os_failure(const std::string& what, const std::string& path) {
    return Status::fail(what + " " + path + ": " + std::strerror(errno));
}

// Opens a regular file for reading. O_NONBLOCK keeps the open of a pipe
// from waiting for a writer; such a file is then refused by its type.
int open_regular(const std::string& native, std::string& error) {
    const int fd = ::open(native.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd == -1) {
        error = std::strerror(errno);
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        error = "not a regular file";
        return -1;
    }
    return fd;
}

bool write_all(int fd, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

std::string native_path(std::string_view path) {
    std::string native(path);
    for (char& c : native) {
        if (c == '\\') c = '/';
    }
    return native;
}

Status current_folder(std::string& folder) {
    std::string buffer(256, '\0');
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE || buffer.size() > (1u << 20)) return os_failure("cannot read", "the working folder");
        buffer.resize(buffer.size() * 2);
    }
    folder = buffer.c_str();
    return Status::ok();
}

TextInput::~TextInput() { close(); }

Status TextInput::open(const std::string& path) {
    close();
    std::string error;
    const int fd = open_regular(native_path(path), error);
    if (fd == -1) return Status::fail("cannot open " + path + ": " + error);
    handle_ = fd;
    start_ = end_ = 0;
    at_end_ = skip_lf_ = false;
    return Status::ok();
}

void TextInput::close() {
    if (handle_ != -1) ::close(static_cast<int>(handle_));
    handle_ = -1;
}

bool TextInput::fill() {
    if (at_end_) return false;
    for (;;) {
        const ssize_t n = ::read(static_cast<int>(handle_), buffer_, sizeof buffer_);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            at_end_ = true;  // end of file, or a read error: nothing more comes
            return false;
        }
        start_ = 0;
        end_ = static_cast<std::size_t>(n);
        return true;
    }
}

Status read_file(const std::string& path, std::vector<std::uint8_t>& bytes, std::size_t max_bytes) {
    std::string error;
    const int fd = open_regular(native_path(path), error);
    if (fd == -1) return Status::fail("cannot open " + path + ": " + error);
    std::vector<std::uint8_t> content;
    std::uint8_t chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            Status failure = os_failure("cannot read", path);
            ::close(fd);
            return failure;
        }
        if (n == 0) break;
        if (content.size() + static_cast<std::size_t>(n) > max_bytes) {
            ::close(fd);
            return Status::fail("file too large: " + path);
        }
        content.insert(content.end(), chunk, chunk + n);
    }
    ::close(fd);
    bytes = std::move(content);
    return Status::ok();
}

Status write_file_atomic(const std::string& path, std::span<const std::uint8_t> bytes) {
    const std::string target = native_path(path);
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);

    // A hidden temporary name in the target's own folder, unique to this
    // process; O_EXCL never takes over a file that is already there.
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd == -1; ++attempt) {
        temporary = folder + "." + name + "." + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".tmp";
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd == -1 && errno != EEXIST) break;
    }
    if (fd == -1) return os_failure("cannot create a file beside", path);

    const bool written = write_all(fd, bytes);
    const int write_errno = errno;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        ::unlink(temporary.c_str());
        errno = written ? errno : write_errno;
        return os_failure("cannot write", path);
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        Status failure = os_failure("cannot replace", path);
        ::unlink(temporary.c_str());
        return failure;
    }
    return Status::ok();
}

Status remove_file(const std::string& path) {
    if (::unlink(native_path(path).c_str()) != 0) return os_failure("cannot delete", path);
    return Status::ok();
}

}  // namespace platform
