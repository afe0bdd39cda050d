#include "series/measurement_listing.h"

#include <algorithm>

#include "platform/ascii.h"
#include "platform/folder_listing.h"
#include "series/sounding_names.h"

namespace series {
namespace {

// The starts of a kind's form among `starts`, once each, in upper case.
std::vector<std::string> folded_starts(const std::vector<std::string>& starts) {
    std::vector<std::string> folded;
    for (const std::string& start : starts) {
        // A start of no kind's form is left out: its names are tried.
        if (start_key(start) == 0) continue;
        std::string upper = start;
        for (char& c : upper) c = platform::ascii_upper(c);
        folded.push_back(std::move(upper));
    }
    std::sort(folded.begin(), folded.end());
    folded.erase(std::unique(folded.begin(), folded.end()), folded.end());
    return folded;
}

}  // namespace

MeasurementListing::MeasurementListing(const std::string& folder, const std::vector<std::string>& starts)
    : filter_(folded_starts(starts)) {
    for (const std::string& start : starts)
        if (const std::uint32_t key = start_key(start); key != 0) days_.emplace(key, -1);

    // Most names stop at the quick test; the others are read whole.
    const platform::FolderListing listing(folder, [this](std::string_view name) {
        if (certain_ && !filter_.empty() && filter_.may_start(name)) note(name);
    });
    status_ = listing.status();
    first_ordinary_ = listing.first_ordinary_file();
    files_ = listing.files();
    certain_ = certain_ && listing.whole();
    if (!certain_) std::vector<MinuteSlots>().swap(minutes_);
}

void MeasurementListing::note(std::string_view name) {
    // Read past its start only when the start is one listed for.
    auto day = days_.end();
    const SoundingName read = read_sounding_name(
        name, [&](std::uint32_t key) { return (day = days_.find(key)) != days_.end(); }, platform::listed_as_ascii);
    switch (read.form) {
    case SoundingName::other:
        return;
    case SoundingName::sounding:
        if (day->second < 0) {
            day->second = static_cast<std::int32_t>(minutes_.size());
            minutes_.emplace_back();
        }
        minutes_[static_cast<std::size_t>(day->second)].add(read.hour, read.minute);
        return;
    case SoundingName::unreadable:
        // Read up to its start, the name is of a day listed for or of none;
        // cut short before, it may begin as one of them does.
        if (read.start_size > 0 && read.cut >= read.start_size ? days_.contains(read.start)
                                                               : filter_.could_start(name, read.cut))
            certain_ = false;
        return;
    }
}

const MinuteSlots* MeasurementListing::minutes(std::string_view start) const {
    static const MinuteSlots none;
    if (!certain_) return nullptr;
    const std::uint32_t key = start_key(start);
    if (key == 0) return nullptr;
    const auto day = days_.find(key);
    if (day == days_.end()) return nullptr;
    return day->second < 0 ? &none : &minutes_[static_cast<std::size_t>(day->second)];
}

}  // namespace series
