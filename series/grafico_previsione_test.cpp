#include <gtest/gtest.h>

#include <array>
#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "app/form1.h"
#include "support/temp_folder.h"

namespace {

using Valori = std::array<int, 24>;

// A forecast field as the files write it: a blank, two characters of whole
// MHz, the point and the tenths digit.
std::string campo(int decimi_mhz) {
    char testo[16];
    std::snprintf(testo, sizeof testo, " %2d.%d", decimi_mhz / 10, decimi_mhz % 10);
    return testo;
}

std::string riga_2(const Valori& valori) {
    std::string riga;
    for (int v : valori) riga += campo(v);
    return riga;
}

// A day of realistic values, all different, none near y = 0.
constexpr Valori giornata = {123, 118, 95, 100, 140, 182, 233, 261, 300, 322, 345, 351,
                             360, 342, 318, 297, 280, 260, 244, 213, 188, 160, 141, 130};

int conta(const Image& image, Rgb colore) {
    int n = 0;
    for (const Rgb& p : image.pixels) n += p == colore;
    return n;
}

class Previsione : public testing::Test {
protected:
    Previsione() {
        form.impostazioni_dimensioni_e_scala_del_form();
        form.cartella_previsioni = cartella.slash();
    }

    void disegna(const std::string& contenuto) {
        cartella.write("032024.txt", contenuto);
        form.grafico_previsione("032024");
    }

    // A filled white dot: the 3 x 3 pixels about its centre.
    bool punto(float x, float y) const {
        const Surface& s = form.superficie;
        if (s.row(y) < 1 || s.row(y) > Surface::height - 2) return false;
        for (int dc = -1; dc <= 1; ++dc) {
            for (int dr = -1; dr <= 1; ++dr) {
                if (!(s.image().at(s.column(x) + dc, s.row(y) + dr) == colori::bianco)) return false;
            }
        }
        return true;
    }

    // Some white pixel in the column of x between the rows of y1 and y2.
    bool bianco_in_colonna(float x, float y1, float y2) const {
        const Surface& s = form.superficie;
        const int da = std::max(0, s.row(std::max(y1, y2)));
        const int a = std::min(Surface::height - 1, s.row(std::min(y1, y2)));
        for (int r = da; r <= a; ++r) {
            if (s.image().at(s.column(x), r) == colori::bianco) return true;
        }
        return false;
    }

    // 24 dots at the hours and 23 segments, each seen halfway between its
    // dots, where no dot reaches; and no segment from the origin.
    void verifica_curva(const Valori& valori) const {
        for (int k = 0; k < 24; ++k) {
            // A value above 600 lies beyond the top of the surface, unseen.
            if (valori[k] <= 600) {
                EXPECT_TRUE(punto(10.0f * k, valori[k])) << "dot of hour " << k << " at y " << valori[k];
            }
            if (k > 0) {
                EXPECT_TRUE(bianco_in_colonna(10.0f * k - 5, valori[k - 1], valori[k]))
                    << "segment from hour " << k - 1 << " to hour " << k;
            }
        }
        if (valori[0] > 20) {
            EXPECT_FALSE(bianco_in_colonna(0, 0, valori[0] - 20.0f)) << "segment from the origin";
        }
        EXPECT_FALSE(bianco_in_colonna(-5, -81, 600));
        EXPECT_FALSE(bianco_in_colonna(235, -81, 600));
    }

