// Which station wrote the measurement files, and the name of the file of
// any hour and minute of the day. The first line of the first ordinary file
// of the measurement folder begins with the station's name; each station
// names its files in its own way.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/form1.h"
#include "platform/files.h"
#include "series/valore_frequenza.h"

namespace {

struct Stazione {
    std::string_view inizio;  // the first four characters of the first line
    std::int16_t tipo;
};

// In the order they are tried; the comparison is case-sensitive.
constexpr std::array<Stazione, 7> stazioni{{
    {"Gibi", 1},
    {"Mosc", 1},
    {"Tucu", 2},
    {"Bahi", 3},
    {"Rome", 4},
    {"La_S", 5},
    {"Mali", 6},
}};

struct Schema {
    std::string_view prefisso;
    std::string_view suffisso;
};

// By kind, 1..6. Kind 1 writes the year with two digits and the hour as a
// letter; the others write the year with four digits and the hour with two.
// The fifth character of "TUJ2O_" is the letter O; the "0" of "RM041_",
// "SP044_" and "ML10L_" is the digit zero.
constexpr std::array<Schema, 7> schemi{{
    {"", ""},
    {"", ".TXT"},
    {"TUJ2O_", ".TXT"},
    {"BBJ3R_", ".TXT"},
    {"RM041_", "00.TXT"},
    {"SP044_", "00.TXT"},
    {"ML10L_", "00.TXT"},
}};

constexpr std::size_t caratteri_riconoscimento = 4;

// What every measurement file name of a day begins with: the kind's prefix,
// the year of `file_previsioni` (the month, then the four-digit year) and
// the day of the year.
void aggiungi_inizio_nome(std::string& nome, std::int16_t tipo_stazione, const std::string& file_previsioni,
                          const std::string& giorno_anno) {
    nome += schemi[tipo_stazione].prefisso;
    nome += tipo_stazione == 1 ? serie::caratteri(file_previsioni, 5, 2) : serie::caratteri(file_previsioni, 3, 4);
    nome += giorno_anno;
}

}  // namespace

std::int16_t Form1::riconosci_stazione() {
    std::int16_t tipo_stazione = 0;
    std::string prima_riga;
    platform::TextInput canale;

    // A failing step is passed over and the next one runs: a folder with no
    // ordinary file, or a file that does not open or read, leaves the line
    // empty, and an empty line names no station. With no file name there is
    // nothing to open: the folder's own path is never opened as a file.
    // The run's listing of the folder knows its first ordinary file (see
    // elenca_cartella_autoscalati); without one the folder is listed here.
    const std::string nome = elenco_autoscalati && elenco_autoscalati->folder() == cartella_autoscalati
                                 ? elenco_autoscalati->first_ordinary_file()
                                 : platform::first_ordinary_file(cartella_autoscalati);
    bool apertura_ok = true;
    if (nome.empty() || !canale.open(cartella_autoscalati + nome)) apertura_ok = false;
    if (apertura_ok && !canale.read_line(prima_riga, caratteri_riconoscimento)) apertura_ok = false;
    canale.close();

    const std::string_view inizio = std::string_view(prima_riga).substr(0, caratteri_riconoscimento);
    for (const Stazione& stazione : stazioni) {
        if (inizio != stazione.inizio) continue;
        for (int h = 0; h <= 23; ++h) {
            if (stazione.tipo == 1) {
                etichette_ore[h] = std::string(1, static_cast<char>('A' + h));
            } else {
                etichette_ore[h] = {static_cast<char>('0' + h / 10), static_cast<char>('0' + h % 10)};
            }
        }
        tipo_stazione = stazione.tipo;
        break;
    }

    // With no station the hour labels keep what they held.
    if (tipo_stazione == 0) segnala("measurements: no station recognised in " + cartella_autoscalati);
    return tipo_stazione;
}

std::string Form1::nome_file_misura(std::int16_t tipo_stazione, const std::string& file_previsioni, int h,
                                    int m) const {
    // Outside the kinds and the arrays' ranges there is no name; opening
    // the empty name fails like a missing file.
    if (tipo_stazione < 1 || tipo_stazione > 6) return {};
    if (indice_giorno < 1 || indice_giorno > 6) return {};
    if (h < 0 || h > 23 || m < 1 || m > 60) return {};

    std::string nome;
    nome.reserve(cartella_autoscalati.size() + 32);
    nome += cartella_autoscalati;
    aggiungi_inizio_nome(nome, tipo_stazione, file_previsioni, giorno_anno[indice_giorno]);
    nome += etichette_ore[h];
    nome += etichette_minuti[m];
    nome += schemi[tipo_stazione].suffisso;
    return nome;
}

std::string Form1::inizio_nome_misura(std::int16_t tipo_stazione, const std::string& file_previsioni,
                                      int giorno) const {
    if (tipo_stazione < 1 || tipo_stazione > 6 || giorno < 1 || giorno > 6) return {};
    std::string inizio;
    aggiungi_inizio_nome(inizio, tipo_stazione, file_previsioni, giorno_anno[giorno]);
    return inizio;
}
