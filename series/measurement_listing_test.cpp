// The run's listing of the measurement folder on real folders: the minutes
// of each day listed for that the folder holds a sounding's name for, by
// the form of each station kind's names.

#include "series/measurement_listing.h"

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
#endif

namespace fs = std::filesystem;
using series::MeasurementListing;

namespace {

// A name as the system's own file names hold it, and a character beyond
// ASCII that some file system takes for an ASCII letter.
#ifdef _WIN32
using Name = std::wstring;
const Name beyond = L"\u4e2d";
#else
using Name = std::string;
const Name beyond = "\xe2\x84\xaa";  // the Kelvin sign
#endif
Name ascii(std::string_view text) { return Name(text.begin(), text.end()); }

// Day 063 of 2024 under every kind's scheme.
const std::vector<std::string> day_063 = {"24063", "TUJ2O_2024063", "BBJ3R_2024063", "RM041_2024063", "SP044_2024063",
                                          "ML10L_2024063"};

// Whether the listing holds the minute of day `start`; false also when it cannot tell.
bool holds(const MeasurementListing& listing, const std::string& start, int hour, int minute) {
    const series::MinuteSlots* minutes = listing.minutes(start);
    return minutes && minutes->holds(hour, minute);
}

// A few names, each the only one of a folder of its own, held in any case
// or not held; every name's reading is in sounding_names_test.cpp.
TEST(SoundingListing, HoldsTheMinutesOfEachKindsNamesInAnyCase) {
    const struct {
        const char* name;
        const char* start;
        int hour, minute;
        bool held;
    } cases[] = {
        {"24063x59.txt", "24063", 23, 59, true},
        {"24063Y15.TXT", "24063", 24, 15, false},  // no hour Y
        {"tuj2o_20240630000.txt", "TUJ2O_2024063", 0, 0, true},
        {"TUJ2O_20240621215.TXT", "TUJ2O_2024062", 12, 15, false},  // the day before
        {"Rm041_2024063121500.tXt", "RM041_2024063", 12, 15, true},
        {"RM041_2024063121500.TXT2", "RM041_2024063", 12, 15, false},
        {"ML10L_2024063235900.TXT", "ML10L_2024063", 23, 59, true},
        {"MLIOL_2024063235900.TXT", "ML10L_2024063", 23, 59, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        folder.write(c.name, "x\n");
        const MeasurementListing listing(TempFolder::folder_of(folder.path()), day_063);
        ASSERT_TRUE(listing.status());
        if (c.hour < 24) {
            EXPECT_EQ(holds(listing, c.start, c.hour, c.minute), c.held);
        }
        // Nothing else is held, and every day listed for can tell.
        int held = 0;
        for (const std::string& start : day_063) {
            const series::MinuteSlots* minutes = listing.minutes(start);
            ASSERT_NE(minutes, nullptr) << start;
            for (int h = 0; h < 24; ++h)
                for (int m = 0; m < 60; ++m) held += minutes->holds(h, m);
        }
        EXPECT_EQ(held, c.held ? 1 : 0);
    }
}

TEST(SoundingListing, HoldsEveryEntryOfASoundingsNameAndTellsNothingOfOtherDays) {
    TempFolder folder;
    folder.write("RM041_2024063120000.TXT", "Rome\n");
    folder.write("RM041_2024062120000.TXT", "Rome\n");  // another day
    folder.write("24063A15.TXT", "Gibi\n");
    folder.write("NOTE.TXT", "Remember the antenna\n");
    // Entries that may not open, but that bear a sounding's name: opening
    // them is for the open to refuse.
    folder.make_folder("RM041_2024063121500.TXT");
#ifdef _WIN32
    ASSERT_TRUE(SetFileAttributesA(folder.write("RM041_2024063123000.TXT", "Rome\n").string().c_str(), FILE_ATTRIBUTE_HIDDEN));
#else
    folder.write("RM041_2024063123000.TXT", "Rome\n");
    ASSERT_EQ(::mkfifo((folder.path() / "RM041_2024063124500.TXT").c_str(), 0600), 0);
    fs::create_symlink(folder.path() / "missing", folder.path() / "RM041_2024063130000.TXT");
#endif

    const MeasurementListing listing(TempFolder::folder_of(folder.path()), day_063);
    EXPECT_EQ(listing.first_ordinary_file(), "24063A15.TXT");
    const struct {
        const char* start;
        int hour, minute;
        bool held;
    } cases[] = {
        {"RM041_2024063", 12, 0, true},   {"24063", 0, 15, true},
        {"RM041_2024063", 12, 15, true},  // the folder
        {"RM041_2024063", 12, 30, true},  // hidden
        {"RM041_2024063", 12, 1, false},  {"24063", 0, 16, false},
#ifndef _WIN32
        {"RM041_2024063", 12, 45, true},  // the pipe
        {"RM041_2024063", 13, 0, true},   // the dangling link
#endif
    };
    for (const auto& c : cases) EXPECT_EQ(holds(listing, c.start, c.hour, c.minute), c.held) << c.start << " " << c.hour << ":" << c.minute;
    // A day not listed for, and a start of no kind: only opening tells.
    EXPECT_EQ(listing.minutes("RM041_2024062"), nullptr);
    EXPECT_EQ(listing.minutes("NOTE"), nullptr);
    EXPECT_EQ(listing.minutes(""), nullptr);
    EXPECT_NE(listing.minutes("rm041_2024063"), nullptr);

    // The open, not the listing, refuses what is not a regular file.
    platform::TextInput input;
    EXPECT_FALSE(input.open(TempFolder::folder_of(folder.path()) + "RM041_2024063121500.TXT"));
#ifndef _WIN32
    EXPECT_FALSE(input.open(TempFolder::folder_of(folder.path()) + "RM041_2024063130000.TXT"));
#endif
}

// Windows opens a name whatever the case of its letters, and so does Linux
// on a FAT volume or an SMB share: a name listed in another case may be the
// file, and only the open tells.
TEST(SoundingListing, ANameListedInAnotherCaseMayBeTheFile) {
    TempFolder folder;
    folder.write("rm041_2024063120000.txt", "Rome\n");
    const MeasurementListing listing(TempFolder::folder_of(folder.path()), day_063);
    EXPECT_TRUE(holds(listing, "RM041_2024063", 12, 0));
    EXPECT_FALSE(holds(listing, "RM041_2024063", 12, 1));

    platform::TextInput input;
#ifdef _WIN32
    EXPECT_TRUE(input.open(TempFolder::folder_of(folder.path()) + "RM041_2024063120000.TXT"));
#else
    const bool case_blind = fs::exists(folder.path() / "RM041_2024063120000.TXT");
    EXPECT_EQ(static_cast<bool>(input.open(TempFolder::folder_of(folder.path()) + "RM041_2024063120000.TXT")), case_blind);
#endif
}

// Some file systems take "ſ" for "S" or "K" (Kelvin) for "K"; Windows lists
// a character its code page lacks as "?". A name with such a character where
// a sounding's name of a day listed for could have an ASCII one makes the
// listing tell nothing; elsewhere it changes nothing.
TEST(SoundingListing, ANameBeyondAsciiThatCouldBeASoundingsTellsNothing) {
    const struct {
        const char* what;
        Name name;
        bool tells;
    } cases[] = {
        {"begins unlike any name", ascii("Notizie ") + beyond + ascii(".txt"), true},
        {"first", beyond + ascii("M041_2024063120000.TXT"), false},
        {"in the prefix", ascii("RM04") + beyond + ascii("_2024063120000.TXT"), false},
        {"in the year", ascii("RM041_20") + beyond + ascii("4063120000.TXT"), false},
        {"in a year not listed for", ascii("RM041_19") + beyond + ascii("4063120000.TXT"), true},
        {"in the time", ascii("RM041_2024063") + beyond + ascii(".TXT"), false},
        {"after the name", ascii("RM041_2024063120000.TXT") + beyond, false},
        {"after a day not listed for", ascii("RM041_2024062") + beyond + ascii(".TXT"), true},
        {"after a character that does not fit", ascii("RM041_2024063 note ") + beyond, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        folder.write("RM041_2024063120000.TXT", "Rome\n");
        std::ofstream(folder.path() / fs::path(c.name)) << "x";
        const MeasurementListing listing(TempFolder::folder_of(folder.path()), day_063);
        EXPECT_EQ(listing.minutes("RM041_2024063") != nullptr, c.tells);
        if (c.tells) {
            EXPECT_TRUE(holds(listing, "RM041_2024063", 12, 0));
            EXPECT_FALSE(holds(listing, "RM041_2024063", 12, 1));
        }
    }
}

TEST(SoundingListing, AFolderThatCannotBeListedTellsNothing) {
    TempFolder folder;
    folder.write("RM041_2024063120000.TXT", "Rome\n");
    const struct {
        std::string folder;
        bool failed;
    } cases[] = {{TempFolder::folder_of(folder.path() / "missing"), true},
                 {TempFolder::folder_of(folder.path() / "RM041_2024063120000.TXT"), true},
                 {folder.path().string(), false},  // no final separator: not listed
                 {std::string(), false}};
    for (const auto& c : cases) {
        const MeasurementListing listing(c.folder, day_063);
        EXPECT_EQ(listing.status().message().empty(), !c.failed) << c.folder;
        EXPECT_EQ(listing.minutes("RM041_2024063"), nullptr) << c.folder;
        EXPECT_EQ(listing.first_ordinary_file(), "") << c.folder;
    }
}

// The listing is the folder as it was: a file made later is not seen, and a
// listed file removed later fails its open.
TEST(SoundingListing, IsTheFolderAsItWasWhenListed) {
    TempFolder folder;
    folder.write("RM041_2024063120000.TXT", "Rome\n");
    const MeasurementListing listing(TempFolder::folder_of(folder.path()), day_063);
    folder.write("RM041_2024063121500.TXT", "Rome\n");
    folder.write("0_first.TXT", "Note\n");
    fs::remove(folder.path() / "RM041_2024063120000.TXT");

    EXPECT_FALSE(holds(listing, "RM041_2024063", 12, 15));
    EXPECT_TRUE(holds(listing, "RM041_2024063", 12, 0));
    EXPECT_EQ(listing.first_ordinary_file(), "RM041_2024063120000.TXT");
    platform::TextInput input;
    EXPECT_FALSE(input.open(TempFolder::folder_of(folder.path()) + "RM041_2024063120000.TXT"));
}

}  // namespace
