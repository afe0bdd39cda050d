#pragma once
// The measurement folder as one run lists it, for the soundings of given
// days: for each of those days, the minutes for which the folder holds a
// sounding's name, so that each of a day's 1,440 minutes costs a test rather
// than a name made and looked up, and each name listed is read once.
//
// A listing that cannot tell (the folder not listed or not read whole, or a name beyond
// ASCII that could be a sounding's of those days) tells nothing: then every
// name is tried by opening it. A name is held when the folder holds it in
// any case of its ASCII letters (platform::listed_as_ascii); where case
// counts, such a name is opened for nothing and its open fails.

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/status.h"
#include "series/start_filter.h"

namespace series {

// The minutes of one day, 24 hours of 60.
class MinuteSlots {
public:
    bool holds(int hour, int minute) const { return bits_[static_cast<std::size_t>(hour * 60 + minute)]; }
    void add(int hour, int minute) { bits_.set(static_cast<std::size_t>(hour * 60 + minute)); }

private:
    std::bitset<24 * 60> bits_;
};

class MeasurementListing {
public:
    // Lists `folder` (which ends with a separator) for the days whose names
    // begin with `starts` (Form1::measurement_name_start, of any kind).
    MeasurementListing(const std::string& folder, const std::vector<std::string>& starts);

    // As platform::FolderListing tells them.
    const Status& status() const { return status_; }
    const std::string& first_ordinary_file() const { return first_ordinary_; }
    std::size_t files() const { return files_; }

    // The minutes of the day whose names begin with `start` for which the
    // folder holds a sounding's name; null when the listing cannot tell, or
    // `start` is none of the starts listed for.
    const MinuteSlots* minutes(std::string_view start) const;

private:
    void note(std::string_view name);

    // The starts listed for, by start_key: each one's day's minutes in
    // minutes_ (-1 for none yet).
    std::unordered_map<std::uint32_t, std::int32_t> days_;
    std::vector<MinuteSlots> minutes_;
    StartFilter filter_;  // of the same starts
    std::string first_ordinary_;
    std::size_t files_ = 0;
    Status status_ = Status::ok();
    bool certain_ = true;  // no name listed may be a sounding's of those days unseen
};

}  // namespace series
