#pragma once
// Test support (POSIX only, header only, needs root): a small file system
// of the test's own mounted over a folder, to make it read-only or full.

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

// A tmpfs of its own over a folder, for as long as the object lives.
class Tmpfs {
public:
    Tmpfs(const std::filesystem::path& folder, const std::string& size) : folder_(folder) {
        const std::string options = "size=" + size + ",mode=0755";
        if (::mount("plotmuf-test", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0)
            mounted_ = true;
        else
            error_ = std::strerror(errno);
    }
    ~Tmpfs() {
        if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
    }
    Tmpfs(const Tmpfs&) = delete;
    Tmpfs& operator=(const Tmpfs&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& error() const { return error_; }

    bool read_only(bool on) const {
        return ::mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT | MS_NOSUID | MS_NODEV | (on ? MS_RDONLY : 0),
                       nullptr) == 0;
    }

    // Fills the file system to its last byte with the file "filler.txt".
    bool fill() const {
        const int fd = ::open((folder_ / "filler.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd == -1) return false;
        const std::vector<char> block(4096, 'f');
        while (::write(fd, block.data(), block.size()) > 0) {
        }
        const bool full = errno == ENOSPC;
        for (char byte = 'f'; ::write(fd, &byte, 1) == 1;) {
        }
        ::close(fd);
        return full;
    }
    void empty() const { std::filesystem::remove(folder_ / "filler.txt"); }

private:
    std::filesystem::path folder_;
    bool mounted_ = false;
    std::string error_;
};

