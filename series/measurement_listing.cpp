#include "series/measurement_listing.h"

#include <algorithm>

#include "platform/ascii.h"
#include "platform/folder_listing.h"
#include "series/sounding_names.h"

namespace series {

MeasurementListing::MeasurementListing(const std::string& folder, const std::vector<std::string>& starts) {
    std::size_t places = std::size_t{1} << place_bits_;
    while (places < 2 * starts.size()) {
        places *= 2;
        ++place_bits_;
    }
    keys_.assign(places, 0);
    days_.assign(places, -1);
    for (const std::string& start : starts) {
        // A start of no kind's form is left out: its names are tried.
        const std::uint32_t key = start_key(start);
        if (key == 0) continue;
        const std::size_t place = place_of(key);
        if (keys_[place] == key) continue;
        keys_[place] = key;
        std::string folded = start;
        for (char& c : folded) c = platform::ascii_upper(c);
        starts_.push_back(std::move(folded));
    }

    const platform::FolderListing listing(folder, [this](std::string_view name) { note(name); });
    status_ = listing.status();
    first_ordinary_ = listing.first_ordinary_file();
    certain_ = certain_ && listing.whole();
    if (!certain_) std::vector<MinuteSlots>().swap(minutes_);
}

std::size_t MeasurementListing::place_of(std::uint32_t key) const {
    const std::size_t mask = keys_.size() - 1;
    std::size_t place = static_cast<std::uint32_t>(key * 2654435761u) >> (32 - place_bits_);
    while (keys_[place] != 0 && keys_[place] != key) place = (place + 1) & mask;
    return place;
}

bool MeasurementListing::could_start(std::string_view name, std::size_t size) const {
    return std::any_of(starts_.begin(), starts_.end(), [&](const std::string& start) {
        if (start.size() < size) return false;
        for (std::size_t i = 0; i < size; ++i) {
            if (platform::ascii_upper(name[i]) != start[i]) return false;
        }
        return true;
    });
}

void MeasurementListing::note(std::string_view name) {
    if (!certain_ || starts_.empty()) return;
    // Read past its start only when the start is one listed for.
    const SoundingName read = read_sounding_name(
        name, [this](std::uint32_t key) { return keys_[place_of(key)] != 0; }, platform::listed_as_ascii);
    switch (read.form) {
    case SoundingName::other:
        return;
    case SoundingName::sounding: {
        const std::size_t place = place_of(read.start);
        if (days_[place] < 0) {
            days_[place] = static_cast<std::int32_t>(minutes_.size());
            minutes_.emplace_back();
        }
        minutes_[static_cast<std::size_t>(days_[place])].add(read.hour, read.minute);
        return;
    }
    case SoundingName::unreadable:
        // Read up to its start, the name is of a day listed for or of none;
        // cut short before, it may begin as one of them does.
        if (read.start_size > 0 && read.cut >= read.start_size ? keys_[place_of(read.start)] != 0
                                                               : could_start(name, read.cut))
            certain_ = false;
        return;
    }
}

const MinuteSlots* MeasurementListing::minutes(std::string_view start) const {
    static const MinuteSlots none;
    if (!certain_) return nullptr;
    const std::uint32_t key = start_key(start);
    if (key == 0) return nullptr;
    const std::size_t place = place_of(key);
    if (keys_[place] == 0) return nullptr;
    return days_[place] < 0 ? &none : &minutes_[static_cast<std::size_t>(days_[place])];
}

}  // namespace series
