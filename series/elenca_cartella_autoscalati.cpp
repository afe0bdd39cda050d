// The measurement folder, listed once for the whole run.
//
// A run draws six days. Without this listing each day's recognition lists
// the folder again to find its first file, and each day's series tries to
// open all 1,440 names a day's soundings may have, whether the station wrote
// 96 of them or none; a station keeps years of soundings in that one folder,
// so that each listing costs more than all the rest of the run. With it the
// folder is read once, the recognition of every day takes the first ordinary
// file from it, and only the names it holds are opened.
//
// The trade: the run sees the folder as it was when the run began. A file
// listed that vanishes fails its open, as a missing file does; a file that
// appears during the run (a new sounding, or a file that would now come
// first) is left to the next run, a few minutes later, as a sounding written
// just after the run would be.

#include <cstdint>
#include <string>
#include <vector>

#include "app/form1.h"
#include "platform/folder_listing.h"

void Form1::elenca_cartella_autoscalati() {
    // The station is not known yet: the names of the six days' soundings
    // under every station's scheme are kept, and no other name.
    std::vector<std::string> inizi;
    for (int giorno = 1; giorno <= 6; ++giorno) {
        for (std::int16_t tipo = 1; tipo <= 6; ++tipo) {
            std::string inizio = inizio_nome_misura(tipo, mese_anno[giorno], giorno);
            if (!inizio.empty()) inizi.push_back(std::move(inizio));
        }
    }
    elenco_autoscalati = platform::FolderListing::take(cartella_autoscalati, inizi);
}

bool Form1::file_misura_forse_presente(const std::string& percorso) const {
    // Without the run's listing of this folder, only the open can tell.
    if (!elenco_autoscalati || elenco_autoscalati->folder() != cartella_autoscalati) return true;
    if (percorso.compare(0, cartella_autoscalati.size(), cartella_autoscalati) != 0) return true;
    return elenco_autoscalati->may_exist(std::string_view(percorso).substr(cartella_autoscalati.size()));
}
