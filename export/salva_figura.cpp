// One finished chart to its files: the scratch bitmap, the published GIF,
// the archived GIF; then the bitmap is deleted again.

#include <string>

#include "app/form1.h"
#include "export/bmp.h"
#include "platform/files.h"

Status Form1::salva_figura(const std::string& file_previsioni) {
    // The first step that fails ends the export of this day; the steps
    // after it are not tried. What it leaves behind stays for the next run
    // to replace.
    const std::string n = std::to_string(indice_giorno);
    const std::string bitmap = cartella_previsioni + "grafico" + n + ".bmp";
    const std::string published = cartella_figure + "plotMUF" + n + ".gif";
    if (indice_giorno < 1 || indice_giorno > 6 || file_previsioni.size() < 6)
        return Status::fail("no key for day " + n);
    const std::string archived = cartella_previsioni + "previous_RAV3000I2_plots\\" + file_previsioni.substr(2, 4) +
                                 giorno_anno[indice_giorno] + ".gif";

    if (Status s = platform::write_file_atomic(bitmap, encode_bmp(superficie.image())); !s) return s;
    if (Status s = wpdlx1.carica_immagine(bitmap); !s) return s;
    // Every run of the station uses the same scratch names, so a run that
    // overlaps this one may have replaced the bitmap in between with its own
    // chart: across midnight another day's. Only this day's chart goes out
    // under this day's names.
    const Image* loaded = wpdlx1.picture();
    if (!loaded || *loaded != superficie.image())
        return Status::fail(platform::native_path(bitmap) + " was replaced by another run before it was read");
    if (Status s = wpdlx1.salva_gif(published, false); !s) return s;
    if (Status s = wpdlx1.salva_gif(archived, false); !s) return s;
    wpdlx1.rilascia_immagine();
    return platform::remove_file(bitmap);
}
