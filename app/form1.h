#pragma once
// Form1: the hidden window whose load event is the whole run. It holds the
// run's state as fields and offers one operation per task. Each operation is
// declared below under the file that defines it.

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/run_output.h"
#include "app/run_record.h"
#include "canvas/surface.h"
#include "export/chart_files.h"
#include "export/image_converter.h"
#include "export/month_chart.h"
#include "export/write_chart.h"
#include "platform/files.h"
#include "platform/status.h"
#include "series/chart_data.h"
#include "series/measurement_listing.h"

class Form1 {
public:
    struct Settings {
        // Draw the six days ending on this date instead of the clock's today.
        std::optional<std::chrono::year_month_day> today = {};
        // Where --verbose writes one line per failure met; none when null.
        std::ostream* diagnostics = nullptr;
        // A terminal that shows the progress of an archive range; none when null.
        std::ostream* progress = nullptr;
        // (Re)write the archive's browsing pages after the charts.
        bool archive_page = false;
        // Beside each chart NAME.gif, its data NAME.csv and its vector picture NAME.svg.
        bool csv = false;
        bool svg = false;
        // After the days, each of their months' tables and chart from the
        // archived days' CSVs (the CSVs are then written too).
        bool monthly = false;
        // At the end, the run's figures into this file; none when empty.
        std::string metrics = {};
        // Say so, and end with status 3, when the newest sounding is older
        // than this many minutes at the clock, or there is none.
        std::optional<int> stale_after = {};
        // The station as its visitors know it and its URSI code, for the
        // pages and the feed; none when empty.
        std::string station = {};
        std::string station_code = {};
        // After the charts (and the pages), latest.json in the publication folder.
        bool feed = false;
        // What the pages and the feed say wrote them: "plotmuf 1.0.0".
        std::string generator = {};
    };

    Form1() : Form1(Settings{}) {}
    explicit Form1(Settings settings)
        : settings_(settings), output_(std::make_shared<RunOutput>(settings.diagnostics, settings.progress)) {
        superficie.log_operations(settings_.svg);
    }

    // app/form_load.cpp: the whole run (configuration, day keys, scale, and
    // the six charts); its first steps, which every run takes; the chart of
    // day indice_giorno, drawn; and the line that names a failure.
    void Form_Load();
    void start_run();
    void draw_chart();
    void report(const std::string& message) const;
    // A fact about the configuration or its folders, of day `day` if any,
    // said once however many days find it (app/findings.h).
    void find(Finding::Topic topic, Finding::Level level, const std::string& text,
              std::optional<std::chrono::year_month_day> day = {}) const;
    // Under --verbose, each note and failure found, once.
    void say_findings() const;
    // The first day the measurement folder is listed for: five days before
    // today, or seven when the run is to tell a stale sounder.
    int days_listed_back() const { return settings_.stale_after ? 7 : 5; }

    // app/folder_lines.cpp: what the folder lines 2, 4 and 6 name, and,
    // when `writable` is asked, whether the run can write where it writes.
    void inspect_folder_lines(bool writable);
    // app/check.cpp: plotmuf --check. Reads all a run reads, writes
    // nothing, and prints each finding to `out`; 1 when one is a failure.
    int check(std::ostream& out);
    // app/newest_sounding.cpp: the newest sounding of the listing, by the
    // time in its name, of the days from `days_back` days before today to
    // today; and, with --stale-after, the words for one that is too old
    // (or missing), none when it is recent.
    struct Newest {
        std::chrono::sys_seconds time;
        std::string file;
    };
    std::optional<Newest> newest_sounding(int days_back) const;
    std::optional<std::string> stale_sounding() const;
    // "2024-03-03 23:45 UT"
    static std::string sounding_time_text(std::chrono::sys_seconds time);
    // What the chart of day indice_giorno just drawn shows, into record.
    void record_day();
    // Days whose export failed at some step, pages and files not written.
    int failures = 0;
    // What the run did, for its figures.
    RunRecord record;

    // app/stale_temporaries.cpp: the temporaries that runs killed part way
    // left in the folders a run writes to (a scheduled run: the forecast,
    // publication and archive folders; a range: the archive), and in
    // `folder`, those of the files whose names `ours` accepts.
    void clear_stale_temporaries(bool scheduled);
    void clear_stale_temporaries(const std::string& folder, const std::function<bool(std::string_view)>& ours);

    // app/archive_range.cpp: the archived chart of every day from `from` to
    // `to`, drawn as Form_Load draws it and written straight to the archive.
    void archive_range(std::chrono::year_month_day from, std::chrono::year_month_day to);

    // app/form_load.cpp: the minute labels; the keys of the six days ending
    // today, which leave data_corrente at today; and the keys of `date` in
    // slot i of the day arrays.
    void fill_minute_labels();
    void compute_day_keys();
    void set_day_keys(int i, std::chrono::year_month_day date);
    // app/configuration.cpp
    void read_configuration();

    // canvas/, a file each. Drawing cannot fail: whatever falls outside the
    // surface is cut off.
    void impostazioni_dimensioni_e_scala_del_form();
    void disegno_dello_stage();

