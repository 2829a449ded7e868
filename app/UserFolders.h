#pragma once

// Where the program keeps its files for the user who runs it: the settings file in
// the configuration folder, and the data folder (log, macros, palettes, recordings)
// that becomes the current folder at start, so that those files are named relative
// to it.

#include <string>

namespace tarnvel::app {

inline constexpr const char* kProgramFolderName = "tarnvel";
inline constexpr const char* kSettingsFileName = "Tarnvel.ini";

// "$XDG_CONFIG_HOME/tarnvel/Tarnvel.ini", or "~/.config/tarnvel/Tarnvel.ini" when
// that variable is unset, empty or not an absolute path.
std::string defaultSettingsPath();

// "$XDG_DATA_HOME/tarnvel", or "~/.local/share/tarnvel", by the same rule.
std::string defaultDataFolder();

// The user's home folder: $HOME, else the password database entry.
std::string homeFolder();

struct FolderResult {
    bool ok = false;
    std::string path;   // the folder concerned
    std::string error;  // empty when ok; else what went wrong, naming the folder
};

// Creates folder and its missing parents (new folders are private to the user).
FolderResult createFolders(const std::string& folder);

// Creates the data folder when it is missing and makes it the current folder.
FolderResult enterDataFolder(const std::string& folder);
FolderResult enterDataFolder();  // the default data folder

}  // namespace tarnvel::app
