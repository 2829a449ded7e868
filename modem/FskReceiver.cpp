#include "modem/FskReceiver.h"

namespace tarnvel::modem {

FskReceiver::FskReceiver(double rate, int32_t decimBase, double baud) : PskReceiver(rate) {
    decimBaseRate = decimBase;
    baudRate = baud;
    ownDecimatedStep = true;
    setSampleRate(rate);  // the comb, decimation and symbol steps of this decimated rate
    resetState();
}

}  // namespace tarnvel::modem
