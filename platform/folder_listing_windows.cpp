// A folder listing on Windows, through the ANSI ("A") functions as every
// other path of the program.

#include "platform/windows_api.h"

#include <string_view>

#include "platform/files.h"
#include "platform/folder_listing.h"

namespace platform {

FolderListing FolderListing::take(const std::string& folder, std::span<const std::string> prefixes,
                                  std::size_t max_kept_bytes) {
    // A "?" in a name listed stands for a character the code page lacks.
    FolderListing listing(folder, prefixes, max_kept_bytes, '?');
    if (folder.empty() || !is_separator(folder.back())) {
        listing.finish(false);
        return listing;
    }
    // The standard information brings the short 8.3 name of each entry as
    // well: a file opens under it too.
    WIN32_FIND_DATAA entry{};
    const HANDLE entries = FindFirstFileExA((native_path(folder) + "*").c_str(), FindExInfoStandard, &entry,
                                            FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (entries == INVALID_HANDLE_VALUE) {
        // No entry at all (the root of an empty drive) is a whole listing.
        listing.finish(GetLastError() == ERROR_FILE_NOT_FOUND);
        return listing;
    }

    // The first ordinary file is chosen as first_ordinary_file chooses it:
    // the smallest name in byte order, whatever order the file system lists
    // them in (NTFS: ignoring case).
    constexpr DWORD not_ordinary = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    std::string& first = listing.first_ordinary_;
    do {
        const std::string_view name(entry.cFileName);
        if (name == "." || name == "..") continue;
        // Every other entry counts for the names, whatever its attributes:
        // hidden and system files open by name like any other.
        listing.note(name);
        const std::string_view short_name(entry.cAlternateFileName);
        if (!short_name.empty()) listing.note(short_name);

        if ((entry.dwFileAttributes & not_ordinary) != 0) continue;
        if (first.empty() || name < first) first = name;
    } while (FindNextFileA(entries, &entry));
    listing.finish(GetLastError() == ERROR_NO_MORE_FILES);
    FindClose(entries);
    return listing;
}

}  // namespace platform
