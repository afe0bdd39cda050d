// The folder listing on real folders, on every system it is built for.

#include "platform/folder_listing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "support/temp_folder.h"

#ifdef _WIN32
#include "platform/windows_api.h"
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using platform::FolderListing;

namespace {

// Hidden as each system hides a file: a name that begins with "." on POSIX,
// the attribute on Windows. Returns the name written.
std::string write_hidden(const TempFolder& folder, const std::string& name) {
#ifdef _WIN32
    EXPECT_TRUE(SetFileAttributesA(folder.write(name, "Mosc\n").string().c_str(), FILE_ATTRIBUTE_HIDDEN));
    return name;
#else
    folder.write("." + name, "Mosc\n");
    return "." + name;
#endif
}

// The names a listing hands to its visitor, sorted.
std::vector<std::string> names_listed(const std::string& folder, std::string* first = nullptr) {
    std::vector<std::string> names;
    const FolderListing listing(folder, [&names](std::string_view name) { names.emplace_back(name); });
    if (first) *first = listing.first_ordinary_file();
    std::sort(names.begin(), names.end());
    return names;
}

void ignore(std::string_view) {}

TEST(FolderListing, GivesTheFirstOrdinaryFileInByteOrderOfTheNames) {
    TempFolder folder;
    const std::string listed = TempFolder::folder_of(folder.path());
    const auto step = [&](const std::string& first) {
        SCOPED_TRACE("first " + first);
        EXPECT_EQ(FolderListing(listed, ignore).first_ordinary_file(), first);
    };
    step("");  // an empty folder
    folder.write("alpha.TXT", "Gibi\n");
    step("alpha.TXT");
    folder.write("Zeta.TXT", "Rome\n");  // "Z" (0x5A) comes before "a" (0x61)
    step("Zeta.TXT");
    // Folders, hidden and system files are not ordinary files, whatever
    // their names.
    folder.make_folder("A folder");
    write_hidden(folder, "A hidden");
#ifdef _WIN32
    ASSERT_TRUE(SetFileAttributesA(folder.write("A system", "Mosc").string().c_str(), FILE_ATTRIBUTE_SYSTEM));
#else
    // Nor are a pipe, a dangling link and a link to a folder; a link to a
    // file is the file.
    ASSERT_EQ(::mkfifo((folder.path() / "B pipe").c_str(), 0600), 0);
    fs::create_symlink(folder.path() / "missing", folder.path() / "C dangling");
    fs::create_directory_symlink(folder.path() / "A folder", folder.path() / "D to a folder");
    step("Zeta.TXT");
    fs::create_symlink(folder.path() / "alpha.TXT", folder.path() / "E to a file");
    step("E to a file");
    fs::remove(folder.path() / "E to a file");
#endif
    step("Zeta.TXT");

    // Either separator ends the folder; without one nothing is listed.
    EXPECT_EQ(FolderListing(folder.path().string() + "/", ignore).first_ordinary_file(), "Zeta.TXT");
    for (const std::string& unlisted :
         {folder.path().string(), TempFolder::folder_of(folder.path() / "missing"), std::string()}) {
        EXPECT_EQ(FolderListing(unlisted, ignore).first_ordinary_file(), "") << unlisted;
    }
}

// Every entry's name reaches the visitor once, whatever the entry is: only
// opening it tells whether it is a file to read.
TEST(FolderListing, HandsEveryNameToTheVisitorOnce) {
    TempFolder folder;
    folder.write("RM041_2024063120000.TXT", "Rome\n");
    folder.write("rm041_2024063121500.txt", "Rome\n");
    folder.make_folder("RM041_2024063123000.TXT");
    const std::string hidden = write_hidden(folder, "RM041_2024063124500.TXT");
    std::vector<std::string> expected = {"RM041_2024063120000.TXT", "rm041_2024063121500.txt", "RM041_2024063123000.TXT",
                                         hidden};
#ifndef _WIN32
    ASSERT_EQ(::mkfifo((folder.path() / "RM041_2024063130000.TXT").c_str(), 0600), 0);
    fs::create_symlink(folder.path() / "missing", folder.path() / "RM041_2024063131500.TXT");
    expected.insert(expected.end(), {"RM041_2024063130000.TXT", "RM041_2024063131500.TXT"});
#endif
    std::sort(expected.begin(), expected.end());
    std::string first;
#ifdef _WIN32
    // Windows hands the short 8.3 names too, where the volume has them.
    std::vector<std::string> listed = names_listed(TempFolder::folder_of(folder.path()), &first);
    for (const std::string& name : expected) EXPECT_EQ(std::count(listed.begin(), listed.end(), name), 1) << name;
#else
    EXPECT_EQ(names_listed(TempFolder::folder_of(folder.path()), &first), expected);
#endif
    EXPECT_EQ(first, "RM041_2024063120000.TXT");

    // A folder that cannot be read hands no name and fails.
    for (const std::string& unlisted : {TempFolder::folder_of(folder.path() / "missing"), TempFolder::folder_of(folder.path() / "RM041_2024063120000.TXT")}) {
        std::vector<std::string> names;
        const FolderListing listing(unlisted, [&names](std::string_view name) { names.emplace_back(name); });
        EXPECT_FALSE(listing.status()) << unlisted;
        EXPECT_FALSE(listing.whole()) << unlisted;
        EXPECT_TRUE(names.empty()) << unlisted;
    }
    // Nor does a folder that is not listed, which is no failure.
    for (const std::string& unlisted : {folder.path().string(), std::string()}) {
        const FolderListing listing(unlisted, ignore);
        EXPECT_TRUE(listing.status()) << unlisted;
        EXPECT_FALSE(listing.whole()) << unlisted;
    }
    EXPECT_TRUE(FolderListing(TempFolder::folder_of(folder.path()), ignore).whole());
}

// The listing is the folder as it was: a file made later is not seen.
TEST(FolderListing, IsTheFolderAsItWasWhenListed) {
    TempFolder folder;
    folder.write("RM041_2024063120000.TXT", "Rome\n");
    const FolderListing listing(TempFolder::folder_of(folder.path()), ignore);
    folder.write("0_first.TXT", "Note\n");
    EXPECT_EQ(listing.first_ordinary_file(), "RM041_2024063120000.TXT");
}

}  // namespace
