// The reader of sounding names on its own: each kind's names in any case of
// their letters, names that only look like a sounding's, and names that hold
// a character that cannot be compared; and the listing's quick test, which
// must let through every name that the reader does not turn away.

#include "series/sounding_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/folder_listing.h"
#include "series/start_filter.h"

namespace {

using series::SoundingName;
using series::start_key;

// Day 063 of 2024 under every kind's scheme.
const std::vector<std::string> day_063 = {"24063", "TUJ2O_2024063", "BBJ3R_2024063", "RM041_2024063", "SP044_2024063",
                                          "ML10L_2024063"};

TEST(SoundingNames, AStartsKeyIsItsKindAndDigitsInAnyCase) {
    const struct {
        const char* start;
        std::uint32_t key;
    } cases[] = {
        {"24063", 10'024'063},         {"TUJ2O_2024063", 22'024'063}, {"tuj2o_2024063", 22'024'063},
        {"BBJ3R_2024063", 32'024'063}, {"RM041_2024063", 42'024'063}, {"sp044_2024063", 52'024'063},
        {"ML10L_2024063", 62'024'063}, {"RM041_202406", 0},           {"RM041_20240630", 0},
        {"TUJ20_2024063", 0},          {"2406", 0},                   {"X24063", 0},
        {"", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(start_key(c.start), c.key) << c.start;
}

TEST(SoundingNames, AreReadByEachKindsFormInAnyCase) {
    constexpr auto sounding = SoundingName::sounding, other = SoundingName::other, unreadable = SoundingName::unreadable;
    const std::string beyond = "\xe2\x84\xaa";  // the Kelvin sign, which no listing gives as ASCII
    const struct {
        std::string name;
        SoundingName::Form form;
        const char* start = "";  // of a sounding, or of an unreadable name read past its start
        int hour = 0, minute = 0;  // of a sounding; of an unreadable name, `hour` is its cut
    } cases[] = {
        {"24063A15.TXT", sounding, "24063", 0, 15},
        {"24063x59.txt", sounding, "24063", 23, 59},
        {"24063M00.Txt", sounding, "24063", 12, 0},
        {"24063Y15.TXT", other},  // no hour Y
        {"24063A60.TXT", other},
        {"24063A15.TXT.bak", other},
        {"24063A15.TX", other},
        {"2406A15.TXT", other},
        {"TUJ2O_20240632359.TXT", sounding, "TUJ2O_2024063", 23, 59},
        {"tuj2o_20240630000.txt", sounding, "TUJ2O_2024063", 0, 0},
        {"TUJ20_20240631215.TXT", other},  // the digit 0 for the letter O
        {"TUJ2O_20240632415.TXT", other},  // hour 24
        {"TUJ2O_20240631260.TXT", other},  // minute 60
        {"TUJ2O_20240621215.TXT", other},  // the day before, not wanted
        {"BBJ3R_20240630945.TXT", sounding, "BBJ3R_2024063", 9, 45},
        {"RM041_2024063121500.TXT", sounding, "RM041_2024063", 12, 15},
        {"Rm041_2024063121500.tXt", sounding, "RM041_2024063", 12, 15},
        {"RM041_20240631215.TXT", other},  // kind 4 writes seconds
        {"RM041_2024063121501.TXT", other},
        {"RM041_2024063121500.TXT2", other},
        {"RM041_2024063-note.TXT", other},
        {"SP044_2024063000500.TXT", sounding, "SP044_2024063", 0, 5},
        {"ML10L_2024063235900.TXT", sounding, "ML10L_2024063", 23, 59},
        {"MLIOL_2024063235900.TXT", other},
        {"", other},
        // A character that cannot be compared where the form is still open.
        {beyond + "24063A15.TXT", unreadable, "", 0},
        {"RM041_20240" + beyond + "121500.TXT", unreadable, "", 11},
        {"RM041_2024063" + beyond + "1500.TXT", unreadable, "RM041_2024063", 13},
        {"24063A15" + beyond, unreadable, "24063", 8},
        {"RM041_2024062" + beyond + "1500.TXT", other},  // its day is not wanted
        {"RM041_2024063-" + beyond, other},               // it fails before
    };
    std::vector<std::uint32_t> wanted;
    for (const std::string& start : day_063) wanted.push_back(start_key(start));
    const auto is_wanted = [&](std::uint32_t key) { return std::count(wanted.begin(), wanted.end(), key) > 0; };
    const series::StartFilter filter(day_063);

    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SoundingName read = series::read_sounding_name(c.name, is_wanted, platform::listed_as_ascii);
        EXPECT_EQ(read.form, c.form);
        if (c.form == sounding) {
            EXPECT_EQ(read.start, start_key(c.start));
            EXPECT_EQ(read.hour, c.hour);
            EXPECT_EQ(read.minute, c.minute);
        } else if (c.form == unreadable) {
            EXPECT_EQ(read.cut, static_cast<std::size_t>(c.hour));
            if (*c.start) {
                EXPECT_EQ(read.start, start_key(c.start));
            }
        }
        if (c.form != other) {
            EXPECT_TRUE(filter.may_start(c.name)) << "the quick test lets it through";
        }
    }
}

}  // namespace
