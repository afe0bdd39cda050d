#include <gtest/gtest.h>

#include "app/form1.h"

namespace {

using namespace std::chrono;

struct Keys {
    const char* mese_anno;
    const char* giorno_anno;
    const char* data_giorno;
};

struct Case {
    year_month_day today;
    Keys days[6];
    friend void PrintTo(const Case& c, std::ostream* os) { *os << c.days[5].data_giorno; }
};

class SixDayKeys : public testing::TestWithParam<Case> {};

TEST_P(SixDayKeys, KeysTheSixDaysEndingToday) {
    Form1 form({.today = GetParam().today});
    form.compute_day_keys();
    for (int i = 1; i <= 6; ++i) {
        const Keys& expected = GetParam().days[i - 1];
        SCOPED_TRACE(i);
        EXPECT_EQ(form.mese_anno[i], expected.mese_anno);
        EXPECT_EQ(form.giorno_anno[i], expected.giorno_anno);
        EXPECT_EQ(form.data_giorno[i], expected.data_giorno);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Calendar, SixDayKeys,
    testing::Values(
        // A leap February into March: two month keys in one run.
        Case{2024y / March / 3,
             {{"022024", "058", "27/02/2024"}, {"022024", "059", "28/02/2024"}, {"022024", "060", "29/02/2024"},
              {"032024", "061", "01/03/2024"}, {"032024", "062", "02/03/2024"}, {"032024", "063", "03/03/2024"}}},
        // Across a year end: 366 on the last day of a leap year, then 001.
        Case{2025y / January / 3,
             {{"122024", "364", "29/12/2024"}, {"122024", "365", "30/12/2024"}, {"122024", "366", "31/12/2024"},
              {"012025", "001", "01/01/2025"}, {"012025", "002", "02/01/2025"}, {"012025", "003", "03/01/2025"}}},
        // Two leading zeros up to day 9, one from day 10.
        Case{2023y / January / 12,
             {{"012023", "007", "07/01/2023"}, {"012023", "008", "08/01/2023"}, {"012023", "009", "09/01/2023"},
              {"012023", "010", "10/01/2023"}, {"012023", "011", "11/01/2023"}, {"012023", "012", "12/01/2023"}}},
        // Day 99 to 100, and a non-leap year end.
        Case{2023y / April / 12,
             {{"042023", "097", "07/04/2023"}, {"042023", "098", "08/04/2023"}, {"042023", "099", "09/04/2023"},
              {"042023", "100", "10/04/2023"}, {"042023", "101", "11/04/2023"}, {"042023", "102", "12/04/2023"}}}),
    [](const testing::TestParamInfo<Case>& info) {
        const year_month_day& d = info.param.today;
        return "Today" + std::to_string(static_cast<int>(d.year())) + "_" + std::to_string(static_cast<unsigned>(d.month())) +
               "_" + std::to_string(static_cast<unsigned>(d.day()));
    });

TEST(MinuteLabels, MinuteSixtyIsMinuteZero) {
    Form1 form;
    form.fill_minute_labels();
    EXPECT_EQ(form.etichette_minuti[1], "01");
    EXPECT_EQ(form.etichette_minuti[9], "09");
    EXPECT_EQ(form.etichette_minuti[10], "10");
    EXPECT_EQ(form.etichette_minuti[59], "59");
    EXPECT_EQ(form.etichette_minuti[60], "00");
}

}  // namespace
