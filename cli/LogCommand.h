#pragma once
// tarnvel-cli log: the log file without the desktop. "import FILE.adi", "export -o OUT.adi",
// "merge OTHER.log" and "search TEXT", each on the user's log or the one --log names.

#include <string_view>
#include <vector>

namespace tarnvel::cli {

int runLog(const std::vector<std::string_view>& args);

}  // namespace tarnvel::cli
