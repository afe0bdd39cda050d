#pragma once

#include <cstdio>

namespace platform {

// Makes standard output and standard error reach the console plotmuf was
// started from. On Windows plotmuf is a GUI program, so that a scheduled run
// or a double click opens no console window; such a program has no console
// of its own. Handles the parent already gave it (output redirected to a
// file or a pipe) are kept; otherwise the parent's console, if there is one,
// is attached. Without a console nothing is shown, as before. Does nothing on
// other systems. Call it first thing in main.
void attach_console();

// True when `stream` (stdout or stderr) leads to a terminal or a console
// window that a person reads, rather than to a file, a pipe or nothing.
bool is_terminal(std::FILE* stream);

}  // namespace platform
