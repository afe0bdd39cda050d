// The minute labels and the keys of the six days: month-year, day of the
// year and the date label, by which each chart finds and names its files.

#include <chrono>
#include <string>

#include "app/form1.h"
#include "platform/clock.h"

namespace {

// n in decimal digits, with zeros put in front up to `cifre` digits.
std::string con_zeri(int n, std::size_t cifre) {
    std::string testo = std::to_string(n);
    if (testo.size() < cifre) testo.insert(0, cifre - testo.size(), '0');
    return testo;
}

}  // namespace

void Form1::riempi_etichette_minuti() {
    // Entries 1 to 59 are "01" to "59"; entry 60 is "00", minute 0 of the
    // same hour, which is therefore tried after minute 59.
    for (int k = 1; k <= 59; ++k) etichette_minuti[k] = con_zeri(k, 2);
    etichette_minuti[60] = "00";
}

void Form1::calcola_chiavi_giorni() {
    using namespace std::chrono;
    for (scarto_giorni = -5; scarto_giorni <= 0; ++scarto_giorni) {
        const int i = scarto_giorni + 6;
        // Today is read afresh for every day, as the clock gives it then.
        data_corrente = year_month_day{sys_days{oggi()} + days{scarto_giorni}};
        giorno_mese = con_zeri(static_cast<int>(static_cast<unsigned>(data_corrente.day())), 2);
        mese = con_zeri(static_cast<int>(static_cast<unsigned>(data_corrente.month())), 2);
        anno = std::to_string(static_cast<int>(data_corrente.year()));

        const int giorno = (sys_days{data_corrente} - sys_days{data_corrente.year() / January / 1}).count() + 1;
        giorno_anno[i] = con_zeri(giorno, 3);

        mese_anno[i] = mese + anno;
        data_giorno[i] = giorno_mese + "/" + mese + "/" + anno;
    }
}

std::chrono::year_month_day Form1::oggi() const {
    return impostazioni_.oggi ? *impostazioni_.oggi : platform::today_local();
}
