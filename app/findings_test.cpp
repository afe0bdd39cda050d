#include "app/findings.h"

#include <gtest/gtest.h>

#include <chrono>
#include <set>

namespace {

using namespace std::chrono;

std::set<sys_days> days_of(std::initializer_list<int> march) {
    std::set<sys_days> days;
    for (int d : march) days.insert(sys_days{year{2024} / 3 / d});
    return days;
}

TEST(Findings, DaysAreSaidAsRunsOfConsecutiveDays) {
    struct Case {
        std::set<sys_days> days;
        const char* said;
    };
    const Case cases[] = {
        {days_of({3}), "2024-03-03"},
        {days_of({3, 4}), "2024-03-03, 2024-03-04"},
        {days_of({1, 2, 3, 5}), "2024-03-01 to 2024-03-03, 2024-03-05"},
        {days_of({1, 3, 4, 5, 6, 8, 9}), "2024-03-01, 2024-03-03 to 2024-03-06, 2024-03-08, 2024-03-09"},
    };
    for (const Case& c : cases) EXPECT_EQ(Findings::days_text(c.days), c.said);
    // Across a month's end, by the calendar.
    EXPECT_EQ(Findings::days_text({sys_days{year{2024} / 2 / 28}, sys_days{year{2024} / 2 / 29}, sys_days{year{2024} / 3 / 1}}),
              "2024-02-28 to 2024-03-01");
}

TEST(Findings, TheSameFindingOfSeveralDaysIsOneWithItsDaysInTheOrderOfTheConfiguration) {
    Findings findings;
    using T = Finding::Topic;
    using L = Finding::Level;
    findings.add(T::publication, L::fail, "publication");
    findings.add(T::forecasts, L::fail, "forecast: no file{days}: see", year{2024} / 3 / 2);
    findings.add(T::forecasts, L::fail, "forecast: no file{days}: see", year{2024} / 3 / 1);
    findings.add(T::forecasts, L::note, "forecast: no file{days}: see", year{2024} / 3 / 3);  // another level
    findings.add(T::configuration, L::ok, "configuration");
    findings.odd_value_field(year{2024} / 3 / 2, "B.TXT");
    findings.odd_value_field(year{2024} / 3 / 1, "Z.TXT");
    findings.odd_value_field(year{2024} / 3 / 1, "A.TXT");
    const std::vector<Finding> all = findings.all();
    ASSERT_EQ(all.size(), 5u);
    EXPECT_EQ(Findings::text_with_days(all[0]), "configuration");
    EXPECT_EQ(Findings::text_with_days(all[1]), "forecast: no file for 2024-03-01, 2024-03-02: see");
    EXPECT_EQ(Findings::text_with_days(all[2]), "forecast: no file for 2024-03-03: see");
    EXPECT_NE(all[3].text.find("3 value fields "), std::string::npos) << all[3].text;
    EXPECT_NE(all[3].text.find("the first in A.TXT"), std::string::npos) << all[3].text;
    EXPECT_EQ(all[4].text, "publication");
}

}  // namespace
