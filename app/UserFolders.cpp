#include "app/UserFolders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace tarnvel::app {

namespace {

// Folders made for the user's own files are readable by the user alone, as the
// base-directory convention of the desktop asks.
constexpr mode_t kPrivateFolderMode = 0700;

std::string systemError(int code) {
    return std::strerror(code);
}

// An XDG base folder variable counts only when it holds an absolute path.
std::string baseFolder(const char* variable, const char* fallbackUnderHome) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') return value;
    return homeFolder() + "/" + fallbackUnderHome;
}

bool isFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') return home;
    if (const passwd* entry = ::getpwuid(::getuid());
        entry != nullptr && entry->pw_dir != nullptr) {
        return entry->pw_dir;
    }
    return "/";
}

std::string defaultSettingsPath() {
    return baseFolder("XDG_CONFIG_HOME", ".config") + "/" + kProgramFolderName + "/" +
           kSettingsFileName;
}

std::string defaultDataFolder() {
    return baseFolder("XDG_DATA_HOME", ".local/share") + "/" + kProgramFolderName;
}

FolderResult createFolders(const std::string& folder) {
    FolderResult result;
    result.path = folder;
    if (folder.empty()) {
        result.error = "No folder name given";
        return result;
    }
    // Each prefix ending before a '/' (and the whole path) is made in turn.
    std::vector<std::string> prefixes;
    for (std::size_t slash = folder.find('/', 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1)) {
        prefixes.push_back(folder.substr(0, slash));
    }
    prefixes.push_back(folder);
    for (const std::string& prefix : prefixes) {
        if (prefix.empty() || prefix.back() == '/' || isFolder(prefix)) continue;
        if (::mkdir(prefix.c_str(), kPrivateFolderMode) != 0 && errno != EEXIST) {
            result.error = "Cannot create the folder " + prefix + ": " + systemError(errno);
            return result;
        }
        if (!isFolder(prefix)) {
            result.error =
                "Cannot create the folder " + prefix + ": a file of that name is in the way";
            return result;
        }
    }
    result.ok = true;
    return result;
}

FolderResult enterDataFolder(const std::string& folder) {
    FolderResult result = createFolders(folder);
    if (!result.ok) return result;
    if (::chdir(folder.c_str()) != 0) {
        result.ok = false;
        result.error = "Cannot enter the data folder " + folder + ": " + systemError(errno);
    }
    return result;
}

FolderResult enterDataFolder() {
    return enterDataFolder(defaultDataFolder());
}

}  // namespace tarnvel::app
