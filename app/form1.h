#pragma once
// Form1: the hidden window whose load event is the whole run. It holds the
// run's state as fields and offers one operation per task; each operation
// lives in the file of its own name.

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "canvas/surface.h"
#include "export/convertitore.h"
#include "platform/folder_listing.h"
#include "platform/status.h"

class Form1 {
public:
    struct Impostazioni {
        // Draw the six days ending on this date instead of the clock's today.
        std::optional<std::chrono::year_month_day> oggi;
        // Where --verbose writes one line per failure met; none when null.
        std::ostream* diagnostica = nullptr;
    };

    Form1() = default;
    explicit Form1(Impostazioni impostazioni) : impostazioni_(impostazioni) {}

    // The whole run: configuration, day keys, scale, and the six charts.
    void Form_Load();

    // Days whose export failed at some step during Form_Load.
    int esportazioni_fallite = 0;

    // --- run driver (app/) ---
    void riempi_etichette_minuti();
    void leggi_configurazione();
    void calcola_chiavi_giorni();

    // --- canvas (canvas/) ---
    // Drawing cannot fail: whatever falls outside the surface is cut off.
    void impostazioni_dimensioni_e_scala_del_form();
    void disegno_dello_stage();

    // --- data series (series/) ---
    void elenca_cartella_autoscalati();
    void grafico_previsione(const std::string& file_previsioni);
    void grafico_valori_autoscalati(const std::string& file_previsioni);
    std::int16_t riconosci_stazione();
    std::string nome_file_misura(std::int16_t tipo_stazione, const std::string& file_previsioni, int h, int m) const;
    // The start of the names of day `giorno`'s measurement files, without
    // folder: what every name of that day shares.
    std::string inizio_nome_misura(std::int16_t tipo_stazione, const std::string& file_previsioni, int giorno) const;

    // --- export (export/) ---
    Status salva_figura(const std::string& file_previsioni);

    // Fields of the run. Strings start empty, integers at 0; arrays keep the
    // original's index ranges, so slot 0 of the 1-based ones is unused.
    std::string cartella_corrente;
    std::string riga_ini;
    std::string cartella_previsioni;
    std::string cartella_autoscalati;
    std::string cartella_figure;
    std::int16_t indice_giorno = 0;

    std::array<std::string, 61> etichette_minuti;  // 1..60
    std::array<std::string, 7> mese_anno;          // 1..6
    std::array<std::string, 7> giorno_anno;        // 1..6
    std::array<std::string, 7> data_giorno;        // 1..6
    std::int16_t scarto_giorni = 0;
    std::chrono::year_month_day data_corrente{};
    std::string anno, mese, giorno_mese;

    std::int16_t margine_superiore = 0;
    std::int16_t margine_inferiore = 0;
    std::int16_t margine_destro = 0;
    std::int16_t margine_sinistro = 0;

    std::int16_t indice_campo = 0;
    std::int16_t x_precedente = 0;
    std::int16_t y_precedente = 0;

    std::array<std::string, 25> etichette_ore;  // 0..23 written, 24 never

    // The measurement folder as listed once at the start of the run; none
    // when the operations are called on their own.
    std::optional<platform::FolderListing> elenco_autoscalati;

    // The window: its outer size in twips, the screen's twips per pixel,
    // its persistent bitmap and its image-conversion control.
    float Width = 0;
    float Height = 0;
    float TwipsPerPixelX = 15;
    float TwipsPerPixelY = 15;
    Surface superficie;
    ConvertitoreImmagini wpdlx1;

private:
    std::chrono::year_month_day oggi() const;
    // False when the run's listing shows there is no file at `percorso`.
    bool file_misura_forse_presente(const std::string& percorso) const;
    // One line on the diagnostic stream when --verbose is on.
    void segnala(const std::string& messaggio) const;

    Impostazioni impostazioni_;
};
