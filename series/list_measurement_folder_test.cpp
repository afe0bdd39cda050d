// The run's listing of the measurement folder must give the charts that
// trying every name gives: the same pixels, for every station and day.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>  // mkfifo
#endif

#include "app/form1.h"
#include "platform/files.h"
#include "support/pixels.h"
#include "support/sounding.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;
using namespace std::chrono;

namespace {

constexpr std::array<const char*, 7> station_names = {"", "Gibilmanna", "Tucuman", "Bahia Blanca", "Rome", "La_Spezia",
                                                      "Mali"};


// The six days of a run across New Year: 30 December 2030 to 4 January
// 2031, so that the days' names hold two years.
const sys_days first_day = 2030y / December / 30;
const sys_days last_day = 2031y / January / 4;

// A form of that run, its measurement folder `folder`.
void prepare(Form1& form, const std::string& folder) {
    form.impostazioni_dimensioni_e_scala_del_form();
    form.cartella_autoscalati = folder;
    const char* months[] = {"", "122030", "122030", "012031", "012031", "012031", "012031"};
    const char* days_of_year[] = {"", "364", "365", "001", "002", "003", "004"};
    for (int d = 1; d <= 6; ++d) {
        form.mese_anno[d] = months[d];
        form.giorno_anno[d] = days_of_year[d];
    }
    form.fill_minute_labels();
}

// The observed values of day `n`, alone on the surface.
Image chart(Form1& form, int n) {
    form.indice_giorno = static_cast<std::int16_t>(n);
    form.superficie.Cls();
    form.grafico_valori_autoscalati(form.mese_anno[n]);
    return form.superficie.image();
}

class MeasurementListing : public testing::Test {
protected:
    // The file name of a sounding of station kind `tipo`, as the form makes it.
    std::string name(std::int16_t tipo, int n, int hour, int minute) {
        names.indice_giorno = static_cast<std::int16_t>(n);
        return fs::path(names.nome_file_misura(tipo, names.mese_anno[n], hour, minute)).filename().string();
    }

    // Names a folder's station: sorts before every sounding of every kind.
    void station(std::int16_t tipo) {
        folder.write("0_station.txt", std::string(station_names[tipo]) + "\n");
        prepare(names, folder.slash());
        ASSERT_TRUE(names.list_measurement_folder(first_day, last_day));
        ASSERT_EQ(names.riconosci_stazione(), tipo);
    }

    TempFolder folder;
    Form1 names;  // only makes names
};

TEST_F(MeasurementListing, SameChartsAsTryingEveryNameForEveryStation) {
    for (std::int16_t tipo = 1; tipo <= 6; ++tipo) {
        SCOPED_TRACE(station_names[tipo]);
        for (const auto& entry : fs::directory_iterator(folder.path())) fs::remove_all(entry.path());
        station(tipo);
        const std::string s = station_names[tipo];
        // Quarter-hour soundings on days 1, 3 and 6, one of them "N/A".
        for (int n : {1, 3, 6}) {
            for (int hour : {0, 9, 23}) {
                for (int minute : {15, 30, 45, 58, 60}) {
                    folder.write(name(tipo, n, hour, minute),
                                 sounding_file(minute == 30 ? "N/A " : std::to_string(10 + hour) + ".5", s));
                }
            }
        }
        // Entries with soundings' names that must not draw, and a file of
        // fewer than four lines.
        folder.make_folder(name(tipo, 3, 12, 15));
        folder.write(name(tipo, 3, 12, 30), s + "\n2\nFoF2 MUF3000 = 30.0\n");
#ifndef _WIN32
        ASSERT_EQ(::mkfifo((folder.path() / name(tipo, 3, 12, 45)).c_str(), 0600), 0);
        fs::create_symlink(folder.path() / "missing", folder.path() / name(tipo, 3, 13, 15));
        fs::create_symlink(folder.path() / name(tipo, 1, 9, 15), folder.path() / name(tipo, 3, 13, 30));
#endif
        // A sounding's name in lower case draws where names are resolved
        // without regard to case (Windows), and nowhere else.
        std::string lower = name(tipo, 6, 14, 15);
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
        folder.write(lower, sounding_file("44.4", s));

        // The run's listing, and one of days long past, which keeps none of
        // these names: each is then tried by opening it.
        Form1 listed, tried;
        prepare(listed, folder.slash());
        prepare(tried, folder.slash());
        ASSERT_TRUE(listed.list_measurement_folder(first_day, last_day));
        ASSERT_TRUE(tried.list_measurement_folder(sys_days{1900y / January / 1}, sys_days{1900y / January / 1}));
        for (int n = 1; n <= 6; ++n) {
            SCOPED_TRACE(n);
            const Image expected = chart(tried, n);
            EXPECT_TRUE(chart(listed, n) == expected);
            EXPECT_EQ(count_colour(expected, colours::red) > 0, n == 1 || n == 3 || n == 6);
        }
    }
}

// The trade of one listing per run: the run sees the folder as it was when
// it began; the next run sees what changed.
TEST_F(MeasurementListing, TheRunSeesTheFolderAsItWasWhenItBegan) {
    station(2);
    folder.write(name(2, 6, 10, 15), sounding_file("30.0"));
    Form1 form;
    prepare(form, folder.slash());
    ASSERT_TRUE(form.list_measurement_folder(first_day, last_day));
    const Image one_sounding = chart(form, 6);
    ASSERT_GT(count_colour(one_sounding, colours::red), 0);

    // A sounding written during the run, and a note that now comes first.
    folder.write(name(2, 6, 11, 15), sounding_file("40.0"));
    folder.write("00_note.txt", "Remember the antenna\n");
    EXPECT_TRUE(chart(form, 6) == one_sounding);

    // A sounding that vanishes during the run is a missing one.
    fs::remove(folder.path() / name(2, 6, 10, 15));
    EXPECT_EQ(count_colour(chart(form, 6), colours::red), 0);

    // The next run lists the folder again: the note names no station.
    Form1 next;
    prepare(next, folder.slash());
    ASSERT_TRUE(next.list_measurement_folder(first_day, last_day));
    EXPECT_EQ(next.riconosci_stazione(), 0);
}

// A folder that cannot be read fails the listing, with the system's reason
// and the folder as the configuration names it; an empty folder, an empty
// name and a name without its final separator list nothing and fail nothing.
TEST(MeasurementFolder, ThatCannotBeReadFailsTheListing) {
    TempFolder folder;
    folder.write("a file", "Tucuman\n");
    const struct {
        const char* name;
        std::string measurements;
        bool readable;
    } cases[] = {
        {"missing", folder.slash() + "missing\\", false},
        {"a file in its place", folder.slash() + "a file\\", false},
        {"empty", folder.make_folder("empty").string() + "\\", true},
        {"the working folder", "", true},
        {"no final separator", folder.path().string(), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Form1 form;
        prepare(form, c.measurements);
        const Status listed = form.list_measurement_folder(first_day, last_day);
        EXPECT_EQ(static_cast<bool>(listed), c.readable);
        if (c.readable) continue;
        const std::string named = "measurements: cannot read the folder " + platform::native_path(c.measurements) + ": ";
        EXPECT_TRUE(listed.message().starts_with(named)) << listed.message();
        EXPECT_GT(listed.message().size(), named.size()) << "no reason given";
    }
}

}  // namespace
