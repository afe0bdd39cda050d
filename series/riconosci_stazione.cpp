// Which station wrote the measurement files: the first line of the first
// ordinary file of the measurement folder begins with the station's name.

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
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
    const bool channel4_opened = apertura_ok;
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

    recognised_station = tipo_stazione;
    const std::string folder = platform::native_path(cartella_autoscalati);
    const std::optional<std::chrono::year_month_day> day =
        indice_giorno >= 1 && indice_giorno <= 6 ? std::optional(day_date[indice_giorno]) : std::nullopt;
    // The first four characters as they can be shown.
    std::string start = first_line.substr(0, name_start_size);
    for (char& c : start)
        if (c < ' ' || c > '~') c = '?';
    if (tipo_stazione != 0) {
        find(Finding::Topic::measurement_folder, Finding::Level::ok,
             "measurements (line 4): " + folder + ", " +
                 std::to_string(measurement_listing ? measurement_listing->files() : 0) + " files, station " + start +
                 " (" + name + ")");
        return tipo_stazione;
    }
    // With no station the hour labels keep what they held.
    std::string why;
    if (cartella_autoscalati.empty()) {
        why = std::string(Findings::days_mark) + ": line 4 is empty";
    } else if (!platform::is_separator(cartella_autoscalati.back())) {
        why = " in " + folder + std::string(Findings::days_mark) + ": the line lacks its final separator";
    } else if (name.empty()) {
        why = " in " + folder + std::string(Findings::days_mark) + ": it holds no ordinary file";
    } else if (!channel4_opened) {
        why = " in " + folder + std::string(Findings::days_mark) + ": its first file, " + name + ", cannot be read";
    } else if (!apertura_ok) {
        why = " in " + folder + std::string(Findings::days_mark) + ": its first file, " + name + ", is empty";
    } else {
        why = " in " + folder + std::string(Findings::days_mark) + ": the first line of its first file, " + name + ", begins with \"" + start +
              "\", which is no station's (Gibi, Mosc, Tucu, Bahi, Rome, La_S, Mali)";
    }
    find(Finding::Topic::measurement_folder, Finding::Level::fail, "measurements: no station recognised" + why, day);
    return tipo_stazione;
}
