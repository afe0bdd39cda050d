// The real binary on real files in a temporary station folder.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "app/form1.h"
#include "platform/clock.h"
#include "support/gif_decode.h"
#include "support/run.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;
using namespace std::chrono;

namespace {

const char* const archivio = "previous_RAV3000I2_plots";

// A station folder: the configuration in the working folder "stazione",
// forecast files and scratch bitmaps in "previsioni", soundings in
// "autoscalati", published figures in "web".
struct Stazione {
    explicit Stazione(bool con_archivio = true, bool con_web = true) {
        cartella.make_folder("stazione");
        cartella.make_folder("autoscalati");
        cartella.make_folder(con_archivio ? std::string("previsioni/") + archivio : "previsioni");
        if (con_web) cartella.make_folder("web");
        cartella.write("stazione/Quorel_RAV3000I2.ini", "Example station\r\n" + cartella.slash() +
                                                            "previsioni\\\r\nmeasurements\r\n" + cartella.slash() +
                                                            "autoscalati\\\r\nfigures\r\n" + cartella.slash() +
                                                            "web\\\r\n");
    }
    fs::path lavoro() const { return cartella.path() / "stazione"; }
    fs::path web(int n) const { return cartella.path() / "web" / ("plotMUF" + std::to_string(n) + ".gif"); }
    fs::path archiviato(const std::string& giorno) const {
        return cartella.path() / "previsioni" / archivio / (giorno + ".gif");
    }
    fs::path bitmap(int n) const { return cartella.path() / "previsioni" / ("grafico" + std::to_string(n) + ".bmp"); }

