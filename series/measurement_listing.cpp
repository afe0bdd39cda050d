#include "series/measurement_listing.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "platform/ascii.h"
#include "platform/folder_listing.h"
#include "series/sounding_names.h"

namespace series {
namespace {

// The three digits at `at` as a number; 1000 or more when they are none.
inline unsigned day_of_year_at(const char* at) {
    const unsigned hundreds = static_cast<unsigned char>(at[0]) - unsigned{'0'};
    const unsigned tens = static_cast<unsigned char>(at[1]) - unsigned{'0'};
    const unsigned ones = static_cast<unsigned char>(at[2]) - unsigned{'0'};
    if (hundreds > 9 || tens > 9 || ones > 9) return 1000;
    return hundreds * 100 + tens * 10 + ones;
}

}  // namespace

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
    while ((std::size_t{1} << words_bits_) < 2 * starts_.size()) ++words_bits_;
    words_.assign(std::size_t{1} << words_bits_, StartWords{});
    for (const std::string& start : starts_) {
        std::array<char, 16> sixteen{};
        std::memcpy(sixteen.data(), start.data(), std::min<std::size_t>(start.size(), 16));
        const StartWords words = start_words(sixteen.data(), start.size());
        words_[words_place(words)] = words;
        if (const unsigned day = day_of_year_at(start.data() + start.size() - 3); day < days_of_year_.size())
            days_of_year_.set(day);
    }

    // Most names stop at the quick test; the others are read whole.
    const platform::FolderListing listing(folder, [this](std::string_view name) {
        if (certain_ && !starts_.empty() && may_be_listed_for(name)) note(name);
    });
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

namespace {

// Eight bytes of a name from `at` on, as one word (in the machine's order:
// only compared with words made the same way).
inline std::uint64_t word_at(const char* at) {
    std::uint64_t word;
    std::memcpy(&word, at, 8);
    return word;
}

// The bytes of a name start that count, with the bit of case cleared in
// the prefix's letters, so that either case gives the same words. Other
// characters that fall together so only send a name on to be read whole.
constexpr std::uint64_t mask_word(std::size_t size, std::size_t prefix, std::size_t from) {
    std::array<unsigned char, 8> bytes{};
    for (std::size_t i = 0; i < 8; ++i) {
        const std::size_t at = from + i;
        bytes[i] = at >= size ? 0x00 : at < prefix ? 0xDF : 0xFF;
    }
    return std::bit_cast<std::uint64_t>(bytes);
}
constexpr std::size_t long_start = sounding_forms[2].start_size, short_start = sounding_forms[1].start_size;
constexpr std::size_t prefix_size = sounding_schemes[2].prefix.size();
constexpr MeasurementListing::StartWords long_mask{mask_word(long_start, prefix_size, 0),
                                                   mask_word(long_start, prefix_size, 8)};
constexpr MeasurementListing::StartWords short_mask{mask_word(short_start, 0, 0), mask_word(short_start, 0, 8)};

}  // namespace

MeasurementListing::StartWords MeasurementListing::start_words(const char* sixteen_bytes, std::size_t start_size) {
    const StartWords& mask = start_size == short_start ? short_mask : long_mask;
    return {word_at(sixteen_bytes) & mask.head, word_at(sixteen_bytes + 8) & mask.tail};
}

std::size_t MeasurementListing::words_place(const StartWords& words) const {
    const std::size_t mask = words_.size() - 1;
    const std::uint64_t mixed = (words.head * 0x9E3779B97F4A7C15u) ^ (words.tail * 0xC2B2AE3D27D4EB4Fu);
    std::size_t place = static_cast<std::size_t>(mixed >> (64 - words_bits_));
    while (words_[place] != StartWords{} && words_[place] != words) place = (place + 1) & mask;
    return place;
}

inline bool MeasurementListing::may_be_listed_for(std::string_view name) const {
    // Only a name of a sounding's length, which begins as one of the days
    // listed for does; unless it holds a character beyond ASCII, or one
    // that the listing could not give: only reading it whole tells then.
    const std::size_t size = name.size();
    std::size_t start_size = 0;
    if (size == sounding_forms[2].text.size() || size == sounding_forms[4].text.size()) {
        start_size = sounding_forms[2].start_size;
    } else if (size == sounding_forms[1].text.size()) {
        start_size = sounding_forms[1].start_size;
    } else {
        return !std::all_of(name.begin(), name.end(), platform::listed_as_ascii);
    }
    // Twelve bytes or more: eight at a time, the last eight overlapping.
    const char* const at = name.data();
    const std::uint64_t tail = word_at(at + size - 8);
    const std::uint64_t all = word_at(at) | word_at(at + 8 < at + size - 8 ? at + 8 : at) | tail;
    if ((all & 0x8080808080808080u) != 0 ||
        (platform::unlisted_mark != 0 && name.find(platform::unlisted_mark) != name.npos))
        return true;
    // Most names of a folder of years of soundings end their start with a
    // day of the year that no start listed for ends with.
    const unsigned day = day_of_year_at(at + start_size - 3);
    if (day >= days_of_year_.size() || !days_of_year_[day]) return false;
    // The start's words: its first sixteen bytes, of which those past a
    // name of twelve weigh nothing.
    std::array<char, 16> sixteen{};
    if (size < sixteen.size()) std::memcpy(sixteen.data(), at, 12);
    const StartWords words = start_words(size < sixteen.size() ? sixteen.data() : at, start_size);
    return words_[words_place(words)] == words;
}

void MeasurementListing::note(std::string_view name) {
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
