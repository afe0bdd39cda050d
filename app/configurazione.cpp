// The six-line configuration file of the working folder.

#include <string>

#include "app/form1.h"
#include "platform/files.h"

namespace {

// A folder line longer than this is no folder; its tail is not kept.
constexpr std::size_t lunghezza_riga_massima = 32768;

}  // namespace

void Form1::leggi_configurazione() {
    // Each read is its own statement: once one fails (a missing file, or a
    // file shorter than six lines), the fields of the lines not read stay
    // empty and the run goes on.
    platform::TextInput canale1;
    const std::string percorso = cartella_corrente + "Quorel_RAV3000I2.ini";
    if (Status s = canale1.open(percorso); !s) segnala("configuration: " + s.message());

    std::string* const righe[] = {&riga_ini, &cartella_previsioni, &riga_ini,
                                  &cartella_autoscalati, &riga_ini, &cartella_figure};
    int lette = 0;
    for (std::string* riga : righe) {
        if (canale1.read_line(*riga, lunghezza_riga_massima)) ++lette;
    }
    if (canale1.is_open() && lette < 6)
        segnala("configuration: " + percorso + " has " + std::to_string(lette) + " of its 6 lines");
    canale1.close();
}
