#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>  // mkfifo, to put a pipe where a sounding should be
#endif

#include "app/form1.h"
#include "support/temp_folder.h"

namespace {

// A sounding file of the station Tucuman: the value field is characters
// 16 to 19 of line 4.
std::string misura(const std::string& campo, const std::string& fine = "\r\n") {
    return "Tucuman" + fine + "2031.02.14" + fine + "autoscaled" + fine + "FoF2 MUF3000 = " + campo + " MHz" + fine;
}

struct Sondaggio {
    int ora;
    int minuto;  // the minute index: 1..59, and 60 for minute 00
    std::string contenuto;
};

int conta(const Image& image, Rgb colore) {
    int n = 0;
    for (const Rgb& p : image.pixels) n += p == colore;
    return n;
}

// The measurement folder of a form drawing 14 February 2031.
class ValoriAutoscalati : public testing::Test {
protected:
    ValoriAutoscalati() {
        form.impostazioni_dimensioni_e_scala_del_form();
        form.cartella_autoscalati = cartella.slash();
        form.indice_giorno = 1;
        form.mese_anno[1] = "022031";
        form.giorno_anno[1] = "045";
        form.riempi_etichette_minuti();
        // Listed before every sounding, so it names the station whatever
        // the soundings hold.
        cartella.write("A_station.txt", "Tucuman\n");
    }

    static std::string nome(int ora, int minuto) {
        char testo[32];
        std::snprintf(testo, sizeof testo, "TUJ2O_2031045%02d%02d.TXT", ora, minuto % 60);
        return testo;
    }

    void disegna(const std::vector<Sondaggio>& sondaggi) {
        for (const Sondaggio& s : sondaggi) cartella.write(nome(s.ora, s.minuto), s.contenuto);
        form.grafico_valori_autoscalati("022031");
    }

    // The same on a cleared surface, from a measurement folder of its own
    // that holds the station's file and these soundings only.
    void disegna_da_capo(const std::vector<Sondaggio>& sondaggi) {
        TempFolder giorno;
        form.cartella_autoscalati = giorno.slash();
        giorno.write("A_station.txt", "Tucuman\n");
        for (const Sondaggio& s : sondaggi) giorno.write(nome(s.ora, s.minuto), s.contenuto);
        form.superficie.Cls();
        form.grafico_valori_autoscalati("022031");
    }

    const Image& image() const { return form.superficie.image(); }

    // A filled red dot: the 3 x 3 pixels about its centre.
    bool punto(float x, float y) const {
        const Surface& s = form.superficie;
        for (int dc = -1; dc <= 1; ++dc) {
            for (int dr = -1; dr <= 1; ++dr) {
                if (!(image().at(s.column(x) + dc, s.row(y) + dr) == colori::rosso)) return false;
            }
        }
        return true;
    }

    // Some red pixel between two dots, out of the reach of both: in their
    // columns, in the rows between them less 3 at each end.
    bool segmento(float x1, float y1, float x2, float y2) const {
        const Surface& s = form.superficie;
        for (int c = s.column(std::min(x1, x2)); c <= s.column(std::max(x1, x2)); ++c) {
            for (int r = s.row(std::max(y1, y2)) + 3; r <= s.row(std::min(y1, y2)) - 3; ++r) {
                if (image().at(c, r) == colori::rosso) return true;
            }
        }
        return false;
    }

    // The green tick of a sounding without value, from y 52 to 73.
    bool tacca(float x) const {
        const Surface& s = form.superficie;
        for (int r = s.row(73); r <= s.row(52); ++r) {
            if (!(image().at(s.column(x), r) == colori::verde)) return false;
        }
        return true;
    }

