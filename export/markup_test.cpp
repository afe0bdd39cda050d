#include "export/markup.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(Tenths, ReadBackWhatIsWrittenUpToTheLimitsOfTheirType) {
    for (const std::int16_t tenths : {std::int16_t{0}, std::int16_t{5}, std::int16_t{-5}, std::int16_t{123},
                                      std::int16_t{INT16_MAX}, std::int16_t{INT16_MIN}})
        EXPECT_EQ(read_tenths(tenths_text(tenths)), tenths) << tenths_text(tenths);
    EXPECT_EQ(tenths_text(INT16_MIN), "-3276.8");
    EXPECT_EQ(read_tenths("00012.3"), 123);  // five whole digits, zeros in front
    for (const char* text : {"3276.8", "-3276.9", "99999.9", "000012.3", "", "-", "1", "12", "12.", ".5", "-.5",
                             "12.34", "1.2.3", "+1.2", "--1.0", "1,2", " 1.2", "1.2 ", "1e1.0", "\xd9\xa1.2"})
        EXPECT_EQ(read_tenths(text), std::nullopt) << text;
}

}  // namespace
