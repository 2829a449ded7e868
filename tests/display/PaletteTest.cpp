#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <utility>

#include "display/HighlightWords.h"
#include "display/Palette.h"
#include "display/PaletteEditor.h"
#include "display/PaletteFile.h"
#include "display/SpectrumMarkers.h"
#include "support/WavBytes.h"

namespace tarnvel::display {
namespace {

class PaletteFileTest : public ::testing::Test {
  protected:
    std::string write(const std::string& name, const std::string& text) {
        const std::string path = dir_ / name;
        std::ofstream(path) << text;
        return path;
    }
    testing::ScratchFolder dir_;
};

TEST(Palette, GradientRunsThroughTheAnchors) {
    const auto a = defaultPaletteAnchors();
    const auto g = buildGradient(a);
    for (int s = 0; s < 8; ++s)
        EXPECT_EQ(g[static_cast<size_t>(25 * s)], a[static_cast<size_t>(s)]);
    // Entry 199 is 24/25 of the way from anchor 7 (255,255,0) to anchor 8 (255,51,0).
    EXPECT_EQ(g[199], rgb(255, 60, 0));
    // Anchor 3 (0,0,217) to 4 (150,147,92), step 13.
    EXPECT_EQ(g[88], rgb(78, 76, 152));
}

TEST(Palette, DownStepOf255TruncatesTowardZero) {
    PaletteAnchors a{};
    a[2] = rgb(255, 10, 255);
    a[3] = rgb(0, 10, 0);
    const auto g = buildGradient(a);
    // Step 1 gives 245, not the 244 that flooring -10.2 would give; step 13 gives 123.
    for (const auto& [entry, level] : {std::pair{50, 255}, {51, 245}, {63, 123}, {74, 11}}) {
        const Colour c = g[static_cast<size_t>(entry)];
        EXPECT_EQ(redOf(c), level) << entry;
        EXPECT_EQ(blueOf(c), level) << entry;
        EXPECT_EQ(greenOf(c), 10) << entry;
    }
}

TEST(Palette, DisplayPaletteAddsTheFixedColours) {
    const auto p = buildDisplayPalette(defaultPaletteAnchors());
    EXPECT_EQ(p[0], rgb(0, 0, 0));
    EXPECT_EQ(p[200], rgb(255, 0, 0));
    EXPECT_EQ(p[201], rgb(128, 0, 0));
    EXPECT_EQ(p[202], rgb(0, 255, 0));
    EXPECT_EQ(p[203], rgb(0, 128, 0));
    EXPECT_EQ(p[204], rgb(168, 40, 40));
    const auto g = buildGradient(defaultPaletteAnchors());
    EXPECT_EQ(swatchColour(g, 8), g[199]);
    EXPECT_EQ(swatchColour(g, 2), g[50]);
    EXPECT_EQ(gradientBarColour(g, 100, 200), g[99]);
}

TEST_F(PaletteFileTest, SaveThenLoadGivesTheSameAnchors) {
    PaletteAnchors a = defaultPaletteAnchors();
    a[0] = rgb(1, 2, 3);
    a[8] = rgb(255, 255, 255);
    const std::string path = (dir_ / "mine.pal").string();
    EXPECT_TRUE(savePaletteFile(path, a).ok);

    std::ifstream in(path);
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first, "  1;  2;  3");

    PaletteAnchors loaded{};
    const auto r = loadPaletteFile(path, loaded);
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.message.empty());
    EXPECT_EQ(loaded, a);
}

TEST_F(PaletteFileTest, FifthLineWithTwoNumbersKeepsTheFirstFour) {
    const std::string path = write("bad.pal",
                                   "10;11;12\n20;21;22\n30;31;32\n40;41;42\n50;51\n"
                                   "60;61;62\n70;71;72\n80;81;82\n90;91;92\n");
    PaletteAnchors working = defaultPaletteAnchors();
    const auto r = loadPaletteFile(path, working);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "Wrong format of " + path);
    EXPECT_EQ(r.anchorsRead, 4);
    EXPECT_EQ(working[0], rgb(10, 11, 12));
    EXPECT_EQ(working[3], rgb(40, 41, 42));
    for (size_t k = 4; k < 9; ++k) EXPECT_EQ(working[k], defaultPaletteAnchors()[k]) << k;
}

