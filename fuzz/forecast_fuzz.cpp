// The forecast reader on any file content: Form1::grafico_previsione reads
// line 2 of the month's file and draws the curve from its 24 fields.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/form1.h"
#include "support/temp_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const TempFolder folder;  // a folder of the fuzzing process's own
    folder.write("032024.txt", std::string_view(reinterpret_cast<const char*>(data), size));

    Form1 form;
    form.impostazioni_dimensioni_e_scala_del_form();
    form.cartella_previsioni = folder.slash();
    form.grafico_previsione("032024");
    return 0;
}
