// One finished chart to its files: the scratch bitmap, the published GIF,
// the archived GIF; then the bitmap is deleted again.

#include <cstdint>
#include <span>
#include <string>

#include "app/form1.h"
#include "export/bmp.h"
#include "export/chart_files.h"
#include "platform/files.h"

Status Form1::salva_figura(const std::string& file_previsioni) {
    // The first step that fails ends the export of this day; the steps
    // after it are not tried. What it leaves behind stays for the next run
    // to replace.
    const std::string n = std::to_string(indice_giorno);
    const std::string bitmap = cartella_previsioni + "grafico" + n + ".bmp";
    const std::string published = cartella_figure + published_chart_name(indice_giorno);
    if (indice_giorno < 1 || indice_giorno > 6 || file_previsioni.size() < 6)
        return Status::fail("no key for day " + n);
    const std::string archived = archive_folder() + archived_chart_name(file_previsioni, giorno_anno[indice_giorno]);

    if (Status s = platform::write_file_atomic(bitmap, encode_bmp(superficie.image())); !s) return s;
    if (Status s = wpdlx1.carica_immagine(bitmap); !s) return s;
    // Every run of the station uses the same scratch names, so a run that
    // overlaps this one may have replaced the bitmap in between with its own
    // chart: across midnight another day's. Only this day's chart goes out
    // under this day's names.
    const Image* loaded = wpdlx1.picture();
    if (!loaded || *loaded != superficie.image())
        return Status::fail(platform::native_path(bitmap) + " was replaced by another run before it was read");
    // The files beside a chart follow it, written as it is.
    const auto write_beside = [this](const std::string& gif, platform::Replace how) {
        for (const auto& [path, text] : files_beside(gif)) {
            const std::span bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
            if (Status s = platform::write_file(path, bytes, how); !s) return s;
        }
        return Status::ok();
    };
    if (Status s = wpdlx1.salva_gif(published, false); !s) return s;
    if (Status s = write_beside(published, platform::Replace::atomic); !s) return s;
    // Day 1 is the last time a scheduled run writes this day's archived
    // chart: it must outlast a power loss.
    const platform::Replace how = indice_giorno == 1 ? platform::Replace::durably : platform::Replace::atomic;
    if (Status s = wpdlx1.salva_gif(archived, false, how); !s) return s;
    if (Status s = write_beside(archived, how); !s) return s;
    wpdlx1.rilascia_immagine();
    return platform::remove_file(bitmap);
}
