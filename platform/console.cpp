#include "platform/console.h"

#ifdef _WIN32

#include "platform/windows_api.h"

#include <io.h>

#include <cstdio>

namespace platform {
namespace {

// A standard handle that leads somewhere: a file, a pipe or a console.
bool usable(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

}  // namespace

void attach_console() {
    const bool out = usable(STD_OUTPUT_HANDLE);
    const bool err = usable(STD_ERROR_HANDLE);
    if (out && err) return;
    // ERROR_ACCESS_DENIED: the process has a console already (Wine gives a
    // GUI program its parent's), which serves as well.
    if (!AttachConsole(ATTACH_PARENT_PROCESS) && GetLastError() != ERROR_ACCESS_DENIED) return;
    std::FILE* reopened = nullptr;
    if (!out) freopen_s(&reopened, "CONOUT$", "w", stdout);
    if (!err) freopen_s(&reopened, "CONOUT$", "w", stderr);
}

bool is_terminal(std::FILE* stream) {
    // A console handle answers GetConsoleMode; a file or a pipe does not.
    DWORD mode = 0;
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

}  // namespace platform

#else

#include <unistd.h>

namespace platform {

void attach_console() {}

bool is_terminal(std::FILE* stream) { return ::isatty(::fileno(stream)) == 1; }

}  // namespace platform

#endif
