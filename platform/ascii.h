#pragma once
// ASCII letters folded to upper case, and nothing else: names that differ
// only so are the same name to Windows, and to Linux on FAT, exFAT or SMB.

namespace platform {

inline char ascii_upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace platform
