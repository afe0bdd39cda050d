// Files on Windows. Paths go to the ANSI functions of the Win32 API (the
// "A" functions) unchanged: the bytes of the configuration file are taken as
// text in the system's ANSI code page, as a Windows editor writes them.

#include "platform/windows_api.h"

#include <array>

#include "platform/files.h"

namespace platform {
namespace {

// GetLastError's code as a short text for --verbose.
std::string error_text(DWORD code) {
    char text[256] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                  sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == ' ' ||
                          text[length - 1] == '.'))
        --length;
    if (length == 0) return "error " + std::to_string(code);
    return std::string(text, length);
}

Status os_failure(const std::string& what, const std::string& path, DWORD code) {
    return Status::fail(what + " " + path + ": " + error_text(code));
}

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// True for a name that Windows takes as a device rather than a file: the
// device namespace "\\.\", and the reserved DOS names (CON, NUL, COM1...)
// as the last part of a path, in any folder, with any extension and any
// trailing blanks. Opening a serial port or a console can wait, so such a
// name is refused before it is opened.
bool names_a_device(const std::string& native) {
    if (native.rfind("\\\\.\\", 0) == 0) return true;
    const std::size_t slash = native.find_last_of("\\:");
    std::string base = native.substr(slash == std::string::npos ? 0 : slash + 1);
    base = base.substr(0, base.find('.'));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (char& c : base) c = upper(c);
    static constexpr std::array<const char*, 6> plain = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* name : plain) {
        if (base == name) return true;
    }
    return base.size() == 4 && (base.rfind("COM", 0) == 0 || base.rfind("LPT", 0) == 0) && base[3] >= '0' &&
           base[3] <= '9';
}

// Opens a regular file for reading, sharing it fully so that the sounder
// can go on writing, renaming or deleting its files while we read them.
// Pipes, consoles and other devices are refused by their type.
HANDLE open_regular(const std::string& native, std::string& error) {
    if (names_a_device(native)) {
        error = "not a regular file";
        return INVALID_HANDLE_VALUE;
    }
    const HANDLE file = CreateFileA(native.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = error_text(GetLastError());
        return INVALID_HANDLE_VALUE;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        CloseHandle(file);
        error = "not a regular file";
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

HANDLE as_handle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

bool write_all(HANDLE file, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes = bytes.subspan(written);
    }
    return true;
}

// Renames `temporary` over `target`. A web server that is sending the old
// file may hold it open without letting it be replaced; it lets go within
// moments, so a refused rename is tried again a few times.
bool replace(const std::string& temporary, const std::string& target, DWORD& error) {
    const DWORD attributes = GetFileAttributesA(target.c_str());
    const bool may_wait = attributes == INVALID_FILE_ATTRIBUTES ||
                          (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) == 0;
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExA(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        error = GetLastError();
        const bool busy = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
        if (!may_wait || !busy || attempt == 5) return false;
        Sleep(100);
    }
}

}  // namespace

std::string native_path(std::string_view path) {
    std::string native(path);
    for (char& c : native) {
        if (c == '/') c = '\\';
    }
    return native;
}

Status current_folder(std::string& folder) {
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) return os_failure("cannot read", "the working folder", GetLastError());
        if (length < buffer.size()) {  // the folder and its terminating NUL fitted
            buffer.resize(length);
            break;
        }
        buffer.assign(length, '\0');  // `length` is then the room needed, NUL included
    }
    folder = std::move(buffer);
    return Status::ok();
}

TextInput::~TextInput() { close(); }

// handle_ holds the HANDLE; INVALID_HANDLE_VALUE is -1, the closed state.
Status TextInput::open(const std::string& path) {
    close();
    std::string error;
    const HANDLE file = open_regular(native_path(path), error);
    if (file == INVALID_HANDLE_VALUE) return Status::fail("cannot open " + path + ": " + error);
    handle_ = reinterpret_cast<std::intptr_t>(file);
    start_ = end_ = 0;
    at_end_ = skip_lf_ = false;
    return Status::ok();
}

void TextInput::close() {
    if (handle_ != -1) CloseHandle(as_handle(handle_));
    handle_ = -1;
}

bool TextInput::fill() {
    if (at_end_) return false;
    DWORD n = 0;
    if (!ReadFile(as_handle(handle_), buffer_, sizeof buffer_, &n, nullptr) || n == 0) {
        at_end_ = true;  // end of file, or a read error: nothing more comes
        return false;
    }
    start_ = 0;
    end_ = n;
    return true;
}

Status read_file(const std::string& path, std::vector<std::uint8_t>& bytes, std::size_t max_bytes) {
    std::string error;
    const HANDLE file = open_regular(native_path(path), error);
    if (file == INVALID_HANDLE_VALUE) return Status::fail("cannot open " + path + ": " + error);
    std::vector<std::uint8_t> content;
    std::uint8_t chunk[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(file, chunk, sizeof chunk, &n, nullptr)) {
            Status failure = os_failure("cannot read", path, GetLastError());
            CloseHandle(file);
            return failure;
        }
        if (n == 0) break;
        if (content.size() + n > max_bytes) {
            CloseHandle(file);
            return Status::fail("file too large: " + path);
        }
        content.insert(content.end(), chunk, chunk + n);
    }
    CloseHandle(file);
    bytes = std::move(content);
    return Status::ok();
}

Status write_file_atomic(const std::string& path, std::span<const std::uint8_t> bytes) {
    const std::string target = native_path(path);
    // The folder part keeps a drive-relative "C:name" on its own drive.
    const std::size_t slash = target.find_last_of("\\:");
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);

    // A temporary name in the target's own folder, unique to this process;
    // CREATE_NEW never takes over a file that is already there. It gets no
    // hidden attribute: the rename would pass that on to the target.
    std::string temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    DWORD error = 0;
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = folder + "." + name + "." + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt) +
                    ".tmp";
        file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        error = GetLastError();
        if (file == INVALID_HANDLE_VALUE && error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
    }
    if (file == INVALID_HANDLE_VALUE) return os_failure("cannot create a file beside", path, error);

    const bool written = write_all(file, bytes);
    error = GetLastError();
    const bool closed = CloseHandle(file) != 0;
    if (!written || !closed) {
        if (written) error = GetLastError();
        DeleteFileA(temporary.c_str());
        return os_failure("cannot write", path, error);
    }
    if (!replace(temporary, target, error)) {
        DeleteFileA(temporary.c_str());
        return os_failure("cannot replace", path, error);
    }
    return Status::ok();
}

Status remove_file(const std::string& path) {
    if (!DeleteFileA(native_path(path).c_str())) return os_failure("cannot delete", path, GetLastError());
    return Status::ok();
}

}  // namespace platform
