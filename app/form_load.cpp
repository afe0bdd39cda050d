// The whole run: the load event of the hidden window, and the steps that
// every run takes: the minute labels, the day keys, the chart of a day.

#include <algorithm>
#include <string>

#include "app/date_text.h"
#include "app/day_keys.h"
#include "app/form1.h"
#include "export/day_against_forecast.h"
#include "platform/clock.h"
#include "platform/files.h"

void Form1::Form_Load() {
    // Every statement below runs whatever happened to the ones before it;
    // a failure is only named on the diagnostic stream.
    start_run();
    compute_day_keys();
    impostazioni_dimensioni_e_scala_del_form();
    // data_corrente is today now, as the last day's key read it. Charts
    // drawn without the soundings of a folder that cannot be read would
    // replace good charts with empty ones: then the run writes nothing, and
    // every day counts as failed.
    inspect_folder_lines(false);
    if (Status s = list_measurement_folder(std::chrono::sys_days{data_corrente} - std::chrono::days{days_listed_back()},
                                           data_corrente);
        !s) {
        failures += 6;
        record.failed += 6;
        report(s.message());
        return;
    }
    clear_stale_temporaries(true);

    for (indice_giorno = 1; indice_giorno <= 6; ++indice_giorno) {
        const std::string& key = mese_anno[indice_giorno];
        draw_chart();
        record_day();
        // The export stops at its first failing step; the next day is drawn all the same.
        if (Status s = salva_figura(key); !s) {
            ++failures;
            ++record.failed;
            report("day " + data_giorno[indice_giorno] + ": " + s.message());
        } else {
            ++record.exported;
            record.days.back().published = true;
        }
        superficie.Cls();
    }

    if (settings_.monthly) write_months(first_of_six_days(data_corrente), data_corrente);
    if (settings_.archive_page) write_archive_pages(first_of_six_days(data_corrente), data_corrente);
    if (settings_.feed) write_feed();
}

void Form1::start_run() {
    record.written = platform::utc_now();
    fill_minute_labels();
    if (Status s = platform::current_folder(cartella_corrente); !s) report(s.message());
    record.working_folder = platform::utf8_path(cartella_corrente);
    // A drive root such as C:\ already ends with its separator. Without a
    // working folder the configuration is looked for by its bare name.
    if (!cartella_corrente.empty() && !platform::is_separator(cartella_corrente.back())) cartella_corrente += '\\';
    read_configuration();
}

void Form1::fill_minute_labels() {
    // Entries 1 to 59 are "01" to "59"; entry 60 is "00", minute 0 of the
    // same hour, which is therefore tried after minute 59.
    for (int k = 1; k <= 59; ++k) etichette_minuti[k] = zero_padded(k, 2);
    etichette_minuti[60] = "00";
}

void Form1::compute_day_keys() {
    using namespace std::chrono;
    for (scarto_giorni = -5; scarto_giorni <= 0; ++scarto_giorni) {
        // Today is read afresh for every day, as the clock gives it then.
        data_corrente = year_month_day{sys_days{today()} + days{scarto_giorni}};
        set_day_keys(scarto_giorni + 6, data_corrente);
    }
}

void Form1::set_day_keys(int i, std::chrono::year_month_day date) {
    DayKeys keys = day_keys(date);
    mese_anno[i] = std::move(keys.mese_anno);
    giorno_anno[i] = std::move(keys.giorno_anno);
    data_giorno[i] = std::move(keys.data_giorno);
    day_date[i] = date;
}

std::chrono::year_month_day Form1::today() const {
    return settings_.today ? *settings_.today : platform::today_local();
}

void Form1::draw_chart() {
    const std::string& key = mese_anno[indice_giorno];
    chart_data.points.clear();
    chart_data.forecast_drawn = false;
    disegno_dello_stage();
    grafico_previsione(key);
    grafico_valori_autoscalati(key);
    superficie.CurrentX = 75;
    superficie.CurrentY = 600;
    superficie.Print("Date: " + data_giorno[indice_giorno]);
}

void Form1::record_day() {
    DayRecord day;
    day.date = day_date[indice_giorno];
    day.forecast_drawn = chart_data.forecast_drawn;
    if (day.forecast_drawn) day.forecast.emplace();
    for (const ChartPoint& point : chart_data.points) {
        if (point.series != ChartPoint::Series::observed) {
            if (day.forecast && point.tenths && point.minute % 60 == 0 && point.minute / 60 < 24)
                (*day.forecast)[point.minute / 60] = *point.tenths;
            continue;
        }
        ++day.soundings;
        day.without_value += !point.tenths;
        day.newest_minute = std::max(day.newest_minute.value_or(point.minute), point.minute);
        if (point.tenths && *point.tenths > 0 && point.minute >= day.newest_valued_minute.value_or(point.minute)) {
            day.newest_valued_minute = point.minute;
            day.newest_value = *point.tenths;
        }
    }
    if (settings_.feed) day.against_forecast = against_forecast(chart_data);
    record.days.push_back(std::move(day));
}

void Form1::report(const std::string& message) const { output_->report(message); }

void Form1::find(Finding::Topic topic, Finding::Level level, const std::string& text,
                 std::optional<std::chrono::year_month_day> day) const {
    output_->find(topic, level, text, day);
}

void Form1::say_findings() const { output_->say_findings(); }
