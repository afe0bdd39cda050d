// The parts of a folder listing that are the same on every system: which
// names are kept, and how a name is looked up.

#include "platform/folder_listing.h"

#include <algorithm>

#include "platform/files.h"

namespace platform {

std::string first_ordinary_file(const std::string& folder) {
    return FolderListing::take(folder, {}).first_ordinary_file();
}

namespace {

char folded(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// FNV-1a, a byte at a time, so that one pass over a name gives the hash of
// each of its starts.
constexpr std::uint32_t hash_start = 2166136261u;
std::uint32_t hash_step(std::uint32_t hash, char c) { return (hash ^ static_cast<unsigned char>(c)) * 16777619u; }

}  // namespace

void FolderListing::Names::add(std::string_view folded_name, std::uint32_t hash) {
    keys_.push_back(
        Key{static_cast<std::uint32_t>(text_.size()), static_cast<std::uint32_t>(folded_name.size()), hash});
    text_ += folded_name;
}

void FolderListing::Names::index() {
    // Open addressing, at most half full.
    std::size_t size = 16;
    while (size < 2 * keys_.size()) size *= 2;
    slots_.assign(size, 0);
    for (std::size_t i = 0; i < keys_.size(); ++i) {
        std::size_t slot = (keys_[i].hash ^ (keys_[i].hash >> 16)) & (size - 1);
        while (slots_[slot] != 0) slot = (slot + 1) & (size - 1);
        slots_[slot] = static_cast<std::uint32_t>(i + 1);
    }
}

bool FolderListing::Names::contains(std::string_view folded_name, std::uint32_t hash) const {
    if (slots_.empty()) return false;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = (hash ^ (hash >> 16)) & mask; slots_[slot] != 0; slot = (slot + 1) & mask) {
        const Key& key = keys_[slots_[slot] - 1];
        if (key.hash == hash && at(slots_[slot] - 1) == folded_name) return true;
    }
    return false;
}

void FolderListing::Names::clear() {
    std::string().swap(text_);
    std::vector<Key>().swap(keys_);
    std::vector<std::uint32_t>().swap(slots_);
}

FolderListing::FolderListing(const std::string& folder, std::span<const std::string> prefixes,
                             std::size_t max_kept_bytes, char unknown)
    : folder_(folder), budget_(max_kept_bytes) {
    for (int c = 1; c < 0x80; ++c) fold_[c] = folded(static_cast<char>(c));
    if (unknown != 0) fold_[static_cast<unsigned char>(unknown)] = 0;

    for (const std::string& prefix : prefixes) {
        // A prefix that cannot be compared, or too long to be looked at, is
        // left out: the names that begin with it stay possible.
        std::string folded_prefix;
        std::uint32_t hash = hash_start;
        for (const char c : prefix) {
            folded_prefix += fold_[static_cast<unsigned char>(c)];
            hash = hash_step(hash, folded_prefix.back());
        }
        if (prefix.size() >= longest_name || folded_prefix.find('\0') != std::string::npos) continue;
        if (allowed_.size() < folded_prefix.size()) allowed_.resize(folded_prefix.size());
        for (std::size_t i = 0; i < folded_prefix.size(); ++i) {
            const auto c = static_cast<unsigned char>(folded_prefix[i]);
            allowed_[i][c >> 6] |= std::uint64_t{1} << (c & 63);
        }
        prefixes_.add(folded_prefix, hash);
        prefix_hashes_[hash >> 30] |= std::uint64_t{1} << (hash >> 24 & 63);
        prefix_sizes_.push_back(prefix.size());
    }
    prefixes_.index();
    std::sort(prefix_sizes_.begin(), prefix_sizes_.end());
    prefix_sizes_.erase(std::unique(prefix_sizes_.begin(), prefix_sizes_.end()), prefix_sizes_.end());
}

bool FolderListing::scan(std::string_view name, char (&folded_name)[longest_name], Scan& result) const {
    std::uint32_t hash = hash_start;
    std::size_t i = 0;
    bool whole = true;
    result = Scan{};

    // The start of the name, as far as each prefix in turn: in a large
    // folder most names go no further than the longest.
    for (const std::size_t size : prefix_sizes_) {
        if (size > name.size()) break;
        for (; i < size; ++i) {
            const char c = fold_[static_cast<unsigned char>(name[i])];
            if (c == 0) break;
            const auto byte = static_cast<unsigned char>(c);
            if ((allowed_[i][byte >> 6] >> (byte & 63) & 1) == 0) {
                // No prefix longer than i goes on with this character, and
                // the shorter ones have been tried: in a large folder most
                // names end here, a few characters in.
                result.size = i;
                return true;
            }
            folded_name[i] = c;
            hash = hash_step(hash, c);
        }
        if (i < size) {
            whole = false;
            break;
        }
        const bool may_be_prefix = (prefix_hashes_[hash >> 30] >> (hash >> 24 & 63) & 1) != 0;
        if (may_be_prefix && prefixes_.contains(std::string_view(folded_name, size), hash)) {
            result.prefixed = true;
            break;
        }
    }
    // The rest of a name that begins with a prefix.
    if (whole && result.prefixed) {
        for (; i < name.size() && i + 1 < longest_name; ++i) {
            const char c = fold_[static_cast<unsigned char>(name[i])];
            if (c == 0) break;
            folded_name[i] = c;
            hash = hash_step(hash, c);
        }
        whole = i == name.size();
    }
    result.size = i;
    result.hash = hash;
    return whole;
}

bool FolderListing::could_begin_with_prefix(std::string_view folded_start) const {
    for (std::size_t i = 0; i < prefixes_.size(); ++i) {
        const std::string_view prefix = prefixes_.at(i);
        const std::size_t n = std::min(prefix.size(), folded_start.size());
        if (prefix.substr(0, n) == folded_start.substr(0, n)) return true;
    }
    return false;
}

void FolderListing::note(std::string_view name) {
    if (!keeping_ || prefixes_.size() == 0) return;
    char folded_name[longest_name];
    Scan start;
    if (!scan(name, folded_name, start)) {
        // A character that cannot be compared here. What comes before it
        // tells whether the name could still be one of those kept.
        if (could_begin_with_prefix(std::string_view(folded_name, start.size))) stop_keeping();
        return;
    }
    if (!start.prefixed) return;
    const std::size_t cost = name.size() + 20;
    if (cost > budget_) return stop_keeping();
    budget_ -= cost;
    names_.add(std::string_view(folded_name, start.size), start.hash);
}

void FolderListing::stop_keeping() {
    keeping_ = false;
    names_.clear();
}

void FolderListing::finish(bool whole) {
    complete_ = keeping_ && whole;
    if (complete_) {
        names_.index();
    } else {
        stop_keeping();
    }
}

bool FolderListing::may_exist(std::string_view name) const {
    if (!complete_) return true;
    char folded_name[longest_name];
    Scan start;
    if (!scan(name, folded_name, start) || !start.prefixed) return true;  // such names were not kept
    return names_.contains(std::string_view(folded_name, start.size), start.hash);
}

}  // namespace platform
