// latest.json, written into the publication folder after the charts and
// the pages, from what the run drew.

#include <chrono>
#include <string>
#include <vector>

#include "app/form1.h"
#include "export/chart_files.h"
#include "export/feed.h"
#include "platform/files.h"

void Form1::write_feed() {
    using namespace std::chrono;
    FeedFigures feed;
    feed.station_name = settings_.station;
    feed.station_code = settings_.station_code;
    feed.written = record.written;
    feed.generator = settings_.generator;
    feed.newest_sounding = record.newest_sounding();

    // A range's days come from two forms, in no order: the last is the latest.
    const DayRecord* last = nullptr;
    for (const DayRecord& day : record.days) {
        if (!last || sys_days{day.date} > sys_days{last->date}) last = &day;
        if (day.newest_valued_minute) {
            const sys_seconds t = sys_days{day.date} + minutes{*day.newest_valued_minute};
            if (!feed.time || t > *feed.time) {
                feed.time = t;
                feed.mufd = day.newest_value;
                feed.forecast = day.forecast;
            }
        }
    }
    if (last) {
        feed.today = last->against_forecast;
        feed.soundings_today = last->soundings;
        feed.without_value_today = last->without_value;
    }
    // The charts this run published: a scheduled run's days in order, 1 to
    // 6; a range publishes none.
    for (std::size_t i = 0; i < record.days.size(); ++i) {
        if (!record.days[i].published) continue;
        const std::string gif = published_chart_name(static_cast<int>(i) + 1);
        feed.charts.push_back(gif);
        if (settings_.svg) feed.charts.push_back(beside_name(gif, ".svg"));
    }

    // Durably, as the charts: a power loss leaves the old feed or the new one.
    const std::string json = feed_json(feed);
    platform::DurableWrites writes;
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(json.data()), json.size());
    Status s = writes.add(cartella_figure + std::string(feed_name), bytes);
    if (s) s = writes.finish().front();
    if (!s) {
        ++failures;
        report("feed: " + s.message());
    }
}
