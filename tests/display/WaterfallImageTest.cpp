#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <vector>

#include "display/WaterfallImage.h"
#include "support/WavBytes.h"

namespace tarnvel::display {
namespace {

struct Rgb {
    int width = 0, height = 0;
    std::vector<uint8_t> pixels;
    Colour at(int x, int y) const {
        const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(width) + x) * 3;
        return rgb(pixels[i], pixels[i + 1], pixels[i + 2]);
    }
};

// Decodes a PNG with libpng's own reader, to RGB.
Rgb readPng(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Rgb out;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return out;
    image.format = PNG_FORMAT_RGB;
    out.pixels.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr)) return out;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    return out;
}

class WaterfallImageTest : public ::testing::Test {
  protected:
    testing::ScratchFolder dir_;
};

TEST_F(WaterfallImageTest, RowsAndScaleSurviveTheRoundTrip) {
    const DisplayPalette palette = buildDisplayPalette(defaultPaletteAnchors());
    WaterfallSettings settings;
    settings.markers[0] = 1500.0f;
    WaterfallImage image(400);
    SpectrumRow quiet{}, loud{};
    loud.fill(4.5f);
    image.appendSpectrumRow(quiet, settings);
    image.appendSeparatorRow(settings);
    image.appendSpectrumRow(loud, settings);
    ASSERT_EQ(image.rowCount(), 3);

    const std::string path = (dir_ / "wf.png").string();
    const auto r = image.writePng(path, palette, WaterfallImage::RowOrder::NewestFirst, settings,
                                  ScaleStripOptions{true, 0.0});
    ASSERT_TRUE(r.ok) << r.message;
    const Rgb png = readPng(path);
    ASSERT_EQ(png.width, 400);
    ASSERT_EQ(png.height, 23);
    // Newest (loud) row right under the strip, then the separator, then the quiet row.
    EXPECT_EQ(png.at(10, 20), palette[199]);
    EXPECT_EQ(png.at(279, 20), rgb(255, 0, 0));  // the 1500 Hz marker
    EXPECT_EQ(png.at(10, 21), rgb(0, 255, 0));
    EXPECT_EQ(png.at(11, 21), rgb(0, 0, 0));
    EXPECT_EQ(png.at(10, 22), palette[0]);
    // The 1000 Hz tick is long (a multiple of 500 Hz) and white; the 1100 Hz one short.
    EXPECT_EQ(png.at(186, 13), rgb(255, 255, 255));
    EXPECT_EQ(png.at(186, 12), rgb(0, 0, 0));
    const int x1100 = FrequencyScale(0, 400, 11025.0).frequencyToX(1100.0);
    EXPECT_EQ(png.at(x1100, 16), rgb(255, 255, 255));
    EXPECT_EQ(png.at(x1100, 15), rgb(0, 0, 0));
    // The "1000" label sits in the top ten rows around the tick.
    int lit = 0;
    for (int y = 0; y < 10; ++y)
        for (int x = 186 - 10; x <= 186 + 10; ++x) lit += png.at(x, y) == rgb(255, 255, 255);
    EXPECT_GT(lit, 20);

    const auto oldest = image.writePng(path, palette, WaterfallImage::RowOrder::OldestFirst,
                                       settings, ScaleStripOptions{});
    ASSERT_TRUE(oldest.ok);
    const Rgb plain = readPng(path);
    ASSERT_EQ(plain.height, 3);
    EXPECT_EQ(plain.at(10, 0), palette[0]);
    EXPECT_EQ(plain.at(10, 2), palette[199]);
}

TEST_F(WaterfallImageTest, ModelSnapshotShowsNewestOnTop) {
    WaterfallModel model;
    model.ensureRows(24);  // four waterfall rows
    SpectrumRow row{};
    for (float v : {1.0f, 2.0f, 3.0f}) {
        row.fill(v);
        model.addSpectrumRow(row, {});
    }
    const WaterfallImage image = WaterfallImage::fromModel(model);
    ASSERT_EQ(image.rowCount(), 4);
    const std::string path = (dir_ / "model.png").string();
    const DisplayPalette palette = buildDisplayPalette(defaultPaletteAnchors());
    ASSERT_TRUE(image.writePng(path, palette, WaterfallImage::RowOrder::NewestFirst, {}, {}).ok);
    const Rgb png = readPng(path);
    EXPECT_EQ(png.at(5, 0), palette[130]);
    EXPECT_EQ(png.at(5, 1), palette[80]);
    EXPECT_EQ(png.at(5, 2), palette[30]);
    EXPECT_EQ(png.at(5, 3), rgb(0, 0, 0));  // never written
}

TEST_F(WaterfallImageTest, UnwritablePathIsReported) {
    WaterfallImage image(16);
    std::vector<uint8_t> row(16, 3);
    image.appendRow(row.data());
    const std::string path = dir_.path().string();
    const auto r = image.writePng(path, buildDisplayPalette(defaultPaletteAnchors()),
                                  WaterfallImage::RowOrder::NewestFirst, {}, {});
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "Cannot create " + path);
}

}  // namespace
}  // namespace tarnvel::display
