// The configuration reader on any file content: Form1::read_configuration
// reads Quorel_RAV3000I2.ini line by line through platform::TextInput.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/form1.h"
#include "support/temp_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const TempFolder folder;  // a folder of the fuzzing process's own
    folder.write("Quorel_RAV3000I2.ini", std::string_view(reinterpret_cast<const char*>(data), size));

    Form1 form;
    form.cartella_corrente = folder.slash();
    form.read_configuration();

    // A folder line never holds a line end, and never more than the file.
    for (const std::string* line : {&form.cartella_previsioni, &form.cartella_autoscalati, &form.cartella_figure}) {
        if (line->size() > size || line->find_first_of("\r\n") != std::string::npos) std::abort();
    }
    return 0;
}
