// The run's figures for monitoring (--metrics FILE): the real binary on
// real files, each file it writes checked by the format's own tool,
// `promtool check metrics`, and read back.

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/plotmuf_process.h"
#include "support/promtool.h"
#include "support/station_folder.h"

namespace fs = std::filesystem;
using station::StationFolder;

namespace {

// The samples of a metrics file by metric name and labels as written
// ("plotmuf_soundings{folder=\"...\",day=\"2024-03-01\"}"), to their value.
std::map<std::string, double> samples_of(const std::string& text) {
    std::map<std::string, double> found;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == '#') continue;
        const std::size_t blank = line.rfind(' ');
        found[line.substr(0, blank)] = std::strtod(line.c_str() + blank + 1, nullptr);
    }
    return found;
}

std::map<std::string, double> samples(const fs::path& file) { return samples_of(read_text(file)); }

// The name with the station's folder label, and more labels.
std::string sample(const std::string& name, const StationFolder& station, const std::string& more = "") {
    return name + "{folder=\"" + station.work().string() + "\"" + (more.empty() ? "" : "," + more) + "}";
}

double now() { return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count(); }

// What is wrong with the figures of a plain run in the test station that
// ended between `before` and `after`: a figure missing, one too many, or a
// value that is not the run's. Empty when nothing is.
std::string faults_of_a_plain_run(const std::map<std::string, double>& figures, const StationFolder& station,
                                  double before, double after) {
    // The station's soundings: one tick on 25 February, the values of 29
    // February and 1 March (one of them a tick), none between.
    const std::map<std::string, double> expected = {
        {sample("plotmuf_charts_exported", station), 6},
        {sample("plotmuf_charts_failed", station), 0},
        {sample("plotmuf_soundings", station, "day=\"2024-02-25\""), 1},
        {sample("plotmuf_soundings", station, "day=\"2024-02-26\""), 0},
        {sample("plotmuf_soundings", station, "day=\"2024-02-27\""), 0},
        {sample("plotmuf_soundings", station, "day=\"2024-02-28\""), 0},
        {sample("plotmuf_soundings", station, "day=\"2024-02-29\""), 2},
        {sample("plotmuf_soundings", station, "day=\"2024-03-01\""), 5},
        {sample("plotmuf_soundings_without_value", station, "day=\"2024-02-25\""), 1},
        {sample("plotmuf_soundings_without_value", station, "day=\"2024-02-26\""), 0},
        {sample("plotmuf_soundings_without_value", station, "day=\"2024-02-27\""), 0},
        {sample("plotmuf_soundings_without_value", station, "day=\"2024-02-28\""), 0},
        {sample("plotmuf_soundings_without_value", station, "day=\"2024-02-29\""), 0},
        {sample("plotmuf_soundings_without_value", station, "day=\"2024-03-01\""), 1},
        // 1 March 2024, 11:15 UT
        {sample("plotmuf_newest_sounding_timestamp_seconds", station), 1709291700},
        {sample("plotmuf_forecast_loaded", station, "month=\"2024-02\""), 1},
        {sample("plotmuf_forecast_loaded", station, "month=\"2024-03\""), 1},
    };
    // The figures of the run's own time, checked against the clock.
    const std::string ended = sample("plotmuf_run_end_timestamp_seconds", station);
    const std::string last_success = sample("plotmuf_last_success_timestamp_seconds", station);
    const std::string duration = sample("plotmuf_run_duration_seconds", station);
    const auto timed = [&](const std::string& name) { return name == ended || name == last_success || name == duration; };

    std::ostringstream faults;
    for (const std::string& name : {ended, last_success, duration})
        if (!figures.contains(name)) faults << "missing: " << name << "\n";
    for (const auto& [name, value] : expected) {
        if (!figures.contains(name)) faults << "missing: " << name << "\n";
        else if (figures.at(name) != value) faults << name << " is " << figures.at(name) << ", not " << value << "\n";
    }
    for (const auto& [name, value] : figures)
        if (!expected.contains(name) && !timed(name)) faults << "not a figure of the run: " << name << "\n";
    if (!faults.str().empty()) return faults.str();

    const double end = figures.at(ended), took = figures.at(duration);
    if (end < before - 1 || end > after + 1) faults << "the run's end " << end << " is not its time\n";
    if (figures.at(last_success) != end) faults << "the last success is not the run's end\n";
    if (took < 0 || took > after - before + 1) faults << "the run's duration " << took << " is not its time\n";
    return faults.str();
}

