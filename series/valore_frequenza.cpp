#include "series/valore_frequenza.h"

#include <string>

namespace serie {

std::string_view caratteri(std::string_view testo, std::size_t posizione, std::size_t quanti) {
    if (posizione < 1 || posizione > testo.size()) return {};
    return testo.substr(posizione - 1, quanti);
}

std::string_view senza_spazi(std::string_view testo) {
    const std::size_t inizio = testo.find_first_not_of(' ');
    if (inizio == std::string_view::npos) return {};
    const std::size_t fine = testo.find_last_not_of(' ');
    return testo.substr(inizio, fine - inizio + 1);
}

std::int16_t valore_numerico(std::string_view testo) {
    std::size_t i = 0;
    while (i < testo.size() && (testo[i] == ' ' || testo[i] == '\t')) ++i;

    bool negativo = false;
    if (i < testo.size() && (testo[i] == '+' || testo[i] == '-')) {
        negativo = testo[i] == '-';
        ++i;
    }

    auto cifra = [&](std::size_t j) { return j < testo.size() && testo[j] >= '0' && testo[j] <= '9'; };

    // The whole part, stopped as soon as it can no longer fit.
    constexpr long limite = 40000;
    long intero = 0;
    bool numero = false;
    for (; cifra(i); ++i) {
        numero = true;
        if (intero < limite) intero = intero * 10 + (testo[i] - '0');
    }

    // The fraction only decides the rounding: its first digit, and whether
    // any later digit is not zero.
    int prima_decimale = 0;
    bool altre_decimali = false;
    if (i < testo.size() && testo[i] == '.') {
        ++i;
        if (cifra(i)) {
            numero = true;
            prima_decimale = testo[i] - '0';
            for (++i; cifra(i); ++i) {
                if (testo[i] != '0') altre_decimali = true;
            }
        }
    }
    if (!numero) return 0;

    // Nearest integer, a half going to the even neighbour; the same on both
    // sides of zero.
    if (prima_decimale > 5 || (prima_decimale == 5 && (altre_decimali || intero % 2 == 1))) ++intero;

    const long valore = negativo ? -intero : intero;
    if (valore < INT16_MIN || valore > INT16_MAX) return 0;
    return static_cast<std::int16_t>(valore);
}

std::int16_t valore_frequenza(std::string_view interi, std::string_view decimi) {
    std::string testo(senza_spazi(interi));
    testo += decimi;
    return valore_numerico(testo);
}

}  // namespace serie
