#pragma once
// Reading the numbers of the data files. Frequencies are written as two
// characters of whole MHz, a point and one character of tenths; the point is
// never looked at. The value is kept in tenths of MHz, the chart's y unit.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace series {

// Characters `position` (1 for the first) to `position` + `count` - 1 of
// `text`: fewer when the text ends early, none when it ends before them.
std::string_view characters(std::string_view text, std::size_t position, std::size_t count);

// `text` without its leading and trailing spaces.
std::string_view trimmed(std::string_view text);

// The number at the start of `text`, leading blanks skipped: an optional
// sign, digits and an optional point with more digits. 0 when the text does
// not begin with a number. Rounded to the nearest integer, halves to the even
// neighbour; a number outside the 16-bit range gives 0, as a failed store
// leaves the value it would have replaced.
std::int16_t leading_number(std::string_view text);

// A frequency in tenths of MHz: the whole-MHz characters without their
// spaces, followed by the tenths character as it stands, read as a number.
// "12" and "3" give 123, " 9" and "5" give 95, "12" and " " give 12.
std::int16_t frequency_value(std::string_view whole_mhz, std::string_view tenths);

// Whether `field` is a frequency of the documented form: two characters of
// whole MHz (a digit, or a blank before one), the point and a digit of
// tenths, as "12.3" and " 9.8".
bool documented_frequency(std::string_view field);

}  // namespace series
