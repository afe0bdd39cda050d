#pragma once
// Writing HTML and XML text: what the archive's pages and the charts' SVG
// files are made of, appended in place to the text being written.

#include <cstdint>
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

// A value in tenths of MHz as MHz with one decimal: "12.3", "0.0", "-0.5".
void append_megahertz(std::string& out, std::int16_t tenths);
std::string megahertz(std::int16_t tenths);
