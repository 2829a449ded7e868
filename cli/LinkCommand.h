#pragma once
// tarnvel-cli link: reads, writes and watches the items a running station publishes on its
// data link.

#include <string_view>
#include <vector>

namespace tarnvel::cli {

int runLink(const std::vector<std::string_view>& args);

}  // namespace tarnvel::cli
