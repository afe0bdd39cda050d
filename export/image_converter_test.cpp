#include "export/image_converter.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "export/bmp.h"
#include "support/gif_decode.h"
#include "support/pixels.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

class Converter : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return (folder_.path() / name).string(); }

    void write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        folder_.write(name, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
    }

    // Every file and folder below the test's folder, by name.
    std::vector<fs::path> files() const {
        std::vector<fs::path> found;
        for (const auto& e : fs::recursive_directory_iterator(folder_.path())) found.push_back(e.path().filename());
        return found;
    }

    TempFolder folder_;
};

// A small chart-like picture in the chart's colours.
Image chart(int variant) {
    Image image = blank_image(40, 30);
    for (int x = 0; x < 40; ++x)
        paint(image, static_cast<std::size_t>(5 + (x * variant) % 20) * 40 + x, colours::yellow);
    for (int x = 0; x < 40; x += 2) paint(image, 25 * 40 + x, colours::grey);
    paint(image, 0, colours::pale_yellow);
    paint(image, 41, colours::red);
    paint(image, 82, colours::green);
    paint(image, 123, colours::white);
    return image;
}

TEST_F(Converter, LoadsSavesTwiceAndReleases) {
    write("figura.bmp", encode_bmp(chart(1)));
    ImageConverter wpdlx1;
    ASSERT_TRUE(wpdlx1.carica_immagine(path("figura.bmp")));
    EXPECT_NE(wpdlx1.picture(), nullptr);

    fs::create_directories(folder_.path() / "previous_RAV3000I2_plots");
    const std::string published = path("muf.gif");
    // Written Windows-style, as the program names its archive copies.
    const std::string archived = folder_.path().string() + "\\previous_RAV3000I2_plots\\muf_1.gif";
    ASSERT_TRUE(wpdlx1.salva_gif(published, false));
    const Status second = wpdlx1.salva_gif(archived, false);
    ASSERT_TRUE(second) << second.message();
    for (const fs::path& gif : {folder_.path() / "muf.gif", folder_.path() / "previous_RAV3000I2_plots" / "muf_1.gif"}) {
        Image back;
        const Status decoded = decode_gif_file(gif.string(), back);
        ASSERT_TRUE(decoded) << gif << ": " << decoded.message();
        EXPECT_TRUE(back == chart(1)) << gif;
    }

    wpdlx1.rilascia_immagine();
    EXPECT_EQ(wpdlx1.picture(), nullptr);
    EXPECT_FALSE(wpdlx1.salva_gif(path("after_release.gif"), false));
    EXPECT_FALSE(fs::exists(folder_.path() / "after_release.gif"));
}

TEST_F(Converter, ALaterLoadReplacesThePictureAndTheFile) {
    write("a.bmp", encode_bmp(chart(1)));
    write("b.bmp", encode_bmp(chart(3)));
    ImageConverter wpdlx1;
    ASSERT_TRUE(wpdlx1.carica_immagine(path("a.bmp")));
    ASSERT_TRUE(wpdlx1.salva_gif(path("muf.gif"), false));
    ASSERT_TRUE(wpdlx1.carica_immagine(path("b.bmp")));
    ASSERT_TRUE(wpdlx1.salva_gif(path("muf.gif"), false));
    Image back;
    ASSERT_TRUE(decode_gif_file(path("muf.gif"), back));
    EXPECT_TRUE(back == chart(3));
    EXPECT_EQ(files().size(), 3u);  // a.bmp, b.bmp, muf.gif: no temporary left
}

TEST_F(Converter, SavingWithoutAPictureOrInterlacedFailsAndWritesNothing) {
    ImageConverter wpdlx1;
    EXPECT_FALSE(wpdlx1.salva_gif(path("none.gif"), false));
    write("figura.bmp", encode_bmp(chart(1)));
    ASSERT_TRUE(wpdlx1.carica_immagine(path("figura.bmp")));
    const Status interlaced = wpdlx1.salva_gif(path("interlaced.gif"), true);
    EXPECT_FALSE(interlaced);
    EXPECT_FALSE(interlaced.message().empty());
    EXPECT_EQ(files(), std::vector<fs::path>{"figura.bmp"});
}

TEST_F(Converter, AFailedWriteIsReportedAndLeavesNoFile) {
    write("figura.bmp", encode_bmp(chart(1)));
    ImageConverter wpdlx1;
    ASSERT_TRUE(wpdlx1.carica_immagine(path("figura.bmp")));
    const Status s = wpdlx1.salva_gif(path("missing_folder/muf.gif"), false);
    EXPECT_FALSE(s);
    EXPECT_FALSE(s.message().empty());
    EXPECT_EQ(files(), std::vector<fs::path>{"figura.bmp"});
    EXPECT_NE(wpdlx1.picture(), nullptr);  // the picture is still there for another try
}

TEST_F(Converter, AFailedLoadLeavesNoPictureHeld) {
    std::vector<std::uint8_t> bmp = encode_bmp(chart(1));
    write("good.bmp", bmp);
    bmp.resize(bmp.size() - 7);
    write("truncated.bmp", bmp);
    write("empty.bmp", {});

    for (const char* bad : {"truncated.bmp", "empty.bmp", "missing.bmp"}) {
        ImageConverter wpdlx1;
        ASSERT_TRUE(wpdlx1.carica_immagine(path("good.bmp")));
        const Status s = wpdlx1.carica_immagine(path(bad));
        EXPECT_FALSE(s) << bad;
        EXPECT_FALSE(s.message().empty()) << bad;
        EXPECT_EQ(wpdlx1.picture(), nullptr) << bad;
        EXPECT_FALSE(wpdlx1.salva_gif(path("stale.gif"), false)) << bad;
        EXPECT_FALSE(fs::exists(folder_.path() / "stale.gif")) << bad;
    }
}

}  // namespace