    TempFolder cartella;
    Form1 form;
};

TEST_F(Previsione, DotsAndSegmentsAtTheValuesOfLine2) {
    ASSERT_EQ(riga_2(giornata).substr(0, 15), " 12.3 11.8  9.5");
    disegna("Forecast MUF(3000)F2 March 2024\n" + riga_2(giornata) + "\n");
    verifica_curva(giornata);
    // The fill is left as the last dot set it.
    EXPECT_EQ(form.superficie.FillStyle, Surface::solid);
    EXPECT_EQ(form.superficie.FillColor, colori::bianco);
}

TEST_F(Previsione, FieldsReadFromLine2) {
    Valori corta{};  // a line 2 of 100 characters: hours 20 to 23 are 0
    std::copy(giornata.begin(), giornata.begin() + 20, corta.begin());
    Valori tagliata = corta;  // a field cut by the end of the line: " 3" with no tenths
    tagliata[20] = 3;
    Valori insoliti = giornata;
    insoliti[0] = 12;   // " 12. ": a blank tenths, read as 12 and not 120
    insoliti[1] = 95;   // "  9.5": one whole-MHz digit
    insoliti[2] = 0;    // "  0.0"
    insoliti[3] = 0;    // blanks only
    insoliti[4] = 147;  // "x14?7": the separator and the point are never looked at
    insoliti[5] = 0;    // "  n/a" and other text with no number
    insoliti[6] = 620;  // above the top of the surface: nothing is clipped

    const struct {
        const char* nome;
        std::string riga;
        Valori valori;
    } casi[] = {
        {"short line", riga_2(giornata).substr(0, 100), corta},
        {"cut field", riga_2(giornata).substr(0, 100) + " 3", tagliata},
        {"odd fields", " 12.   9.5  0.0     x14?7  n/a 62.0" + riga_2(giornata).substr(35), insoliti},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.nome);
        form.superficie.Cls();
        disegna("line 1\n" + caso.riga + "\n");
        verifica_curva(caso.valori);
    }
}

TEST_F(Previsione, OnlyLine2CountsWhateverTheFileAroundItHolds) {
    const std::string dati = riga_2(giornata);
    const std::string altri = riga_2({300, 300, 300, 300, 300, 300, 300, 300, 300, 300, 300, 300,
                                      300, 300, 300, 300, 300, 300, 300, 300, 300, 300, 300, 300});
    const struct {
        const char* nome;
        std::string contenuto;
    } casi[] = {
        {"CR LF", "header\r\n" + dati + "\r\n"},
        {"CR only", "header\r" + dati + "\r"},
        {"no final line end", "header\n" + dati},
        {"line 1 looks like data", altri + "\n" + dati + "\n"},
        {"long binary line 1", std::string(100000, '\xff') + std::string("\0\x01", 2) + "\n" + dati + "\n"},
        {"empty line 1", "\n" + dati + "\n" + altri + "\n"},
        {"more lines after", "header\n" + dati + "\n" + altri + "\n" + altri + "\n"},
        {"line 2 longer than 120", "header\n" + dati + altri + "\n"},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.nome);
        form.superficie.Cls();
        disegna(caso.contenuto);
        verifica_curva(giornata);
        EXPECT_FALSE(punto(60, 300)) << "a value of another line";
    }
}

TEST_F(Previsione, NoCurveWithoutALine2) {
    const struct {
        const char* nome;
        std::string contenuto;
    } casi[] = {
        {"empty file", ""},
        {"one line", riga_2(giornata) + "\n"},
        {"one line without line end", riga_2(giornata)},
        {"one CR-ended line", "header\r"},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.nome);
        disegna(caso.contenuto);
        EXPECT_EQ(conta(form.superficie.image(), colori::bianco), 0);
    }
}

TEST_F(Previsione, NoCurveWhenTheMonthHasNoFile) {
    cartella.write("022024.txt", "header\n" + riga_2(giornata) + "\n");
    cartella.make_folder("042024.txt");
    form.grafico_previsione("032024");  // missing
    form.grafico_previsione("042024");  // a folder of that name
    form.cartella_previsioni = (cartella.path() / "missing").string() + "/";
    form.grafico_previsione("022024");  // the folder is missing
    EXPECT_EQ(conta(form.superficie.image(), colori::bianco), 0);

    form.cartella_previsioni = cartella.slash();
    form.grafico_previsione("022024");
    verifica_curva(giornata);
}

TEST_F(Previsione, AFileWithoutALine2IsReportedWhenVerbose) {
    std::ostringstream diagnostica;
    Form1 verboso(Form1::Impostazioni{.oggi = {}, .diagnostica = &diagnostica});
    verboso.cartella_previsioni = cartella.slash();
    cartella.write("032024.txt", "header only\n");
    verboso.grafico_previsione("032024");
    verboso.grafico_previsione("042024");
    EXPECT_NE(diagnostica.str().find("032024.txt"), std::string::npos) << diagnostica.str();
    EXPECT_NE(diagnostica.str().find("042024.txt"), std::string::npos) << diagnostica.str();
}

}  // namespace
