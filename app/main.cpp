// plotmuf: the six MUF(3000)F2 charts of the last six days, for a station's
// web page and archive. Meant to be started by a scheduler.

#include <iostream>
#include <string>

#include "app/form1.h"
#include "app/opzioni.h"
#include "platform/console.h"

int main(int argc, char** argv) {
    platform::attach_console();
    Opzioni opzioni;
    std::string errore;
    if (!analizza_opzioni(argc, argv, opzioni, errore)) {
        std::cerr << "plotmuf: " << errore << "\n\n" << testo_uso;
        return 2;
    }
    if (opzioni.aiuto) {
        std::cout << testo_uso;
        return 0;
    }
    if (opzioni.versione) {
        std::cout << "plotmuf " << PLOTMUF_VERSION << '\n';
        return 0;
    }

    Form1 form1({.oggi = opzioni.oggi, .diagnostica = opzioni.verbose ? &std::cerr : nullptr});
    form1.Form_Load();
    return form1.esportazioni_fallite == 0 ? 0 : 1;
}
