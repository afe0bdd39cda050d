#include "series/frequency_text.h"

#include <gtest/gtest.h>

namespace {

struct FrequencyCase {
    const char* whole_mhz;
    const char* tenths;
    int expected;
};

TEST(FrequencyText, WholeMhzTrimmedThenTheTenthsCharacterAsItStands) {
    const FrequencyCase cases[] = {
        {"12", "3", 123},   {" 9", "5", 95},   {"10", "0", 100},   {"00", "0", 0},
        {"9 ", "8", 98},    // a trailing blank of the whole MHz goes too
        {"12", " ", 12},    // a blank tenths ends the number: 12, not 120
        {"  ", "0", 0},     {"  ", " ", 0},    {"", "", 0},        // a field past the end of a line
        {"1", "", 1},       // a field cut off by the end of the line
        {"n/", "a", 0},     {"N/", "A", 0},    {"ab", "3", 0},     {"1x", "3", 1},
        {"\x01\xff", "7", 0},                  // bytes of a binary file
        {"-1", "5", -15},   {" -", "5", -5},   {"+2", "0", 20},
        // A point among the whole-MHz characters makes a fraction, rounded
        // to the nearest integer with halves to the even neighbour.
        {"1.", "5", 2},     {"2.", "5", 2},    {"0.", "5", 0},     {"3.", "5", 4},
        {"1.", "6", 2},     {"1.", "4", 1},    {"-2", ".", -2},    {"-.", "5", 0},
        {".", "5", 0},      {"..", "5", 0},
    };
    for (const FrequencyCase& c : cases) {
        EXPECT_EQ(series::frequency_value(c.whole_mhz, c.tenths), c.expected)
            << '"' << c.whole_mhz << "\" + \"" << c.tenths << '"';
    }
}

TEST(FrequencyText, TheLeadingNumberOfAnyText) {
    const struct {
        const char* text;
        int expected;
    } cases[] = {
        {"07", 7},       {"59", 59},     {"00", 0},        {"  \t42abc", 42}, {"4 2", 4},
        {"2.50", 2},     {"2.51", 3},    {"-2.5", -2},     {"-3.5", -4},      {"0.49999", 0},
        {"32767", 32767}, {"-32768", -32768}, {"32768", 0}, {"99999999999999999999", 0},
        {"1E2", 1},      {"&H10", 0},    {"", 0},          {"-", 0},          {"+", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(series::leading_number(c.text), c.expected) << '"' << c.text << '"';
    }
}

TEST(FrequencyText, CharactersOfALineNeverReachPastItsEnd) {
    EXPECT_EQ(series::characters("abcdef", 2, 3), "bcd");
    EXPECT_EQ(series::characters("abcdef", 5, 4), "ef");
    EXPECT_EQ(series::characters("abcdef", 6, 1), "f");
    EXPECT_EQ(series::characters("abcdef", 7, 1), "");
    EXPECT_EQ(series::characters("", 1, 2), "");
    EXPECT_EQ(series::trimmed("  N/A "), "N/A");
    EXPECT_EQ(series::trimmed("    "), "");
    EXPECT_EQ(series::trimmed("\tx"), "\tx");  // only spaces are trimmed
}

}  // namespace
