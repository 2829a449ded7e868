#pragma once
// Commands that change the operator's own files (the log, the settings, the macros) work only
// while no Tarnvel of the same user has them open: they hold the same lock as the desktop
// program for as long as they write.
//
//   const auto lock = lockUserFiles();
//   if (!lock) return kExitFailure;  // already reported

#include <optional>
#include <string>

#include "app/InstanceLock.h"

namespace tarnvel::cli {

// The lock of the data folder, or nothing after reporting on standard error why it could not
// be had (another Tarnvel holds it, or the folder cannot be used).
std::optional<app::InstanceLock> lockUserFiles(const std::string& dataFolder);
std::optional<app::InstanceLock> lockUserFiles();  // the default data folder

}  // namespace tarnvel::cli
