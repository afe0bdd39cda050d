#pragma once
// Writing HTML and XML text: what the archive's pages and the charts' SVG
// files are made of, appended in place to the text being written.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// `text` with & < > " ' replaced by their character references, fit for
// element content and quoted attribute values alike.
std::string html_escape(std::string_view text);
void append_escaped(std::string& out, std::string_view text);

// `n` in decimal.
void append_number(std::string& out, long n);
// `n`, 0 to 99, in two decimal digits: "07".
inline void append_two_digits(std::string& out, int n) {
    out += static_cast<char>('0' + n / 10 % 10);
    out += static_cast<char>('0' + n % 10);
}

// A number of tenths with one decimal: "12.3", "0.0", "-0.5". Values in
// tenths of MHz become MHz, tenths of a percent a percent.
void append_tenths(std::string& out, long tenths);
std::string tenths_text(long tenths);

// A value in tenths of MHz back from its text: an optional "-", one to
// `max_whole_digits` digits, "." and one digit, within int16_t; nullopt for
// any other text.
inline constexpr std::size_t max_whole_digits = 5;
std::optional<std::int16_t> read_tenths(std::string_view text);

// `n` and the noun for one, which takes an "s" for any other number:
// "1 day", "29 days".
std::string counted(long n, std::string_view one);
