#include "series/sounding_names.h"


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
    // The reader stops at the end of the start: no start is wanted further.
    const SoundingName read = read_sounding_name(start, [](std::uint32_t) { return false; }, [](char) { return true; });
    return start.size() == read.start_size ? read.start : 0;
}

}  // namespace series
