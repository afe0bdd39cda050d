// What the folder lines of the configuration name. Each is the verbatim
// start of the names built from it, so a line that names a folder without
// its final separator, or names none, still gives names: ones beside the
// folder, or in the working folder. A run says so under --verbose; a check
// says, besides, whether the run can write where it would.

#include <string>

#include "app/form1.h"
#include "platform/files.h"

namespace {

// The folder that files named `line` + NAME go to, as the system is given
// it: the line up to its last separator; the working folder for a line
// without one.
std::string folder_written(const std::string& line) {
    const std::size_t last = line.find_last_of("\\/");
    return last == std::string::npos ? std::string() : line.substr(0, last + 1);
}

std::string shown(const std::string& folder) {
    return folder.empty() ? std::string("the working folder") : platform::native_path(folder);
}

}  // namespace

void Form1::inspect_folder_lines(bool writable) {
    using Level = Finding::Level;
    using Topic = Finding::Topic;
    const std::string sep(1, platform::own_separator());

    // Lines 2 and 6: what the run writes there (and, for line 2, reads).
    struct Line {
        int number;
        const std::string& value;
        Topic topic;
        const char* subject;
        std::string empty;     // what the run does with the line empty
        std::string beside;    // the files named beside a folder, for `folder`
    };
    const std::string archive = std::string(archive_folder_name.substr(0, archive_folder_name.size() - 1));
    const std::string forecast_name = mese_anno[6] + ".txt";
    const Line lines[] = {
        {2, cartella_previsioni, Topic::forecast_folder, "forecasts",
         "the forecasts (" + forecast_name + ") are read, the scratch bitmaps written, and the archive kept in " +
             archive + sep + ", in the working folder",
         "the forecasts would be read as FOLDER" + forecast_name + " and the scratch bitmaps written as FOLDERgrafico1.bmp"},
        {6, cartella_figure, Topic::publication, "publication", "the charts are published in the working folder",
         "the charts would be written as FOLDERplotMUF1.gif ..."},
    };
    for (const Line& line : lines) {
        const std::string head = std::string(line.subject) + " (line " + std::to_string(line.number) + "): ";
        if (line.value.empty()) {
            find(line.topic, Level::note, head + "the line is empty: " + line.empty);
        } else if (!platform::is_separator(line.value.back())) {
            const std::string folder = platform::native_path(line.value);
            std::string beside = line.beside;
            for (std::size_t at; (at = beside.find("FOLDER")) != std::string::npos;) beside.replace(at, 6, folder);
            if (platform::is_folder(line.value)) {
                find(line.topic, Level::fail,
                     head + folder + " is a folder, but the line lacks its final separator: " + beside + " beside it (" +
                         folder + sep + " ?)");
            } else if (writable) {
                find(line.topic, Level::fail, head + folder + " names no folder, and the line lacks its final separator: " + beside);
            }
            continue;
        } else if (writable && !platform::is_folder(line.value)) {
            find(line.topic, Level::fail,
                 head + platform::native_path(line.value) +
                     (platform::names_nothing(line.value) ? " does not exist" : " is not a folder"));
            continue;
        }
        if (!writable) continue;
        const std::string folder = folder_written(line.value);
        if (Status s = platform::can_write_in(folder); !s) {
            find(line.topic, Level::fail, head + shown(folder) + " is a folder that plotmuf cannot write to: " + s.message());
        } else {
            find(line.topic, Level::ok, head + shown(folder) + " is a folder that plotmuf can write to");
        }
    }

    // Line 4: read only. A line without its separator lists nothing, as
    // the recognition then says; one that names no folder fails the run.
    if (cartella_autoscalati.empty()) {
        find(Topic::measurement_folder, Level::note,
             "measurements (line 4): the line is empty: no folder is listed, so no station is recognised");
    }

    if (!writable) return;
    // The archive, below the forecast folder's line.
    const std::string archive_path = archive_folder();
    const std::string shown_archive = platform::native_path(archive_path);
    if (!platform::is_folder(archive_path)) {
        find(Topic::archive, Level::fail,
             "archive " + shown_archive + (platform::names_nothing(archive_path) ? " does not exist" : " is not a folder"));
    } else if (Status s = platform::can_write_in(archive_path); !s) {
        find(Topic::archive, Level::fail, "archive " + shown_archive + " is a folder that plotmuf cannot write to: " + s.message());
    } else {
        find(Topic::archive, Level::ok, "archive " + shown_archive + " is a folder that plotmuf can write to");
    }

    // The metrics file's folder, the working folder for a bare name.
    if (settings_.metrics.empty()) return;
    const std::string& metrics = settings_.metrics;
    const std::string folder = folder_written(metrics);
    if (platform::is_folder(metrics)) {
        find(Topic::metrics, Level::fail, "metrics: " + platform::native_path(metrics) + " is a folder, not a file");
    } else if (!folder.empty() && !platform::is_folder(folder)) {
        find(Topic::metrics, Level::fail, "metrics: the folder " + platform::native_path(folder) + " does not exist");
    } else if (Status s = platform::can_write_in(folder); !s) {
        find(Topic::metrics, Level::fail, "metrics: " + shown(folder) + " is a folder that plotmuf cannot write to: " + s.message());
    } else {
        find(Topic::metrics, Level::ok, "metrics " + platform::native_path(metrics) + ": " + shown(folder) +
                                            " is a folder that plotmuf can write to");
    }
}
