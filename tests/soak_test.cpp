// Weeks of a station's life, shortened to about a minute: a run every 15
// minutes of simulated time (--today stepping through the days), the sounder
// writing a sounding before each, and at seeded random runs a fault: the
// process killed a few milliseconds in (a power cut, an OOM kill), the
// measurement share down, the disk full to its last byte, two runs at once.
// A reader, as a web server would be, decodes the published charts and the
// newest archived ones all along. At the end every chart is the one a clean
// redraw of the final files makes, nothing else is left in the station, and
// the metrics are what promtool reads.
//
// The station lives on a small tmpfs of its own (root only). The plan of
// runs is fixed by the seed: each day four runs killed, one with the share
// down, one with the disk full, two pairs at once. The time only decides
// when a run is killed, and a time budget may end the simulated weeks early
// on a slow machine (about 25 ms a run: three weeks on an idle 2-core one).

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "canvas/image.h"
#include "support/gif_decode.h"
#include "support/plotmuf_process.h"
#include "support/promtool.h"
#include "support/station_folder.h"
#include "support/temp_folder.h"
#include "support/tmpfs.h"

namespace fs = std::filesystem;
using namespace std::chrono;

namespace {

constexpr std::uint32_t seed = 20240611;
constexpr sys_days first_day = sys_days{2024y / February / 20};
constexpr int simulated_days = 21;            // three weeks of runs, across 29 February and into March
constexpr int runs_per_day = 96;              // one every 15 minutes
constexpr seconds time_budget{55};            // for the simulated weeks; the checks come after
constexpr int least_days = 2;                 // simulated whatever the budget says
constexpr const char* archive = "previsioni/previous_RAV3000I2_plots";

std::string date_text(sys_days day) {
    const year_month_day d{day};
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(d.year()), static_cast<unsigned>(d.month()),
                  static_cast<unsigned>(d.day()));
    return text;
}

// "2024061": the archived chart's name without extension.
std::string year_day(sys_days day) {
    const year_month_day d{day};
    const int n = static_cast<int>((day - sys_days{d.year() / January / 1}).count()) + 1;
    char text[32];
    std::snprintf(text, sizeof text, "%04d%03d", static_cast<int>(d.year()), n);
    return text;
}

// The station's inputs below `root`: the configuration naming its folders,
// the forecasts of January to March 2024, and the file that names the
// station (Tucuman: soundings TUJ2O_yyyydddhhmm.TXT).
void make_station(const TempFolder& root) {
    const std::string r = root.slash();
    root.write("stazione/Quorel_RAV3000I2.ini", "Station\r\n" + r + "previsioni\\\r\nSoundings\r\n" + r +
                                                   "autoscalati\\\r\nFigures\r\n" + r + "web\\\r\n");
    root.write("previsioni/012024.txt", "Forecast\r\n" + station::forecast_line(40, 15) + "\r\n");
    root.write("previsioni/022024.txt", "Forecast\r\n" + station::forecast_line(45, 18) + "\r\n");
    root.write("previsioni/032024.txt", "Forecast\r\n" + station::forecast_line(60, 21) + "\r\n");
    root.write("autoscalati/A_station.txt", "Tucuman\r\n");
    root.make_folder(archive);
    root.make_folder("web");
}

std::string sounding_name(sys_days day, int slot) {
    char text[64];
    std::snprintf(text, sizeof text, "TUJ2O_%s%02d%02d.TXT", year_day(day).c_str(), slot / 4, slot % 4 * 15);
    return text;
}

// The sounding of a slot: a value, or none (one in twelve).
std::string sounding_text(std::mt19937& random) {
    const std::uint32_t r = random();
    char field[32];
    if (r % 12 == 0) std::snprintf(field, sizeof field, "N/A ");
    else std::snprintf(field, sizeof field, "%4.1f", 4.0 + static_cast<double>(r / 12 % 300) / 10);
    return std::string("Tucuman\r\nsounding\r\n\r\nFoF2 MUF3000 = ") + field + " MHz\r\n";
}

enum class Fault { none, kill, share_down, disk_full, two_at_once };
// Of 96 runs a day.
constexpr std::pair<Fault, int> faults_per_day[] = {
    {Fault::kill, 4}, {Fault::share_down, 1}, {Fault::disk_full, 1}, {Fault::two_at_once, 2}};

// How a child ended: its exit status, or -signal when a signal ended it.
int end_of(pid_t pid) {
    if (pid <= 0) return 127;
    const auto deadline = steady_clock::now() + run_limit;
    int raw = 0;
    pid_t done = 0;
    while ((done = ::waitpid(pid, &raw, WNOHANG)) == 0 && steady_clock::now() < deadline)
        std::this_thread::sleep_for(microseconds(200));
    if (done == 0) {  // hung
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &raw, 0);
        return 1000;
    }
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : WIFSIGNALED(raw) ? -WTERMSIG(raw) : 1001;
}

