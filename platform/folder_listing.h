#pragma once
// One pass over the entries of a folder, for a run that would otherwise list
// it again and again, or try to open thousands of names it does not hold:
// the folder's first ordinary file, and which of the names that begin with
// given prefixes the folder holds.
//
// The listing is a snapshot. A name listed that has since vanished fails
// its open like any missing file; a file that appears after the listing is
// seen by the next listing, not by this one.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace platform {

class FolderListing {
public:
    // Lists `folder`, which must end with a separator (otherwise nothing is
    // listed, as a search pattern without one matches no file). Of its
    // names, those that begin with one of `prefixes` are kept, compared as
    // may_exist compares them, up to `max_kept` of them: memory stays small
    // whatever the folder holds.
    FolderListing(const std::string& folder, std::vector<std::string> prefixes);
    static constexpr std::size_t max_kept = std::size_t{1} << 17;  // a year of soundings every 5 minutes

    // Whether the folder could be read whole; the system's reason when it
    // could not (missing, no folder, not readable, a read error part way).
    // A folder that is not listed at all (an empty name, or one without its
    // final separator) is no failure: it simply shows no file.
    const Status& status() const { return status_; }

    // The name, without folder, of the first ordinary file (no folders, no
    // hidden or system files) in byte order of the names; empty when there
    // is none.
    const std::string& first_ordinary_file() const { return first_ordinary_; }

    // False when the listing shows that the folder holds no entry `name`
    // (a name without folder), so that opening it could only fail: the name
    // begins with one of the prefixes, the whole folder was read and kept,
    // and no name listed is the same as the system resolves names. True
    // otherwise: then only opening the file tells.
    //
    // Names are the same when they differ only in the case of ASCII letters:
    // Windows resolves names so, and so does Linux on a FAT or exFAT volume,
    // on an SMB share or with ext4 case folding; where case counts, such a
    // name is opened for nothing and its open fails. Beyond ASCII each file
    // system has rules of its own (some take "ſ" for "S"), so a name listed
    // that holds a character beyond ASCII, and could still begin with a
    // prefix, makes every name possible.
    bool may_exist(std::string_view name) const;

private:
    enum class Match { none, prefixed, uncertain };
    // How `name` begins; `hash` is that of the whole name folded when it
    // begins with a prefix.
    Match match(std::string_view name, std::uint64_t& hash) const;
    // Some prefix is `start`, whose folded characters hash to `hash`.
    bool is_prefix(std::uint64_t hash, std::string_view start) const;
    void note(std::string_view name);

    struct Prefix {
        std::uint64_t hash;  // of the text
        std::string text;    // folded
    };
    std::vector<Prefix> prefixes_;             // sorted by hash
    std::vector<std::size_t> prefix_sizes_;    // each size once, the shortest first
    std::vector<std::uint64_t> kept_;          // a hash of each folded name kept, sorted
    std::string first_ordinary_;
    Status status_ = Status::ok();
    bool keeping_ = true;    // no name that may begin with a prefix has been left out
    bool complete_ = false;  // the whole folder was read and every such name kept
};

// Calls `visit` with the name of each ordinary file of `folder` (no folders,
// no hidden or system files; `folder` ends with a separator). Fails when the
// folder could not be read whole.
Status list_ordinary_files(const std::string& folder, const std::function<void(std::string_view name)>& visit);

}  // namespace platform
