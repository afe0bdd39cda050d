// The whole run: the load event of the hidden window.

#include <string>

#include "app/form1.h"
#include "platform/files.h"

void Form1::Form_Load() {
    // Every statement below runs whatever happened to the ones before it;
    // a failure is only passed to the diagnostic stream.
    riempi_etichette_minuti();

    if (Status s = platform::current_folder(cartella_corrente); !s) segnala(s.message());
    // A drive root such as C:\ already ends with its separator. Without a
    // working folder the configuration is looked for by its bare name.
    if (!cartella_corrente.empty() && !platform::is_separator(cartella_corrente.back())) cartella_corrente += '\\';

    leggi_configurazione();
    calcola_chiavi_giorni();
    impostazioni_dimensioni_e_scala_del_form();
    elenca_cartella_autoscalati();

    for (indice_giorno = 1; indice_giorno <= 6; ++indice_giorno) {
        const std::string& chiave = mese_anno[indice_giorno];
        disegno_dello_stage();
        grafico_previsione(chiave);
        grafico_valori_autoscalati(chiave);
        superficie.CurrentX = 75;
        superficie.CurrentY = 600;
        superficie.Print("Date: " + data_giorno[indice_giorno]);
        if (Status s = salva_figura(chiave); !s) {
            ++esportazioni_fallite;
            segnala("day " + data_giorno[indice_giorno] + ": " + s.message());
        }
        superficie.Cls();
    }
}

void Form1::segnala(const std::string& messaggio) const {
    if (impostazioni_.diagnostica) *impostazioni_.diagnostica << "plotmuf: " << messaggio << '\n';
}
