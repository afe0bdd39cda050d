#pragma once
// One pass over the entries of a folder, for a run that would otherwise list
// it again and again, or try to open thousands of names it does not hold:
// the folder's first ordinary file, as first_ordinary_file finds it, and
// which of the names that begin with given prefixes the folder holds.
//
// The listing is a snapshot. A name listed that has since vanished fails its
// open like any missing file; a file that appears after the listing is seen
// by the next listing, not by this one.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class FolderListing {
public:
    // A listing of nothing: every name may exist.
    FolderListing() = default;

    // Lists `folder`, which must end with a separator as for
    // first_ordinary_file (otherwise nothing is listed). Of the names, only
    // those that begin with one of `prefixes` are kept, compared as
    // may_exist compares names. Should they take more than `max_kept_bytes`
    // (each name its length and 20 bytes), none is kept and every name may
    // exist: memory stays small whatever the folder holds.
    static FolderListing take(const std::string& folder, std::span<const std::string> prefixes,
                              std::size_t max_kept_bytes = default_max_kept_bytes);
    static constexpr std::size_t default_max_kept_bytes = std::size_t{1} << 20;

    // The folder listed, as given to take().
    const std::string& folder() const { return folder_; }

    // What first_ordinary_file(folder()) gave at the time of the listing.
    const std::string& first_ordinary_file() const { return first_ordinary_; }

    // False when the listing shows that the folder holds no entry `name`
    // (a name without folder), so that opening it could only fail: the name
    // begins with one of the prefixes, the whole folder was read, and no
    // name listed is the same as the system resolves names. True otherwise:
    // then only opening the file tells.
    //
    // Names are the same when they differ only in the case of ASCII letters.
    // Windows resolves names so, and so does Linux in a folder on a FAT or
    // exFAT volume, on an SMB share or with ext4 case folding; where case
    // counts, such a name is opened for nothing and its open fails. Beyond
    // ASCII each file system has rules of its own (some take "ſ" for "S"),
    // so a name listed that holds a character beyond ASCII, and could still
    // begin with a prefix, makes every name possible.
    bool may_exist(std::string_view name) const;

    // How many names were kept: for tests.
    std::size_t kept() const { return names_.size(); }

private:
    // `unknown`, when not 0 (no name holds a 0), is the character the
    // system's listing puts for one it could not give (Windows: "?" for a
    // character its code page lacks).
    FolderListing(const std::string& folder, std::span<const std::string> prefixes, std::size_t max_kept_bytes,
                  char unknown);

    // Called by the system's listing for every entry but "." and "..".
    void note(std::string_view name);
    // Called once the listing is over; `whole` when it read every entry.
    void finish(bool whole);
    void stop_keeping();

    // Folded names, found again by their bytes and a hash of them.
    class Names {
    public:
        void add(std::string_view folded, std::uint32_t hash);
        void index();  // after the last add, before the first contains
        bool contains(std::string_view folded, std::uint32_t hash) const;
        std::size_t size() const { return keys_.size(); }
        std::string_view at(std::size_t i) const {
            return std::string_view(text_).substr(keys_[i].start, keys_[i].size);
        }
        void clear();

    private:
        struct Key {
            std::uint32_t start, size, hash;
        };
        std::string text_;                  // the names, one after the other
        std::vector<Key> keys_;             // in the order added
        std::vector<std::uint32_t> slots_;  // 1 + an index into keys_; 0 for none
    };

    // How the start of a name compares with the prefixes. The name is
    // folded into `folded` and hashed up to its end, or up to the longest
    // prefix when it begins with none. False at a character that cannot be
    // compared (or at the `longest_name`th): `folded` then holds the name
    // up to it.
    static constexpr std::size_t longest_name = 512;
    struct Scan {
        std::size_t size = 0;  // of the name folded
        std::uint32_t hash = 0;
        bool prefixed = false;
    };
    bool scan(std::string_view name, char (&folded)[longest_name], Scan& result) const;
    bool could_begin_with_prefix(std::string_view folded_start) const;

    std::string folder_;
    std::string first_ordinary_;
    std::array<char, 256> fold_{};  // each byte folded; 0 for one that cannot be compared
    Names prefixes_;
    std::array<std::uint64_t, 4> prefix_hashes_{};  // bit (hash >> 24) of each prefix: a quick first test
    std::vector<std::size_t> prefix_sizes_;  // each size once, the shortest first
    // Bit c of entry i: some prefix has folded character c at position i.
    std::vector<std::array<std::uint64_t, 4>> allowed_;
    Names names_;
    std::size_t budget_ = 0;  // bytes that kept names may still take
    bool keeping_ = true;     // no name has been left out yet
    bool complete_ = false;   // every name listed with a prefix is in names_
};

}  // namespace platform
