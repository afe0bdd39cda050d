#pragma once
// The command line. With no option the run is the plain scheduled one.

#include <chrono>
#include <optional>
#include <string>

struct Opzioni {
    std::optional<std::chrono::year_month_day> oggi;  // --today YYYY-MM-DD
    bool verbose = false;                             // --verbose
    bool aiuto = false;                               // --help
    bool versione = false;                            // --version
};

// Reads argv[1..argc-1] into `opzioni`. On a usage error returns false and
// sets `errore` to a one-line message.
bool analizza_opzioni(int argc, const char* const* argv, Opzioni& opzioni, std::string& errore);

extern const char* const testo_uso;
