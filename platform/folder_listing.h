#pragma once
// One pass over the entries of a folder, for a run that would otherwise list
// it again and again, or try to open thousands of names it does not hold:
// every name the folder holds, handed to a visitor that keeps what it needs,
// and the folder's first ordinary file.
//
// The listing is a snapshot. A name listed that has since vanished fails
// its open like any missing file; a file that appears after the listing is
// seen by the next listing, not by this one.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace platform {

// Whether a character of a listed name is itself, to be compared as ASCII:
// not beyond ASCII, and not the listing's mark for a character that it could
// not give (Windows lists a character its code page lacks as "?").
//
// Names are the same to the system when they differ only in the case of
// ASCII letters: Windows resolves names so, and so does Linux on a FAT or
// exFAT volume, on an SMB share or with ext4 case folding. Beyond ASCII each
// file system has rules of its own (some take "ſ" for "S"), so a name that
// holds such a character may be any name that fits it.
// What a listing shows for a character that it could not give; 0 for none.
extern const char unlisted_mark;
inline bool listed_as_ascii(char c) {
    return c != 0 && static_cast<unsigned char>(c) < 0x80 && c != unlisted_mark;
}

class FolderListing {
public:
    // Lists `folder`, which must end with a separator (otherwise nothing is
    // listed, as a search pattern without one matches no file). Every entry's
    // name goes to `visit`, whatever its type (opening a folder, a hidden
    // file or a dangling link is the open's business), and so does the short
    // 8.3 name under which Windows opens the file too.
    FolderListing(const std::string& folder, const std::function<void(std::string_view name)>& visit);

    // Whether the folder could be read whole; the system's reason when it
    // could not (missing, no folder, not readable, a read error part way).
    // A folder that is not listed at all (an empty name, or one without its
    // final separator) is no failure: it simply shows no file.
    const Status& status() const { return status_; }
    // Whether every name of the folder was handed to the visitor: the folder
    // was listed, and read whole.
    bool whole() const { return listed_ && status_; }

    // The name, without folder, of the first ordinary file (no folders, no
    // hidden or system files) in byte order of the names; empty when there
    // is none.
    const std::string& first_ordinary_file() const { return first_ordinary_; }
    // The entries listed that may be files: neither hidden nor of a type
    // that the listing tells is no file.
    std::size_t files() const { return files_; }

private:
    std::string first_ordinary_;
    std::size_t files_ = 0;
    Status status_ = Status::ok();
    bool listed_ = false;
};

// Calls `visit` with the name of each ordinary file of `folder` (no folders,
// no hidden or system files; `folder` ends with a separator). Fails when the
// folder could not be read whole.
Status list_ordinary_files(const std::string& folder, const std::function<void(std::string_view name)>& visit);

}  // namespace platform
