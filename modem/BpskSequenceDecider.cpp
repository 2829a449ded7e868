#include "modem/BpskSequenceDecider.h"

namespace tarnvel::modem {

void BpskSequenceDecider::reset() {
    metrics_ = {};
    histories_ = {};
}

float BpskSequenceDecider::step(float matched, float overlap) {
    // A path's score gains the sample's agreement with the new sign, less the part of the
    // sample that the previous sign put there: +-(matched -+ overlap).
    const float fromPlus = metrics_[0];
    const float fromMinus = metrics_[1];
    // New sign +1.
    const float plusAfterPlus = fromPlus + matched - overlap;
    const float plusAfterMinus = fromMinus + matched + overlap;
    // New sign -1.
    const float minusAfterPlus = fromPlus - matched + overlap;
    const float minusAfterMinus = fromMinus - matched - overlap;
    const bool plusFromMinus = plusAfterMinus > plusAfterPlus;
    const bool minusFromMinus = minusAfterMinus > minusAfterPlus;
    const float plus = plusFromMinus ? plusAfterMinus : plusAfterPlus;
    const float minus = minusFromMinus ? minusAfterMinus : minusAfterPlus;
    const uint32_t plusHistory = (plusFromMinus ? histories_[1] : histories_[0]) << 1;
    const uint32_t minusHistory = ((minusFromMinus ? histories_[1] : histories_[0]) << 1) | 1u;
    histories_ = {plusHistory, minusHistory};
    // Scores relative to the better one, so they stay small.
    const bool minusBetter = minus > plus;
    const float top = minusBetter ? minus : plus;
    metrics_ = {plus - top, minus - top};
    const uint32_t decided = (histories_[minusBetter ? 1 : 0] >> kDecisionDepth) & 1u;
    return decided != 0 ? -1.0f : 1.0f;
}

}  // namespace tarnvel::modem
