#pragma once
// The commands of tarnvel-cli, run on options that have passed parsing.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/Options.h"

namespace tarnvel::cli {

// Prints "tarnvel-cli: <subject>: <message>" as one line on standard error.
void reportProblem(const Problem& problem);

// Each returns the exit status (kExitOk, kExitFailure or kExitBadInput).
int runDecode(const DecodeOptions& options);
int runEncode(const EncodeOptions& options);
int runChannels(const ChannelsOptions& options);
int runWaterfall(const WaterfallOptions& options);

// decode on standard input: the text is printed as it arrives.
int runStreamDecode(const DecodeOptions& options);

// Finds out before any work whether the output file can be created where it is asked for:
// the problem, or nothing.
std::optional<std::string> checkOutputPlace(const std::string& fileName);

// Writes the text to standard output; kExitOk, or kExitFailure after reporting the problem.
int writeStandardOutput(const std::string& text);

}  // namespace tarnvel::cli
