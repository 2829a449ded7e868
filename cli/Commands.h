#pragma once
// The commands of tarnvel-cli, run on options that have passed parsing.

#include "cli/Options.h"

namespace tarnvel::cli {

// Prints "tarnvel-cli: <subject>: <message>" as one line on standard error.
void reportProblem(const Problem& problem);

// Each returns the exit status (kExitOk, kExitFailure or kExitBadInput).
int runDecode(const DecodeOptions& options);
int runEncode(const EncodeOptions& options);

}  // namespace tarnvel::cli
