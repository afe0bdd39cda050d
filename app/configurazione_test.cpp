#include <gtest/gtest.h>

#include <optional>

#include "app/form1.h"
#include "support/temp_folder.h"

namespace {

struct Caso {
    const char* nome;
    std::optional<std::string> contenuto;  // no file at all when empty
    const char* previsioni;
    const char* autoscalati;
    const char* figure;
    friend void PrintTo(const Caso& caso, std::ostream* os) { *os << caso.nome; }
};

class Configurazione : public testing::TestWithParam<Caso> {};

TEST_P(Configurazione, FillsTheThreeFolderFields) {
    const Caso& caso = GetParam();
    TempFolder cartella;
    if (caso.contenuto) cartella.write("Quorel_RAV3000I2.ini", *caso.contenuto);
    Form1 form;
    form.cartella_corrente = cartella.slash();
    form.leggi_configurazione();
    EXPECT_EQ(form.cartella_previsioni, caso.previsioni);
    EXPECT_EQ(form.cartella_autoscalati, caso.autoscalati);
    EXPECT_EQ(form.cartella_figure, caso.figure);
}

INSTANTIATE_TEST_SUITE_P(
    Casi, Configurazione,
    testing::Values(
        Caso{"Windows", "station\r\nD:\\previsioni\\\r\nx\r\nD:\\auto\\\r\ny\r\nD:\\web\\\r\n", "D:\\previsioni\\",
             "D:\\auto\\", "D:\\web\\"},
        Caso{"Missing", std::nullopt, "", "", ""},
        Caso{"Empty", "", "", "", ""},
        Caso{"FourLines", "a\nP\\\nb\nA\\\n", "P\\", "A\\", ""},
        // Lines are taken whole: trailing blanks and a missing separator stay.
        Caso{"Verbatim", "a\nD:\\previsioni  \nb\n\nc\nweb\\", "D:\\previsioni  ", "", "web\\"},
        // CR alone ends a line; whatever follows line 6 is ignored.
        Caso{"LoneCr", "a\rP\\\rb\rA\\\rc\rF\\\rextra\rmore\r", "P\\", "A\\", "F\\"},
        Caso{"BinaryBytes", std::string("\0\xff\n\x01P\\\n\n\n\n\xe9" "F\\", 13), "\x01P\\", "", "\xe9" "F\\"}),
    [](const testing::TestParamInfo<Caso>& info) { return info.param.nome; });

}  // namespace
