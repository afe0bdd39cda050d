// A folder listing, the same on every system; the listing itself is the
// system's (system_files.h).

#include "platform/folder_listing.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

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

// Whether `a` comes before `b` in byte order. The names of a folder of
// soundings share their first bytes: they are compared eight at a time,
// as the numbers those bytes write most significant first.
bool comes_before(std::string_view a, std::string_view b) {
    const auto big_end_first = [](const char* at) {
        std::uint64_t word;
        std::memcpy(&word, at, 8);
        if constexpr (std::endian::native == std::endian::little) {
            // The bytes turned about, which compilers make one instruction.
            word = (word >> 56) | ((word >> 40) & 0xFF00u) | ((word >> 24) & 0xFF0000u) | ((word >> 8) & 0xFF000000u) |
                   ((word << 8) & 0xFF00000000u) | ((word << 24) & 0xFF0000000000u) |
                   ((word << 40) & 0xFF000000000000u) | (word << 56);
        }
        return word;
    };
    std::size_t i = 0;
    for (const std::size_t common = std::min(a.size(), b.size()); i + 8 <= common; i += 8) {
        const std::uint64_t x = big_end_first(a.data() + i), y = big_end_first(b.data() + i);
        if (x != y) return x < y;
    }
    return a.substr(i) < b.substr(i);
}

}  // namespace

const char unlisted_mark = system::unlisted_character;

FolderListing::FolderListing(const std::string& folder, const std::function<void(std::string_view name)>& visit) {
    if (folder.empty() || !is_separator(folder.back())) return;
    const std::string native = native_path(folder);
    listed_ = true;
    status_ = system::list_folder(native, [&](std::span<const system::FolderEntry> entries) {
        for (const system::FolderEntry& entry : entries) {
            visit(entry.name);
            if (!entry.short_name.empty()) visit(entry.short_name);

            // Names are compared first, and the type of an entry checked
            // only when its name would come first: one pass, and few checks.
            if (!first_ordinary_.empty() && !comes_before(entry.name, first_ordinary_)) continue;
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
