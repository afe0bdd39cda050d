#include "series/frequency_text.h"

#include <string>

namespace series {

std::string_view characters(std::string_view text, std::size_t position, std::size_t count) {
    if (position < 1 || position > text.size()) return {};
    return text.substr(position - 1, count);
}

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::int16_t leading_number(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;

    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }

    auto digit = [&](std::size_t j) { return j < text.size() && text[j] >= '0' && text[j] <= '9'; };

    // The whole part, stopped as soon as it can no longer fit.
    constexpr long limit = 40000;
    long whole = 0;
    bool number = false;
    for (; digit(i); ++i) {
        number = true;
        if (whole < limit) whole = whole * 10 + (text[i] - '0');
    }

    // The fraction only decides the rounding: its first digit, and whether
    // any later digit is not zero.
    int first_decimal = 0;
    bool more_decimals = false;
    if (i < text.size() && text[i] == '.') {
        ++i;
        if (digit(i)) {
            number = true;
            first_decimal = text[i] - '0';
            for (++i; digit(i); ++i) {
                if (text[i] != '0') more_decimals = true;
            }
        }
    }
    if (!number) return 0;

    // Nearest integer, a half going to the even neighbour; the same on both
    // sides of zero.
    if (first_decimal > 5 || (first_decimal == 5 && (more_decimals || whole % 2 == 1))) ++whole;

    const long value = negative ? -whole : whole;
    if (value < INT16_MIN || value > INT16_MAX) return 0;
    return static_cast<std::int16_t>(value);
}

std::int16_t frequency_value(std::string_view whole_mhz, std::string_view tenths) {
    std::string text(trimmed(whole_mhz));
    text += tenths;
    return leading_number(text);
}

bool documented_frequency(std::string_view field) {
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    return field.size() == 4 && (digit(field[0]) || field[0] == ' ') && digit(field[1]) && field[2] == '.' &&
           digit(field[3]);
}

}  // namespace series
