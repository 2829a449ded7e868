#include "link/LinkPath.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace tarnvel::link {

LinkPathResult defaultLinkPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || *runtime == '\0')
        return {"", "XDG_RUNTIME_DIR is not set: the data link is off"};
    return {std::string(runtime) + "/tarnvel/link", ""};
}

std::string prepareLinkFolder(const std::string& socketPath) {
    const size_t slash = socketPath.rfind('/');
    if (slash == std::string::npos || slash == 0) return "";
    const std::string folder = socketPath.substr(0, slash);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return "Cannot create " + folder + ": " + std::strerror(errno);
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0)
        return "Cannot open " + folder + ": " + std::strerror(errno);
    if (!S_ISDIR(st.st_mode)) return folder + " is not a folder";
    if (st.st_uid != ::geteuid()) return folder + " belongs to another user";
    // Our own folder left open by something else: close it rather than refuse.
    if ((st.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0)
        return folder + " can be entered by other users";
    return "";
}

}  // namespace tarnvel::link
