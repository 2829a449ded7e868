#include <gtest/gtest.h>

#include <string>

#include "modem/CharacterSet.h"
#include "modem/TransmitControlRule.h"
#include "modem/Utf8StreamDecoder.h"

namespace tarnvel::modem {
namespace {

const std::u32string kLodz = U"Łódź";

std::u32string streamed(std::string_view bytes) {
    Utf8StreamDecoder decoder;
    std::u32string out;
    const auto take = [&](const Utf8StreamDecoder::Characters& c) {
        for (int i = 0; i < c.count; ++i) out += c.codePoints[static_cast<size_t>(i)];
    };
    for (const char b : bytes) take(decoder.push(static_cast<uint8_t>(b)));
    take(decoder.flush());
    return out;
}

TEST(CharacterSet, EncodesEachSetWithItsOwnBytes) {
    EXPECT_EQ(encodeText(kLodz, CharacterSet::Utf8), "\xC5\x81\xC3\xB3\x64\xC5\xBA");
    EXPECT_EQ(encodeText(kLodz, CharacterSet::Windows1250), "\xA3\xF3\x64\x9F");
    EXPECT_EQ(encodeText(kLodz, CharacterSet::Latin1), "?\xF3\x64?");
    EXPECT_EQ(encodeText(U"zażółć gęślą jaźń", CharacterSet::Windows1250),
              "za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1");
    // Beyond the plane of the other sets, and a character Windows-1250 lacks.
    EXPECT_EQ(encodeText(U"\U0001F600", CharacterSet::Utf8), "\xF0\x9F\x98\x80");
    EXPECT_EQ(encodeText(U"\U0001F600ñ", CharacterSet::Windows1250), "??");
    EXPECT_EQ(encodeText(U"€", CharacterSet::Latin1), "?");
}

TEST(CharacterSet, DecodingReversesEncoding) {
    for (const auto& info : kCharacterSets) {
        const std::u32string text = info.set == CharacterSet::Latin1 ? U"Óó ©®° äß" : kLodz;
        EXPECT_EQ(decodeText(encodeText(text, info.set), info.set), text) << info.name;
    }
    // Every byte of the single-byte sets comes back as itself.
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    for (const auto set : {CharacterSet::Windows1250, CharacterSet::Latin1}) {
        const std::u32string text = decodeText(all, set);
        ASSERT_EQ(text.size(), 256u);
        EXPECT_EQ(encodeText(text, set), all) << characterSetName(set);
    }
}

TEST(CharacterSet, InvalidUtf8BytesShowAsLatin1) {
    // A stray continuation, a lead cut short, an overlong form and a surrogate.
    EXPECT_EQ(decodeText("a\xA9z", CharacterSet::Utf8), U"a©z");
    EXPECT_EQ(decodeText("\xC5z", CharacterSet::Utf8), U"Åz");
    EXPECT_EQ(decodeText("\xC0\xAF", CharacterSet::Utf8), U"À¯");
    EXPECT_EQ(decodeText("\xED\xA0\x80", CharacterSet::Utf8), U"í\u00A0\u0080");
    EXPECT_EQ(decodeText("\xF4\x90\x80\x80", CharacterSet::Utf8), U"ô\u0090\u0080\u0080");
}

TEST(CharacterSet, NamesAreStoredAndFound) {
    for (const auto& info : kCharacterSets) EXPECT_EQ(characterSetNamed(info.name), info.set);
    EXPECT_EQ(characterSetNamed("utf-8"), CharacterSet::Utf8);
    EXPECT_EQ(characterSetNamed("CP852"), std::nullopt);
    EXPECT_EQ(characterSetName(CharacterSet::Windows1250), "Windows-1250");
}

TEST(CharacterSet, CharacterLengthsFollowTheDecoder) {
    const std::string bytes = "\xC5\x81" "a\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xC3";
    EXPECT_EQ(characterLengthAt(bytes, 0, CharacterSet::Utf8), 2u);
    EXPECT_EQ(characterLengthAt(bytes, 3, CharacterSet::Utf8), 1u);  // stray A9
    EXPECT_EQ(characterLengthAt(bytes, 4, CharacterSet::Utf8), 3u);
    EXPECT_EQ(characterLengthAt(bytes, 7, CharacterSet::Utf8), 4u);
    EXPECT_EQ(characterLengthAt(bytes, 11, CharacterSet::Utf8), 1u);  // lead cut short
    EXPECT_EQ(characterLengthAt(bytes, 12, CharacterSet::Utf8), 0u);
    EXPECT_EQ(characterLengthBefore(bytes, 12, CharacterSet::Utf8), 1u);
    EXPECT_EQ(characterLengthBefore(bytes, 11, CharacterSet::Utf8), 4u);
    EXPECT_EQ(characterLengthBefore(bytes, 7, CharacterSet::Utf8), 3u);
    EXPECT_EQ(characterLengthBefore(bytes, 4, CharacterSet::Utf8), 1u);
    EXPECT_EQ(characterLengthBefore(bytes, 2, CharacterSet::Utf8), 2u);
    EXPECT_EQ(characterLengthBefore(bytes, 0, CharacterSet::Utf8), 0u);
    // "é" followed by a stray A9: the last character is the stray byte alone.
    EXPECT_EQ(characterLengthBefore("\xC3\xA9\xA9", 3, CharacterSet::Utf8), 1u);
    EXPECT_EQ(characterLengthBefore(bytes, 2, CharacterSet::Windows1250), 1u);
}

TEST(Utf8StreamDecoder, ByteByByteGivesTheSameTextAsAWhole) {
    for (const std::string& bytes : {std::string("\xC5\x81\xC3\xB3\x64\xC5\xBA"),
                                    std::string("a\xA9\xC5z\xE2\x82\n\xF0\x9F\x98\x80\xC3")}) {
        EXPECT_EQ(streamed(bytes), decodeText(bytes, CharacterSet::Utf8));
    }
}

TEST(Utf8StreamDecoder, APartialSequenceWaitsAndABrokenOneIsKept) {
    Utf8StreamDecoder d;
    EXPECT_EQ(d.push(0xC5).count, 0);
    EXPECT_EQ(d.pendingBytes(), 1);
    const auto l = d.push(0x81);
    ASSERT_EQ(l.count, 1);
    EXPECT_EQ(l.codePoints[0], U'Ł');
    d.push(0xE2);
    d.push(0x82);
    const auto broken = d.push('x');
    ASSERT_EQ(broken.count, 3);
    EXPECT_EQ(broken.codePoints[0], 0xE2u);
    EXPECT_EQ(broken.codePoints[1], 0x82u);
    EXPECT_EQ(broken.codePoints[2], U'x');
    EXPECT_EQ(d.pendingBytes(), 0);
}

TEST(TransmitControlRule, SingleByteSetsTreatEveryMarkerAsControl) {
    for (const auto set : {CharacterSet::Latin1, CharacterSet::Windows1250}) {
        TransmitControlRule rule(set);
        EXPECT_FALSE(rule.isControl(0xC5));
        EXPECT_TRUE(rule.isControl(0xAE));
        EXPECT_TRUE(rule.isControl(0xA9));
        EXPECT_TRUE(rule.isControl(0xB0));
        EXPECT_FALSE(rule.isControl(0xAF));
    }
}

TEST(TransmitControlRule, Utf8MarkersInsideALetterAreText) {
    TransmitControlRule rule(CharacterSet::Utf8);
    // "Ů", "©", "°", "İ" and "€"'s neighbour "₮" (E2 82 AE): every marker byte continues.
    for (const std::string_view letter : {"\xC5\xAE", "\xC2\xA9", "\xC2\xB0", "\xC4\xB0", "\xE2\x82\xAE"}) {
        for (const char b : letter)
            EXPECT_FALSE(rule.isControl(static_cast<uint8_t>(b))) << letter;
    }
    // Standing alone (at the start, after ASCII, after a whole letter, twice) they are controls.
    EXPECT_TRUE(rule.isControl(0xAE));
    EXPECT_TRUE(rule.isControl(0xAE));
    rule.isControl('a');
    EXPECT_TRUE(rule.isControl(0xB0));
    rule.isControl(0xC5);
    rule.isControl(0x81);
    EXPECT_TRUE(rule.isControl(0xA9));
    // After a sequence already broken by another byte the marker stands alone again.
    rule.isControl(0xE2);
    rule.isControl('x');
    EXPECT_TRUE(rule.isControl(0xAE));
    // A reset forgets a lead byte that was left open.
    rule.isControl(0xC2);
    rule.reset();
    EXPECT_TRUE(rule.isControl(0xAE));
}

}  // namespace
}  // namespace tarnvel::modem
