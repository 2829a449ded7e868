#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/SettingsText.h"

namespace tarnvel::app {
namespace {

TEST(SettingsEscaping, EdgeSpacesBecomeMarkersAndInnerSpacesStay) {
    // Two leading spaces and one trailing: the outer leading one and the trailing one.
    EXPECT_EQ(escapeSettingText("  Name "), "<SP> Name<SP>");
    EXPECT_EQ(unescapeSettingText("<SP> Name<SP>"), "  Name ");
    EXPECT_EQ(escapeSettingText(" "), "<SP>");
    EXPECT_EQ(escapeSettingText("  "), "<SP><SP>");
    EXPECT_EQ(escapeSettingText(""), "");
    EXPECT_EQ(escapeSettingText("a b"), "a b");
}

TEST(SettingsEscaping, LineBreaksBecomeMarkers) {
    EXPECT_EQ(escapeSettingText("CQ\r\nde X"), "CQ<CR><LF>de X");
    EXPECT_EQ(escapeSettingText("\n"), "<LF>");
    // A line break at the end is escaped first, so no space is at the end to protect.
    EXPECT_EQ(escapeSettingText("x \r"), "x <CR>");
}

TEST(SettingsEscaping, UnescapingReplacesEveryMarkerAnywhere) {
    EXPECT_EQ(unescapeSettingText("A<SP>B"), "A B");
    EXPECT_EQ(unescapeSettingText("<CR><LF><CR><LF>"), "\r\n\r\n");
    EXPECT_EQ(unescapeSettingText("<sp><SP<LF"), "<sp><SP<LF");
}

TEST(SettingsEscaping, RoundTripsOfAwkwardTexts) {
    for (const char* text : {"  Name ", " ", "  ", "\r\n", " a\r\nb ", "<", "x\t", "\tx"}) {
        EXPECT_EQ(unescapeSettingText(escapeSettingText(text)), text) << '"' << text << '"';
    }
}

TEST(SettingsIntegers, ParseDecimalHexSignsAndTrailingText) {
    EXPECT_EQ(parseSettingInt("42"), 42);
    EXPECT_EQ(parseSettingInt("  -1"), -1);
    EXPECT_EQ(parseSettingInt("+7"), 7);
    EXPECT_EQ(parseSettingInt("0x400000"), 0x400000);
    EXPECT_EQ(parseSettingInt("0XfF"), 255);
    EXPECT_EQ(parseSettingInt("12abc"), 12);
    EXPECT_EQ(parseSettingInt("0x"), 0);  // the 0, as strtol reads it
    EXPECT_EQ(parseSettingInt("2147483647"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(parseSettingInt("-2147483648"), std::numeric_limits<std::int32_t>::min());
    // 32-bit unsigned forms wrap, as colours written unsigned must read back.
    EXPECT_EQ(parseSettingInt("4294967295"), -1);
    EXPECT_EQ(parseSettingInt("0xFFFFFFFF"), -1);
}

TEST(SettingsIntegers, TextsWithoutAUsableNumberGiveNothing) {
    EXPECT_FALSE(parseSettingInt(""));
    EXPECT_FALSE(parseSettingInt("abc"));
    EXPECT_FALSE(parseSettingInt("-"));
    EXPECT_FALSE(parseSettingInt("4294967296"));
    EXPECT_FALSE(parseSettingInt("99999999999999999999999"));
}

TEST(SettingsFloats, FormattedLikePrintfGeneral) {
    EXPECT_EQ(formatSettingFloat(1000.0f), "1000");
    EXPECT_EQ(formatSettingFloat(0.0f), "0");
    EXPECT_EQ(formatSettingFloat(1234.5f), "1234.5");
    EXPECT_EQ(formatSettingFloat(1234.5678f), "1234.57");
    EXPECT_EQ(formatSettingFloat(-14070.0f), "-14070");
    EXPECT_EQ(formatSettingFloat(123456789.0f), "1.23457e+08");
    EXPECT_EQ(formatSettingFloat(0.00001f), "1e-05");
    EXPECT_EQ(formatSettingFloat(0.5f), "0.5");
}

TEST(SettingsFloats, ExactFormReadsBackToTheSameFloat) {
    for (float value : {1000.0f, 0.1f, 1234.5678f, -3.3e-7f, 3.4e38f}) {
        const auto back = parseSettingFloat(formatSettingFloatExact(value));
        ASSERT_TRUE(back);
        EXPECT_EQ(static_cast<float>(*back), value) << formatSettingFloatExact(value);
    }
}

TEST(SettingsFloats, ParseReadsTheLeadingNumberLikeAtof) {
    EXPECT_EQ(parseSettingFloat("1000"), 1000.0);
    EXPECT_EQ(parseSettingFloat("  -2.5e3xyz"), -2500.0);
    EXPECT_EQ(parseSettingFloat("+.5"), 0.5);
    EXPECT_EQ(parseSettingFloat("1,5"), 1.0);  // always a decimal point
    EXPECT_TRUE(std::isinf(*parseSettingFloat("inf")));
    EXPECT_FALSE(parseSettingFloat("abc"));
    EXPECT_FALSE(parseSettingFloat(""));
    EXPECT_FALSE(parseSettingFloat("--1"));
    EXPECT_FALSE(parseSettingFloat("1e999"));
}

}  // namespace
}  // namespace tarnvel::app
