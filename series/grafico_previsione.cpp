// The monthly forecast on the chart of one day: 24 white dots, one for each
// whole hour UT, joined in hour order by white segments. The values are the
// 24 five-character fields of line 2 of the month's forecast file, which
// the month's own chart and tables read too.

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "app/form1.h"
#include "platform/files.h"
#include "series/frequency_text.h"

namespace {

constexpr int fields = 24;
constexpr std::size_t field_size = 5;
constexpr std::size_t line_size = fields * field_size;  // nothing past it is used

}  // namespace

std::optional<std::array<std::int16_t, 24>> Form1::read_forecast(const std::string& file_previsioni) {
    std::array<std::int16_t, fields + 1> valori_previsti{};  // 1..24, all 0 on every call
    std::string riga_previsione;
    platform::TextInput channel1;

    // A failing step is passed over and the next one runs; each failure
    // clears apertura_ok, and the flag decides whether the file is used.
    const std::string path = forecast_path(file_previsioni);
    bool apertura_ok = true;
    const std::string shown = platform::native_path(path);
    const std::optional<std::chrono::year_month_day> day =
        indice_giorno >= 1 && indice_giorno <= 6 ? std::optional(day_date[indice_giorno]) : std::nullopt;
    if (Status s = channel1.open(path); !s) {
        apertura_ok = false;
        find(Finding::Topic::forecasts, Finding::Level::fail,
             platform::names_nothing(path) ? "forecast: no file " + shown : "forecast: " + s.message(), day);
    }
    if (!apertura_ok) return std::nullopt;

    // Line 1 is skipped whatever it holds; line 2 holds the values.
    if (!channel1.read_line(riga_previsione, 0)) apertura_ok = false;
    if (!channel1.read_line(riga_previsione, line_size)) apertura_ok = false;
    channel1.close();

    // A file without a line 2 holds no forecast: no curve, as for a missing file.
    if (!apertura_ok) {
        find(Finding::Topic::forecasts, Finding::Level::fail, "forecast: " + shown + " has no line 2", day);
        return std::nullopt;
    }

    // Field k holds the hour k - 1 UT: a separator, two characters of whole
    // MHz, the point and the tenths. A field past the end of a short line is 0.
    // Each field not of that form is counted, and the first one named.
    int unread = 0;
    std::string first_unread;
    for (indice_campo = 1; indice_campo <= fields; ++indice_campo) {
        const std::size_t field_end = field_size * static_cast<std::size_t>(indice_campo);
        valori_previsti[indice_campo] = series::frequency_value(series::characters(riga_previsione, field_end - 3, 2),
                                                                series::characters(riga_previsione, field_end, 1));
        if (!series::documented_frequency(series::characters(riga_previsione, field_end - 3, 4)) && unread++ == 0)
            first_unread = "hour " + std::to_string(indice_campo - 1) + " UT, \"" +
                           std::string(series::characters(riga_previsione, field_end - 4, field_size)) + "\"";
    }
    if (unread == 0) {
        find(Finding::Topic::forecasts, Finding::Level::ok, "forecast " + shown + ": 24 hourly values");
    } else if (unread == fields) {
        find(Finding::Topic::forecasts, Finding::Level::fail,
             "forecast " + shown + ": no hour of line 2 reads as a value (24 fields of 5 characters, as \"  9.8\")", day);
    } else {
        find(Finding::Topic::forecasts, Finding::Level::note,
             "forecast " + shown + ": " + std::to_string(unread) + " of its 24 hours do not read as a value, the first " +
                 first_unread + ": drawn at its leading number, 0 when it has none",
             day);
    }
    std::array<std::int16_t, fields> values;
    std::copy(valori_previsti.begin() + 1, valori_previsti.end(), values.begin());
    return values;
}

void Form1::draw_forecast(const std::array<std::int16_t, 24>& values, const std::string& file_previsioni, bool record) {
    const std::string file = record ? std::string(platform::file_name(forecast_path(file_previsioni))) : "";
    // Each dot is drawn, then the segment that ends on it; the first dot has none.
    x_precedente = 0;
    y_precedente = 0;
    for (int k = 1; k <= fields; ++k) {
        const auto x = static_cast<std::int16_t>(10 * (k - 1));
        const std::int16_t y = values[k - 1];
        superficie.FillStyle = Surface::Fill::solid;
        superficie.FillColor = colours::white;
        superficie.Circle(x, y, 2, colours::white);
        if (record) {
            chart_data.points.push_back({.series = ChartPoint::Series::forecast, .minute = 60 * (k - 1), .tenths = y,
                                         .file = file,
                                         .operation = superficie.operations() - 1});
        }
        if (k > 1) superficie.Line(x_precedente, y_precedente, x, y, colours::white);
        x_precedente = x;
        y_precedente = y;
    }
}

void Form1::grafico_previsione(const std::string& file_previsioni) {
    const auto values = read_forecast(file_previsioni);
    if (!values) return;
    draw_forecast(*values, file_previsioni, records_points());
    chart_data.forecast_drawn = true;
}
