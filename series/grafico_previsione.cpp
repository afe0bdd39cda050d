// The monthly forecast on the chart of one day: 24 white dots, one for each
// whole hour UT, joined in hour order by white segments. The values are the
// 24 five-character fields of line 2 of the month's forecast file.

#include <array>
#include <cstdint>
#include <string>

#include "app/form1.h"
#include "platform/files.h"
#include "series/valore_frequenza.h"

namespace {

constexpr int campi = 24;
constexpr std::size_t lunghezza_campo = 5;
constexpr std::size_t lunghezza_riga = campi * lunghezza_campo;  // nothing past it is used

}  // namespace

void Form1::grafico_previsione(const std::string& file_previsioni) {
    std::array<std::int16_t, campi + 1> valori_previsti{};  // 1..24, all 0 on every call
    std::string riga_previsione;
    platform::TextInput canale;

    // A failing step is passed over and the next one runs; each failure
    // clears apertura_ok, and the flag decides whether the file is used.
    const std::string percorso = cartella_previsioni + file_previsioni + ".txt";
    bool apertura_ok = true;
    if (Status s = canale.open(percorso); !s) {
        apertura_ok = false;
        segnala("forecast: " + s.message());
    }
    if (!apertura_ok) return;

    // Line 1 is skipped whatever it holds; line 2 holds the values.
    if (!canale.read_line(riga_previsione, 0)) apertura_ok = false;
    if (!canale.read_line(riga_previsione, lunghezza_riga)) apertura_ok = false;
    canale.close();

    // A file without a line 2 holds no forecast: no curve, as for a missing file.
    if (!apertura_ok) {
        segnala("forecast: " + percorso + " has no line 2");
        return;
    }

    // Field k holds the hour k - 1 UT: a separator, two characters of whole
    // MHz, the point and the tenths. A field past the end of a short line is 0.
    for (indice_campo = 1; indice_campo <= campi; ++indice_campo) {
        const std::size_t fine_campo = lunghezza_campo * static_cast<std::size_t>(indice_campo);
        valori_previsti[indice_campo] = serie::valore_frequenza(serie::caratteri(riga_previsione, fine_campo - 3, 2),
                                                                serie::caratteri(riga_previsione, fine_campo, 1));
    }

    // Each dot is drawn, then the segment that ends on it; the first dot has none.
    x_precedente = 0;
    y_precedente = 0;
    for (int k = 1; k <= campi; ++k) {
        const auto x = static_cast<std::int16_t>(10 * (k - 1));
        const std::int16_t y = valori_previsti[k];
        superficie.FillStyle = Surface::solid;
        superficie.FillColor = colori::bianco;
        superficie.Circle(x, y, 2, colori::bianco);
        if (k > 1) superficie.Line(x_precedente, y_precedente, x, y, colori::bianco);
        x_precedente = x;
        y_precedente = y;
    }
}
