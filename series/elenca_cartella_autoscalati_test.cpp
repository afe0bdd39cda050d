// The run's listing of the measurement folder must give the charts that
// trying every name gives: the same pixels, for every station and day.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>  // mkfifo
#endif

#include "app/form1.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

constexpr std::array<const char*, 7> stazioni = {"", "Gibilmanna", "Tucuman", "Bahia Blanca", "Rome", "La_Spezia", "Mali"};

std::string misura(const std::string& stazione, const std::string& campo) {
    return stazione + "\r\n2\r\n3\r\nFoF2 MUF3000 = " + campo + " MHz\r\n";
}

int rossi(const Image& image) {
    return static_cast<int>(std::count(image.pixels.begin(), image.pixels.end(), colori::rosso));
}

// A form of a run whose six days run across New Year: 30 December 2030 to
// 4 January 2031, so that the days' names hold two years.
void prepara(Form1& form, const std::string& cartella) {
    form.impostazioni_dimensioni_e_scala_del_form();
    form.cartella_autoscalati = cartella;
    const char* mesi[] = {"", "122030", "122030", "012031", "012031", "012031", "012031"};
    const char* giorni[] = {"", "364", "365", "001", "002", "003", "004"};
    for (int d = 1; d <= 6; ++d) {
        form.mese_anno[d] = mesi[d];
        form.giorno_anno[d] = giorni[d];
    }
    form.riempi_etichette_minuti();
}

// The chart of day `giorno`, alone on the surface.
Image grafico(Form1& form, int giorno) {
    form.indice_giorno = static_cast<std::int16_t>(giorno);
    form.superficie.Cls();
    form.grafico_valori_autoscalati(form.mese_anno[giorno]);
    return form.superficie.image();
}

class ElencoAutoscalati : public testing::Test {
protected:
    // The file name of a sounding of station kind `tipo`, as the form makes it.
    std::string nome(std::int16_t tipo, int giorno, int ora, int minuto) {
        nomi.indice_giorno = static_cast<std::int16_t>(giorno);
        return fs::path(nomi.nome_file_misura(tipo, nomi.mese_anno[giorno], ora, minuto)).filename().string();
    }

    // Names a folder's station: sorts before every sounding of every kind.
    void stazione(std::int16_t tipo) {
        cartella.write("0_station.txt", std::string(stazioni[tipo]) + "\n");
        prepara(nomi, cartella.slash());
        ASSERT_EQ(nomi.riconosci_stazione(), tipo);
    }

    TempFolder cartella;
    Form1 nomi;  // only makes names
};

TEST_F(ElencoAutoscalati, SameChartsAsTryingEveryNameForEveryStation) {
    for (std::int16_t tipo = 1; tipo <= 6; ++tipo) {
        SCOPED_TRACE(stazioni[tipo]);
        for (const auto& entry : fs::directory_iterator(cartella.path())) fs::remove_all(entry.path());
        stazione(tipo);
        const std::string s = stazioni[tipo];
        // Quarter-hour soundings on days 1, 3 and 6, one of them "N/A".
        for (int giorno : {1, 3, 6}) {
            for (int ora : {0, 9, 23}) {
                for (int minuto : {15, 30, 45, 58, 60}) {
                    cartella.write(nome(tipo, giorno, ora, minuto),
                                   misura(s, minuto == 30 ? "N/A " : std::to_string(10 + ora) + ".5"));
                }
            }
        }
        // Entries with soundings' names that must not draw, and a file of
        // fewer than four lines.
        cartella.make_folder(nome(tipo, 3, 12, 15));
        cartella.write(nome(tipo, 3, 12, 30), s + "\n2\nFoF2 MUF3000 = 30.0\n");
#ifndef _WIN32
        ASSERT_EQ(::mkfifo((cartella.path() / nome(tipo, 3, 12, 45)).c_str(), 0600), 0);
        fs::create_symlink(cartella.path() / "missing", cartella.path() / nome(tipo, 3, 13, 15));
        fs::create_symlink(cartella.path() / nome(tipo, 1, 9, 15), cartella.path() / nome(tipo, 3, 13, 30));
#endif
        // A sounding's name in lower case draws where names are resolved
        // without regard to case (Windows), and nowhere else.
        std::string minuscolo = nome(tipo, 6, 14, 15);
        std::transform(minuscolo.begin(), minuscolo.end(), minuscolo.begin(),
                       [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
        cartella.write(minuscolo, misura(s, "44.4"));

        Form1 con_elenco, senza_elenco;
        prepara(con_elenco, cartella.slash());
        prepara(senza_elenco, cartella.slash());
        con_elenco.elenca_cartella_autoscalati();
        ASSERT_TRUE(con_elenco.elenco_autoscalati);
        EXPECT_GT(con_elenco.elenco_autoscalati->kept(), 0u);
        for (int giorno = 1; giorno <= 6; ++giorno) {
            SCOPED_TRACE(giorno);
            const Image atteso = grafico(senza_elenco, giorno);
            EXPECT_TRUE(grafico(con_elenco, giorno).pixels == atteso.pixels);
            EXPECT_EQ(rossi(atteso) > 0, giorno == 1 || giorno == 3 || giorno == 6);
        }
    }
}

// The trade of one listing per run: the run sees the folder as it was when
// it began; the next run sees what changed.
TEST_F(ElencoAutoscalati, TheRunSeesTheFolderAsItWasWhenItBegan) {
    stazione(2);
    cartella.write(nome(2, 6, 10, 15), misura("Tucuman", "30.0"));
    Form1 form;
    prepara(form, cartella.slash());
    form.elenca_cartella_autoscalati();
    const Image una_misura = grafico(form, 6);
    ASSERT_GT(rossi(una_misura), 0);

    // A sounding written during the run, and a note that now comes first.
    cartella.write(nome(2, 6, 11, 15), misura("Tucuman", "40.0"));
    cartella.write("00_note.txt", "Remember the antenna\n");
    EXPECT_TRUE(grafico(form, 6).pixels == una_misura.pixels);

    // A sounding that vanishes during the run is a missing one.
    fs::remove(cartella.path() / nome(2, 6, 10, 15));
    EXPECT_EQ(rossi(grafico(form, 6)), 0);

    // The next run lists the folder again: the note names no station.
    Form1 prossima;
    prepara(prossima, cartella.slash());
    prossima.elenca_cartella_autoscalati();
    EXPECT_EQ(prossima.riconosci_stazione(), 0);
}

// A listing holds for the folder it listed, not for another one.
TEST_F(ElencoAutoscalati, AListingHoldsOnlyForItsFolder) {
    stazione(2);
    Form1 form;
    prepara(form, cartella.slash());
    form.elenca_cartella_autoscalati();
    TempFolder altra;
    altra.write("0_station.txt", "Tucuman\n");
    altra.write(nome(2, 6, 10, 15), misura("Tucuman", "30.0"));
    form.cartella_autoscalati = altra.slash();
    EXPECT_GT(rossi(grafico(form, 6)), 0);
}

}  // namespace
