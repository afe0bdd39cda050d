#include "series/sounding_names.h"

#include "platform/ascii.h"

namespace series {

// Each form is its kind's prefix and suffix about the digits.
static_assert([] {
    for (std::size_t kind = 1; kind <= 6; ++kind) {
        const std::string_view form = sounding_forms[kind].text;
        if (!form.starts_with(sounding_schemes[kind].prefix) || !form.ends_with(sounding_schemes[kind].suffix) ||
            sounding_forms[kind].start_size != sounding_schemes[kind].prefix.size() + (kind == 1 ? 5 : 7))
            return false;
    }
    return true;
}());

std::uint32_t start_key(std::string_view start) {
    if (start.empty()) return 0;
    const int kind = kind_beginning_with(platform::ascii_upper(start.front()));
    if (kind == 0) return 0;
    const SoundingForm& form = sounding_forms[static_cast<std::size_t>(kind)];
    if (start.size() != form.start_size) return 0;
    std::uint32_t digits = 0;
    for (std::size_t i = 0; i < start.size(); ++i) {
        const char c = platform::ascii_upper(start[i]);
        if (form.text[i] != '#') {
            if (c != form.text[i]) return 0;
            continue;
        }
        if (c < '0' || c > '9') return 0;
        digits = digits * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return static_cast<std::uint32_t>(kind) * start_kind_unit + digits;
}

}  // namespace series
