#pragma once
// The values options take on tarnvel-cli's command line, each read with the message that
// names what was wrong.

#include <optional>
#include <string>
#include <string_view>

#include "cli/Options.h"

namespace tarnvel::cli {

using MaybeProblem = std::optional<Problem>;

Problem problem(std::string_view subject, std::string message);

// The modes each command takes.
enum class ModeUse { Receive, Transmit, Multichannel };

MaybeProblem parseMode(std::string_view option, std::string_view value, const ModeChoice*& mode,
                       ModeUse use);
// "--mode is required (one of ...)".
Problem modeRequired(ModeUse use);
MaybeProblem parseFrequency(std::string_view option, std::string_view value, double& hz);
MaybeProblem parseOnOff(std::string_view option, std::string_view value, bool& on);
MaybeProblem parseSquelch(std::string_view option, std::string_view value,
                          std::optional<int>& threshold);
// An integer low..high; what names it in the message ("a channel number").
MaybeProblem parseRange(std::string_view option, std::string_view value, long low, long high,
                        const char* what, long& out);
MaybeProblem parseDial(std::string_view option, std::string_view value, double& kHz);
// A file name: anything but empty.
MaybeProblem parseFileName(std::string_view option, std::string_view value, std::string& file);

}  // namespace tarnvel::cli
