// The file calls of Windows. Paths go to the ANSI functions of the Win32 API
// (the "A" functions) unchanged: the bytes of the configuration file are
// taken as text in the system's ANSI code page, as a Windows editor writes
// them.

#include "platform/windows_api.h"

#include <array>

#include "platform/ascii.h"
#include "platform/system_files.h"

namespace platform::system {
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

Status failure(const std::string& what, const std::string& path, DWORD code) {
    return Status::fail(what + " " + path + ": " + error_text(code));
}

HANDLE as_handle(Handle handle) { return reinterpret_cast<HANDLE>(handle); }

// True for a name that Windows takes as a device rather than a file: the
// device namespace "\\.\", and the reserved DOS names (CON, NUL, COM1...)
// as the last part of a path, in any folder, with any extension and any
// trailing blanks. Opening a serial port or a console can wait, so such a
// name is refused before it is opened.
bool names_a_device(const std::string& path) {
    if (path.rfind("\\\\.\\", 0) == 0) return true;
    const std::size_t slash = path.find_last_of("\\:");
    std::string base = path.substr(slash == std::string::npos ? 0 : slash + 1);
    base = base.substr(0, base.find('.'));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (char& c : base) c = ascii_upper(c);
    static constexpr std::array<const char*, 6> plain = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* name : plain) {
        if (base == name) return true;
    }
    return base.size() == 4 && (base.rfind("COM", 0) == 0 || base.rfind("LPT", 0) == 0) && base[3] >= '0' &&
           base[3] <= '9';
}

}  // namespace

const char separator = '\\';
const char unlisted_character = '?';

Status current_folder(std::string& folder) {
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) return failure("cannot read", "the working folder", GetLastError());
        if (length < buffer.size()) {  // the folder and its terminating NUL fitted
            buffer.resize(length);
            break;
        }
        buffer.assign(length, '\0');  // `length` is then the room needed, NUL included
    }
    folder = std::move(buffer);
    return Status::ok();
}

int process_id() { return static_cast<int>(GetCurrentProcessId()); }

std::string utf8_of(std::string_view path) {
    if (path.empty()) return {};
    const int size = static_cast<int>(path.size());
    const int wide_size = MultiByteToWideChar(CP_ACP, 0, path.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wide_size), L'\0');
    if (wide_size == 0 || MultiByteToWideChar(CP_ACP, 0, path.data(), size, wide.data(), wide_size) != wide_size)
        return std::string(path);
    const int utf8_size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(utf8_size), '\0');
    if (utf8_size == 0 ||
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_size, utf8.data(), utf8_size, nullptr, nullptr) != utf8_size)
        return std::string(path);
    return utf8;
}

Status open_for_reading(const std::string& path, Handle& file) {
    if (names_a_device(path)) return Status::fail("cannot open " + path + ": not a regular file");
    // Shared fully, so that the sounder can go on writing, renaming or
    // deleting its files while we read them.
    const HANDLE opened = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return failure("cannot open", path, GetLastError());
    file = reinterpret_cast<Handle>(opened);
    return Status::ok();
}

bool is_regular(Handle file) {
    BY_HANDLE_FILE_INFORMATION info{};
    return GetFileType(as_handle(file)) == FILE_TYPE_DISK && GetFileInformationByHandle(as_handle(file), &info) &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::ptrdiff_t read(Handle file, std::uint8_t* into, std::size_t size) {
    DWORD n = 0;
    const DWORD wanted = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    if (!ReadFile(as_handle(file), into, wanted, &n, nullptr)) return -1;
    return n;
}

Status create_new(const std::string& path, const std::string& target, Handle& file, bool& exists) {
    // No hidden attribute: the rename would pass it on to the target.
    const HANDLE created =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD code = GetLastError();
    exists = created == INVALID_HANDLE_VALUE && (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS);
    if (created == INVALID_HANDLE_VALUE) return failure("cannot create a file beside", target, code);
    file = reinterpret_cast<Handle>(created);
    return Status::ok();
}

Status write(Handle file, std::span<const std::uint8_t> bytes, const std::string& path) {
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(as_handle(file), bytes.data(), chunk, &written, nullptr))
            return failure("cannot write", path, GetLastError());
        if (written == 0) return Status::fail("cannot write " + path + ": nothing written");
        bytes = bytes.subspan(written);
    }
    return Status::ok();
}

