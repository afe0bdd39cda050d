#pragma once
// Writing HTML and XML text: what the archive's pages and the charts' SVG
// files are made of, appended in place to the text being written.

#include <string>
#include <string_view>

// `text` with & < > " ' replaced by their character references, fit for
// element content and quoted attribute values alike.
std::string html_escape(std::string_view text);
void append_escaped(std::string& out, std::string_view text);

// `n` in decimal.
void append_number(std::string& out, long n);
