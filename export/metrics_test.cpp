#include "export/metrics.h"

#include <gtest/gtest.h>

namespace {

TEST(MetricsLabel, EscapesWhatTheFormatAsksAndKeepsItUtf8) {
    EXPECT_EQ(label_value("/srv/station"), "/srv/station");
    EXPECT_EQ(label_value("C:\\stazione"), "C:\\\\stazione");
    EXPECT_EQ(label_value("say \"x\""), "say \\\"x\\\"");
    EXPECT_EQ(label_value("two\nlines"), "two\\nlines");
    EXPECT_EQ(label_value("pubblicit\xc3\xa0"), "pubblicit\xc3\xa0");
    // A byte that is no UTF-8, a cut sequence, an overlong one, a surrogate.
    EXPECT_EQ(label_value("pubblicit\xe0"), "pubblicit\xef\xbf\xbd");
    EXPECT_EQ(label_value("\xc3"), "\xef\xbf\xbd");
    EXPECT_EQ(label_value("\xc0\xaf"), "\xef\xbf\xbd\xef\xbf\xbd");
    EXPECT_EQ(label_value("\xed\xa0\x80"), "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd");
    EXPECT_EQ(label_value("\xf0\x9f\x93\xa1"), "\xf0\x9f\x93\xa1");
}

TEST(MetricsFile, CarriesTheLastSuccessOverAsWritten) {
    RunRecord record;
    record.working_folder = "/srv/a \"b\" } c";
    const std::string written = metrics_text(record, {.ended = 1709467200.5, .took = 0.01, .last_success = 1709460000.25});
    EXPECT_EQ(last_success_in(written), 1709460000.25);
    EXPECT_EQ(last_success_in(metrics_text(record, {.ended = 1709467200.5, .took = 0.01, .last_success = std::nullopt})),
              std::nullopt);
    for (const char* other : {"", "garbage\n", "plotmuf_last_success_timestamp_seconds_total{} 5\n",
                              "plotmuf_last_success_timestamp_seconds{folder=\"x\"} soon\n"})
        EXPECT_EQ(last_success_in(other), std::nullopt) << other;
}

}  // namespace
