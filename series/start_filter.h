#pragma once
// The quick test that most names of a measurement folder stop at: whether a
// name may begin as one of a few sounding name starts does, tried on every
// name listed before any is read whole.
//
// It may let through names that are no sounding's of those starts: names
// whose bytes differ from a start's only in the case bit of a character of
// the prefix (a letter in the other case, as wanted, but also '_' and DEL),
// names of a sounding's length whose hour, minute and suffix are anything,
// and every name that holds a byte beyond ASCII or the listing's mark of a
// character it could not give. That is safe: every name let through is read
// whole (read_sounding_name), which decides. What it stops, it stops only
// because no start listed for can begin it: a name of no sounding's length
// that is all ASCII, or one whose day of the year or whose start bytes, the
// prefix's case aside, are those of no start.

#include <algorithm>
#include <bitset>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/folder_listing.h"
#include "series/sounding_names.h"

namespace series {
namespace start_filter {

// A start's first sixteen bytes as two words, those past the start and the
// case bit of its prefix's letters cleared.
struct Words {
    std::uint64_t head = 0, tail = 0;
    friend bool operator==(const Words&, const Words&) = default;
};
struct WordsHash {
    std::size_t operator()(const Words& words) const {
        return std::hash<std::uint64_t>{}(words.head ^ (words.tail * 0x9E3779B97F4A7C15u));
    }
};

// The sizes the filter reads names by: kind 1's names of 12 characters with
// a start of 5 and no prefix, the other kinds' of 21 or 23 characters with a
// start of 13 and a prefix of 6. A name is read eight bytes at a time, the
// last eight overlapping: twelve bytes at least, sixteen for the words.
inline constexpr std::size_t short_name = sounding_forms[1].text.size(), short_start = sounding_forms[1].start_size;
inline constexpr std::size_t long_start = sounding_forms[2].start_size, prefix_size = sounding_schemes[2].prefix.size();
inline constexpr std::size_t long_name = sounding_forms[2].text.size(), longer_name = sounding_forms[4].text.size();
static_assert(short_name == 12 && sounding_schemes[1].prefix.empty() && short_start >= 3);
static_assert([] {
    for (std::size_t kind = 2; kind <= 6; ++kind) {
        const std::size_t size = sounding_forms[kind].text.size();
        if (sounding_schemes[kind].prefix.size() != prefix_size || sounding_forms[kind].start_size != long_start ||
            (size != long_name && size != longer_name))
            return false;
    }
    return long_start <= 16 && long_name >= 16 && longer_name >= 16;
}());

// The three digits at `at` as a number; 1000 or more when they are none.
inline unsigned day_of_year_at(const char* at) {
    const unsigned hundreds = static_cast<unsigned char>(at[0]) - unsigned{'0'};
    const unsigned tens = static_cast<unsigned char>(at[1]) - unsigned{'0'};
    const unsigned ones = static_cast<unsigned char>(at[2]) - unsigned{'0'};
    if (hundreds > 9 || tens > 9 || ones > 9) return 1000;
    return hundreds * 100 + tens * 10 + ones;
}

// Eight bytes of a name from `at` on, as one word (in the machine's order:
// only compared with words made the same way).
inline std::uint64_t word_at(const char* at) {
    std::uint64_t word;
    std::memcpy(&word, at, 8);
    return word;
}

}  // namespace start_filter

class StartFilter {
public:
    // `starts`: name starts (Form1::measurement_name_start), each of a
    // kind's form (start_key not 0), in upper case.
    explicit StartFilter(std::vector<std::string> starts);

    // False when `name` surely begins as none of the starts. Its quick part
    // is inline, asked of every name of the folder (105,000 in a year's):
    // out of line it cost 2.1 M instructions more there (callgrind).
    bool may_start(std::string_view name) const;
    // Whether some start begins as `name` does up to `size`, the case of
    // ASCII letters aside.
    bool could_start(std::string_view name, std::size_t size) const;
    bool empty() const { return starts_.empty(); }

private:
    // Whether the first `start_size` bytes of `name`, the prefix's case
    // aside, are a start's.
    bool begins_as_a_start(std::string_view name, std::size_t start_size) const;

    std::vector<std::string> starts_;
    std::unordered_set<start_filter::Words, start_filter::WordsHash> words_;  // of each start
    std::bitset<1000> days_of_year_;          // the days of the year the starts end with
};

inline bool StartFilter::may_start(std::string_view name) const {
    // Only a name of a sounding's length, which begins as one of the starts
    // does; unless it holds a character beyond ASCII, or one that the
    // listing could not give: only reading it whole tells then.
    using namespace start_filter;
    const std::size_t size = name.size();
    std::size_t start_size = 0;
    if (size == long_name || size == longer_name) {
        start_size = long_start;
    } else if (size == short_name) {
        start_size = short_start;
    } else {
        return !std::all_of(name.begin(), name.end(), platform::listed_as_ascii);
    }
    // Eight bytes at a time, the last eight overlapping; a name of twelve
    // is all in its first eight and its last eight.
    const char* const at = name.data();
    const std::uint64_t all = word_at(at) | word_at(size >= 16 ? at + 8 : at) | word_at(at + size - 8);
    if ((all & 0x8080808080808080u) != 0 ||
        (platform::unlisted_mark != 0 && name.find(platform::unlisted_mark) != name.npos))
        return true;
    // Most names of a folder of years of soundings end their start with a
    // day of the year that no start ends with.
    const unsigned day = day_of_year_at(at + start_size - 3);
    if (day >= days_of_year_.size() || !days_of_year_[day]) return false;
    return begins_as_a_start(name, start_size);
}

}  // namespace series
