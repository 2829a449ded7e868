#include <gtest/gtest.h>

#include <vector>

#include "modem/SymmetricFir.h"

namespace tarnvel::modem {
namespace {

TEST(SymmetricFir, LowPassDesignGivesTheReferenceCoefficients) {
    SymmetricFir fir;
    ASSERT_TRUE(fir.design(32, FirType::LowPass, 0.09));
    const std::vector<int> expected = {5898, 5579, 4688, 3399, 1957, 619, -407, -1002, -1153,
                                       -942, -519, -48,  328,  527,  530, 380,  152,   -68,
                                       -220, -272, -233, -135, -22,  66,  110,  107,   73,
                                       29,   -6,   -23,  -21,  -10,  0};
    for (int k = 0; k <= 32; ++k) EXPECT_EQ(fir.coefficient(k), expected[k]) << k;
}

TEST(SymmetricFir, ImpulseResponseIsCentredHalfLengthPlusOneBack) {
    SymmetricFir fir;
    ASSERT_TRUE(fir.design(16, FirType::LowPass, 0.15));
    constexpr int32_t kImpulse = 65536;
    std::vector<int32_t> out;
    for (int n = 0; n < 40; ++n) out.push_back(fir.step(n == 0 ? kImpulse : 0));
    // The input is not yet part of the output of its own step.
    EXPECT_EQ(out[0], 0);
    for (int k = 0; k <= 16; ++k) {
        EXPECT_EQ(out[17 + k], fir.coefficient(k)) << k;
        EXPECT_EQ(out[17 - k], k == 17 ? 0 : fir.coefficient(k)) << k;
    }
    for (int n = 34; n < 40; ++n) EXPECT_EQ(out[n], 0);
}

TEST(SymmetricFir, PassesLowFrequenciesAndRejectsBadDesigns) {
    SymmetricFir fir;
    EXPECT_FALSE(fir.design(0, FirType::LowPass, 0.1));
    EXPECT_FALSE(fir.design(33, FirType::LowPass, 0.1));
    EXPECT_FALSE(fir.design(16, FirType::LowPass, 0.0));
    EXPECT_FALSE(fir.design(16, FirType::LowPass, 0.6));
    ASSERT_TRUE(fir.design(32, FirType::LowPass, 0.09));
    // A constant comes out at about half its value (the taps sum to 32767 for unit gain of
    // 65536), with no overflow for large inputs.
    int32_t y = 0;
    for (int n = 0; n < 100; ++n) y = fir.step(2000000);
    EXPECT_NEAR(y, 1000000, 2000);
}

}  // namespace
}  // namespace tarnvel::modem