void start_flush(Handle) {}

Status flush(Handle file, const std::string& path) {
    if (!FlushFileBuffers(as_handle(file))) return failure("cannot flush", path, GetLastError());
    return Status::ok();
}

Status close(Handle file, const std::string& path) {
    if (!CloseHandle(as_handle(file))) return failure("cannot write", path, GetLastError());
    return Status::ok();
}

Status replace(const std::string& from, const std::string& to) {
    // A web server that is sending the old file may hold it open without
    // letting it be replaced; it lets go within moments, so a refused
    // rename is tried again a few times.
    const DWORD attributes = GetFileAttributesA(to.c_str());
    const bool may_wait = attributes == INVALID_FILE_ATTRIBUTES ||
                          (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) == 0;
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return Status::ok();
        const DWORD code = GetLastError();
        const bool busy = code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION;
        if (!may_wait || !busy || attempt == 5) return failure("cannot replace", to, code);
        Sleep(100);
    }
}

// MOVEFILE_WRITE_THROUGH has put the rename on the disk already.
Status flush_folder(const std::string&) { return Status::ok(); }

Status remove(const std::string& path) {
    if (!DeleteFileA(path.c_str())) return failure("cannot delete", path, GetLastError());
    return Status::ok();
}

bool process_running(int id) {
    // A process that has ended but whose handle someone still holds opens
    // too: its exit code tells. Refused for its rights (another user's, a
    // protected one), it is there.
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(id));
    if (process == nullptr) return GetLastError() != ERROR_INVALID_PARAMETER;
    DWORD code = 0;
    const bool running = !GetExitCodeProcess(process, &code) || code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
}

std::optional<std::int64_t> seconds_since_written(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA info{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &info)) return std::nullopt;
    FILETIME now_time{};
    GetSystemTimeAsFileTime(&now_time);
    // Both in units of 100 ns.
    const auto ticks = [](FILETIME t) {
        return static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    };
    return (ticks(now_time) - ticks(info.ftLastWriteTime)) / 10'000'000;
}

Status list_folder(const std::string& folder, const std::function<void(std::span<const FolderEntry>)>& visit) {
    // The standard information brings the short 8.3 name of each entry as
    // well: a file opens under it too.
    WIN32_FIND_DATAA found{};
    const HANDLE entries = FindFirstFileExA((folder + "*").c_str(), FindExInfoStandard, &found,
                                            FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    // No entry at all (the root of an empty drive) is a whole listing.
    if (entries == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND) return Status::ok();
        return failure("cannot read the folder", folder, code);
    }
    do {
        FolderEntry entry;
        entry.name = found.cFileName;
        if (entry.name == "." || entry.name == "..") continue;
        entry.short_name = found.cAlternateFileName;
        entry.hidden = (found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
        entry.type = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FolderEntry::other : FolderEntry::ordinary;
        visit({&entry, 1});  // the next entry is found in the same place
    } while (FindNextFileA(entries, &found));
    const DWORD code = GetLastError();
    FindClose(entries);
    if (code != ERROR_NO_MORE_FILES) return failure("cannot read the folder", folder, code);
    return Status::ok();
}

bool is_regular_file(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool names_nothing(const std::string& path) {
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool is_folder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

Status can_write_in(const std::string& path) {
    // A folder marked read-only, or one on a medium that cannot be
    // written, refuses new files; the attributes tell without writing.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return failure("cannot write to", path, GetLastError());
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return Status::fail("cannot write to " + path + ": not a folder");
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return Status::fail("cannot write to " + path + ": the folder is read-only");
    return Status::ok();
}

}  // namespace platform::system
