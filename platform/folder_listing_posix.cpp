// A folder listing on POSIX systems.

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/files.h"
#include "platform/folder_listing.h"

namespace platform {

FolderListing FolderListing::take(const std::string& folder, std::span<const std::string> prefixes,
                                  std::size_t max_kept_bytes) {
    FolderListing listing(folder, prefixes, max_kept_bytes, 0);
    if (folder.empty() || !is_separator(folder.back())) {
        listing.finish(false);
        return listing;
    }
    const std::string native = native_path(folder);
    std::unique_ptr<DIR, int (*)(DIR*)> entries(::opendir(native.c_str()), ::closedir);
    if (!entries) {
        listing.finish(false);
        return listing;
    }

    // The first ordinary file is chosen as first_ordinary_file chooses it:
    // names compared first, and the file type checked only for a name that
    // would come first, so a large folder costs one pass and few stats.
    std::string& first = listing.first_ordinary_;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(entries.get());
        if (entry == nullptr) {
            listing.finish(errno == 0);  // the end of the folder, or a read error
            return listing;
        }
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
        // Every other entry counts for the names, whatever its type: opening
        // a folder, a hidden file or a dangling link is the open's business.
        listing.note(name);

        if (name[0] == '.') continue;  // hidden
        if (!first.empty() && std::strcmp(name, first.c_str()) >= 0) continue;
        bool regular = false;
#ifdef _DIRENT_HAVE_D_TYPE
        if (entry->d_type == DT_REG) regular = true;
        else if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK) continue;
#endif
        if (!regular) {
            struct stat info {};
            regular = ::fstatat(::dirfd(entries.get()), name, &info, 0) == 0 && S_ISREG(info.st_mode);
        }
        if (regular) first = name;
    }
}

}  // namespace platform
