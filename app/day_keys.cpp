// The minute labels and the keys of the six days.

#include "app/day_keys.h"

#include "app/form1.h"
#include "platform/clock.h"

namespace {

// n in decimal digits, with zeros put in front up to `digits` digits.
std::string with_zeros(int n, std::size_t digits) {
    std::string text = std::to_string(n);
    if (text.size() < digits) text.insert(0, digits - text.size(), '0');
    return text;
}

}  // namespace

DayKeys day_keys(std::chrono::year_month_day date) {
    using namespace std::chrono;
    const std::string giorno_mese = with_zeros(static_cast<int>(static_cast<unsigned>(date.day())), 2);
    const std::string mese = with_zeros(static_cast<int>(static_cast<unsigned>(date.month())), 2);
    const std::string anno = std::to_string(static_cast<int>(date.year()));
    const int day_of_year = (sys_days{date} - sys_days{date.year() / January / 1}).count() + 1;
    return {mese + anno, with_zeros(day_of_year, 3), giorno_mese + "/" + mese + "/" + anno};
}

void Form1::fill_minute_labels() {
    // Entries 1 to 59 are "01" to "59"; entry 60 is "00", minute 0 of the
    // same hour, which is therefore tried after minute 59.
    for (int k = 1; k <= 59; ++k) etichette_minuti[k] = with_zeros(k, 2);
    etichette_minuti[60] = "00";
}

void Form1::compute_day_keys() {
    using namespace std::chrono;
    for (scarto_giorni = -5; scarto_giorni <= 0; ++scarto_giorni) {
        const int i = scarto_giorni + 6;
        // Today is read afresh for every day, as the clock gives it then.
        data_corrente = year_month_day{sys_days{today()} + days{scarto_giorni}};
        DayKeys keys = day_keys(data_corrente);
        mese_anno[i] = std::move(keys.mese_anno);
        giorno_anno[i] = std::move(keys.giorno_anno);
        data_giorno[i] = std::move(keys.data_giorno);
    }
}

std::chrono::year_month_day Form1::today() const {
    return settings_.today ? *settings_.today : platform::today_local();
}
