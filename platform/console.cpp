#include "platform/console.h"

#ifdef _WIN32

#include "platform/windows_api.h"

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

}  // namespace platform

#else

namespace platform {

void attach_console() {}

}  // namespace platform

#endif
