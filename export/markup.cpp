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

void append_megahertz(std::string& out, std::int16_t tenths) {
    const int magnitude = tenths < 0 ? -tenths : tenths;
    if (tenths < 0) out += '-';
    append_number(out, magnitude / 10);
    out += '.';
    out += static_cast<char>('0' + magnitude % 10);
}

std::string megahertz(std::int16_t tenths) {
    std::string text;
    append_megahertz(text, tenths);
    return text;
}
