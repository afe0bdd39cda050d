// A folder listing, the same on every system; the listing itself is the
// system's (system_files.h).

#include "platform/folder_listing.h"

#include <algorithm>

#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/system_files.h"

namespace platform {
namespace {

// Outside ASCII, and at the listing's mark for a character it could not
// give, a name cannot be compared here.
bool comparable(char c) {
    return c != 0 && static_cast<unsigned char>(c) < 0x80 && c != system::unlisted_character;
}

// FNV-1a, 64 bits: two kept names that differ share a hash so rarely that
// the cost, a name opened for nothing, does not count.
std::uint64_t hash_step(std::uint64_t hash, char c) {
    return (hash ^ static_cast<unsigned char>(c)) * 1099511628211u;
}
constexpr std::uint64_t hash_start = 14695981039346656037u;

// An ordinary file: no folder, no hidden or system file. Where the listing
// cannot tell (a link, a file system without types), a stat does.
bool ordinary(const std::string& native_folder, const system::FolderEntry& entry) {
    if (entry.hidden || entry.type == system::FolderEntry::other) return false;
    return entry.type == system::FolderEntry::ordinary ||
           system::is_regular_file(native_folder + std::string(entry.name));
}

}  // namespace

FolderListing::FolderListing(const std::string& folder, std::vector<std::string> prefixes) {
    for (std::string& text : prefixes) {
        // A prefix that cannot be compared is left out: the names that begin
        // with it stay possible.
        if (text.empty() || !std::all_of(text.begin(), text.end(), comparable)) continue;
        Prefix prefix{hash_start, std::move(text)};
        for (char& c : prefix.text) {
            c = ascii_upper(c);
            prefix.hash = hash_step(prefix.hash, c);
        }
        prefix_sizes_.push_back(prefix.text.size());
        prefixes_.push_back(std::move(prefix));
    }
    std::sort(prefixes_.begin(), prefixes_.end(), [](const Prefix& a, const Prefix& b) { return a.hash < b.hash; });
    std::sort(prefix_sizes_.begin(), prefix_sizes_.end());
    prefix_sizes_.erase(std::unique(prefix_sizes_.begin(), prefix_sizes_.end()), prefix_sizes_.end());

    if (folder.empty() || !is_separator(folder.back())) return;
    const std::string native = native_path(folder);
    status_ = system::list_folder(native, [&](const system::FolderEntry& entry) {
        // Every entry counts for the names, whatever its type: opening a
        // folder, a hidden file or a dangling link is the open's business.
        note(entry.name);
        if (!entry.short_name.empty()) note(entry.short_name);

        // Names are compared first, and the type of an entry checked only
        // when its name would come first: one pass, and few checks.
        if (!first_ordinary_.empty() && entry.name >= first_ordinary_) return;
        if (ordinary(native, entry)) first_ordinary_ = entry.name;
    });
    complete_ = status_ && keeping_;
    if (complete_) {
        std::sort(kept_.begin(), kept_.end());
    } else {
        std::vector<std::uint64_t>().swap(kept_);
    }
}

namespace {

// `name` is `folded` but for the case of its ASCII letters.
bool same_folded(std::string_view name, std::string_view folded) {
    return name.size() == folded.size() &&
           std::equal(name.begin(), name.end(), folded.begin(), [](char a, char b) { return ascii_upper(a) == b; });
}

}  // namespace

bool FolderListing::is_prefix(std::uint64_t hash, std::string_view start) const {
    const auto [first, last] = std::equal_range(prefixes_.begin(), prefixes_.end(), Prefix{hash, {}},
                                                [](const Prefix& a, const Prefix& b) { return a.hash < b.hash; });
    return std::any_of(first, last, [&](const Prefix& p) { return same_folded(start, p.text); });
}

FolderListing::Match FolderListing::match(std::string_view name, std::uint64_t& hash) const {
    // One pass over the name, folding and hashing it: at each size that
    // prefixes have, the hash so far finds the prefixes the name may begin
    // with. A character that cannot be compared ends the pass.
    auto cut_at = [&](std::size_t i) {
        const std::string_view start = name.substr(0, i);
        const bool possible = std::any_of(prefixes_.begin(), prefixes_.end(), [&](const Prefix& p) {
            return same_folded(start, std::string_view(p.text).substr(0, start.size()));
        });
        return possible ? Match::uncertain : Match::none;
    };
    hash = hash_start;
    std::size_t i = 0;
    for (const std::size_t size : prefix_sizes_) {
        for (; i < size; ++i) {
            if (i == name.size()) return Match::none;
            if (!comparable(name[i])) return cut_at(i);
            hash = hash_step(hash, ascii_upper(name[i]));
        }
        if (!is_prefix(hash, name.substr(0, size))) continue;
        // The rest of a name that begins with a prefix.
        for (; i < name.size(); ++i) {
            if (!comparable(name[i])) return Match::uncertain;
            hash = hash_step(hash, ascii_upper(name[i]));
        }
        return Match::prefixed;
    }
    return Match::none;
}

void FolderListing::note(std::string_view name) {
    if (!keeping_ || prefixes_.empty()) return;
    std::uint64_t hash = 0;
    switch (match(name, hash)) {
    case Match::none:
        return;
    case Match::prefixed:
        if (kept_.size() < max_kept) {
            kept_.push_back(hash);
            return;
        }
        [[fallthrough]];
    case Match::uncertain:
        keeping_ = false;
        std::vector<std::uint64_t>().swap(kept_);
        return;
    }
}

bool FolderListing::may_exist(std::string_view name) const {
    if (!complete_) return true;
    std::uint64_t hash = 0;
    if (match(name, hash) != Match::prefixed) return true;  // such names were not kept
    return std::binary_search(kept_.begin(), kept_.end(), hash);
}

Status list_ordinary_files(const std::string& folder, const std::function<void(std::string_view name)>& visit) {
    if (folder.empty() || !is_separator(folder.back())) return Status::fail("cannot read the folder " + folder);
    const std::string native = native_path(folder);
    return system::list_folder(native, [&](const system::FolderEntry& entry) {
        if (ordinary(native, entry)) visit(entry.name);
    });
}

}  // namespace platform
