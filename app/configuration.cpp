// The six-line configuration file of the working folder.

#include <string>

#include "app/form1.h"
#include "platform/files.h"

namespace {

// A folder line longer than this is no folder; its tail is not kept.
constexpr std::size_t longest_line = 32768;

}  // namespace

void Form1::read_configuration() {
    // Each read is its own statement: once one fails (a missing file, or a
    // file shorter than six lines), the fields of the lines not read stay
    // empty and the run goes on.
    platform::TextInput channel1;
    const std::string path = cartella_corrente + "Quorel_RAV3000I2.ini";
    if (Status s = channel1.open(path); !s) {
        find(Finding::Topic::configuration, Finding::Level::fail, "configuration: " + s.message());
    } else {
        find(Finding::Topic::configuration, Finding::Level::ok, "configuration Quorel_RAV3000I2.ini");
    }

    std::string* const lines[] = {&riga_ini, &cartella_previsioni, &riga_ini,
                                  &cartella_autoscalati, &riga_ini, &cartella_figure};
    int read = 0;
    for (std::string* line : lines) {
        if (channel1.read_line(*line, longest_line)) ++read;
    }
    if (channel1.is_open() && read < 6)
        find(Finding::Topic::configuration, Finding::Level::note,
             "configuration: " + platform::native_path(path) + " has " + std::to_string(read) + " of its 6 lines");
    channel1.close();
}
