#pragma once
// Where the station's link socket lives: "$XDG_RUNTIME_DIR/tarnvel/link", in a folder only
// its user can enter.

#include <string>

namespace tarnvel::link {

struct LinkPathResult {
    std::string path;   // the socket's path; empty on failure
    std::string error;  // why there is none
};

// The socket path for this user (the folder is not made).
LinkPathResult defaultLinkPath();

// Makes the socket's folder (mode 0700) when missing; refuses one that another user owns
// (one of ours that others could enter is closed to them). Empty when it is fit, else the reason.
std::string prepareLinkFolder(const std::string& socketPath);

}  // namespace tarnvel::link
