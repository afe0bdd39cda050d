// One finished chart to its files: the scratch bitmap, the published GIF,
// the archived GIF, each with the files beside it; then the bitmap is
// deleted again.

#include <cstdint>
#include <span>
#include <string>
#include <utility>

#include "app/form1.h"
#include "export/bmp.h"
#include "export/chart_files.h"
#include "export/write_chart.h"
#include "platform/files.h"

Status Form1::salva_figura(const std::string& file_previsioni) {
    // The first step that fails ends the export of this day; the steps
    // after it are not tried. The files it wrote stay for the next run to
    // replace, but for the scratch bitmap, which is deleted all the same.
    const std::string n = std::to_string(indice_giorno);
    const std::string bitmap = cartella_previsioni + "grafico" + n + ".bmp";
    const std::string published = cartella_figure + published_chart_name(indice_giorno);
    if (indice_giorno < 1 || indice_giorno > 6 || file_previsioni.size() < 6)
        return Status::fail("no key for day " + n);
    const std::string archived = archive_folder() + archived_chart_name(file_previsioni, giorno_anno[indice_giorno]);

    if (Status s = platform::write_file_atomic(bitmap, encode_bmp(superficie.image())); !s) return s;
    bool replaced = false;
    Status exported = [&]() -> Status {
        if (Status s = wpdlx1.carica_immagine(bitmap); !s) return s;
        // Every run of the station uses the same scratch names, so a run that
        // overlaps this one may have replaced the bitmap in between with its own
        // chart: across midnight another day's. Only this day's chart goes out
        // under this day's names, and the bitmap is left to the run that wrote it.
        const Image* loaded = wpdlx1.picture();
        if (!loaded || *loaded != superficie.image()) {
            replaced = true;
            return Status::fail(platform::native_path(bitmap) + " was replaced by another run before it was read");
        }
        // The files beside a chart follow it, written as it is.
        const std::vector<BesideFile> beside = files_beside();
        std::span<const std::uint8_t> gif;
        if (Status s = wpdlx1.gif_file(published, false, gif); !s) return s;
        if (Status s = write_chart(published, gif, beside); !s) return s;
        if (indice_giorno != 1) return write_chart(archived, gif, beside);
        // Day 1 is the last time a scheduled run writes this day's archived
        // chart: it must outlast a power loss, and the files beside it with
        // it, all flushed to the disk together.
        platform::DurableWrites together;
        if (Status s = write_chart(archived, gif, beside, &together); !s) return s;
        for (Status& s : together.finish())
            if (!s) return std::move(s);
        return Status::ok();
    }();
    wpdlx1.rilascia_immagine();
    if (replaced) return exported;
    Status removed = platform::remove_file(bitmap);
    return exported ? std::move(removed) : std::move(exported);
}
