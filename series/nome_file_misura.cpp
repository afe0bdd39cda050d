// How each station names its measurement files (series/sounding_names.h).

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/day_keys.h"
#include "app/form1.h"
#include "series/sounding_names.h"

namespace {

// The kind's prefix, the year of `file_previsioni` (the month, then the
// four-digit year) and the day of the year, after `name`.
void append_name_start(std::string& name, std::int16_t tipo_stazione, const std::string& file_previsioni,
                       const std::string& giorno) {
    name += series::sounding_schemes[static_cast<std::size_t>(tipo_stazione)].prefix;
    const std::string_view year = key_year(file_previsioni);
    name += tipo_stazione == 1 ? year.substr(std::min<std::size_t>(2, year.size())) : year;
    name += giorno;
}

}  // namespace

std::string Form1::measurement_name_start(std::int16_t tipo_stazione, const std::string& file_previsioni,
                                          const std::string& giorno) {
    if (tipo_stazione < 1 || tipo_stazione > 6) return {};
    std::string start;
    append_name_start(start, tipo_stazione, file_previsioni, giorno);
    return start;
}

std::string Form1::nome_file_misura(std::int16_t tipo_stazione, const std::string& file_previsioni, int h,
                                    int m) const {
    // Outside the kinds and the arrays' ranges there is no name; opening
    // the empty name fails like a missing file.
    if (tipo_stazione < 1 || tipo_stazione > 6) return {};
    if (indice_giorno < 1 || indice_giorno > 6) return {};
    if (h < 0 || h > 23 || m < 1 || m > 60) return {};
    std::string name;
    name.reserve(cartella_autoscalati.size() + 32);
    name += cartella_autoscalati;
    append_name_start(name, tipo_stazione, file_previsioni, giorno_anno[indice_giorno]);
    name += etichette_ore[h];
    name += etichette_minuti[m];
    name += series::sounding_schemes[static_cast<std::size_t>(tipo_stazione)].suffix;
    return name;
}
