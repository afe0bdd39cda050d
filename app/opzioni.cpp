#include "app/opzioni.h"

#include <charconv>
#include <string_view>

const char* const testo_uso =
    "usage: plotmuf [--today YYYY-MM-DD] [--verbose]\n"
    "       plotmuf --help | --version\n"
    "\n"
    "Draws the MUF(3000)F2 charts of the last six days from the configuration\n"
    "file Quorel_RAV3000I2.ini of the working folder.\n"
    "\n"
    "  --today YYYY-MM-DD  draw the six days ending on this date, not today\n"
    "  --verbose           write one line to standard error for each failure\n"
    "  --help              show this help and exit\n"
    "  --version           show the version and exit\n"
    "\n"
    "Exit status: 0 all twelve GIF files written, 1 some export failed,\n"
    "2 usage error.\n";

namespace {

bool numero(std::string_view testo, int& valore) {
    if (testo.empty()) return false;
    for (char c : testo) {
        if (c < '0' || c > '9') return false;
    }
    return std::from_chars(testo.data(), testo.data() + testo.size(), valore).ec == std::errc();
}

// YYYY-MM-DD, a real calendar date with a four-digit year, and late enough
// that five days before it still has one.
bool leggi_data(std::string_view testo, std::chrono::year_month_day& data) {
    int a = 0, m = 0, g = 0;
    if (testo.size() != 10 || testo[4] != '-' || testo[7] != '-' || !numero(testo.substr(0, 4), a) ||
        !numero(testo.substr(5, 2), m) || !numero(testo.substr(8, 2), g))
        return false;
    data = std::chrono::year{a} / std::chrono::month{static_cast<unsigned>(m)} / std::chrono::day{static_cast<unsigned>(g)};
    return data.ok() && data >= std::chrono::year{1000} / 1 / 6;
}

}  // namespace

bool analizza_opzioni(int argc, const char* const* argv, Opzioni& opzioni, std::string& errore) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--verbose") {
            opzioni.verbose = true;
        } else if (arg == "--help" || arg == "-h") {
            opzioni.aiuto = true;
        } else if (arg == "--version") {
            opzioni.versione = true;
        } else if (arg == "--today" || arg.starts_with("--today=")) {
            std::string_view valore;
            if (arg == "--today") {
                if (i + 1 >= argc) {
                    errore = "--today needs a date, YYYY-MM-DD";
                    return false;
                }
                valore = argv[++i];
            } else {
                valore = arg.substr(8);
            }
            std::chrono::year_month_day data{};
            if (!leggi_data(valore, data)) {
                errore = "--today: '" + std::string(valore) + "' is not a date YYYY-MM-DD from 1000-01-06 to 9999-12-31";
                return false;
            }
            opzioni.oggi = data;
        } else {
            errore = "unknown option '" + std::string(arg) + "'";
            return false;
        }
    }
    return true;
}
