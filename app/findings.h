#pragma once
// What a run finds out about its configuration and its folders: each fact
// once, however many days it concerns. A scheduled run says the notes among
// them under --verbose; plotmuf --check says them all, each as ok, note or
// fail. The forms that draw a range together share one.

#include <chrono>
#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

struct Finding {
    // In the order of the configuration: what each finding is about.
    enum class Topic { configuration, forecast_folder, forecasts, measurement_folder, soundings, publication, archive, metrics };
    // ok: as it should be; note: drawn, but likely wrong; fail: a run would
    // fail, or draw no observed value.
    enum class Level { ok, note, fail };

    Topic topic;
    Level level;
    std::string text;
    std::set<std::chrono::sys_days> days;  // the days it concerns, if any
};

class Findings {
public:
    // The finding `text`, of day `day` if any; the same text found again
    // adds its day.
    void add(Finding::Topic topic, Finding::Level level, const std::string& text,
             std::optional<std::chrono::year_month_day> day = {});
    // A sounding whose value field is not of the documented form.
    void odd_value_field(std::chrono::year_month_day day, const std::string& file);

    // Everything found, by topic, each in the order first found. The text of
    // a finding of some days ends with them: " for 2024-04-01 to 2024-04-03".
    std::vector<Finding> all() const;
    static std::string text_with_days(const Finding& finding);
    // "2024-04-01 to 2024-04-03, 2024-04-05"
    static std::string days_text(const std::set<std::chrono::sys_days>& days);
    // Where in a finding's text its days go, when not at its end.
    static constexpr std::string_view days_mark = "{days}";

private:
    std::vector<Finding> found_;
    std::size_t odd_fields_ = 0;
    std::chrono::sys_days first_odd_day_{};
    std::string first_odd_file_;
};
