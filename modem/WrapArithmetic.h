#pragma once
// 32-bit and 16-bit two's-complement wrap arithmetic without signed-overflow undefined behaviour:
// the receivers' fixed-point sums and angles are defined to wrap.

#include <cstdint>

namespace tarnvel::modem {

constexpr int32_t wrapAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
constexpr int32_t wrapSub(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
constexpr int32_t wrapMul(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}
// |a|, with |INT32_MIN| wrapping to itself as 32-bit hardware does.
constexpr int32_t wrapAbs(int32_t a) {
    return a < 0 ? wrapSub(0, a) : a;
}
constexpr int32_t wrapShl(int32_t a, int n) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) << n);
}
// The low 16 bits of a value read as a signed 16-bit number.
constexpr int16_t low16(int32_t a) {
    return static_cast<int16_t>(static_cast<uint16_t>(a));
}

// A run counter that stops at its maximum instead of overflowing on a months-long run.
constexpr int32_t countUp(int32_t n) {
    return n < INT32_MAX ? n + 1 : n;
}

}  // namespace tarnvel::modem