    // series/list_measurement_folder.cpp: the measurement folder, listed
    // once for the days from `first` to `last`; the series below read it.
    // Fails when the folder cannot be read: then no chart may be drawn.
    Status list_measurement_folder(std::chrono::sys_days first, std::chrono::sys_days last);
    // series/, a file each.
    void grafico_previsione(const std::string& file_previsioni);
    // series/grafico_previsione.cpp: the month's forecast file, its path
    // and its values for hours 0 to 23 UT in tenths of MHz (none, and the
    // failure named, when it cannot be read or has no line 2); and those
    // values drawn as the forecast's curve, each dot recorded in chart_data
    // when `record`, as read from that file.
    std::string forecast_path(const std::string& file_previsioni) const {
        return cartella_previsioni + file_previsioni + ".txt";
    }
    std::optional<std::array<std::int16_t, 24>> read_forecast(const std::string& file_previsioni);
    void draw_forecast(const std::array<std::int16_t, 24>& values, const std::string& file_previsioni, bool record);
    void grafico_valori_autoscalati(const std::string& file_previsioni);
    // The dot or tick just drawn for the sounding of hour h, minute minuto,
    // into chart_data.
    void record_sounding(int h, int minuto, std::optional<std::int16_t> value, const std::string& path);
    std::int16_t riconosci_stazione();
    // series/nome_file_misura.cpp: the path of the measurement file of hour
    // h and minute index m of the day being drawn, and what the names of
    // one day's measurement files begin with (no folder).
    std::string nome_file_misura(std::int16_t tipo_stazione, const std::string& file_previsioni, int h, int m) const;
    static std::string measurement_name_start(std::int16_t tipo_stazione, const std::string& file_previsioni,
                                              const std::string& giorno);

    // export/salva_figura.cpp: the export of day indice_giorno's chart.
    Status salva_figura(const std::string& file_previsioni);
    // The archive, below the forecast folder.
    std::string archive_folder() const { return cartella_previsioni + std::string(archive_folder_name); }
    // export/files_beside.cpp: the files that the settings ask for beside
    // each chart file NAME.gif of day indice_giorno, made from its chart just
    // drawn, in the order written (export/write_chart.h).
    std::vector<BesideFile> files_beside() const;
    // export/write_metrics.cpp: the run's figures, at its end, into the file
    // the settings name (none when they name none).
    void write_metrics();
    // export/write_archive_pages.cpp: the browsing pages of the months from
    // `first` to `last`, of every month with charts that has no page yet, and
    // the index, from the charts in the archive folder.
    void write_archive_pages(std::chrono::year_month_day first, std::chrono::year_month_day last);
    // export/write_feed.cpp: latest.json in the publication folder, from
    // what the run drew; a feed that cannot be written fails the run.
    void write_feed();
    // export/write_month.cpp: the files of each month from `first`'s to
    // `last`'s, from the archived days' CSVs and the month's forecast file,
    // in the archive folder; and the month's chart, drawn on superficie
    // (the marks its SVG titles).
    void write_months(std::chrono::year_month_day first, std::chrono::year_month_day last);
    std::vector<MonthMark> draw_month_chart(const MonthData& data, const MonthFigures& figures);

    // Fields of the run. Strings start empty, integers at 0; arrays keep the
    // index ranges the run uses, so slot 0 of the 1-based ones is unused.
    std::string cartella_corrente;
    std::string riga_ini;
    std::string cartella_previsioni;
    std::string cartella_autoscalati;
    std::string cartella_figure;
    std::int16_t indice_giorno = 0;

    std::array<std::string, 61> etichette_minuti;  // 1..60
    std::array<std::string, 7> mese_anno;          // 1..6
    std::array<std::string, 7> giorno_anno;        // 1..6
    std::array<std::string, 7> data_giorno;        // 1..6
    std::array<std::chrono::year_month_day, 7> day_date{};  // 1..6: the date each slot was keyed for
    std::int16_t scarto_giorni = 0;
    std::chrono::year_month_day data_corrente{};

    std::int16_t margine_superiore = 0;
    std::int16_t margine_inferiore = 0;
    std::int16_t margine_destro = 0;
    std::int16_t margine_sinistro = 0;

    std::int16_t indice_campo = 0;
    std::int16_t x_precedente = 0;
    std::int16_t y_precedente = 0;

    // Filled by riconosci_stazione for the kind it recognised, and read by
    // nome_file_misura to name that kind's files; a day that recognises no
    // kind leaves them as they were.
    std::array<std::string, 25> etichette_ore;  // 0..23 written, 24 never
    // The kind riconosci_stazione last recognised, 0 for none.
    std::int16_t recognised_station = 0;

    // What the series drew on the chart of the day, point by point, when
    // the settings ask for files or figures made from it; draw_chart
    // starts it afresh.
    ChartData chart_data;
    bool records_points() const {
        return settings_.csv || settings_.svg || settings_.monthly || !settings_.metrics.empty() || settings_.feed ||
               settings_.archive_page;
    }
    // And with each point the name of its file, which only the CSV writes.
    bool records_files() const { return settings_.csv || settings_.monthly; }

    // The measurement folder as list_measurement_folder listed it; shared,
    // unchanged, by the forms that draw an archive range together.
    std::shared_ptr<const series::MeasurementListing> measurement_listing;

    // The window: its outer size in twips, the screen's twips per pixel,
    // its persistent bitmap and its image-conversion control.
    float Width = 0;
    float Height = 0;
    float TwipsPerPixelX = 15;
    float TwipsPerPixelY = 15;
    Surface superficie;
    ImageConverter wpdlx1;

private:
    // app/form_load.cpp: the date the six days end on.
    std::chrono::year_month_day today() const;
    // app/archive_range.cpp: what the forms drawing a range share, and the
    // blocks of days that one of them draws.
    struct Range;
    void archive_days(Range& range);

    Settings settings_;
    std::shared_ptr<RunOutput> output_;  // shared by the copies that draw a range together
};
