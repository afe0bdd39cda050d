#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "app/form1.h"
#include "support/temp_folder.h"

namespace {

// A form whose measurement folder is a fresh temporary folder, drawing the
// day 14 February 2031 as day 1.
class Stazione : public testing::Test {
protected:
    Stazione() {
        form.cartella_autoscalati = cartella.slash();
        form.indice_giorno = 1;
        form.mese_anno[1] = "022031";
        form.giorno_anno[1] = "045";
        form.riempi_etichette_minuti();
    }

    // The kind recognised in a folder holding one file with this first line.
    std::int16_t tipo_da(const std::string& prima_riga) {
        TempFolder sola;
        sola.write("20310451325.TXT", prima_riga + "\r\nline 2\r\nline 3\r\nFoF2 MUF3000 = 12.3\r\n");
        form.cartella_autoscalati = sola.slash();
        return form.riconosci_stazione();
    }

    TempFolder cartella;
    Form1 form;
};

TEST_F(Stazione, TheFirstFourCharactersOfTheFirstLineNameTheStation) {
    const struct {
        std::string prima_riga;
        int tipo;
    } casi[] = {
        {"Gibilmanna", 1}, {"Moscow", 1}, {"Tucuman", 2}, {"Bahia Blanca", 3}, {"Rome", 4},
        {"La_Spezia", 5},  {"Mali", 6},   {"Gibi", 1},
        // Letter case counts; so do the first four characters exactly.
        {"gibilmanna", 0}, {"ROME", 0},   {"Tucu" + std::string(1, '\0'), 2},
        {" Rome", 0},      {"Rom", 0},    {"", 0},          {"Rome\x01", 4}, {"\xff\xfe", 0},
    };
    for (const auto& caso : casi) {
        EXPECT_EQ(tipo_da(caso.prima_riga), caso.tipo) << '"' << caso.prima_riga << '"';
    }
}

TEST_F(Stazione, HourLabelsOfEachKindAndKeptWhenNothingIsRecognised) {
    ASSERT_EQ(tipo_da("Gibilmanna"), 1);
    EXPECT_EQ(form.etichette_ore[0], "A");
    EXPECT_EQ(form.etichette_ore[7], "H");
    EXPECT_EQ(form.etichette_ore[8], "I");
    EXPECT_EQ(form.etichette_ore[23], "X");

    ASSERT_EQ(tipo_da("Rome"), 4);
    EXPECT_EQ(form.etichette_ore[0], "00");
    EXPECT_EQ(form.etichette_ore[9], "09");
    EXPECT_EQ(form.etichette_ore[23], "23");
    EXPECT_EQ(form.etichette_ore[24], "");  // never written

    ASSERT_EQ(tipo_da("unknown"), 0);
    EXPECT_EQ(form.etichette_ore[13], "13");
}

TEST_F(Stazione, MeasurementFileNamesOfEveryKind) {
    const struct {
        const char* prima_riga;
        const char* ore_13_minuto_25;
        const char* ore_13_minuto_00;
        const char* ore_00_minuto_01;
        const char* ore_23_minuto_59;
    } casi[] = {
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
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.prima_riga);
        const std::int16_t tipo = tipo_da(caso.prima_riga);
        const std::string cartella_misure = form.cartella_autoscalati;
        EXPECT_EQ(form.nome_file_misura(tipo, "022031", 13, 25), cartella_misure + caso.ore_13_minuto_25);
        EXPECT_EQ(form.nome_file_misura(tipo, "022031", 13, 60), cartella_misure + caso.ore_13_minuto_00);
        EXPECT_EQ(form.nome_file_misura(tipo, "022031", 0, 1), cartella_misure + caso.ore_00_minuto_01);
        EXPECT_EQ(form.nome_file_misura(tipo, "022031", 23, 59), cartella_misure + caso.ore_23_minuto_59);
    }
}

TEST_F(Stazione, NamesUseTheYearAndDayOfTheDayDrawn) {
    ASSERT_EQ(tipo_da("Tucuman"), 2);
    form.indice_giorno = 3;
    form.giorno_anno[3] = "366";
    EXPECT_EQ(form.nome_file_misura(2, "122032", 23, 45), form.cartella_autoscalati + "TUJ2O_20323662345.TXT");
    ASSERT_EQ(tipo_da("Moscow"), 1);
    EXPECT_EQ(form.nome_file_misura(1, "122032", 23, 45), form.cartella_autoscalati + "32366X45.TXT");
    // Outside the kinds there is no name.
    EXPECT_EQ(form.nome_file_misura(0, "122032", 23, 45), "");
}

TEST_F(Stazione, OnlyTheFirstOrdinaryFileByNameDecides) {
    // Made in the reverse order of their names: the listing order does not count.
    cartella.write("c.TXT", "Rome\n");
    cartella.write("b.TXT", "Bahia\n");
    cartella.write(".a_hidden", "Mali\n");
    cartella.make_folder("a_folder");
    cartella.write("a_folder/a.TXT", "Tucuman\n");
    EXPECT_EQ(form.riconosci_stazione(), 3);

    // A note listed before the soundings makes the day unrecognised.
    cartella.write("NOTE.TXT", "Remember to check the antenna\n");
    cartella.write("TUJ2O_20310451325.TXT", "Tucuman\n");
    EXPECT_EQ(form.riconosci_stazione(), 0);
}

TEST_F(Stazione, NothingIsRecognisedWithoutAReadableFolder) {
    cartella.write("only.TXT", "Tucuman\n");
    const std::string senza_separatore = cartella.path().string();
    const struct {
        const char* nome;
        std::string cartella_misure;
    } casi[] = {
        {"no final separator", senza_separatore},
        {"a file named like the folder", (cartella.path() / "only.TXT").string()},
        {"missing folder", senza_separatore + "/missing/"},
        {"empty folder", cartella.make_folder("empty").string() + "/"},
        {"no folder", ""},
    };
    for (const auto& caso : casi) {
        form.cartella_autoscalati = caso.cartella_misure;
        EXPECT_EQ(form.riconosci_stazione(), 0) << caso.nome;
    }
    form.cartella_autoscalati = senza_separatore + "\\";
    EXPECT_EQ(form.riconosci_stazione(), 2) << "a Windows separator";
}

}  // namespace
