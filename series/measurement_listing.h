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
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

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
    // A name start (13 characters, or 5 of the kind without prefix) as two
    // words of its bytes, the letters of its prefix in either case alike.
    struct StartWords {
        std::uint64_t head = 0, tail = 0;
        friend bool operator==(const StartWords&, const StartWords&) = default;
    };

    // Lists `folder` (which ends with a separator) for the days whose names
    // begin with `starts` (Form1::measurement_name_start, of any kind).
    MeasurementListing(const std::string& folder, const std::vector<std::string>& starts);

    // As platform::FolderListing tells them.
    const Status& status() const { return status_; }
    const std::string& first_ordinary_file() const { return first_ordinary_; }

    // The minutes of the day whose names begin with `start` for which the
    // folder holds a sounding's name; null when the listing cannot tell, or
    // `start` is none of the starts listed for.
    const MinuteSlots* minutes(std::string_view start) const;

private:
    void note(std::string_view name);
    // Where the start `key` is in the table; its empty place when it is not.
    std::size_t place_of(std::uint32_t key) const;
    // Whether some start listed for begins as `name` does up to `size`.
    bool could_start(std::string_view name, std::size_t size) const;
    // False when `name` surely is no sounding's of the days listed for; the
    // test that most names of a folder of years of soundings stop at.
    bool may_be_listed_for(std::string_view name) const;

    static StartWords start_words(const char* sixteen_bytes, std::size_t start_size);
    std::size_t words_place(const StartWords& words) const;

    // An open-addressing table of the starts listed for, by key: each
    // place's key (0 when empty) and its day's minutes (-1 for none yet).
    std::vector<std::uint32_t> keys_;
    std::vector<std::int32_t> days_;
    std::vector<MinuteSlots> minutes_;
    int place_bits_ = 4;               // the table has 2^place_bits_ places
    std::vector<std::string> starts_;  // the starts listed for, folded
    std::vector<StartWords> words_;    // an open-addressing table of their words; all zero when empty
    int words_bits_ = 4;
    std::bitset<1000> days_of_year_;   // the days of the year the starts end with
    std::string first_ordinary_;
    Status status_ = Status::ok();
    bool certain_ = true;  // no name listed may be a sounding's of those days unseen
};

}  // namespace series
