// plotmuf --check: all that a scheduled run reads, read as the run reads
// it (the configuration, the forecasts of the six days' months, the
// measurement folder and its soundings), the six charts drawn and nothing
// written or cleared, and every finding said on a line of its own.

#include <ostream>
#include <string>

#include "app/form1.h"
#include "platform/files.h"

int Form1::check(std::ostream& out) {
    using Level = Finding::Level;
    using Topic = Finding::Topic;
    start_run();
    compute_day_keys();
    impostazioni_dimensioni_e_scala_del_form();
    inspect_folder_lines(true);
    const std::chrono::sys_days today{data_corrente};
    if (Status s = list_measurement_folder(today - std::chrono::days{days_listed_back()}, data_corrente); !s) {
        find(Topic::measurement_folder, Level::fail, s.message());
        // The forecasts are read all the same.
        for (indice_giorno = 1; indice_giorno <= 6; ++indice_giorno) grafico_previsione(mese_anno[indice_giorno]);
        superficie.Cls();
    } else {
        // The charts are drawn as a run draws them, and left unsaved.
        for (indice_giorno = 1; indice_giorno <= 6; ++indice_giorno) {
            draw_chart();
            superficie.Cls();
        }
        if (recognised_station != 0) {
            const std::optional<Newest> newest = newest_sounding(days_listed_back());
            const std::optional<std::string> stale = stale_sounding();
            const std::string newest_text =
                newest ? sounding_time_text(newest->time) + " (" + newest->file + ")" : std::string();
            if (stale) {
                find(Topic::soundings, Level::fail, "soundings: " + *stale);
            } else if (!newest || std::chrono::floor<std::chrono::days>(newest->time) != today) {
                find(Topic::soundings, Level::fail,
                     "soundings: no sounding of today, " + data_giorno[6] +
                         (newest ? ": the newest is of " + newest_text : std::string(" (none of the days before)")));
            } else {
                find(Topic::soundings, Level::ok, "newest sounding " + newest_text);
            }
        }
    }
    bool failed = false;
    for (const Finding& finding : output_->findings()) {
        failed = failed || finding.level == Level::fail;
        const char* word = finding.level == Level::ok ? "ok: " : finding.level == Level::note ? "note: " : "fail: ";
        out << word << Findings::text_with_days(finding) << '\n';
    }
    return failed ? 1 : 0;
}
