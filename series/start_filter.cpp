#include "series/start_filter.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "platform/ascii.h"

namespace series {

using namespace start_filter;

namespace {

// The bytes of a name start that count, with the bit of case cleared in
// the prefix's letters, so that either case gives the same words.
constexpr std::uint64_t mask_word(std::size_t size, std::size_t prefix, std::size_t from) {
    std::array<unsigned char, 8> bytes{};
    for (std::size_t i = 0; i < 8; ++i) {
        const std::size_t at = from + i;
        bytes[i] = at >= size ? 0x00 : at < prefix ? 0xDF : 0xFF;
    }
    return std::bit_cast<std::uint64_t>(bytes);
}
constexpr Words long_mask{mask_word(long_start, prefix_size, 0), mask_word(long_start, prefix_size, 8)};
constexpr Words short_mask{mask_word(short_start, 0, 0), mask_word(short_start, 0, 8)};

Words words_of(const char* sixteen_bytes, std::size_t start_size) {
    const Words& mask = start_size == short_start ? short_mask : long_mask;
    return {word_at(sixteen_bytes) & mask.head, word_at(sixteen_bytes + 8) & mask.tail};
}

}  // namespace

StartFilter::StartFilter(std::vector<std::string> starts) : starts_(std::move(starts)) {
    for (const std::string& start : starts_) {
        std::array<char, 16> sixteen{};
        std::memcpy(sixteen.data(), start.data(), std::min<std::size_t>(start.size(), 16));
        words_.insert(words_of(sixteen.data(), start.size()));
        if (const unsigned day = day_of_year_at(start.data() + start.size() - 3); day < days_of_year_.size())
            days_of_year_.set(day);
    }
}

bool StartFilter::begins_as_a_start(std::string_view name, std::size_t start_size) const {
    // The start's words: its first sixteen bytes, of which those past a
    // name of twelve weigh nothing.
    std::array<char, 16> sixteen{};
    const char* at = name.data();
    if (name.size() < sixteen.size()) at = static_cast<const char*>(std::memcpy(sixteen.data(), at, short_name));
    return words_.contains(words_of(at, start_size));
}

bool StartFilter::could_start(std::string_view name, std::size_t size) const {
    return std::any_of(starts_.begin(), starts_.end(), [&](const std::string& start) {
        if (start.size() < size) return false;
        for (std::size_t i = 0; i < size; ++i) {
            if (platform::ascii_upper(name[i]) != start[i]) return false;
        }
        return true;
    });
}

}  // namespace series
