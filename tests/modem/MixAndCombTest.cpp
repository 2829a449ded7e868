// The front end's piece-wise vector form against its per-sample rule: rings, sums, clocks and the
// sums handed to the decimated steps must come out word for word the same, from any state
// (rings holding anything, an index left beyond a shortened comb, sums about to wrap) and for
// any run of samples. Both vector versions of the kernels are checked where the processor has
// them.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "modem/MixAndComb.h"
#include "modem/MixAndCombKernels.h"
#include "modem/Tables.h"

namespace tarnvel::modem {
namespace {

struct FrontEnd {
    std::array<IqPair, kCombRingSize> ring1{};
    std::array<IqPair, kCombRingSize> ring2{};
    CombState state{};

    FrontEnd(std::mt19937& rng, int length, int index, uint16_t decimStep) {
        std::uniform_int_distribution<int32_t> word(INT32_MIN, INT32_MAX);
        for (size_t k = 0; k < ring1.size(); ++k) {
            ring1[k] = {word(rng) / 65536, word(rng) / 65536};
            ring2[k] = {word(rng), word(rng)};
        }
        state = {ring1.data(),
                 ring2.data(),
                 {word(rng), word(rng)},
                 {INT32_MAX - 5, INT32_MIN + 3},  // about to wrap
                 index,
                 length,
                 static_cast<uint16_t>(word(rng)),
                 static_cast<uint16_t>(word(rng)),
                 decimStep,
                 static_cast<uint16_t>(word(rng))};
    }
    FrontEnd(const FrontEnd& o) : ring1(o.ring1), ring2(o.ring2), state(o.state) {
        state.ring1 = ring1.data();
        state.ring2 = ring2.data();
    }
    FrontEnd& operator=(const FrontEnd&) = delete;
};

bool operator==(IqPair a, IqPair b) {
    return a.i == b.i && a.q == b.q;
}

void expectSame(const FrontEnd& a, const FrontEnd& b) {
    for (size_t k = 0; k < kCombRingSize; ++k) {
        EXPECT_TRUE(a.ring1[k] == b.ring1[k]) << "ring 1 entry " << k;
        EXPECT_TRUE(a.ring2[k] == b.ring2[k]) << "ring 2 entry " << k;
    }
    EXPECT_TRUE(a.state.stage1 == b.state.stage1);
    EXPECT_TRUE(a.state.stage2 == b.state.stage2);
    EXPECT_EQ(a.state.index, b.state.index);
    EXPECT_EQ(a.state.phase, b.state.phase);
    EXPECT_EQ(a.state.decimPhase, b.state.decimPhase);
}

std::vector<int16_t> noise(std::mt19937& rng, int count) {
    std::uniform_int_distribution<int> sample(-32768, 32767);
    std::vector<int16_t> s(static_cast<size_t>(count));
    for (int16_t& x : s) x = static_cast<int16_t>(sample(rng));
    if (count > 2) {
        s[0] = -32768;  // the extremes, whose products are the largest
        s[1] = 32767;
    }
    return s;
}

TEST(MixAndComb, PiecesGiveTheWordsOfTheSampleRule) {
    std::mt19937 rng(14);
    for (const int length : {1, 2, 3, 4, 5, 16, 22, 23, 31, 32}) {
        for (const int index : {0, length - 1, std::min(length + 3, kCombRingSize - 1)}) {
            for (const uint16_t decimStep : {0, 1, 2972, 5944, 40000, 65535}) {
                for (const int count : {1, 3, 7, 255, 256, 257, 600}) {
                    SCOPED_TRACE(testing::Message() << "length " << length << " index " << index
                                                    << " step " << decimStep << " count " << count);
                    const FrontEnd start(rng, length, index, decimStep);
                    FrontEnd plain = start;
                    FrontEnd vector = start;
                    const std::vector<int16_t> in = noise(rng, count);
                    std::vector<IqPair> outPlain(in.size());
                    std::vector<IqPair> outVector(in.size());
                    const int nPlain =
                        mixAndCombPlain(plain.state, in.data(), count, outPlain.data());
                    const int nVector =
                        mixAndComb(vector.state, in.data(), count, outVector.data());
                    ASSERT_EQ(nPlain, nVector);
                    for (int d = 0; d < nPlain; ++d)
                        EXPECT_TRUE(outPlain[static_cast<size_t>(d)] ==
                                    outVector[static_cast<size_t>(d)])
                            << "decimated sample " << d;
                    expectSame(plain, vector);
                }
            }
        }
    }
}

using detail::MixKernel;
using detail::SumKernel;

std::vector<std::pair<MixKernel, SumKernel>> kernelsHere() {
    std::vector<std::pair<MixKernel, SumKernel>> k = {
        {detail::mixPiecePortable, detail::sumPiecePortable}};
#if defined(TARNVEL_FRONT_END_AVX2)
    if (__builtin_cpu_supports("avx2")) k.emplace_back(detail::mixPieceAvx2, detail::sumPieceAvx2);
#endif
    return k;
}

TEST(MixAndComb, EveryKernelVersionMatchesOneSampleAtATime) {
    std::mt19937 rng(31);
    const uint32_t* cosSin = detail::cosSinData();
    for (const auto& [mix, sum] : kernelsHere()) {
        for (int count = 0; count <= 41; ++count) {
            SCOPED_TRACE(testing::Message() << "count " << count);
            const std::vector<int16_t> in = noise(rng, count);
            const auto step = static_cast<uint16_t>(rng());
            uint16_t phase = static_cast<uint16_t>(rng());
            uint16_t expectedPhase = phase;
            std::vector<IqPair> mixed(static_cast<size_t>(count) + 1, IqPair{7, 7});
            mix(cosSin, in.data(), count, step, phase, mixed.data());
            for (int n = 0; n < count; ++n) {
                expectedPhase = static_cast<uint16_t>(expectedPhase + step);
                const IqPair v =
                    detail::mixedSample(in[static_cast<size_t>(n)], cosSin[expectedPhase]);
                EXPECT_TRUE(mixed[static_cast<size_t>(n)] == v) << "sample " << n;
            }
            EXPECT_TRUE(mixed.back() == (IqPair{7, 7})) << "wrote past the piece";
            EXPECT_EQ(phase, expectedPhase);

            const int length = 1 + count % kCombRingSize;
            std::vector<IqPair> line(static_cast<size_t>(length + count));
            for (IqPair& p : line) p = {static_cast<int32_t>(rng()), static_cast<int32_t>(rng())};
            std::vector<IqPair> sums(static_cast<size_t>(count));
            const IqPair start{INT32_MAX, INT32_MIN};
            const IqPair last = sum(line.data(), length, count, start, sums.data());
            IqPair expected = start;
            for (int n = 0; n < count; ++n) {
                expected = detail::wrappingSum(expected, line[static_cast<size_t>(length + n)],
                                               line[static_cast<size_t>(n)]);
                EXPECT_TRUE(sums[static_cast<size_t>(n)] == expected) << "sum " << n;
            }
            EXPECT_TRUE(last == expected);
        }
    }
}

}  // namespace
}  // namespace tarnvel::modem
