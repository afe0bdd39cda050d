// The files beside a chart that the settings ask for: its data as CSV, and
// the same chart as a vector picture.

#include "app/form1.h"
#include "export/chart_csv.h"
#include "export/chart_svg.h"

std::vector<BesideFile> Form1::files_beside() const {
    std::vector<BesideFile> files;
    const std::chrono::year_month_day day = day_date[indice_giorno < 1 || indice_giorno > 6 ? 0 : indice_giorno];
    if (settings_.csv) files.push_back({".csv", chart_csv(chart_data, day)});
    if (settings_.svg) {
        files.push_back({".svg", chart_svg(superficie.log(), superficie.BackColor, Surface::width, Surface::height,
                                           chart_data, day)});
    }
    return files;
}