TEST_F(PaletteFileTest, ShortMissingAndOddFiles) {
    PaletteAnchors working = defaultPaletteAnchors();
    const std::string missing = (dir_ / "none.pal").string();
    EXPECT_EQ(loadPaletteFile(missing, working).message, "Cannot open " + missing);

    const std::string shortFile = write("short.pal", "1;2;3\r\n4;5;6\r\n");
    const auto r = loadPaletteFile(shortFile, working);
    EXPECT_EQ(r.message, "Error reading " + shortFile);
    EXPECT_EQ(working[1], rgb(4, 5, 6));  // CR line ends are fine
    EXPECT_EQ(working[2], defaultPaletteAnchors()[2]);

    // Components are masked to 8 bits; more than three digits is not a number of the format.
    const std::string wide = write("wide.pal", "-1;256;300\n1000;1;1\n");
    PaletteAnchors w2{};
    EXPECT_EQ(loadPaletteFile(wide, w2).message, "Wrong format of " + wide);
    EXPECT_EQ(w2[0], rgb(255, 0, 44));

    const std::string dirPath = dir_.path().string();
    EXPECT_EQ(savePaletteFile(dirPath, working).message, "Cannot create " + dirPath);
}

TEST_F(PaletteFileTest, EditorRebuildsThePreviewOnlyAfterAGoodLoad) {
    PaletteEditor editor(defaultPaletteAnchors());
    EXPECT_EQ(editor.lastFileName(), "*.pal");
    editor.setAnchor(0, rgb(100, 0, 0));
    EXPECT_EQ(editor.preview()[0], rgb(100, 0, 0));
    const auto previewBefore = editor.preview();

    const std::string bad = write("bad.pal", "1;2;3\n4;5\n");
    EXPECT_FALSE(editor.load(bad).ok);
    EXPECT_EQ(editor.working()[0], rgb(1, 2, 3));
    EXPECT_EQ(editor.preview(), previewBefore);
    EXPECT_EQ(editor.lastFileName(), bad);

    const std::string good = (dir_ / "good.pal").string();
    editor.restoreDefaults();
    EXPECT_TRUE(editor.save(good).ok);
    editor.setAnchor(3, rgb(9, 9, 9));
    EXPECT_TRUE(editor.load(good).ok);
    EXPECT_EQ(editor.apply(), defaultPaletteAnchors());
    EXPECT_EQ(editor.preview(), buildGradient(defaultPaletteAnchors()));
}

TEST(SpectrumMarkers, TextRoundTrip) {
    EXPECT_EQ(SpectrumMarkers::format(1500.0f), "1500.00");
    EXPECT_EQ(SpectrumMarkers::format(1838.125f), "1838.12");
    EXPECT_FLOAT_EQ(SpectrumMarkers::parse("1500.00"), 1500.0f);
    EXPECT_EQ(SpectrumMarkers::parse("off"), 0.0f);
    SpectrumMarkers m;
    m.setFrequency(2, 1500.0f);
    m.setFrequency(3, -4.0f);
    EXPECT_TRUE(m.drawn(2));
    EXPECT_FALSE(m.drawn(3));
    EXPECT_FALSE(m.drawn(0));
}

TEST(HighlightWords, LongestContainedWordColoursTheLine) {
    HighlightWords words;
    words.assign({HighlightWord{"CQ", rgb(1, 0, 0)}, HighlightWord{"", rgb(2, 0, 0)},
                  HighlightWord{"CQ DX", rgb(3, 0, 0)}});
    ASSERT_EQ(words.words().size(), 2u);
    EXPECT_EQ(words.colourFor("cq CQ de N0CALL"), rgb(1, 0, 0));
    EXPECT_EQ(words.colourFor("CQ DX CQ DX de N0CALL"), rgb(3, 0, 0));
    EXPECT_FALSE(words.colourFor("QRZ?").has_value());

    const auto slots = words.slots();
    EXPECT_EQ(slots[1].text, "CQ DX");
    EXPECT_EQ(slots[2].text, "");
    EXPECT_EQ(slots[2].colour, kDefaultHighlightColour);
}

}  // namespace
}  // namespace tarnvel::display
