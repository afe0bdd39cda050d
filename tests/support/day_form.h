#pragma once
// Test support (header only): a form that draws one day, 14 February 2031
// (month-year key "022031", day of the year 045), as day 1 of a run: the
// minute labels filled and the scale set as a run has them, its
// measurement folder the test's own.

#include <chrono>
#include <string>

#include "app/form1.h"

inline constexpr std::chrono::year_month_day form_day = std::chrono::year{2031} / 2 / 14;

inline void prepare_day_form(Form1& form, const std::string& measurements) {
    form.fill_minute_labels();
    form.impostazioni_dimensioni_e_scala_del_form();
    form.cartella_autoscalati = measurements;
    form.indice_giorno = 1;
    form.set_day_keys(1, form_day);
}
