// The minute labels, the keys of the six days, and dates as text.

#include "app/day_keys.h"

#include "app/form1.h"
#include "platform/clock.h"

std::string zero_padded(int n, std::size_t digits) {
    std::string text = std::to_string(n);
    if (text.size() < digits) text.insert(0, digits - text.size(), '0');
    return text;
}

int day_of_year(std::chrono::year_month_day date) {
    using namespace std::chrono;
    return static_cast<int>((sys_days{date} - sys_days{date.year() / January / 1}).count()) + 1;
}

std::string iso_date(std::chrono::year_month_day date) {
    return zero_padded(static_cast<int>(date.year()), 4) + "-" +
           zero_padded(static_cast<int>(static_cast<unsigned>(date.month())), 2) + "-" +
           zero_padded(static_cast<int>(static_cast<unsigned>(date.day())), 2);
}

std::string_view month_name(std::chrono::month month) {
    static constexpr std::string_view names[] = {"January", "February", "March",     "April",   "May",      "June",
                                                 "July",    "August",   "September", "October", "November", "December"};
    return names[(static_cast<unsigned>(month) + 11) % 12];
}

std::string_view weekday_name(std::chrono::weekday day) {
    static constexpr std::string_view names[] = {"Monday", "Tuesday", "Wednesday", "Thursday",
                                                 "Friday", "Saturday", "Sunday"};
    return names[(day.iso_encoding() + 6) % 7];
}

std::string long_date(std::chrono::year_month_day date) {
    return std::string(weekday_name(std::chrono::weekday{std::chrono::sys_days{date}})) + " " +
           std::to_string(static_cast<unsigned>(date.day())) + " " + std::string(month_name(date.month())) + " " +
           std::to_string(static_cast<int>(date.year()));
}

std::string_view key_year(std::string_view mese_anno) { return mese_anno.size() >= 6 ? mese_anno.substr(2, 4) : ""; }

DayKeys day_keys(std::chrono::year_month_day date) {
    const std::string giorno_mese = zero_padded(static_cast<int>(static_cast<unsigned>(date.day())), 2);
    const std::string mese = zero_padded(static_cast<int>(static_cast<unsigned>(date.month())), 2);
    // Four digits for every year a run draws (1000 to 9999).
    const std::string anno = zero_padded(static_cast<int>(date.year()), 4);
    return {mese + anno, zero_padded(day_of_year(date), 3), giorno_mese + "/" + mese + "/" + anno};
}

void Form1::fill_minute_labels() {
    // Entries 1 to 59 are "01" to "59"; entry 60 is "00", minute 0 of the
    // same hour, which is therefore tried after minute 59.
    for (int k = 1; k <= 59; ++k) etichette_minuti[k] = zero_padded(k, 2);
    etichette_minuti[60] = "00";
}

void Form1::compute_day_keys() {
    using namespace std::chrono;
    for (scarto_giorni = -5; scarto_giorni <= 0; ++scarto_giorni) {
        // Today is read afresh for every day, as the clock gives it then.
        data_corrente = year_month_day{sys_days{today()} + days{scarto_giorni}};
        set_day_keys(scarto_giorni + 6, data_corrente);
    }
}

void Form1::set_day_keys(int i, std::chrono::year_month_day date) {
    DayKeys keys = day_keys(date);
    mese_anno[i] = std::move(keys.mese_anno);
    giorno_anno[i] = std::move(keys.giorno_anno);
    data_giorno[i] = std::move(keys.data_giorno);
    day_date[i] = date;
}

std::chrono::year_month_day Form1::today() const {
    return settings_.today ? *settings_.today : platform::today_local();
}
