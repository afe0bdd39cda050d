// The measurement reader on any file content: Form1::grafico_valori_autoscalati
// recognises the station from the first file of the folder and draws the
// records of the day's sounding files.
//
// The input is cut at each "####" into up to four files: the first is the
// file that names the station, the others the soundings of a Tucuman
// station at 10:10, 10:22 and 10:25 on 14 February 2031, so that values,
// ticks and the segments between them are all reached.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "app/form1.h"
#include "support/day_form.h"
#include "support/temp_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const TempFolder folder;  // a folder of the fuzzing process's own
    static const char* const names[] = {"A_station.TXT", "TUJ2O_20310451010.TXT", "TUJ2O_20310451022.TXT",
                                        "TUJ2O_20310451025.TXT"};

    std::string_view rest(reinterpret_cast<const char*>(data), size);
    bool more = true;
    for (const char* name : names) {
        if (!more) {
            std::filesystem::remove(folder.path() / name);
            continue;
        }
        const std::size_t cut = rest.find("####");
        folder.write(name, rest.substr(0, cut));
        if (cut == std::string_view::npos) more = false;
        else rest = rest.substr(cut + 4);
    }

    // The folder is the working folder, named "./": each name that the
    // reader opens is then looked up in one step.
    static const bool in_folder = [] {
        std::filesystem::current_path(folder.slash());
        return true;
    }();
    (void)in_folder;

    // As a run does it: the folder listed, then the day drawn.
    Form1 form;
    prepare_day_form(form, "./");
    if (!form.list_measurement_folder(form_day, form_day)) return 0;
    form.grafico_valori_autoscalati(form.mese_anno[1]);
    return 0;
}
