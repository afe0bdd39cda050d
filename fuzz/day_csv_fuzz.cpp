// The reader of the archived days' CSVs on any file content: an operator
// may edit or cut one short. Each input is a day's CSV as the month reads
// it back (read_observed_values, then the day's hourly values), and the
// month made of it, its tables, its words and its tables read back again.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "export/chart_csv.h"
#include "export/month_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace std::chrono;
    const auto values = read_observed_values({reinterpret_cast<const char*>(data), size});
    if (!values) return 0;
    MonthData month;
    month.month = 2024y / February;
    month.days.assign(29, hourly_values(*values));
    std::array<std::int16_t, 24> forecast{};
    for (int h = 0; h < 24; ++h) forecast[h] = static_cast<std::int16_t>(h * 7 - 20);
    month.forecast = forecast;
    const MonthFigures figures = month_figures(month);
    const std::string hourly = month_hourly_csv(month), summary = month_summary_csv(month, figures);
    (void)month_description(month, figures);
    if (!read_month_hourly_csv(hourly, month.month) || !read_month_forecast(summary)) __builtin_trap();
    return 0;
}
