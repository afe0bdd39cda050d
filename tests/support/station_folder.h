#pragma once
// Test support (POSIX only, header only): a station folder for the
// end-to-end tests that run the binary on it. The configuration lies in the working folder
// "stazione"; forecast files, scratch bitmaps and the archive in
// "previsioni"; the soundings in "autoscalati"; the published figures in
// "web". The configuration names the three folders by their full paths.
//
// Unless asked for none, the folder holds a few days of data of a Tucuman
// station, given as lines; a Layout says how they are written: which line
// end, whether the last line has one, what the free-text lines hold (the
// configuration's lines 1, 3 and 5, the forecast's line 1, the soundings'
// lines 1 to 3) and how many more lines follow the last one read. Every
// layout holds the same data, so every layout must give the same charts.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/plotmuf_process.h"
#include "support/temp_folder.h"

namespace station {

namespace fs = std::filesystem;

// The data's date: the six days are 25 to 29 February 2024 (forecast
// 022024.txt, days 056 to 060) and 1 March 2024 (032024.txt, day 061).
inline const char* const today = "2024-03-01";
inline const char* const days[6] = {"2024056", "2024057", "2024058", "2024059", "2024060", "2024061"};
inline const char* const archive = "previsioni/previous_RAV3000I2_plots";

struct Layout {
    std::string line_end = "\r\n";
    bool final_line_end = true;
    std::string free_text = "free text";  // no line end inside
    std::size_t extra_lines = 0;          // short lines after the data
};

struct Sounding {
    const char* name;   // in the folder of the soundings
    const char* field;  // characters 16 to 19 of line 4
};

// Forecast line 2: 24 fields of five characters.
inline std::string forecast_line(int start_tenths, int step_tenths) {
    std::string line;
    for (int k = 0; k < 24; ++k) {
        const int v = start_tenths + step_tenths * (k < 12 ? k : 23 - k);
        line += ' ';
        line += v >= 100 ? std::to_string(v / 10) : " " + std::to_string(v / 10);
        line += '.';
        line += std::to_string(v % 10);
    }
    return line;
}

inline const Sounding soundings[] = {
    {"TUJ2O_20240611015.TXT", "30.0"}, {"TUJ2O_20240611030.TXT", "N/A "}, {"TUJ2O_20240611045.TXT", "10.0"},
    {"TUJ2O_20240611100.TXT", "12.5"}, {"TUJ2O_20240611115.TXT", "14.0"}, {"TUJ2O_20240600001.TXT", "20.0"},
    {"TUJ2O_20240602358.TXT", " 9.8"}, {"TUJ2O_20240561230.TXT", " N/A"},
};

// The file of `lines` written in `layout`.
inline std::string text(const std::vector<std::string>& lines, const Layout& layout) {
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        out += lines[i];
        if (i + 1 < lines.size() || layout.final_line_end || layout.extra_lines > 0) out += layout.line_end;
    }
    for (std::size_t i = 0; i < layout.extra_lines; ++i) {
        out += 'x';
        if (i + 1 < layout.extra_lines || layout.final_line_end) out += layout.line_end;
    }
    return out;
}

struct NoData {};

class StationFolder {
public:
    explicit StationFolder(const Layout& layout = {}) : StationFolder(NoData{}) { write_data(layout); }
    explicit StationFolder(NoData) {
        root.make_folder("stazione");
        root.make_folder(archive);
        root.make_folder("autoscalati");
        root.make_folder("web");
        configure({});
    }

    // (Re)writes the configuration in `layout`.
    void configure(const Layout& layout) const {
        const std::string& f = layout.free_text;
        root.write("stazione/Quorel_RAV3000I2.ini",
                   text({f, root.slash() + "previsioni\\", f, root.slash() + "autoscalati\\", f, root.slash() + "web\\"},
                        layout));
    }

