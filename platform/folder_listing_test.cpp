// The folder listing on real folders, on every system it is built for.

#include "platform/folder_listing.h"

#include <gtest/gtest.h>

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

std::string folder_of(const fs::path& path) { return path.string() + "\\"; }

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

const std::vector<std::string> day_063 = {"RM041_2024063", "24063"};

TEST(FolderListing, GivesTheFirstOrdinaryFileInByteOrderOfTheNames) {
    TempFolder folder;
    const std::string listed = folder_of(folder.path());
    const auto step = [&](const std::string& first) {
        SCOPED_TRACE("first " + first);
        EXPECT_EQ(FolderListing(listed, day_063).first_ordinary_file(), first);
        EXPECT_EQ(FolderListing(listed, {}).first_ordinary_file(), first);
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
    EXPECT_EQ(FolderListing(folder.path().string() + "/", {}).first_ordinary_file(), "Zeta.TXT");
    for (const std::string& unlisted :
         {folder.path().string(), folder_of(folder.path() / "missing"), std::string()}) {
        EXPECT_EQ(FolderListing(unlisted, {}).first_ordinary_file(), "") << unlisted;
    }
}

TEST(FolderListing, RulesOutOnlyNamesWithAPrefixThatTheFolderLacks) {
    TempFolder folder;
    folder.write("RM041_2024063120000.TXT", "Rome\n");
    folder.write("RM041_2024062120000.TXT", "Rome\n");  // another day: no prefix
    folder.write("24063A15.TXT", "Gibi\n");
    folder.write("NOTE.TXT", "Remember the antenna\n");
    // Entries that may not open, but that bear a sounding's name: opening
    // them is for the open to refuse.
    folder.make_folder("RM041_2024063121500.TXT");
    const std::string hidden = write_hidden(folder, "RM041_2024063123000.TXT");
    const std::vector<std::string> prefixes = {"RM041_2024063", "24063", "." + day_063[0]};
#ifndef _WIN32
    ASSERT_EQ(::mkfifo((folder.path() / "RM041_2024063124500.TXT").c_str(), 0600), 0);
    fs::create_symlink(folder.path() / "missing", folder.path() / "RM041_2024063130000.TXT");
#endif

    const FolderListing listing = FolderListing(folder_of(folder.path()), prefixes);
    const struct {
        std::string name;
        bool may_exist;
    } cases[] = {
        {"RM041_2024063120000.TXT", true},
        {"24063A15.TXT", true},
        {"RM041_2024063121500.TXT", true},  // the folder
        {hidden, true},
        {"RM041_2024063120100.TXT", false},
        {"24063A16.TXT", false},
        {"RM041_2024063", false},
        {"RM041_2024063120000.TXT2", false},
        {"RM041_2024063120000.TX", false},
        // Names without a prefix are not looked at: only the open tells.
        {"RM041_2024062120000.TXT", true},
        {"RM041_2024062120100.TXT", true},
        {"NOTE.TXT", true},
        {"MISSING.TXT", true},
        {"", true},
#ifndef _WIN32
        {"RM041_2024063124500.TXT", true},  // the pipe
        {"RM041_2024063130000.TXT", true},  // the dangling link
#endif
    };
    for (const auto& c : cases) EXPECT_EQ(listing.may_exist(c.name), c.may_exist) << c.name;

    // The open, not the listing, refuses what is not a regular file.
    platform::TextInput input;
    EXPECT_FALSE(input.open(folder_of(folder.path()) + "RM041_2024063121500.TXT"));
#ifndef _WIN32
    EXPECT_FALSE(input.open(folder_of(folder.path()) + "RM041_2024063130000.TXT"));
#endif
}

// Windows opens a name whatever the case of its letters, and so does Linux
// on a FAT volume or an SMB share: a name listed in another case may be the
// file, and only the open tells.
TEST(FolderListing, ANameListedInAnotherCaseMayBeTheFile) {
    TempFolder folder;
    folder.write("rm041_2024063120000.txt", "Rome\n");
    const FolderListing listing = FolderListing(folder_of(folder.path()), day_063);
    EXPECT_TRUE(listing.may_exist("RM041_2024063120000.TXT"));
    EXPECT_TRUE(listing.may_exist("Rm041_2024063120000.tXt"));
    EXPECT_FALSE(listing.may_exist("RM041_2024063120100.TXT"));

    platform::TextInput input;
#ifdef _WIN32
    EXPECT_TRUE(input.open(folder_of(folder.path()) + "RM041_2024063120000.TXT"));
#else
    const bool case_blind = fs::exists(folder.path() / "RM041_2024063120000.TXT");
    EXPECT_EQ(static_cast<bool>(input.open(folder_of(folder.path()) + "RM041_2024063120000.TXT")), case_blind);
#endif
}

#ifdef _WIN32
// A file opens under its short 8.3 name as well as under its long one.
TEST(FolderListing, AShortNameIsListedToo) {
    TempFolder folder;
    const fs::path file = folder.write("RM041_2024063120000 long name.TXT", "Rome\n");
    char short_path[MAX_PATH];
    const DWORD n = GetShortPathNameA(file.string().c_str(), short_path, sizeof short_path);
    const std::string short_name = fs::path(std::string(short_path, n)).filename().string();
    if (n == 0 || short_name == file.filename().string()) GTEST_SKIP() << "no short names on this volume";
    const std::vector<std::string> prefix = {short_name.substr(0, 3)};
    const FolderListing listing = FolderListing(folder_of(folder.path()), prefix);
    EXPECT_TRUE(listing.may_exist(short_name));
    EXPECT_FALSE(listing.may_exist(short_name.substr(0, 3) + "X~9.TXT"));
}
#endif

TEST(FolderListing, ANameBeyondAsciiThatCouldBeginWithAPrefixMakesEveryNamePossible) {
    TempFolder folder;
    folder.write("RM041_2024063120000.TXT", "Rome\n");
    // Begins unlike any prefix: no matter what follows.
#ifdef _WIN32
    std::ofstream(folder.path() / L"Notizie \u00e8 \u4e2d.txt") << "x";
#else
    folder.write("Notizie \xc3\xa8.txt", "x");
#endif
    EXPECT_FALSE(FolderListing(folder_of(folder.path()), day_063).may_exist("RM041_2024063120100.TXT"));

    // Some file systems take "ſ" for "S" or "K" (Kelvin) for "K"; Windows
    // lists a character its code page lacks as "?".
#ifdef _WIN32
    std::ofstream(folder.path() / L"RM041_2024063\u4e2d.TXT") << "x";
#else
    folder.write("RM041_2024063\xe2\x84\xaa.TXT", "x");
#endif
    const FolderListing listing = FolderListing(folder_of(folder.path()), day_063);
    EXPECT_TRUE(listing.may_exist("RM041_2024063120100.TXT"));
}

TEST(FolderListing, AFolderThatCannotBeListedRulesOutNoName) {
    TempFolder folder;
    for (const std::string& unlisted : {folder.path().string(), folder_of(folder.path() / "missing"), std::string()}) {
        EXPECT_TRUE(FolderListing(unlisted, day_063).may_exist("RM041_2024063120000.TXT")) << unlisted;
    }
}

// The listing is the folder as it was: a file made later is not seen, and a
// listed file removed later fails its open.
TEST(FolderListing, IsTheFolderAsItWasWhenListed) {
    TempFolder folder;
    folder.write("RM041_2024063120000.TXT", "Rome\n");
    const FolderListing listing = FolderListing(folder_of(folder.path()), day_063);
    folder.write("RM041_2024063121500.TXT", "Rome\n");
    folder.write("0_first.TXT", "Note\n");
    fs::remove(folder.path() / "RM041_2024063120000.TXT");

    EXPECT_FALSE(listing.may_exist("RM041_2024063121500.TXT"));
    EXPECT_TRUE(listing.may_exist("RM041_2024063120000.TXT"));
    EXPECT_EQ(listing.first_ordinary_file(), "RM041_2024063120000.TXT");
    platform::TextInput input;
    EXPECT_FALSE(input.open(folder_of(folder.path()) + "RM041_2024063120000.TXT"));
}

}  // namespace
