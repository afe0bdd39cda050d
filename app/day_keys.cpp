// The keys of a day.

#include "app/day_keys.h"

#include "app/date_text.h"

std::string_view key_year(std::string_view mese_anno) { return mese_anno.size() >= 6 ? mese_anno.substr(2, 4) : ""; }

DayKeys day_keys(std::chrono::year_month_day date) {
    const std::string giorno_mese = zero_padded(static_cast<int>(static_cast<unsigned>(date.day())), 2);
    const std::string mese = zero_padded(static_cast<int>(static_cast<unsigned>(date.month())), 2);
    // Four digits for every year a run draws (1000 to 9999).
    const std::string anno = zero_padded(static_cast<int>(date.year()), 4);
    return {mese + anno, zero_padded(day_of_year(date), 3), giorno_mese + "/" + mese + "/" + anno};
}
