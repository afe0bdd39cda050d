#include "export/markup.h"

#include <charconv>

void append_escaped(std::string& out, std::string_view text) {
    for (const char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default: out += c;
        }
    }
}

std::string html_escape(std::string_view text) {
    std::string html;
    html.reserve(text.size());
    append_escaped(html, text);
    return html;
}

void append_number(std::string& out, long n) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    out.append(digits, end);
}

void append_tenths(std::string& out, long tenths) {
    const long magnitude = tenths < 0 ? -tenths : tenths;
    if (tenths < 0) out += '-';
    append_number(out, magnitude / 10);
    out += '.';
    out += static_cast<char>('0' + magnitude % 10);
}

std::string tenths_text(long tenths) {
    std::string text;
    append_tenths(text, tenths);
    return text;
}

std::optional<std::int16_t> read_tenths(std::string_view text) {
    const bool negative = text.starts_with('-');
    if (negative) text.remove_prefix(1);
    if (text.size() < 3 || text.size() > max_whole_digits + 2 || text[text.size() - 2] != '.') return std::nullopt;
    long value = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i == text.size() - 2) continue;
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    if (negative) value = -value;
    if (value < INT16_MIN || value > INT16_MAX) return std::nullopt;
    return static_cast<std::int16_t>(value);
}

std::string counted(long n, std::string_view one) {
    std::string text;
    append_number(text, n);
    text += ' ';
    text += one;
    if (n != 1) text += 's';
    return text;
}