    TempFolder cartella;
    Form1 form;
};

TEST_F(ValoriAutoscalati, JoinedOnlyToAValueTwoOrThreeUnitsEarlierInProcessingOrder) {
    const struct {
        const char* nome;
        std::vector<Sondaggio> sondaggi;
        float x1, y1, x2, y2;
        bool unito;
    } casi[] = {
        {"gap 2", {{10, 10, misura("30.0")}, {10, 22, misura("10.0")}}, 102, 300, 104, 100, true},
        {"gap 3", {{10, 15, misura("30.0")}, {10, 30, misura("10.0")}}, 102, 300, 105, 100, true},
        {"gap 1", {{10, 10, misura("30.0")}, {10, 20, misura("10.0")}}, 102, 300, 103, 100, false},
        {"gap 5", {{10, 15, misura("30.0")}, {10, 45, misura("10.0")}}, 102, 300, 107, 100, false},
        {"gap -7: minute 00 comes after minute 45", {{10, 45, misura("30.0")}, {10, 60, misura("10.0")}},
         107, 300, 100, 100, false},
        {"minute 58 lies at the next hour", {{10, 58, misura("30.0")}, {11, 10, misura("10.0")}},
         110, 300, 112, 100, true},
        {"never to a value of 0", {{10, 10, misura("00.0")}, {10, 22, misura("30.0")}}, 102, 0, 104, 300, false},
        {"never to a short field, read as 0", {{10, 10, "1\n2\n3\nshort line\n"}, {10, 22, misura("30.0")}},
         102, 0, 104, 300, false},
        {"across a tick", {{10, 15, misura("30.0")}, {10, 20, misura("N/A ")}, {10, 30, misura("10.0")}},
         102, 300, 105, 100, true},
        {"a tick does not shorten the gap",
         {{10, 15, misura("30.0")}, {10, 30, misura(" N/A")}, {10, 45, misura("10.0")}}, 102, 300, 107, 100, false},
        {"across a file of three lines", {{10, 10, misura("30.0")}, {10, 16, "Tucuman\n2\nFoF2 MUF3000 = 50.0\n"},
                                          {10, 27, misura("10.0")}},
         102, 300, 104, 100, true},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.nome);
        disegna_da_capo(caso.sondaggi);

        EXPECT_TRUE(punto(caso.x1, caso.y1));
        EXPECT_TRUE(punto(caso.x2, caso.y2));
        EXPECT_EQ(segmento(caso.x1, caso.y1, caso.x2, caso.y2), caso.unito);
    }
}

TEST_F(ValoriAutoscalati, EachHourIsReadFromMinute01ToMinute59AndThenMinute00) {
    // Soundings every quarter hour from 10:00 to 11:30.
    disegna({{10, 60, misura("50.0")}, {10, 15, misura("10.0")}, {10, 30, misura("30.0")},
             {10, 45, misura("10.0")}, {11, 15, misura("30.0")}, {11, 30, misura("10.0")}});
    EXPECT_TRUE(punto(100, 500));
    EXPECT_TRUE(segmento(102, 100, 105, 300));   // 10:15 to 10:30
    EXPECT_TRUE(segmento(105, 300, 107, 100));   // 10:30 to 10:45
    EXPECT_FALSE(segmento(101, 100, 101, 500));  // 10:45 to 10:00 would cross x 101
    EXPECT_FALSE(segmento(109, 300, 109, 500));  // 10:00 to 11:15 would cross x 109
    EXPECT_TRUE(segmento(112, 300, 115, 100));   // 11:15 to 11:30
    EXPECT_EQ(conta(image(), colori::verde), 0);
}

TEST_F(ValoriAutoscalati, TheValueFieldAndItsTick) {
    const struct {
        const char* nome;
        std::string contenuto;
        float y;       // the dot's y; none when negative
        bool tacca;
    } casi[] = {
        {"value", misura("30.0"), 300, false},
        {"one whole-MHz digit", misura(" 9.8"), 98, false},
        {"the point is not looked at", misura("25x7"), 257, false},
        {"above the frame: nothing is clipped", misura("58.0"), 580, false},
        {"lower-case n/a is no number", misura("n/a "), 0, false},
        {"a line 4 shorter than 16 characters", "1\n2\n3\nFoF2\n", 0, false},
        {"N/A", misura("N/A "), -1, true},
        {"N/A after a blank", misura(" N/A"), -1, true},
        {"N/A at the end of the line", "1\n2\n3\nFoF2 MUF3000 = N/A\n", -1, true},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.nome);
        disegna_da_capo({{10, 15, caso.contenuto}});

        if (caso.y >= 0) {
            EXPECT_TRUE(punto(102, caso.y));
        } else {
            EXPECT_EQ(conta(image(), colori::rosso), 0);
        }
        EXPECT_EQ(tacca(102), caso.tacca);
        if (!caso.tacca) {
            EXPECT_EQ(conta(image(), colori::verde), 0);
        }
    }
}

