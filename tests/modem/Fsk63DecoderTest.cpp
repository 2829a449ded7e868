// The FSK63 block decoder fed with the encoder's own symbols as soft values, so that errors can
// be planted in chosen bits of chosen words.

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "modem/CharacterSink.h"
#include "modem/Fsk63CodeTable.h"
#include "modem/Fsk63Decoder.h"
#include "modem/Fsk63Encoder.h"

namespace tarnvel::modem {
namespace {

constexpr int kBits = kFsk63CodeBits;
constexpr int kSameResidueDistance = 3;  // words k and k + 3 share the interleave residue
constexpr int32_t kSoft = 20 * Fsk63Decoder::kSoftScale;

// The words a transmission carries, one per 17 symbols: idle words, the text, idle words.
std::vector<int> wordsOf(const std::string& text, int idleBefore, int idleAfter) {
    std::vector<int> words(static_cast<size_t>(idleBefore), kFsk63IdleWord);
    for (char c : text) words.push_back(static_cast<unsigned char>(c));
    words.insert(words.end(), static_cast<size_t>(idleAfter), kFsk63IdleWord);
    return words;
}

// The encoder's tones (0/1) for the words: word k goes in at symbol 17k, so its bit i is sent
// at symbol 17k + 3i.
std::vector<int> encode(const std::vector<int>& words) {
    TxCodeTable codes;
    Fsk63Encoder encoder(codes);
    std::vector<int> tones;
    encoder.putChar(words[0]);
    for (size_t k = 0; k < words.size(); ++k) {
        for (int s = 0; s < kBits; ++s) {
            int ready = 0;
            tones.push_back(encoder.nextSymbol(ready));
            if (ready && k + 1 < words.size()) encoder.putChar(words[k + 1]);
        }
    }
    // The last word's bits run on for another 32 symbols after its start block.
    for (int s = 0; s < 2 * kBits; ++s) {
        int ready = 0;
        tones.push_back(encoder.nextSymbol(ready));
    }
    return tones;
}

int distance(uint32_t a, uint32_t b) {
    return std::popcount(a ^ b);
}

// Plants two bit errors in word k that push it toward a codeword V five bits away whose bit 0
// is that of the next word of the same residue. A window that reads that neighbour's bit 0
// instead of word k's own sees three errors and picks V; the word's own 17 bits still decode.
bool plantErrorsTowardNeighbour(const std::vector<int>& words, size_t k, std::vector<int>& tones) {
    const uint32_t w = Fsk63CodeTable[static_cast<size_t>(words[k])];
    const uint32_t next = Fsk63CodeTable[static_cast<size_t>(words[k + kSameResidueDistance])];
    if ((w & 1u) == (next & 1u)) return false;
    for (const uint32_t v : Fsk63CodeTable) {
        if (distance(w, v) != 5 || (v & 1u) != (next & 1u)) continue;
        int planted = 0;
        for (int i = 1; i < kBits && planted < 2; ++i) {
            if (((w ^ v) >> i & 1u) == 0) continue;
            tones[k * kBits + static_cast<size_t>(3 * i)] ^= 1;
            ++planted;
        }
        return true;
    }
    return false;
}

std::string decode(const std::vector<int>& tones) {
    std::string text;
    CharacterSink sink(&text, nullptr);
    Fsk63Decoder decoder;
    decoder.sink = &sink;
    for (int tone : tones) decoder.onSymbol(0, 0, tone ? kSoft : -kSoft);
    return text;
}

std::string withoutNul(std::string text) {
    std::erase(text, '\0');
    return text;
}

TEST(Fsk63Decoder, CleanSymbolsDecodeToTheText) {
    const std::string message = "the quick brown fox jumps over the lazy dog 0123456789";
    const std::vector<int> words = wordsOf(message, 12, 6);
    const std::string text = withoutNul(decode(encode(words)));
    EXPECT_NE(text.find(message), std::string::npos) << text;
}

TEST(Fsk63Decoder, TwoErrorsInAWordAreCorrectedWhateverTheNeighbouringWordHolds) {
    const std::string message = "CQ CQ DE SP9XYZ SP9XYZ PSE K 73 tnx fer call, rig 100W ant dipole";
    const std::vector<int> words = wordsOf(message, 12, 6);
    std::vector<int> tones = encode(words);
    const size_t first = 12 + 4;  // leave the decoder a few clean words to lock on
    int planted = 0;
    for (size_t k = first; k + kSameResidueDistance < words.size() - 3; ++k)
        if (plantErrorsTowardNeighbour(words, k, tones)) ++planted;
    ASSERT_GE(planted, 5) << "the message gives too few words to plant errors in";
    const std::string text = withoutNul(decode(tones));
    EXPECT_NE(text.find(message.substr(4)), std::string::npos) << text;
}

TEST(Fsk63Decoder, InvertedSymbolsDecodeThroughTheOtherHalfOfThePhases) {
    const std::string message = "inverted tones 599";
    std::vector<int> tones = encode(wordsOf(message, 12, 6));
    int phase[2] = {-1, -1};
    for (int sense = 0; sense < 2; ++sense) {
        if (sense == 1)
            for (int& t : tones) t ^= 1;
        std::string text;
        CharacterSink sink(&text, nullptr);
        Fsk63Decoder decoder;
        decoder.sink = &sink;
        for (int tone : tones) decoder.onSymbol(0, 0, tone ? kSoft : -kSoft);
        EXPECT_NE(withoutNul(text).find(message), std::string::npos) << text;
        phase[sense] = decoder.bestPhase();
    }
    EXPECT_NE(phase[0] < Fsk63Decoder::kCodePhases, phase[1] < Fsk63Decoder::kCodePhases);
    EXPECT_EQ(phase[0] % Fsk63Decoder::kCodePhases, phase[1] % Fsk63Decoder::kCodePhases);
}

}  // namespace
}  // namespace tarnvel::modem
