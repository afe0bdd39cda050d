// The measurement folder, listed once for the whole run.
//
// A run draws six days. Without this listing each day's recognition lists
// the folder again to find its first file, and each day's series tries to
// open all 1,440 names a day's soundings may have, whether the station wrote
// 96 of them or none; a station keeps years of soundings in that one folder,
// so that each listing costs more than all the rest of the run. With it the
// folder is read once, the recognition of every day takes the first ordinary
// file from it, and only the names it holds are opened.
//
// The trade: the run sees the folder as it was when the run began. A file
// listed that vanishes fails its open, as a missing file does; a file that
// appears during the run (a new sounding, or a file that would now come
// first) is left to the next run, a few minutes later, as a sounding written
// just after the run would be.

#include <string>
#include <vector>

#include "app/day_keys.h"
#include "app/form1.h"
#include "platform/files.h"

Status Form1::list_measurement_folder(std::chrono::sys_days first, std::chrono::sys_days last) {
    // The station is not known yet: the days' soundings under every
    // station's scheme are kept, and no other name. A day outside the range
    // has nothing kept: its files are tried by opening them.
    const bool first_listing = !measurement_listing;
    measurement_listing.reset();  // a listing before this one is forgotten first
    std::vector<std::string> starts;
    for (std::chrono::sys_days day = first; day <= last; day += std::chrono::days{1}) {
        const DayKeys keys = day_keys(std::chrono::year_month_day{day});
        for (std::int16_t tipo = 1; tipo <= 6; ++tipo)
            starts.push_back(measurement_name_start(tipo, keys.mese_anno, keys.giorno_anno));
    }
    measurement_listing = std::make_shared<const series::MeasurementListing>(cartella_autoscalati, starts);
    // A folder that cannot be read is not a station without soundings: it
    // is a share that is down, a folder renamed, a permission taken away.
    if (const Status& listed = measurement_listing->status(); !listed) return Status::fail("measurements: " + listed.message());
    // The line is the verbatim start of the soundings' names: one that names
    // a folder without its final separator draws every chart without
    // observed values. Not a failure, but worth a word, once a run.
    if (first_listing && !cartella_autoscalati.empty() && !platform::is_separator(cartella_autoscalati.back()) &&
        platform::is_folder(cartella_autoscalati)) {
        const std::string folder = platform::native_path(cartella_autoscalati);
        find(Finding::Topic::measurement_folder, Finding::Level::fail,
             "measurements: " + folder + " is a folder, but the line lacks its final separator: " +
                 "no sounding name starts with it (" + folder + platform::own_separator() + " ?)");
    }
    return Status::ok();
}