TEST_F(ValoriAutoscalati, TheLastMinutesOfTheDayLieAtTheEndOfTheTimeAxis) {
    for (int minuto : {58, 59}) {
        SCOPED_TRACE(minuto);
        disegna_da_capo({{23, minuto, misura("20.0")}, {23, 60, misura("N/A ")}});
        EXPECT_TRUE(punto(240, 200));
        EXPECT_EQ(form.superficie.column(240), 275);
        EXPECT_TRUE(tacca(230));  // minute 00 of hour 23
    }
}

TEST_F(ValoriAutoscalati, AnyLineEndAndAnyContentOfTheOtherLines) {
    const std::string lunga(100000, '7');
    const struct {
        const char* nome;
        std::string contenuto;
    } casi[] = {
        {"LF", misura("30.0", "\n")},
        {"CR only", misura("30.0", "\r")},
        {"no final line end", "Tucuman\n2\n3\nFoF2 MUF3000 = 30.0"},
        {"binary lines", std::string("\0\xff\x01\n\x80\x81\n\0\0\0\n", 11) + "FoF2 MUF3000 = 30.0\n"},
        {"long lines", lunga + "\n" + lunga + "\r\n" + lunga + "\r" + "FoF2 MUF3000 = 30.0" + lunga + "\n"},
        {"empty lines", "\n\n\nFoF2 MUF3000 = 30.0\n"},
        {"more lines", misura("30.0") + misura("10.0") + "FoF2 MUF3000 = 10.0\n"},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.nome);
        disegna_da_capo({{10, 15, caso.contenuto}});
        EXPECT_TRUE(punto(102, 300));
        EXPECT_FALSE(punto(102, 100));
    }
}

TEST_F(ValoriAutoscalati, FilesOfFewerThanFourLinesArePassedOver) {
    // Each would give a dot at y 0 if it were read from a line left over
    // from the recognition, from an earlier file or from its own lines.
    disegna({{10, 10, ""},
             {10, 20, "Tucuman\n"},
             {10, 30, "Tucuman\r\n2\r\n"},
             {10, 40, "Tucuman\n2\nFoF2 MUF3000 = 30.0\n"},
             {10, 50, "FoF2 MUF3000 = 30.0\nFoF2 MUF3000 = 30.0\nFoF2 MUF3000 = 30.0"}});
    EXPECT_EQ(conta(image(), colori::rosso), 0);
    EXPECT_EQ(conta(image(), colori::verde), 0);
}

TEST_F(ValoriAutoscalati, AFolderOrAPipeAtASoundingNameIsPassedOver) {
    cartella.make_folder(nome(10, 16));
#ifndef _WIN32
    ASSERT_EQ(::mkfifo((cartella.path() / nome(10, 17)).c_str(), 0600), 0);
#endif
    // Without a writer, opening the pipe for reading must not wait.
    disegna({{10, 10, misura("30.0")}, {10, 22, misura("10.0")}});
    EXPECT_TRUE(punto(102, 300));
    EXPECT_TRUE(punto(104, 100));
    EXPECT_TRUE(segmento(102, 300, 104, 100));
}

TEST_F(ValoriAutoscalati, NoMarksWhenTheStationIsNotRecognised) {
    const std::vector<Sondaggio> giornata = {
        {10, 15, misura("30.0")}, {10, 30, misura("N/A ")}, {10, 45, misura("10.0")}};
    // A note listed before the soundings; then a station name in lower case.
    for (const char* primo : {"Remember the antenna\n", "tucuman\n"}) {
        SCOPED_TRACE(primo);
        cartella.write("A_station.txt", primo);
        disegna(giornata);
        EXPECT_EQ(conta(image(), colori::rosso), 0);
        EXPECT_EQ(conta(image(), colori::verde), 0);
    }
    cartella.write("A_station.txt", "Tucuman\n");
    disegna(giornata);
    EXPECT_TRUE(punto(102, 300));
    EXPECT_TRUE(tacca(105));
}

}  // namespace
