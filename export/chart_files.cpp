#include "export/chart_files.h"

#include "app/day_keys.h"

using namespace std::chrono;

std::string published_chart_name(int n) { return "plotMUF" + std::to_string(n) + ".gif"; }

std::string archived_chart_name(std::string_view mese_anno, std::string_view giorno_anno) {
    return std::string(key_year(mese_anno)) + std::string(giorno_anno) + ".gif";
}

std::string archived_chart_name(year_month_day day) {
    const DayKeys keys = day_keys(day);
    return archived_chart_name(keys.mese_anno, keys.giorno_anno);
}

std::string beside_name(std::string_view gif_path, std::string_view extension) {
    if (gif_path.ends_with(".gif")) gif_path.remove_suffix(4);
    return std::string(gif_path) + std::string(extension);
}

std::optional<year_month_day> archived_chart_day(std::string_view file_name, std::string_view extension) {
    if (file_name.size() != 7 + extension.size() || file_name.substr(7) != extension) return std::nullopt;
    int number[2] = {0, 0};  // the year, then the day of the year
    for (std::size_t i = 0; i < 7; ++i) {
        const char c = file_name[i];
        if (c < '0' || c > '9') return std::nullopt;
        int& part = number[i < 4 ? 0 : 1];
        part = part * 10 + (c - '0');
    }
    const year y{number[0]};
    const int n = number[1];
    if (n < 1 || n > (y.is_leap() ? 366 : 365)) return std::nullopt;
    return year_month_day{sys_days{y / January / 1} + days{n - 1}};
}
