// A folder listing, the same on every system; the listing itself is the
// system's (system_files.h).

#include "platform/folder_listing.h"

#include <algorithm>

#include "platform/files.h"
#include "platform/system_files.h"

namespace platform {
namespace {

// An ordinary file: no folder, no hidden or system file. Where the listing
// cannot tell (a link, a file system without types), a stat does.
bool ordinary(const std::string& native_folder, const system::FolderEntry& entry) {
    if (entry.hidden || entry.type == system::FolderEntry::other) return false;
    return entry.type == system::FolderEntry::ordinary ||
           system::is_regular_file(native_folder + std::string(entry.name));
}

}  // namespace

const char unlisted_mark = system::unlisted_character;

FolderListing::FolderListing(const std::string& folder, const std::function<void(std::string_view name)>& visit) {
    if (folder.empty() || !is_separator(folder.back())) return;
    const std::string native = native_path(folder);
    listed_ = true;
    status_ = system::list_folder(native, [&](std::span<const system::FolderEntry> entries) {
        // Counted apart from the names: a count kept in the listing would be
        // stored again after each call of `visit`.
        files_ += static_cast<std::size_t>(std::count_if(entries.begin(), entries.end(), [](const system::FolderEntry& e) {
            return !e.hidden && e.type != system::FolderEntry::other;
        }));
        for (const system::FolderEntry& entry : entries) {
            visit(entry.name);
            if (!entry.short_name.empty()) visit(entry.short_name);

            // Names are compared first, and the type of an entry checked
            // only when its name would come first: one pass, and few checks.
            // In byte order, as char_traits<char> compares (unsigned char).
            if (!first_ordinary_.empty() && entry.name >= first_ordinary_) continue;
            if (ordinary(native, entry)) first_ordinary_ = entry.name;
        }
    });
}

Status list_ordinary_files(const std::string& folder, const std::function<void(std::string_view name)>& visit) {
    if (folder.empty() || !is_separator(folder.back())) return Status::fail("cannot read the folder " + folder);
    const std::string native = native_path(folder);
    return system::list_folder(native, [&](std::span<const system::FolderEntry> entries) {
        for (const system::FolderEntry& entry : entries)
            if (ordinary(native, entry)) visit(entry.name);
    });
}

}  // namespace platform