    // (Re)writes the configuration and every data file in `layout`.
    void write_data(const Layout& layout) const {
        configure(layout);
        const std::string& f = layout.free_text;
        root.write("previsioni/022024.txt", text({f, forecast_line(45, 18)}, layout));
        root.write("previsioni/032024.txt", text({f, forecast_line(60, 21)}, layout));
        // Listed first: it names the station by its first four characters.
        root.write("autoscalati/A_station.txt", text({"Tucuman" + f}, layout));
        for (const Sounding& s : soundings)
            root.write(std::string("autoscalati/") + s.name,
                       text({"Tucuman" + f, f, f, std::string("FoF2 MUF3000 = ") + s.field + " MHz"}, layout));
    }

    fs::path work() const { return root.path() / "stazione"; }
    fs::path published(int n) const { return root.path() / "web" / ("plotMUF" + std::to_string(n) + ".gif"); }
    fs::path archived(const std::string& day) const { return root.path() / archive / (day + ".gif"); }
    fs::path archived(int n) const { return archived(days[n - 1]); }
    fs::path bitmap(int n) const { return root.path() / "previsioni" / ("grafico" + std::to_string(n) + ".bmp"); }

    // The twelve output files of a run on `today`: published 1 to 6, then
    // archived 1 to 6.
    std::vector<fs::path> outputs() const {
        std::vector<fs::path> files;
        for (int n = 1; n <= 6; ++n) files.push_back(published(n));
        for (int n = 1; n <= 6; ++n) files.push_back(archived(n));
        return files;
    }

    // The bytes of the twelve output files, empty for a missing one.
    std::vector<std::string> output_bytes() const {
        std::vector<std::string> bytes;
        for (const fs::path& file : outputs()) bytes.push_back(read_text(file));
        return bytes;
    }

    TempFolder root;
};

// The twelve charts of the station's data with nothing in the way, drawn
// once for the whole test program: what every run on that data must write.
inline const std::vector<std::string>& plain_charts() {
    static const std::vector<std::string> charts = [] {
        StationFolder plain;
        const RunResult run = run_program(plain.work(), {"--today", today});
        EXPECT_TRUE(run.in_time && run.status == 0) << "the plain station: " << run.err;
        return plain.output_bytes();
    }();
    return charts;
}

// Leaves in `folder` the twelve charts of an earlier run that found no
// forecast file: each differs from the plain chart of its place.
inline void draw_without_forecasts(const StationFolder& folder) {
    const fs::path previsioni = folder.root.path() / "previsioni";
    for (const char* month : {"022024", "032024"}) fs::rename(previsioni / (month + std::string(".txt")), previsioni / month);
    const RunResult run = run_program(folder.work(), {"--today", today});
    EXPECT_EQ(run.status, 0) << "the run without forecasts: " << run.err;
    for (const char* month : {"022024", "032024"}) fs::rename(previsioni / month, previsioni / (month + std::string(".txt")));
}

// Every file below `folder`, by path relative to it, sorted.
inline std::vector<std::string> files_in(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_directory()) names.push_back(fs::relative(entry.path(), folder).generic_string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Every file below `folder` with its bytes, by path relative to it.
inline std::map<std::string, std::string> contents(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const std::string& name : files_in(folder)) files[name] = read_text(folder / name);
    return files;
}

// Every file below `folder` whose name is neither an input nor an output
// of the run (a chart, its CSV, its SVG, the run's figures): temporary
// files, partial files, scratch bitmaps.
inline std::vector<std::string> leftovers(const fs::path& folder) {
    std::vector<std::string> found;
    for (const std::string& file : files_in(folder)) {
        const fs::path path(file);
        const std::string name = path.filename().string();
        const std::string ext = path.extension().string();
        // A chart, and the data and vector picture beside it.
        const bool chart_file = ext == ".gif" || ext == ".csv" || ext == ".svg";
        const bool output = (chart_file && name.size() == (name.starts_with("plotMUF") ? 12u : 11u)) || ext == ".prom";
        const bool input = ext == ".txt" || ext == ".TXT" || ext == ".ini";
        if (!output && !input) found.push_back(file);
    }
    return found;
}

}  // namespace station