    TempFolder cartella;
};

// The picture of a GIF file as giflib decodes it; none when giflib rejects it.
std::optional<Image> decodifica(const fs::path& path) {
    Image image;
    if (!decode_gif_file(path.string(), image)) return std::nullopt;
    return image;
}

// Every file name below `folder`, sorted.
std::vector<std::string> files_in(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) names.push_back(fs::relative(entry.path(), folder).generic_string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The chart of day `indice` as the run draws it in memory.
Image disegna(const Stazione& stazione, year_month_day oggi, int indice) {
    Form1 form({.oggi = oggi});
    form.riempi_etichette_minuti();
    form.cartella_previsioni = stazione.cartella.slash() + "previsioni\\";
    form.cartella_autoscalati = stazione.cartella.slash() + "autoscalati\\";
    form.calcola_chiavi_giorni();
    form.impostazioni_dimensioni_e_scala_del_form();
    form.indice_giorno = static_cast<std::int16_t>(indice);
    form.disegno_dello_stage();
    form.grafico_previsione(form.mese_anno[indice]);
    form.grafico_valori_autoscalati(form.mese_anno[indice]);
    form.superficie.CurrentX = 75;
    form.superficie.CurrentY = 600;
    form.superficie.Print("Date: " + form.data_giorno[indice]);
    return form.superficie.image();
}

TEST(Run, WritesTwelveGifsThatShowExactlyTheChartsDrawn) {
    Stazione stazione;
    stazione.cartella.write("previsioni/022024.txt",
                            "February\r\n" "  4.5  4.0  3.9  4.2  6.5 10.3 14.8 18.2 20.1 21.3 22.0 22.4"
                            " 22.1 21.5 20.9 20.0 18.7 16.9 14.2 11.0  8.3  6.6  5.4  4.9\r\n");
    const RunResult run = run_plotmuf(stazione.lavoro(), "--today 2024-03-03");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");

    const char* const giorni[] = {"2024058", "2024059", "2024060", "2024061", "2024062", "2024063"};
    for (int n = 1; n <= 6; ++n) {
        SCOPED_TRACE(n);
        const std::optional<Image> pubblicata = decodifica(stazione.web(n));
        ASSERT_TRUE(pubblicata);
        EXPECT_EQ(read_text(stazione.web(n)), read_text(stazione.archiviato(giorni[n - 1])));
        const Image attesa = disegna(stazione, 2024y / March / 3, n);
        EXPECT_EQ(pubblicata->width, 286);
        EXPECT_EQ(pubblicata->height, 221);
        EXPECT_TRUE(pubblicata->pixels == attesa.pixels);
    }
    // Nothing but the twelve GIFs and the inputs is left: no scratch bitmap
    // and no temporary file.
    EXPECT_EQ(files_in(stazione.cartella.path()),
              (std::vector<std::string>{"previsioni/022024.txt", "previsioni/previous_RAV3000I2_plots/2024058.gif",
                                        "previsioni/previous_RAV3000I2_plots/2024059.gif",
                                        "previsioni/previous_RAV3000I2_plots/2024060.gif",
                                        "previsioni/previous_RAV3000I2_plots/2024061.gif",
                                        "previsioni/previous_RAV3000I2_plots/2024062.gif",
                                        "previsioni/previous_RAV3000I2_plots/2024063.gif", "stazione/Quorel_RAV3000I2.ini",
                                        "web/plotMUF1.gif", "web/plotMUF2.gif", "web/plotMUF3.gif", "web/plotMUF4.gif",
                                        "web/plotMUF5.gif", "web/plotMUF6.gif"}));
}

TEST(Run, TheDateStampLandsAboveThePlotArea) {
    Stazione stazione;
    ASSERT_EQ(run_plotmuf(stazione.lavoro(), "--today 2024-03-03").status, 0);
    const std::optional<Image> figura = decodifica(stazione.web(6));
    ASSERT_TRUE(figura);
    // Text colour only in rows 0 to 12 from column 110 on; "D" starts there.
    int testo = 0;
    for (int r = 0; r < 13; ++r) {
        for (int c = 0; c < 286; ++c) {
            if (figura->at(c, r) == colori::giallo_chiaro) {
                ++testo;
                EXPECT_GE(c, 110);
            }
        }
    }
    EXPECT_GT(testo, 40);
    EXPECT_EQ(figura->at(111, 5), colori::giallo_chiaro);
}

TEST(Run, ArchivesAcrossTheYearEndUnderEachDaysOwnYear) {
    Stazione stazione;
    ASSERT_EQ(run_plotmuf(stazione.lavoro(), "--today 2025-01-03").status, 0);
    for (const char* giorno : {"2024364", "2024365", "2024366", "2025001", "2025002", "2025003"})
        EXPECT_TRUE(fs::exists(stazione.archiviato(giorno))) << giorno;
}

TEST(Run, AMissingArchiveFolderLeavesThePublishedFiguresAndTheBitmaps) {
    Stazione stazione(/*con_archivio=*/false);
    const RunResult run = run_plotmuf(stazione.lavoro(), "--today 2024-03-03");
    EXPECT_EQ(run.status, 1);
    for (int n = 1; n <= 6; ++n) {
        EXPECT_TRUE(decodifica(stazione.web(n))) << n;
        EXPECT_TRUE(fs::exists(stazione.bitmap(n))) << n;
    }
    EXPECT_FALSE(fs::exists(stazione.cartella.path() / "previsioni" / archivio));
}

TEST(Run, AMissingPublicationFolderWritesNoGifAtAll) {
    Stazione stazione(/*con_archivio=*/true, /*con_web=*/false);
    const RunResult run = run_plotmuf(stazione.lavoro(), "--today 2024-03-03 --verbose");
    EXPECT_EQ(run.status, 1);
    for (int n = 1; n <= 6; ++n) EXPECT_TRUE(fs::exists(stazione.bitmap(n))) << n;
    EXPECT_TRUE(fs::is_empty(stazione.cartella.path() / "previsioni" / archivio));
    EXPECT_FALSE(fs::exists(stazione.cartella.path() / "web"));
    // One line for each failed day, naming the file that could not be written.
    for (int n = 1; n <= 6; ++n) {
        const std::string nome = "plotMUF" + std::to_string(n) + ".gif";
        const auto trovato = run.err.find(nome);
        EXPECT_NE(trovato, std::string::npos) << run.err;
        EXPECT_EQ(run.err.find(nome, trovato + 1), std::string::npos) << run.err;
    }
}

TEST(Run, WithoutConfigurationEverythingIsRelativeToTheWorkingFolder) {
    TempFolder cartella;
    RunResult run = run_plotmuf(cartella.path(), "--today 2024-03-03 --verbose");
    // No archive folder there: figures published, bitmaps left, status 1.
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Quorel_RAV3000I2.ini"), std::string::npos) << run.err;
    for (int n = 1; n <= 6; ++n) {
        EXPECT_TRUE(decodifica(cartella.path() / ("plotMUF" + std::to_string(n) + ".gif"))) << n;
        EXPECT_TRUE(fs::exists(cartella.path() / ("grafico" + std::to_string(n) + ".bmp"))) << n;
    }

    // With the archive subfolder in the working folder the run is complete.
    cartella.make_folder(archivio);
    run = run_plotmuf(cartella.path(), "--today 2024-03-03");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::exists(cartella.path() / archivio / "2024063.gif"));
    EXPECT_FALSE(fs::exists(cartella.path() / "grafico6.bmp"));
}

TEST(Run, AShortConfigurationPublishesInTheWorkingFolder) {
    Stazione stazione;
    stazione.cartella.write("stazione/Quorel_RAV3000I2.ini", "x\n" + stazione.cartella.slash() + "previsioni\\\ny\n" +
                                                                 stazione.cartella.slash() + "autoscalati\\\n");
    EXPECT_EQ(run_plotmuf(stazione.lavoro(), "--today 2024-03-03").status, 0);
    EXPECT_TRUE(fs::exists(stazione.lavoro() / "plotMUF6.gif"));
    EXPECT_TRUE(fs::exists(stazione.archiviato("2024063")));
}

TEST(Run, ASecondRunReplacesEveryFile) {
    Stazione stazione;
    ASSERT_EQ(run_plotmuf(stazione.lavoro(), "--today 2024-03-03").status, 0);
    stazione.cartella.write("previsioni/032024.txt", "\n" + std::string(24 * 5, ' ').replace(0, 5, " 30.0") + "\n");
    const std::string prima = read_text(stazione.web(6));
    ASSERT_EQ(run_plotmuf(stazione.lavoro(), "--today 2024-03-03").status, 0);
    EXPECT_NE(read_text(stazione.web(6)), prima);
    EXPECT_EQ(read_text(stazione.web(6)), read_text(stazione.archiviato("2024063")));
}

TEST(Run, APublicationNameThatIsALinkIsReplacedNotWrittenThrough) {
    Stazione stazione;
    const fs::path altrove = stazione.cartella.write("altrove.txt", "keep me");
    fs::create_symlink(altrove, stazione.web(1));
    ASSERT_EQ(run_plotmuf(stazione.lavoro(), "--today 2024-03-03").status, 0);
    EXPECT_EQ(read_text(altrove), "keep me");
    EXPECT_FALSE(fs::is_symlink(stazione.web(1)));
    EXPECT_TRUE(decodifica(stazione.web(1)));
}

struct Uso {
    const char* argomenti;
    const char* messaggio;
    friend void PrintTo(const Uso& uso, std::ostream* os) { *os << uso.argomenti; }
};

class UsageError : public testing::TestWithParam<Uso> {};

TEST_P(UsageError, ExitsTwoBeforeReadingOrWritingAnything) {
    Stazione stazione;
    const RunResult run = run_plotmuf(stazione.lavoro(), GetParam().argomenti);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(GetParam().messaggio), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("usage: plotmuf"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(files_in(stazione.cartella.path()), std::vector<std::string>{"stazione/Quorel_RAV3000I2.ini"});
}

INSTANTIATE_TEST_SUITE_P(Options, UsageError,
                         testing::Values(Uso{"--bogus", "unknown option '--bogus'"},
                                         Uso{"stray", "unknown option 'stray'"},
                                         Uso{"--today", "--today needs a date"},
                                         Uso{"--today 2024-02-30", "'2024-02-30' is not a date"},
                                         Uso{"--today 24-03-03", "is not a date"},
                                         Uso{"--today 2024-3-3", "is not a date"},
                                         Uso{"--today=2024-13-01", "is not a date"},
                                         Uso{"--verbose --today +024-03-03", "is not a date"}),
                         [](const testing::TestParamInfo<Uso>& info) { return "Case" + std::to_string(info.index); });

TEST(Options, HelpAndVersionWriteNothingButTheirText) {
    Stazione stazione;
    RunResult run = run_plotmuf(stazione.lavoro(), "--help");
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("--today YYYY-MM-DD"), std::string::npos);
    run = run_plotmuf(stazione.lavoro(), "--version");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "plotmuf " PLOTMUF_VERSION "\n");
    EXPECT_EQ(files_in(stazione.cartella.path()), std::vector<std::string>{"stazione/Quorel_RAV3000I2.ini"});
}

TEST(Options, TodayDefaultsToTheClock) {
    Stazione stazione;
    const year_month_day prima = platform::today_local();
    ASSERT_EQ(run_plotmuf(stazione.lavoro()).status, 0);
    // Today's archive name, from the day of year of the clock's date (either
    // side of a midnight that fell during the run).
    bool trovato = false;
    for (year_month_day oggi : {prima, platform::today_local()}) {
        const int giorno = (sys_days{oggi} - sys_days{oggi.year() / January / 1}).count() + 1;
        char nome[16];
        std::snprintf(nome, sizeof nome, "%04d%03d", static_cast<int>(oggi.year()), giorno);
        trovato = trovato || fs::exists(stazione.archiviato(nome));
    }
    EXPECT_TRUE(trovato);
}

}  // namespace
