#include "cli/OptionValues.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace tarnvel::cli {
namespace {

// The command line's own spelling of inverted QPSK.
constexpr std::string_view kInvertedQpskName = "qpsk31i";

// The modes of the mode commands by their command-line names, inverted QPSK after QPSK.
const std::vector<ModeChoice>& modeChoices() {
    static const std::vector<ModeChoice> choices = [] {
        std::vector<ModeChoice> list;
        for (const modem::ModeInfo& m : modem::commandModes()) {
            list.push_back({m.cliName, m.mode, false});
            if (m.mode == modem::Mode::Qpsk31) list.push_back({kInvertedQpskName, m.mode, true});
        }
        return list;
    }();
    return choices;
}

bool takes(ModeUse use, const ModeChoice& mode) {
    switch (use) {
        case ModeUse::Transmit:
            return mode.transmits();
        case ModeUse::Multichannel:
            return modem::runsMultichannel(mode.mode);
        default:
            return true;
    }
}

// "bpsk31, bpsk63 or pactor": the names a command takes.
std::string modeList(ModeUse use) {
    std::vector<std::string_view> names;
    for (const ModeChoice& m : modeChoices())
        if (takes(use, m)) names.push_back(m.name);
    std::string list;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) list += i + 1 == names.size() ? " or " : ", ";
        list += names[i];
    }
    return list;
}

bool parseInteger(std::string_view value, long& out) {
    const char* first = value.data();
    const char* last = first + value.size();
    auto [ptr, ec] = std::from_chars(first, last, out);
    return !value.empty() && ec == std::errc() && ptr == last;
}

// A whole decimal number; false for trailing text, overflow, infinity and NaN.
bool parseReal(const std::string& text, double& out) {
    char* end = nullptr;
    errno = 0;
    out = std::strtod(text.c_str(), &end);
    return !text.empty() && end == text.c_str() + text.size() && errno != ERANGE &&
           std::isfinite(out);
}

}  // namespace

const ModeChoice* findMode(std::string_view name) {
    for (const ModeChoice& m : modeChoices())
        if (m.name == name) return &m;
    return nullptr;
}

Problem problem(std::string_view subject, std::string message) {
    return Problem{std::string(subject), std::move(message)};
}

MaybeProblem parseMode(std::string_view option, std::string_view value, const ModeChoice*& mode,
                       ModeUse use) {
    mode = findMode(value);
    const std::string list = " (one of " + modeList(use) + ")";
    const std::string quoted = "'" + std::string(value) + "'";
    if (mode == nullptr) return problem(option, "unknown mode " + quoted + list);
    if (use == ModeUse::Transmit && !mode->transmits())
        return problem(option, "mode " + quoted + " is receive only" + list);
    if (!takes(use, *mode))
        return problem(option, "mode " + quoted + " has no multichannel decoder" + list);
    return std::nullopt;
}

Problem modeRequired(ModeUse use) {
    return problem("--mode", "is required (one of " + modeList(use) + ")");
}

MaybeProblem parseFrequency(std::string_view option, std::string_view value, double& hz) {
    const std::string text(value);
    double v = 0.0;
    if (!parseReal(text, v)) return problem(option, "'" + text + "' is not a frequency in Hz");
    if (v < kMinFrequencyHz || v > kMaxFrequencyHz)
        return problem(option, text + " Hz is outside 100..5000 Hz");
    hz = v;
    return std::nullopt;
}

MaybeProblem parseOnOff(std::string_view option, std::string_view value, bool& on) {
    if (value != "on" && value != "off")
        return problem(option, "'" + std::string(value) + "' is neither on nor off");
    on = value == "on";
    return std::nullopt;
}

MaybeProblem parseSquelch(std::string_view option, std::string_view value,
                          std::optional<int>& threshold) {
    long v = 0;
    if (value == "off") {
        threshold.reset();
    } else if (parseInteger(value, v) && v >= 0 && v <= kMaxSquelchThreshold) {
        threshold = static_cast<int>(v);
    } else {
        return problem(option, "'" + std::string(value) + "' is neither off nor a level 0..31");
    }
    return std::nullopt;
}

MaybeProblem parseRange(std::string_view option, std::string_view value, long low, long high,
                        const char* what, long& out) {
    if (!parseInteger(value, out) || out < low || out > high)
        return problem(option, "'" + std::string(value) + "' is not " + what + " " +
                                   std::to_string(low) + ".." + std::to_string(high));
    return std::nullopt;
}

MaybeProblem parseDial(std::string_view option, std::string_view value, double& kHz) {
    const std::string text(value);
    double v = 0.0;
    if (!parseReal(text, v) || v < 0.0 || v > kMaxDialKHz)
        return problem(option, "'" + text + "' is not a dial frequency in kHz (0..100000000)");
    kHz = v;
    return std::nullopt;
}

MaybeProblem parseFileName(std::string_view option, std::string_view value, std::string& file) {
    if (value.empty()) return problem(option, "the file name is empty");
    file = std::string(value);
    return std::nullopt;
}

}  // namespace tarnvel::cli