TEST(Soak, WeeksOfScheduledRunsUnderFaultsLeaveEveryChartWholeAndNothingBehind) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root, to mount the station's small tmpfs (as CI runs)";
    TempFolder mount_point;
    const Tmpfs disk(mount_point.path(), "24m");
    if (!disk.mounted()) GTEST_SKIP() << "cannot mount a tmpfs: " << disk.error();
    const TempFolder& root = mount_point;  // the station, on the tmpfs
    make_station(root);
    const fs::path work = root.path() / "stazione";
    const std::string metrics = root.slash() + "stazione/plotmuf.prom";
    std::vector<std::string> shown;  // what the runs printed when their status was not the one expected

    // The reader: the six published charts and the newest two archived, over
    // and over. Every file it finds must decode whole; one that was there
    // and then is not counts as well.
    std::atomic<bool> over{false};
    std::atomic<std::int64_t> today_number{0};  // of the simulated date
    std::atomic<long> reads{0}, torn{0};
    std::mutex torn_lock;
    std::vector<std::string> torn_names;
    std::thread reader([&] {
        std::set<std::string> seen;
        while (!over) {
            std::vector<fs::path> files;
            for (int n = 1; n <= 6; ++n) files.push_back(root.path() / "web" / ("plotMUF" + std::to_string(n) + ".gif"));
            const sys_days today{days{today_number.load()}};
            for (const sys_days day : {today, today - days{1}})
                files.push_back(root.path() / archive / (year_day(day) + ".gif"));
            for (const fs::path& file : files) {
                const std::string bytes = read_text(file);
                const bool known = seen.contains(file.string());
                if (bytes.empty() && !known) continue;  // not written yet
                seen.insert(file.string());
                ++reads;
                Image image;
                if (!decode_gif({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, image)) {
                    ++torn;
                    std::lock_guard lock(torn_lock);
                    if (torn_names.size() < 5) torn_names.push_back(file.filename().string() + ", " +
                                                                    std::to_string(bytes.size()) + " bytes");
                }
            }
            std::this_thread::sleep_for(milliseconds(10));  // leaves the cores to the runs
        }
    });

    std::mt19937 random(seed);
    std::map<Fault, int> faults;
    int runs = 0, wrong_status = 0, killed_in_run = 0, overlap_failures = 0;
    const auto started = steady_clock::now();
    sys_days last_day = first_day;
    for (int d = 0; d < simulated_days && (d < least_days || steady_clock::now() - started < time_budget); ++d) {
        const sys_days day = first_day + days{d};
        last_day = day;
        today_number = day.time_since_epoch().count();
        const std::vector<std::string> arguments = {"--today", date_text(day), "--metrics", metrics};
        // The day's faults at seeded slots: every kind each day, however
        // few days the budget allows.
        std::vector<Fault> plan(runs_per_day, Fault::none);
        std::vector<int> slots(runs_per_day);
        for (int i = 0; i < runs_per_day; ++i) slots[i] = i;
        for (int i = runs_per_day - 1; i > 0; --i) std::swap(slots[i], slots[random() % (i + 1)]);
        int next = 0;
        for (const auto& [fault, count] : faults_per_day)
            for (int k = 0; k < count; ++k) plan[slots[next++]] = fault;
        for (int slot = 0; slot < runs_per_day; ++slot) {
            root.write("autoscalati/" + sounding_name(day, slot), sounding_text(random));
            const Fault fault = plan[slot];
            const std::uint32_t kill_after_us = random() % 8000;  // drawn for every run: the plan stays the same
            ++faults[fault];
            ++runs;
            const auto expect = [&](int status, bool right) {
                if (right) return;
                ++wrong_status;
                if (shown.size() < 5)
                    shown.push_back(date_text(day) + " slot " + std::to_string(slot) + ": status " + std::to_string(status));
            };
            switch (fault) {
            case Fault::none: {
                const int status = end_of(start_plotmuf(work, arguments));
                expect(status, status == 0);
                break;
            }
            case Fault::kill: {
                const pid_t pid = start_plotmuf(work, arguments);
                std::this_thread::sleep_for(microseconds(kill_after_us));
                ::kill(pid, SIGKILL);
                const int status = end_of(pid);
                killed_in_run += status == -SIGKILL;
                expect(status, status == -SIGKILL || status == 0);  // 0: it was done before the kill
                break;
            }
            case Fault::share_down: {
                const auto before = station::contents(root.path() / "web");
                const auto archived = station::contents(root.path() / archive);
                fs::rename(root.path() / "autoscalati", root.path() / "autoscalati.away");
                const int status = end_of(start_plotmuf(work, arguments));
                fs::rename(root.path() / "autoscalati.away", root.path() / "autoscalati");
                // Nothing written but the metrics.
                expect(status, status == 1 && station::contents(root.path() / "web") == before &&
                                   station::contents(root.path() / archive) == archived);
                break;
            }
            case Fault::disk_full: {
                const auto before = station::contents(root.path() / "web");
                const auto archived = station::contents(root.path() / archive);
                const bool full = disk.fill();
                const int status = end_of(start_plotmuf(work, arguments));
                disk.empty();
                expect(status, full && status == 1 && station::contents(root.path() / "web") == before &&
                                   station::contents(root.path() / archive) == archived);
                break;
            }
            case Fault::two_at_once: {
                // Runs that share the scratch bitmaps' names: one whose bitmap
                // the other replaced fails that day, status 1.
                const pid_t one = start_plotmuf(work, arguments), other = start_plotmuf(work, arguments);
                for (const int status : {end_of(one), end_of(other)}) {
                    overlap_failures += status == 1;
                    expect(status, status == 0 || status == 1);
                }
                break;
            }
            }
        }
    }
    // The next run, an ordinary one: what the station then shows.
    {
        ++runs;
        ++faults[Fault::none];
        const int status = end_of(start_plotmuf(work, {"--today", date_text(last_day), "--metrics", metrics}));
        if (status != 0) {
            ++wrong_status;
            shown.push_back("the last run: status " + std::to_string(status));
        }
    }
    const double took = duration<double>(steady_clock::now() - started).count();
    over = true;
    reader.join();
    const int simulated = static_cast<int>((last_day - first_day).count()) + 1;

    // The same final files in a folder of their own, drawn clean: the range
    // of every day archived, then the scheduled run of the last day.
    TempFolder clean;
    make_station(clean);
    fs::copy(root.path() / "autoscalati", clean.path() / "autoscalati", fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    const sys_days first_archived = first_day - days{5};
    const RunResult range = run_program(clean.path() / "stazione",
                                        {"--archive", date_text(first_archived), date_text(last_day)});
    ASSERT_EQ(range.status, 0) << range.err;
    int compared = 0, differing = 0;
    std::vector<std::string> differ;
    const auto compare = [&](const fs::path& relative) {
        ++compared;
        const std::string mine = read_text(root.path() / relative), redrawn = read_text(clean.path() / relative);
        if (mine.empty() || mine != redrawn) {
            ++differing;
            if (differ.size() < 5) differ.push_back(relative.string());
        }
    };
    for (sys_days day = first_archived; day <= last_day; day += days{1})
        compare(fs::path(archive) / (year_day(day) + ".gif"));
    const RunResult scheduled = run_program(clean.path() / "stazione", {"--today", date_text(last_day)});
    ASSERT_EQ(scheduled.status, 0) << scheduled.err;
    for (int n = 1; n <= 6; ++n) compare(fs::path("web") / ("plotMUF" + std::to_string(n) + ".gif"));

    // Nothing in the station but its inputs, the charts and the metrics.
    std::set<std::string> expected = {"stazione/Quorel_RAV3000I2.ini", "stazione/plotmuf.prom",
                                      "previsioni/012024.txt",         "previsioni/022024.txt",
                                      "previsioni/032024.txt",         "autoscalati/A_station.txt"};
    for (sys_days day = first_archived; day <= last_day; day += days{1}) {
        expected.insert(std::string(archive) + "/" + year_day(day) + ".gif");
        for (int slot = 0; slot < runs_per_day && day >= first_day; ++slot)
            expected.insert("autoscalati/" + sounding_name(day, slot));
    }
    for (int n = 1; n <= 6; ++n) expected.insert("web/plotMUF" + std::to_string(n) + ".gif");
    std::vector<std::string> stray;
    for (const auto& entry : fs::recursive_directory_iterator(root.path())) {
        const std::string relative = fs::relative(entry.path(), root.path()).generic_string();
        if (!entry.is_directory() && !expected.contains(relative)) stray.push_back(relative);
    }
    std::vector<std::string> missing;
    for (const std::string& file : expected)
        if (!fs::exists(root.path() / file)) missing.push_back(file);
    const std::string metrics_faults = promtool_faults(metrics);

    std::printf("soak: seed %u, %d simulated days (%s to %s) in %.1f s, %d runs: %d ordinary, %d killed (%d of them "
                "before their end), %d with the measurement share down, %d with the disk full, %d twice at once "
                "(%d of those runs failing a day); %ld reads, %ld torn; %d charts compared, %d differing; %zu stray "
                "files; %d statuses wrong\n",
                seed, simulated, date_text(first_day).c_str(), date_text(last_day).c_str(), took, runs,
                faults[Fault::none], faults[Fault::kill], killed_in_run, faults[Fault::share_down],
                faults[Fault::disk_full], faults[Fault::two_at_once], overlap_failures, reads.load(), torn.load(),
                compared, differing, stray.size(), wrong_status);
    std::fflush(stdout);

    EXPECT_EQ(torn.load(), 0) << testing::PrintToString(torn_names);
    EXPECT_EQ(wrong_status, 0) << testing::PrintToString(shown);
    EXPECT_EQ(differing, 0) << testing::PrintToString(differ);
    EXPECT_EQ(stray, std::vector<std::string>{});
    EXPECT_EQ(missing, std::vector<std::string>{});
    EXPECT_EQ(metrics_faults, "");
    EXPECT_GT(reads.load(), runs);
    // Every kind of fault met, and some kills landed inside a run.
    for (const Fault f : {Fault::kill, Fault::share_down, Fault::disk_full, Fault::two_at_once}) EXPECT_GT(faults[f], 0);
    EXPECT_GT(killed_in_run, 0);
}

}  // namespace
