// The values that the station's sounder scaled during one day: a red dot for
// each sounding with a value, a red segment back to the previous value when
// the two lie 12 to 18 minutes apart, and a short green tick at the bottom of
// the chart for each sounding that gave no value ("N/A").

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/form1.h"
#include "platform/files.h"
#include "series/frequency_text.h"

namespace {

// The x offset, in chart units of six minutes, of a minute within its hour:
// minutes 00-03 give 0, 04-09 give 1, ... 52-57 give 9 and 58-59 give 10,
// so a value at minute 58 or 59 lies at the next hour's x.
std::int16_t scostamento_minuti(std::int16_t minuto) { return static_cast<std::int16_t>((minuto + 2) / 6); }

constexpr std::size_t record_line_end = 19;  // the value field is characters 16 to 19 of line 4

}  // namespace

void Form1::grafico_valori_autoscalati(const std::string& file_previsioni) {
    const std::int16_t tipo_stazione = riconosci_stazione();

    // The last value drawn; a day's series never continues the previous day's.
    std::int16_t x_valore_precedente = 0;
    std::int16_t valore_precedente = 0;

    // With no station there is no file name to try.
    if (tipo_stazione == 0) return;

    // The minutes of this day for which the run's listing of the folder
    // holds a sounding's name; none known when only opening each name tells.
    const series::MinuteSlots* listed =
        measurement_listing && indice_giorno >= 1 && indice_giorno <= 6
            ? measurement_listing->minutes(measurement_name_start(tipo_stazione, file_previsioni, giorno_anno[indice_giorno]))
            : nullptr;
    std::string record_line;
    // Within an hour the minutes run 01, 02, ... 59 and then 00: minute
    // index 60 stands for minute 0 of the same hour.
    for (std::int16_t h = 0; h <= 23; ++h) {
        for (std::int16_t m = 1; m <= 60; ++m) {
            platform::TextInput channel2;

            // A failing step is passed over and the next one runs; each
            // failure clears apertura_ok, and the flag decides whether the
            // file is used. A minute without a file (or with a folder or a
            // pipe of that name) is over at the open, or before its name is
            // made when the run's listing holds no such name. Minute index
            // m names minute m % 60 (fill_minute_labels).
            if (listed && !listed->holds(h, m % 60)) continue;
            const std::string path = nome_file_misura(tipo_stazione, file_previsioni, h, m);
            bool apertura_ok = true;
            if (!channel2.open(path)) apertura_ok = false;
            if (!apertura_ok) continue;

            // Lines 1 to 3 are skipped; line 4 holds the value.
            if (!channel2.read_line(record_line, 0)) apertura_ok = false;
            if (!channel2.read_line(record_line, 0)) apertura_ok = false;
            if (!channel2.read_line(record_line, 0)) apertura_ok = false;
            if (!channel2.read_line(record_line, record_line_end)) apertura_ok = false;
            channel2.close();

            // A file of fewer than four lines has no value: nothing is drawn
            // for it and the previous value stays the one to join to.
            if (!apertura_ok) {
                report("measurements: " + platform::native_path(path) + " has fewer than 4 lines");
                continue;
            }

            auto x = static_cast<std::int16_t>(10 * h);
            const std::int16_t minuto = series::leading_number(series::trimmed(etichette_minuti[m]));
            const std::string_view field = series::characters(record_line, 16, 4);

            if (series::trimmed(field) != "N/A") {
                // Whole MHz in characters 1-2, tenths in character 4. A
                // field that is short or holds no number gives 0, drawn at
                // y = 0 and never joined to.
                const std::int16_t value =
                    series::frequency_value(series::characters(field, 1, 2), series::characters(field, 4, 1));
                superficie.FillStyle = Surface::Fill::solid;
                superficie.FillColor = colours::red;
                x = static_cast<std::int16_t>(x + scostamento_minuti(minuto));
                superficie.Circle(x, value, 2, colours::red);
                if (!series::documented_frequency(field) && indice_giorno >= 1 && indice_giorno <= 6)
                    output_->odd_value_field(day_date[indice_giorno], std::string(platform::file_name(path)));
                if (records_points()) record_sounding(h, minuto, value, path);
                // Joined only to a value two or three units (12 to 18
                // minutes) earlier in processing order, whatever lies between.
                if ((x == x_valore_precedente + 2 || x == x_valore_precedente + 3) && valore_precedente != 0) {
                    superficie.Line(x, value, x_valore_precedente, valore_precedente, colours::red);
                }
                x_valore_precedente = x;
                valore_precedente = value;
            } else {
                // No value: a tick from 5.2 to 7.3 MHz, just above the time
                // axis; the value to join to stays the previous one.
                x = static_cast<std::int16_t>(x + scostamento_minuti(minuto));
                superficie.Line(x, 52, x, 73, colours::green);
                if (records_points()) record_sounding(h, minuto, std::nullopt, path);
            }
        }
    }
}

void Form1::record_sounding(int h, int minuto, std::optional<std::int16_t> value, const std::string& path) {
    // The time of the sounding's slot: minute label "00" is minute 0 of the
    // same hour, whatever x the dot is drawn at.
    chart_data.points.push_back({.series = ChartPoint::Series::observed, .minute = 60 * h + minuto, .tenths = value,
                                 .file = records_files() ? std::string(platform::file_name(path)) : std::string(),
                                 .operation = superficie.operations() - 1});
}
