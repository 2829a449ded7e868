#pragma once
// Stand-ins for a receiver's decoder and phase scope that record what they are handed.

#include <cstdint>
#include <vector>

#include "modem/SymbolDecoder.h"

namespace tarnvel::modem::testing {

struct SymbolRecorder : SymbolDecoder {
    struct Symbol {
        int32_t i, q, levelCode;
    };
    std::vector<int> bits;
    std::vector<Symbol> symbols;
    void onBit(int bit) override { bits.push_back(bit); }
    void onSymbol(int32_t i, int32_t q, int32_t levelCode) override {
        symbols.push_back({i, q, levelCode});
    }
    void reset() override {}
    void measureQuality(int32_t, int32_t, int32_t) override {}
};

struct ScopeRecorder : PhaseScopeSink {
    struct Call {
        int16_t channel;
        int32_t delta, level;
    };
    std::vector<Call> calls;
    void showPhase(int16_t channel, int32_t delta, int32_t level) override {
        calls.push_back({channel, delta, level});
    }
};

}  // namespace tarnvel::modem::testing
