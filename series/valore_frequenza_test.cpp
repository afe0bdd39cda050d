#include "series/valore_frequenza.h"

#include <gtest/gtest.h>

namespace {

struct CasoFrequenza {
    const char* interi;
    const char* decimi;
    int atteso;
};

TEST(ValoreFrequenza, WholeMhzTrimmedThenTheTenthsCharacterAsItStands) {
    const CasoFrequenza casi[] = {
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
    for (const CasoFrequenza& caso : casi) {
        EXPECT_EQ(serie::valore_frequenza(caso.interi, caso.decimi), caso.atteso)
            << '"' << caso.interi << "\" + \"" << caso.decimi << '"';
    }
}

TEST(ValoreFrequenza, TheLeadingNumberOfAnyText) {
    const struct {
        const char* testo;
        int atteso;
    } casi[] = {
        {"07", 7},       {"59", 59},     {"00", 0},        {"  \t42abc", 42}, {"4 2", 4},
        {"2.50", 2},     {"2.51", 3},    {"-2.5", -2},     {"-3.5", -4},      {"0.49999", 0},
        {"32767", 32767}, {"-32768", -32768}, {"32768", 0}, {"99999999999999999999", 0},
        {"1E2", 1},      {"&H10", 0},    {"", 0},          {"-", 0},          {"+", 0},
    };
    for (const auto& caso : casi) {
        EXPECT_EQ(serie::valore_numerico(caso.testo), caso.atteso) << '"' << caso.testo << '"';
    }
}

TEST(ValoreFrequenza, CharactersOfALineNeverReachPastItsEnd) {
    EXPECT_EQ(serie::caratteri("abcdef", 2, 3), "bcd");
    EXPECT_EQ(serie::caratteri("abcdef", 5, 4), "ef");
    EXPECT_EQ(serie::caratteri("abcdef", 6, 1), "f");
    EXPECT_EQ(serie::caratteri("abcdef", 7, 1), "");
    EXPECT_EQ(serie::caratteri("", 1, 2), "");
    EXPECT_EQ(serie::senza_spazi("  N/A "), "N/A");
    EXPECT_EQ(serie::senza_spazi("    "), "");
    EXPECT_EQ(serie::senza_spazi("\tx"), "\tx");  // only spaces are trimmed
}

}  // namespace
