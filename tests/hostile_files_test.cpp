// Data files as an unattended run meets them sooner or later: odd line ends,
// binary bytes, endless lines, files that shrink while they are read, and
// things that are no files at all. The real binary runs on them, and each run
// must end by itself with the charts that the same data give in plain files.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "support/plotmuf_process.h"
#include "support/station_folder.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;
using station::StationFolder;
using station::Layout;

namespace {

ChildEnd run(const StationFolder& folder, const ChildOptions& options = {}, std::chrono::seconds within = run_limit) {
    return wait_plotmuf(start_plotmuf(folder.work(), {"--today", station::today}, options), within);
}

// Runs plotmuf in `folder` and checks what these runs hold: it ends in
// time and well, with the charts of the plain data files, in less than
// `most_kib` of resident memory.
void expect_plain_charts(const StationFolder& folder, long most_kib, std::chrono::seconds within = run_limit) {
    const ChildEnd end = run(folder, {}, within);
    ASSERT_TRUE(end.in_time);
    EXPECT_EQ(end.status, 0);
    EXPECT_TRUE(folder.output_bytes() == station::plain_charts());
    if (!memory_is_instrumented) {
        EXPECT_LT(end.peak_kb, most_kib) << "peak resident memory, KiB";
    }
}

// Every GIF and BMP file below the station folder, by path, with its bytes.
std::map<std::string, std::string> pictures(const StationFolder& folder) {
    std::map<std::string, std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(folder.root.path())) {
        const std::string ext = entry.path().extension().string();
        if (entry.is_regular_file() && (ext == ".gif" || ext == ".bmp"))
            found[fs::relative(entry.path(), folder.root.path()).string()] = read_text(entry.path());
    }
    return found;
}

// A file of `head`, then `hole` NUL bytes that take no room on the disk,
// then `tail`.
void write_sparse(const fs::path& path, const std::string& head, off_t hole, const std::string& tail) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_NE(fd, -1) << path;
    EXPECT_EQ(::pwrite(fd, head.data(), head.size(), 0), static_cast<ssize_t>(head.size()));
    EXPECT_EQ(::pwrite(fd, tail.data(), tail.size(), static_cast<off_t>(head.size()) + hole),
              static_cast<ssize_t>(tail.size()));
    ::close(fd);
}

