#include "cli/ModemBridge.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "audio/Resampler.h"
#include "modem/Fsk63CodeTable.h"
#include "modem/Mode.h"
#include "modem/TransmitHost.h"
#include "modem/Transmitter.h"
#include "modem/Varicode.h"

namespace tarnvel::cli {
namespace {

// Bounds for the length of a transmission, in symbols: the preamble (4 carrier, 36 idle), the
// tail (10 encoder symbols, 36 carrier, 1 off), each character's varicode with its two zero
// bits, and each Morse character (at most seven dashes of 4 units with its gap, 2 symbols a
// unit). The slack covers the symbol in progress at either end.
constexpr size_t kFrameSymbols = 4 + 36 + 10 + 36 + 1;
constexpr size_t kSlackSymbols = 64;
constexpr size_t kZeroBitsPerCharacter = 2;
constexpr size_t kMaxMorseSymbolsPerCharacter = (7 * 4 + 2) * 2;
// "T", two blanks before the identification and one after it.
constexpr size_t kMorseFrameCharacters = 4;
constexpr double kSlowestSymbolRate = 31.25;
// The longest transmission a 16-bit WAV file can hold.
constexpr size_t kMaxTransmissionSamples = INT_MAX / 2;

// Symbols of one character: its varicode with the two zero bits, or in FSK63 one block word.
size_t characterSymbols(modem::Mode mode, char c) {
    if (modem::modeInfo(mode).coding == modem::ModeCoding::Fsk63)
        return static_cast<size_t>(modem::kFsk63CodeBits);
    return static_cast<size_t>(
               modem::varicodeLength(modem::VaricodeTable[static_cast<uint8_t>(c)])) +
           kZeroBitsPerCharacter;
}

size_t symbolBound(modem::Mode mode, std::string_view text, size_t cwIdLength) {
    size_t symbols = kFrameSymbols + kSlackSymbols;
    for (const char c : text) symbols += characterSymbols(mode, c);
    return symbols + (cwIdLength + kMorseFrameCharacters) * kMaxMorseSymbolsPerCharacter;
}

}  // namespace

ModemOutcome renderTransmission(const TransmitSettings& settings, std::vector<int16_t>& audio) {
    if (settings.mode == nullptr) return {false, "no mode given"};
    modem::TextTransmitHost host;
    modem::Transmitter transmitter(host);
    if (!transmitter.setMode(settings.mode->mode))
        return {false, "the mode " + std::string(settings.mode->name) + " has no transmitter"};
    transmitter.setInvertedQpsk(settings.mode->invertedQpsk);
    if (!transmitter.setTransmitFrequency(settings.frequency))
        return {false, "the transmit frequency is not usable"};
    if (!transmitter.setSampleRate(settings.cardRate))
        return {false, "the sound card rate is not usable"};

    // The text goes out as typed; the identification (when asked) and the end character close
    // it. Whatever follows the first end character is never sent.
    std::string text = settings.text;
    if (settings.cwId) {
        host.setUseCwId(1);
        host.setCwIdText(*settings.cwId);
        text.push_back(static_cast<char>(modem::kCharCwId));
    }
    text.push_back(static_cast<char>(modem::kCharRx));
    host.type(text);

    const size_t cwIdLength = settings.cwId ? settings.cwId->size() : 0;
    const double samplesPerSymbol = std::ceil(settings.cardRate / kSlowestSymbolRate);
    const double bound =
        static_cast<double>(symbolBound(settings.mode->mode, text, cwIdLength)) * samplesPerSymbol;
    if (bound > static_cast<double>(kMaxTransmissionSamples))
        return {false, "the text is too long for one transmission in a WAV file"};

    modem::RenderedTransmission rendered =
        transmitter.renderTransmission(static_cast<size_t>(bound));
    if (!rendered.complete) return {false, "the transmission did not end"};
    audio = std::move(rendered.samples);
    return {true, {}};
}

}  // namespace tarnvel::cli
