#include <gtest/gtest.h>

#include <optional>

#include "app/form1.h"
#include "support/temp_folder.h"

namespace {

struct Case {
    const char* name;
    std::optional<std::string> content;  // no file at all when empty
    const char* previsioni;
    const char* autoscalati;
    const char* figure;
    friend void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }
};

class Configuration : public testing::TestWithParam<Case> {};

TEST_P(Configuration, FillsTheThreeFolderFields) {
    const Case& c = GetParam();
    TempFolder folder;
    if (c.content) folder.write("Quorel_RAV3000I2.ini", *c.content);
    Form1 form;
    form.cartella_corrente = folder.slash();
    form.read_configuration();
    EXPECT_EQ(form.cartella_previsioni, c.previsioni);
    EXPECT_EQ(form.cartella_autoscalati, c.autoscalati);
    EXPECT_EQ(form.cartella_figure, c.figure);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Configuration,
    testing::Values(
        Case{"Windows", "station\r\nD:\\previsioni\\\r\nx\r\nD:\\auto\\\r\ny\r\nD:\\web\\\r\n", "D:\\previsioni\\",
             "D:\\auto\\", "D:\\web\\"},
        Case{"Missing", std::nullopt, "", "", ""},
        Case{"Empty", "", "", "", ""},
        Case{"FourLines", "a\nP\\\nb\nA\\\n", "P\\", "A\\", ""},
        // Lines are taken whole: trailing blanks and a missing separator stay.
        Case{"Verbatim", "a\nD:\\previsioni  \nb\n\nc\nweb\\", "D:\\previsioni  ", "", "web\\"},
        // CR alone ends a line; whatever follows line 6 is ignored.
        Case{"LoneCr", "a\rP\\\rb\rA\\\rc\rF\\\rextra\rmore\r", "P\\", "A\\", "F\\"},
        Case{"BinaryBytes", std::string("\0\xff\n\x01P\\\n\n\n\n\xe9" "F\\", 13), "\x01P\\", "", "\xe9" "F\\"}),
    [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

}  // namespace