TEST(HostileFiles, TheSameDataInAnyLayoutGiveTheSameCharts) {
    const std::string binary("\0\xff\x01\x80 \xe9\xe8\x1a\x7f\0\xc3\xa8", 12);
    const struct {
        const char* name;
        Layout layout;
    } cases[] = {
        {"LF only, no final line end", {.line_end = "\n", .final_line_end = false}},
        {"CR only", {.line_end = "\r"}},
        {"CR LF, no final line end", {.final_line_end = false}},
        {"NUL, binary and non-ASCII bytes in every free line", {.free_text = binary}},
        {"a long free line of a few read buffers", {.line_end = "\n", .free_text = std::string(20000, '\xb0')}},
        {"two million short lines after the data", {.line_end = "\n", .extra_lines = 2'000'000}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StationFolder folder(c.layout);
        expect_plain_charts(folder, 16 * 1024);
        EXPECT_EQ(station::leftovers(folder.root.path()), std::vector<std::string>{});
    }
}

// Only the configuration's line 1, the forecast's line 1 and a sounding's
// line 2 are a gigabyte long; the lines that matter follow them.
TEST(HostileFiles, LinesOfAGigabyteAreSkippedInBoundedMemory) {
    StationFolder folder;
    const off_t gigabyte = off_t{1} << 30;
    const fs::path& root = folder.root.path();
    write_sparse(root / "stazione" / "Quorel_RAV3000I2.ini", "", gigabyte,
                 "\r\n" + folder.root.slash() + "previsioni\\\r\nx\r\n" + folder.root.slash() +
                     "autoscalati\\\r\nx\r\n" + folder.root.slash() + "web\\\r\n");
    write_sparse(root / "previsioni" / "032024.txt", "", gigabyte, "\r\n" + station::forecast_line(60, 21) + "\r\n");
    write_sparse(root / "autoscalati" / station::soundings[0].name, "Tucuman\r\n", gigabyte,
                 "\r\nx\r\nFoF2 MUF3000 = 30.0 MHz\r\n");

    expect_plain_charts(folder, 16 * 1024, std::chrono::minutes(5));  // three gigabytes to read
}

// The run keeps, for each day drawn, the minutes whose soundings the folder
// holds, and nothing of any other name. Names of no sounding, each beginning
// as today's soundings' names begin, more than a year of soundings: the
// same charts, in bounded memory.
TEST(HostileFiles, MoreSoundingNamesThanTheRunKeepsGiveTheSameCharts) {
    StationFolder folder;
    const std::size_t beyond_the_bound = (std::size_t{1} << 17) + 1;
    const fs::path measurements = folder.root.path() / "autoscalati";
    for (std::size_t i = 0; i < beyond_the_bound; ++i) {
        const std::string name = "TUJ2O_2024061-note-" + std::to_string(i);
        const int fd = ::open((measurements / name).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        ASSERT_NE(fd, -1) << name;
        ::close(fd);
    }
    expect_plain_charts(folder, 8 * 1024);
}

// While the runs read it, the forecast file keeps shrinking to a few bytes
// of its first line and growing back. A run reads its line 2 or finds none:
// each chart is one of the two, and nothing else.
TEST(HostileFiles, AFileThatShrinksWhileItIsReadGivesOneOfItsCharts) {
    std::vector<std::string> without_forecast;
    {
        StationFolder folder;
        fs::remove(folder.root.path() / "previsioni" / "032024.txt");
        ASSERT_EQ(run(folder).status, 0);
        without_forecast = folder.output_bytes();
    }

    StationFolder folder;
    const fs::path forecast = folder.root.path() / "previsioni" / "032024.txt";
    const off_t line_1 = off_t{64} << 20;
    const std::string line_2 = "\r\n" + station::forecast_line(60, 21) + "\r\n";
    write_sparse(forecast, "", line_1, line_2);

    std::atomic<bool> stop{false};
    int shrunk = 0;
    std::thread shrinker([&] {
        const int fd = ::open(forecast.c_str(), O_WRONLY);
        while (!stop) {
            shrunk += ::ftruncate(fd, 100) == 0;
            std::this_thread::sleep_for(std::chrono::microseconds(300));
            if (::pwrite(fd, line_2.data(), line_2.size(), line_1) < 0) break;
            std::this_thread::sleep_for(std::chrono::microseconds(700));
        }
        ::close(fd);
    });
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const ChildEnd end = run(folder);
        ASSERT_TRUE(end.in_time);
        EXPECT_EQ(end.status, 0);
        const std::string today = read_text(folder.published(6));
        EXPECT_TRUE(today == station::plain_charts()[5] || today == without_forecast[5]);
        EXPECT_EQ(read_text(folder.published(5)), station::plain_charts()[4]);  // February's file never shrinks
    }
    stop = true;
    shrinker.join();
    EXPECT_GT(shrunk, 0);
}

// Things that are not plain readable files, at the name of each kind of data
// file: each is passed over as a missing file, without waiting for anything.
TEST(HostileFiles, WhatIsNoReadableFileIsTakenAsAMissingFile) {
    const char* const data_names[] = {"stazione/Quorel_RAV3000I2.ini", "previsioni/032024.txt",
                                      "autoscalati/TUJ2O_20240611045.TXT", "autoscalati/A_station.txt"};
    using Plant = std::function<void(const fs::path&)>;
    const struct {
        const char* name;
        Plant plant;
    } kinds[] = {
        {"a named pipe without writer", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); }},
        {"a link to /dev/zero", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); }},
        {"a link to /dev/null", [](const fs::path& p) { fs::create_symlink("/dev/null", p); }},
        {"a folder", [](const fs::path& p) { fs::create_directory(p); }},
        {"a dangling link", [](const fs::path& p) { fs::create_symlink(p.string() + ".gone", p); }},
    };

    for (const char* data_name : data_names) {
        SCOPED_TRACE(data_name);
        StationFolder missing;
        fs::remove(missing.root.path() / data_name);
        const ChildEnd expected_end = run(missing);
        ASSERT_TRUE(expected_end.in_time);
        const auto expected = pictures(missing);

        for (const auto& kind : kinds) {
            SCOPED_TRACE(kind.name);
            StationFolder folder;
            fs::remove(folder.root.path() / data_name);
            kind.plant(folder.root.path() / data_name);
            const ChildEnd end = run(folder);
            ASSERT_TRUE(end.in_time);
            EXPECT_EQ(end.status, expected_end.status);
            EXPECT_TRUE(pictures(folder) == expected);
        }
    }
}

// A data file that the run may not read. Root reads it whatever its
// permission bits say, so as root the runs are made as the user nobody.
TEST(HostileFiles, AFileWithoutReadPermissionIsTakenAsAMissingFile) {
    ChildOptions options;
    TempFolder program;
    if (::geteuid() == 0) {
        run_as_nobody(options, program);
    }
    // The folders open to that user.
    const auto open_up = [](const StationFolder& folder) {
        fs::permissions(folder.root.path(), fs::perms::all);
        for (const auto& entry : fs::recursive_directory_iterator(folder.root.path()))
            if (entry.is_directory()) fs::permissions(entry.path(), fs::perms::all);
    };

    // The file that names the station is the first ordinary file of its
    // folder even when it cannot be read: then no station is recognised.
    const struct {
        const char* name;
        const char* in_its_place;  // the file's content giving the same charts; none when missing
    } cases[] = {
        {"stazione/Quorel_RAV3000I2.ini", nullptr},
        {"previsioni/032024.txt", nullptr},
        {"autoscalati/TUJ2O_20240611045.TXT", nullptr},
        {"autoscalati/A_station.txt", "no station\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StationFolder expected;
        open_up(expected);
        if (c.in_its_place) expected.root.write(c.name, c.in_its_place);
        else fs::remove(expected.root.path() / c.name);
        const ChildEnd expected_end = run(expected, options);
        ASSERT_TRUE(expected_end.in_time);
        if (expected_end.status == 127) GTEST_SKIP() << "the tests run as root and the user nobody cannot start "
                                                     << options.program << " from its folder";

        StationFolder folder;
        open_up(folder);
        fs::permissions(folder.root.path() / c.name, fs::perms::none);
        const ChildEnd end = run(folder, options);
        ASSERT_TRUE(end.in_time);
        EXPECT_EQ(end.status, expected_end.status);
        EXPECT_TRUE(pictures(folder) == pictures(expected));
    }
}

}  // namespace