TEST(Metrics, AreTheRunsFiguresInTheExpositionFormat) {
    StationFolder station;
    const fs::path file = station.root.path() / "plotmuf.prom";
    const double before = now();
    const RunResult run = run_program(station.work(), {"--today", station::today, "--metrics", file.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    const double after = now();
    EXPECT_TRUE(station.output_bytes() == station::plain_charts()) << "the charts are those of a run without metrics";
    EXPECT_EQ(promtool_faults(file), "");
    const std::string text = read_text(file);
    EXPECT_EQ(faults_of_a_plain_run(samples_of(text), station, before, after), "");

    // The check above cannot pass a file that lacks any one of the figures.
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    for (std::size_t left_out = 0; left_out < lines.size(); ++left_out) {
        if (lines[left_out].empty() || lines[left_out][0] == '#') continue;
        SCOPED_TRACE(lines[left_out]);
        std::string without;
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (i != left_out) without += lines[i] + "\n";
        EXPECT_NE(faults_of_a_plain_run(samples_of(without), station, before, after), "");
    }
}

// What goes wrong shows in the figures, the file is whole and the format's
// own, and a failing run carries over when the last good one ended.
struct Fault {
    const char* name;
    std::function<void(const StationFolder&)> make;
    int status;
    std::map<std::string, double> figures;  // by name, without labels but day or month
    bool last_success_carried;
};

void PrintTo(const Fault& fault, std::ostream* out) { *out << fault.name; }

class MetricsOfAFault : public testing::TestWithParam<Fault> {};

TEST_P(MetricsOfAFault, AreWrittenWholeAndTellIt) {
    const Fault& c = GetParam();
    StationFolder station;
    const fs::path file = station.root.path() / "plotmuf.prom";
    const std::vector<std::string> arguments = {"--today", station::today, "--metrics", file.string(), "--verbose"};
    ASSERT_EQ(run_program(station.work(), arguments).status, 0);
    const double last_good = samples(file).at(sample("plotmuf_last_success_timestamp_seconds", station));

    c.make(station);
    const RunResult run = run_program(station.work(), arguments);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(promtool_faults(file), "");
    std::map<std::string, double> figures = samples(file);
    for (const auto& [name, value] : c.figures) {
        const std::size_t brace = name.find('{');
        const std::string key = brace == std::string::npos
                                    ? sample(name, station)
                                    : sample(name.substr(0, brace), station, name.substr(brace + 1, name.size() - brace - 2));
        SCOPED_TRACE(key);
        if (value < 0) {
            EXPECT_EQ(figures.count(key), 0u) << "left out";
        } else {
            ASSERT_EQ(figures.count(key), 1u);
            EXPECT_EQ(figures.at(key), value);
        }
    }
    const std::string last_success = sample("plotmuf_last_success_timestamp_seconds", station);
    if (c.last_success_carried) {
        EXPECT_EQ(figures.at(last_success), last_good);
    } else {
        EXPECT_EQ(figures.at(last_success), figures.at(sample("plotmuf_run_end_timestamp_seconds", station)));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, MetricsOfAFault,
    testing::Values(
        Fault{"ArchiveFolderMissing",
              [](const StationFolder& s) { fs::remove_all(s.root.path() / station::archive); }, 1,
              {{"plotmuf_charts_exported", 0}, {"plotmuf_charts_failed", 6}, {"plotmuf_soundings{day=\"2024-03-01\"}", 5}},
              true},
        // Nothing drawn: no figure of a day, every day failed.
        Fault{"MeasurementFolderMissing",
              [](const StationFolder& s) { fs::remove_all(s.root.path() / "autoscalati"); }, 1,
              {{"plotmuf_charts_exported", 0},
               {"plotmuf_charts_failed", 6},
               {"plotmuf_soundings{day=\"2024-03-01\"}", -1},
               {"plotmuf_newest_sounding_timestamp_seconds", -1},
               {"plotmuf_forecast_loaded{month=\"2024-03\"}", -1}},
              true},
        // A month without its forecast file is no failure of the run.
        Fault{"OneOfTwoForecastsMissing",
              [](const StationFolder& s) { fs::remove(s.root.path() / "previsioni" / "022024.txt"); }, 0,
              {{"plotmuf_charts_exported", 6},
               {"plotmuf_forecast_loaded{month=\"2024-02\"}", 0},
               {"plotmuf_forecast_loaded{month=\"2024-03\"}", 1}},
              false},
        // A station without soundings in the days drawn.
        Fault{"NoSoundings",
              [](const StationFolder& s) {
                  for (const auto& entry : fs::directory_iterator(s.root.path() / "autoscalati"))
                      if (entry.path().filename() != "A_station.txt") fs::remove(entry.path());
              },
              0, {{"plotmuf_soundings{day=\"2024-03-01\"}", 0}, {"plotmuf_newest_sounding_timestamp_seconds", -1}},
              false}),
    [](const testing::TestParamInfo<Fault>& info) { return info.param.name; });

TEST(Metrics, AFileThatCannotBeWrittenFailsTheRunButNoChart) {
    StationFolder station;
    const fs::path file = station.root.path() / "missing" / "plotmuf.prom";
    const RunResult run =
        run_program(station.work(), {"--today", station::today, "--metrics", file.string(), "--verbose"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("plotmuf: metrics: cannot create a file beside " + file.string()), std::string::npos)
        << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_TRUE(station.output_bytes() == station::plain_charts());
    EXPECT_FALSE(fs::exists(file.parent_path()));
}

// A failing run carries over the last success from the file before it; a
// file there that cannot be read (here, larger than any this program
// writes) loses that figure: the run names it and fails for it too. No file
// there at all is a first run, and no failure.
TEST(Metrics, APreviousFileThatCannotBeReadIsNamedAndFailsTheRun) {
    StationFolder station;
    fs::remove_all(station.root.path() / station::archive);  // every day fails
    const fs::path file = station.root.path() / "plotmuf.prom";
    const std::vector<std::string> arguments = {"--today", station::today, "--metrics", file.string(), "--verbose"};
    RunResult run = run_program(station.work(), arguments);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.find("plotmuf: metrics:"), std::string::npos) << run.err;

    station.root.write("plotmuf.prom", std::string(std::size_t{2} << 20, '#'));
    run = run_program(station.work(), arguments);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("plotmuf: metrics: the last success is not carried over: file too large: " +
                           file.string() + "\n"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(promtool_faults(file), "");
    EXPECT_EQ(samples(file).count(sample("plotmuf_last_success_timestamp_seconds", station)), 0u);
}

// A folder given for the file, with its final separator or without: the
// message says so and what to write, the charts are written, and nothing is
// put into the folder.
TEST(Metrics, AFolderGivenForTheFileIsNamedAsAFolder) {
    for (const char* end : {"/", ""}) {
        SCOPED_TRACE(end);
        StationFolder station;
        const fs::path folder = station.root.make_folder("node-exporter");
        const std::string given = folder.string() + end;
        const RunResult run = run_program(station.work(), {"--today", station::today, "--metrics", given, "--verbose"});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "plotmuf: metrics: " + given + " is a folder, not a file: give the file's name, such as " +
                               folder.string() + "/plotmuf.prom\n");
        EXPECT_TRUE(station.output_bytes() == station::plain_charts());
        EXPECT_TRUE(fs::is_empty(folder));
    }
}

// Several stations on one host write their own files, told apart by the
// folder: whatever its name holds, the label is the format's and reads
// back as the folder.
TEST(Metrics, TheFolderLabelHoldsAnyFolderName) {
    for (const char* name : {"quote\"d", "back\\slash", "line\nend", "blank and \xc3\xa0"}) {
        SCOPED_TRACE(name);
        TempFolder folder;
        const fs::path work = folder.make_folder(name);
        const fs::path file = folder.path() / "plotmuf.prom";
        const RunResult run = run_program(work, {"--today", station::today, "--metrics", file.string()});
        EXPECT_EQ(run.status, 1) << "no archive folder there";
        EXPECT_EQ(promtool_faults(file), "");
        std::string escaped;
        for (const char c : work.string()) escaped += c == '"' ? "\\\"" : c == '\\' ? "\\\\" : c == '\n' ? "\\n" : std::string(1, c);
        EXPECT_NE(read_text(file).find("plotmuf_charts_failed{folder=\"" + escaped + "\"} 6\n"), std::string::npos)
            << read_text(file);
    }
}

TEST(Metrics, OfARangeGiveEachDayItDrew) {
    StationFolder station;
    const fs::path file = station.root.path() / "plotmuf.prom";
    const RunResult run =
        run_program(station.work(), {"--archive", "2024-01-01", station::today, "--csv", "--metrics", file.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(promtool_faults(file), "");
    const std::map<std::string, double> figures = samples(file);
    EXPECT_EQ(figures.at(sample("plotmuf_charts_exported", station)), 61);
    EXPECT_EQ(figures.at(sample("plotmuf_soundings", station, "day=\"2024-01-15\"")), 0);
    EXPECT_EQ(figures.at(sample("plotmuf_soundings", station, "day=\"2024-03-01\"")), 5);
    EXPECT_EQ(figures.at(sample("plotmuf_forecast_loaded", station, "month=\"2024-01\"")), 0);
    EXPECT_EQ(figures.at(sample("plotmuf_forecast_loaded", station, "month=\"2024-02\"")), 1);
    int days = 0;
    for (const auto& [name, value] : figures) days += name.starts_with("plotmuf_soundings{");
    EXPECT_EQ(days, 61);
}

}  // namespace
