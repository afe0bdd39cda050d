// Which station wrote the measurement files: the first line of the first
// ordinary file of the measurement folder begins with the station's name.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/form1.h"
#include "platform/files.h"

namespace {

struct Station {
    std::string_view name_start;  // the first four characters of the first line
    std::int16_t tipo;
};

// In the order they are tried; the comparison is case-sensitive.
constexpr std::array<Station, 7> stations{{
    {"Gibi", 1},
    {"Mosc", 1},
    {"Tucu", 2},
    {"Bahi", 3},
    {"Rome", 4},
    {"La_S", 5},
    {"Mali", 6},
}};

constexpr std::size_t name_start_size = 4;

}  // namespace

std::int16_t Form1::riconosci_stazione() {
    std::int16_t tipo_stazione = 0;
    std::string first_line;
    platform::TextInput channel4;

    // A failing step is passed over and the next one runs: a folder with no
    // ordinary file, or a file that does not open or read, leaves the line
    // empty, and an empty line names no station. With no file name there is
    // nothing to open: the folder's own path is never opened as a file.
    // The run's listing of the folder knows its first ordinary file.
    const std::string name = measurement_listing ? measurement_listing->first_ordinary_file() : "";
    bool apertura_ok = true;
    if (name.empty() || !channel4.open(cartella_autoscalati + name)) apertura_ok = false;
    if (apertura_ok && !channel4.read_line(first_line, name_start_size)) apertura_ok = false;
    channel4.close();

    for (const Station& station : stations) {
        if (std::string_view(first_line).substr(0, name_start_size) != station.name_start) continue;
        for (int h = 0; h <= 23; ++h) {
            if (station.tipo == 1) {
                etichette_ore[h] = std::string(1, static_cast<char>('A' + h));
            } else {
                etichette_ore[h] = {static_cast<char>('0' + h / 10), static_cast<char>('0' + h % 10)};
            }
        }
        tipo_stazione = station.tipo;
        break;
    }

    // With no station the hour labels keep what they held.
    if (tipo_stazione == 0) report("measurements: no station recognised in " + platform::native_path(cartella_autoscalati));
    return tipo_stazione;
}
