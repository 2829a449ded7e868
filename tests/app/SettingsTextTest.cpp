#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>

#include "app/SettingsText.h"

namespace tarnvel::app {
namespace {

// The file's forms of texts with edge spaces and line breaks, both ways.
TEST(SettingsEscaping, EdgeSpacesAndLineBreaksBecomeMarkersAndReadBack) {
    const std::pair<const char*, const char*> forms[] = {
        // Two leading spaces and one trailing: the outer leading one and the trailing one.
        {"  Name ", "<SP> Name<SP>"},
        {" ", "<SP>"},
        {"  ", "<SP><SP>"},
        {"", ""},
        {"a b", "a b"},
        {"CQ\r\nde X", "CQ<CR><LF>de X"},
        {"\n", "<LF>"},
        // A line break at the end is escaped first, so no space is at the end to protect.
        {"x \r", "x <CR>"},
    };
    for (const auto& [text, escaped] : forms) {
        EXPECT_EQ(escapeSettingText(text), escaped) << '"' << text << '"';
        EXPECT_EQ(unescapeSettingText(escaped), text) << escaped;
    }
    for (const char* text : {" a\r\nb ", "<", "x\t", "\tx"})
        EXPECT_EQ(unescapeSettingText(escapeSettingText(text)), text) << '"' << text << '"';
    // Markers anywhere are replaced; anything that is not quite a marker stays.
    EXPECT_EQ(unescapeSettingText("A<SP>B<CR><LF><CR><LF>"), "A B\r\n\r\n");
    EXPECT_EQ(unescapeSettingText("<sp><SP<LF"), "<sp><SP<LF");
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
