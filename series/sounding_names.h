#pragma once
// The names of the sounding files, by station kind, as nome_file_misura
// makes them and the run's listing of the measurement folder reads them:
//
//   kind 1      YYDDD, the hour as a letter A to X, MM, ".TXT"   24063A15.TXT
//   kinds 2, 3  PREFIX YYYYDDD HH MM ".TXT"                      TUJ2O_20240631215.TXT
//   kinds 4-6   PREFIX YYYYDDD HH MM "00.TXT"                    RM041_2024063121500.TXT
//
// The name start, the prefix with the year and the day of the year, names a
// station's day; the hour (00 to 23) and the minute (00 to 59) the sounding.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/ascii.h"

namespace series {

struct SoundingScheme {
    std::string_view prefix;  // before the year
    std::string_view suffix;  // after the minute
};

// By kind, 1..6. Kind 1 writes the year with two digits and the hour as a
// letter; the others write the year with four digits and the hour with two.
// The fifth character of "TUJ2O_" is the letter O; the "0" of "RM041_",
// "SP044_" and "ML10L_" is the digit zero.
inline constexpr std::array<SoundingScheme, 7> sounding_schemes{{
    {"", ""},
    {"", ".TXT"},
    {"TUJ2O_", ".TXT"},
    {"BBJ3R_", ".TXT"},
    {"RM041_", "00.TXT"},
    {"SP044_", "00.TXT"},
    {"ML10L_", "00.TXT"},
}};

// The form of each kind's names, a character a position: '#' a digit, 'h'
// and 'm' the tens of the hour (0 to 2) and of the minute (0 to 5), '@' the
// hour as a letter, anything else itself; and the size of the name start.
struct SoundingForm {
    std::string_view text;
    std::size_t start_size;
};
inline constexpr std::array<SoundingForm, 7> sounding_forms{{
    {"", 0},
    {"#####@m#.TXT", 5},
    {"TUJ2O_#######h#m#.TXT", 13},
    {"BBJ3R_#######h#m#.TXT", 13},
    {"RM041_#######h#m#00.TXT", 13},
    {"SP044_#######h#m#00.TXT", 13},
    {"ML10L_#######h#m#00.TXT", 13},
}};

// The key of a name start: its kind and its digits, the same for names that
// differ only in the case of their letters; 0 for a text that is no name
// start of any kind.
std::uint32_t start_key(std::string_view start);

// A listed name read by the form of a sounding's name, the case of its
// ASCII letters aside.
struct SoundingName {
    enum Form {
        other,       // no sounding's name, or one of a day not wanted
        sounding,    // a sounding's name: of the day `start`, at `hour` and `minute`
        unreadable,  // all before character `cut` fits the form, which that
                     // character cannot be compared with: the name may be a
                     // sounding's, of the day `start` when `cut` is past it
    };
    Form form = other;
    std::uint32_t start = 0;     // start_key of the name's start, once read whole
    std::size_t start_size = 0;  // characters of the kind's name start
    std::size_t cut = 0;
    int hour = 0;
    int minute = 0;
};

// Reads `name` in one pass, which ends at the first character that does not
// fit, or at the end of the name start when `wanted(start_key)` is false:
// then the rest of the name is not looked at.
// `comparable(c)` tells the characters that a listing gives as they are
// (platform::listed_as_ascii).
template <typename Wanted, typename Comparable>
SoundingName read_sounding_name(std::string_view name, Wanted wanted, Comparable comparable);

// The kind whose names begin with `first` (folded): kind 1 with a digit,
// each other kind with a letter of its own; 0 for none.
inline int kind_beginning_with(char first) {
    if (first >= '0' && first <= '9') return 1;
    for (int kind = 2; kind <= 6; ++kind) {
        if (sounding_schemes[static_cast<std::size_t>(kind)].prefix.front() == first) return kind;
    }
    return 0;
}

inline constexpr std::uint32_t start_kind_unit = 10'000'000;  // above the digits of any name start

template <typename Wanted, typename Comparable>
SoundingName read_sounding_name(std::string_view name, Wanted wanted, Comparable comparable) {
    SoundingName read;
    // Character i is the first that does not fit the form, or the end of
    // the name. A character that cannot be compared never fits: only there
    // does it matter.
    auto misfit = [&](std::size_t i) {
        if (i < name.size() && !comparable(name[i])) {
            read.form = SoundingName::unreadable;
            read.cut = i;
        }
        return read;
    };
    if (name.empty()) return read;
    const int kind = kind_beginning_with(platform::ascii_upper(name[0]));
    if (kind == 0) return misfit(0);
    const std::string_view form = sounding_forms[static_cast<std::size_t>(kind)].text;
    read.start_size = sounding_forms[static_cast<std::size_t>(kind)].start_size;

    // The name start: the prefix, then the digits of the year and the day.
    // A name shorter than its start fits up to its end at most.
    const std::size_t prefix = sounding_schemes[static_cast<std::size_t>(kind)].prefix.size();
    const std::size_t start_end = name.size() < read.start_size ? name.size() : read.start_size;
    std::size_t i = 0;
    for (; i < prefix && i < start_end; ++i) {
        if (platform::ascii_upper(name[i]) != form[i]) return misfit(i);
    }
    std::uint32_t digits = 0;
    for (; i < start_end; ++i) {
        const unsigned digit = static_cast<unsigned>(static_cast<unsigned char>(name[i])) - unsigned{'0'};
        if (digit > 9) return misfit(i);
        digits = digits * 10 + digit;
    }
    if (i < read.start_size) return read;
    read.start = static_cast<std::uint32_t>(kind) * start_kind_unit + digits;
    if (!wanted(read.start)) return read;

    // The hour, the minute and the suffix.
    int tens = 0;
    for (; i < form.size(); ++i) {
        if (i == name.size()) return misfit(i);
        const char c = name[i];
        const int digit = c - '0';
        switch (const char expected = form[i]) {
        case '#':
            if (digit < 0 || digit > 9) return misfit(i);
            if (form[i - 1] == 'h') read.hour = tens * 10 + digit;
            else read.minute = tens * 10 + digit;
            if (read.hour > 23) return misfit(i);
            break;
        case 'h':
        case 'm':
            if (digit < 0 || digit > (expected == 'h' ? 2 : 5)) return misfit(i);
            tens = digit;
            break;
        case '@':
            if (platform::ascii_upper(c) < 'A' || platform::ascii_upper(c) > 'X') return misfit(i);
            read.hour = platform::ascii_upper(c) - 'A';
            break;
        default:
            if (platform::ascii_upper(c) != expected) return misfit(i);
        }
    }
    if (name.size() > form.size()) return misfit(form.size());
    read.form = SoundingName::sounding;
    return read;
}

}  // namespace series
