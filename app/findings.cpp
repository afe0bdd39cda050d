#include "app/findings.h"

#include <algorithm>

#include "app/date_text.h"
#include "export/markup.h"

void Findings::add(Finding::Topic topic, Finding::Level level, const std::string& text,
                   std::optional<std::chrono::year_month_day> day) {
    auto same = std::find_if(found_.begin(), found_.end(), [&](const Finding& f) {
        return f.topic == topic && f.level == level && f.text == text;
    });
    if (same == found_.end()) same = found_.insert(found_.end(), Finding{topic, level, text, {}});
    if (day) same->days.insert(std::chrono::sys_days{*day});
}

void Findings::odd_value_field(std::chrono::year_month_day day, const std::string& file) {
    // The first by day, then by name: the same whichever form drew which day.
    const std::chrono::sys_days d{day};
    if (odd_fields_ == 0 || d < first_odd_day_ || (d == first_odd_day_ && file < first_odd_file_)) {
        first_odd_day_ = d;
        first_odd_file_ = file;
    }
    ++odd_fields_;
}

std::vector<Finding> Findings::all() const {
    std::vector<Finding> all = found_;
    if (odd_fields_ > 0) {
        all.push_back({Finding::Topic::soundings, Finding::Level::note,
                       "soundings: " + counted(static_cast<long>(odd_fields_), "value field") +
                           " (line 4, characters 16 to 19) " + (odd_fields_ == 1 ? "is" : "are") + " neither N/A nor a number of the form dd.d, the first in " +
                           first_odd_file_ + ": drawn at its leading number, 0 when it has none",
                       {}});
    }
    std::stable_sort(all.begin(), all.end(), [](const Finding& a, const Finding& b) { return a.topic < b.topic; });
    return all;
}

std::string Findings::text_with_days(const Finding& finding) {
    // Where the text marks their place, or at its end.
    std::string text = finding.text;
    std::size_t at = text.find(days_mark);
    if (at == std::string::npos) at = text.size();
    else text.erase(at, days_mark.size());
    if (finding.days.empty()) return text;
    text.insert(at, " for " + days_text(finding.days));
    return text;
}

std::string Findings::days_text(const std::set<std::chrono::sys_days>& days) {
    // Runs of consecutive days, each as its first and last day.
    std::string text;
    bool first_run = true;
    for (auto day = days.begin(); day != days.end();) {
        auto last = day;
        for (auto next = std::next(last); next != days.end() && *next == *last + std::chrono::days{1}; ++next)
            last = next;
        if (!first_run) text += ", ";
        first_run = false;
        text += iso_date(std::chrono::year_month_day{*day});
        if (last != day) text += (*last == *day + std::chrono::days{1} ? ", " : " to ") + iso_date(std::chrono::year_month_day{*last});
        day = std::next(last);
    }
    return text;
}
