#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "app/form1.h"
#include "support/day_form.h"
#include "support/sounding.h"
#include "support/temp_folder.h"

namespace {

// A form whose measurement folder is a fresh temporary folder, drawing the
// day 14 February 2031 as day 1.
class Station : public testing::Test {
protected:
    Station() { prepare_day_form(form, folder.slash()); }

    // The kind recognised in the measurement folder, listed as a run lists it.
    std::int16_t recognised() {
        // Whether the folder could be read is the run's to decide: the
        // recognition works on whatever was listed.
        (void)form.list_measurement_folder(form_day, form_day);
        return form.riconosci_stazione();
    }

    // The kind recognised in a folder holding one file with this first line.
    std::int16_t kind_of(const std::string& first_line) {
        TempFolder alone;
        alone.write("20310451325.TXT", sounding_file("12.3", first_line));
        form.cartella_autoscalati = alone.slash();
        return recognised();
    }

    TempFolder folder;
    Form1 form;
};

TEST_F(Station, TheFirstFourCharactersOfTheFirstLineNameTheStation) {
    const struct {
        std::string first_line;
        int kind;
    } cases[] = {
        {"Gibilmanna", 1}, {"Moscow", 1}, {"Tucuman", 2}, {"Bahia Blanca", 3}, {"Rome", 4},
        {"La_Spezia", 5},  {"Mali", 6},   {"Gibi", 1},
        // Letter case counts; so do the first four characters exactly.
        {"gibilmanna", 0}, {"ROME", 0},   {"Tucu" + std::string(1, '\0'), 2},
        {" Rome", 0},      {"Rom", 0},    {"", 0},          {"Rome\x01", 4}, {"\xff\xfe", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(kind_of(c.first_line), c.kind) << '"' << c.first_line << '"';
    }
}

TEST_F(Station, HourLabelsOfEachKindAndKeptWhenNothingIsRecognised) {
    ASSERT_EQ(kind_of("Gibilmanna"), 1);
    EXPECT_EQ(form.etichette_ore[0], "A");
    EXPECT_EQ(form.etichette_ore[7], "H");
    EXPECT_EQ(form.etichette_ore[8], "I");
    EXPECT_EQ(form.etichette_ore[23], "X");

    ASSERT_EQ(kind_of("Rome"), 4);
    EXPECT_EQ(form.etichette_ore[0], "00");
    EXPECT_EQ(form.etichette_ore[9], "09");
    EXPECT_EQ(form.etichette_ore[23], "23");
    EXPECT_EQ(form.etichette_ore[24], "");  // never written

    ASSERT_EQ(kind_of("unknown"), 0);
    EXPECT_EQ(form.etichette_ore[13], "13");
}

TEST_F(Station, MeasurementFileNamesOfEveryKind) {
    const struct {
        const char* first_line;
        const char* hour_13_minute_25;
        const char* hour_13_minute_00;
        const char* hour_00_minute_01;
        const char* hour_23_minute_59;
    } cases[] = {
        {"Gibilmanna", "31045N25.TXT", "31045N00.TXT", "31045A01.TXT", "31045X59.TXT"},
        {"Moscow", "31045N25.TXT", "31045N00.TXT", "31045A01.TXT", "31045X59.TXT"},
        {"Tucuman", "TUJ2O_20310451325.TXT", "TUJ2O_20310451300.TXT", "TUJ2O_20310450001.TXT", "TUJ2O_20310452359.TXT"},
        {"Bahia", "BBJ3R_20310451325.TXT", "BBJ3R_20310451300.TXT", "BBJ3R_20310450001.TXT", "BBJ3R_20310452359.TXT"},
        {"Rome", "RM041_2031045132500.TXT", "RM041_2031045130000.TXT", "RM041_2031045000100.TXT",
         "RM041_2031045235900.TXT"},
        {"La_Spezia", "SP044_2031045132500.TXT", "SP044_2031045130000.TXT", "SP044_2031045000100.TXT",
         "SP044_2031045235900.TXT"},
        {"Mali", "ML10L_2031045132500.TXT", "ML10L_2031045130000.TXT", "ML10L_2031045000100.TXT",
         "ML10L_2031045235900.TXT"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first_line);
        const std::int16_t kind = kind_of(c.first_line);
        const std::string measurements = form.cartella_autoscalati;
        EXPECT_EQ(form.nome_file_misura(kind, "022031", 13, 25), measurements + c.hour_13_minute_25);
        EXPECT_EQ(form.nome_file_misura(kind, "022031", 13, 60), measurements + c.hour_13_minute_00);
        EXPECT_EQ(form.nome_file_misura(kind, "022031", 0, 1), measurements + c.hour_00_minute_01);
        EXPECT_EQ(form.nome_file_misura(kind, "022031", 23, 59), measurements + c.hour_23_minute_59);
    }
}

TEST_F(Station, NamesUseTheYearAndDayOfTheDayDrawn) {
    ASSERT_EQ(kind_of("Tucuman"), 2);
    form.indice_giorno = 3;
    form.giorno_anno[3] = "366";
    EXPECT_EQ(form.nome_file_misura(2, "122032", 23, 45), form.cartella_autoscalati + "TUJ2O_20323662345.TXT");
    ASSERT_EQ(kind_of("Moscow"), 1);
    EXPECT_EQ(form.nome_file_misura(1, "122032", 23, 45), form.cartella_autoscalati + "32366X45.TXT");
    // Outside the kinds there is no name.
    EXPECT_EQ(form.nome_file_misura(0, "122032", 23, 45), "");
}

TEST_F(Station, OnlyTheFirstOrdinaryFileByNameDecides) {
    // Made in the reverse order of their names: the listing order does not count.
    folder.write("c.TXT", "Rome\n");
    folder.write("b.TXT", "Bahia\n");
    folder.write(".a_hidden", "Mali\n");
    folder.make_folder("a_folder");
    folder.write("a_folder/a.TXT", "Tucuman\n");
    EXPECT_EQ(recognised(), 3);

    // A note listed before the soundings makes the day unrecognised.
    folder.write("NOTE.TXT", "Remember to check the antenna\n");
    folder.write("TUJ2O_20310451325.TXT", "Tucuman\n");
    EXPECT_EQ(recognised(), 0);
}

TEST_F(Station, NothingIsRecognisedWithoutAReadableFolder) {
    folder.write("only.TXT", "Tucuman\n");
    const std::string no_separator = folder.path().string();
    const struct {
        const char* name;
        std::string measurements;
    } cases[] = {
        {"no final separator", no_separator},
        {"a file named like the folder", (folder.path() / "only.TXT").string()},
        {"missing folder", no_separator + "/missing/"},
        {"empty folder", folder.make_folder("empty").string() + "/"},
        {"no folder", ""},
    };
    for (const auto& c : cases) {
        form.cartella_autoscalati = c.measurements;
        EXPECT_EQ(recognised(), 0) << c.name;
    }
    form.cartella_autoscalati = no_separator + "\\";
    EXPECT_EQ(recognised(), 2) << "a Windows separator";
}

}  // namespace
