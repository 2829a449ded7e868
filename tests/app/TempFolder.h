#pragma once

#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <string>

#include "support/WavBytes.h"

namespace tarnvel::app::testing {

// A private folder under the system's temporary folder, removed with its content.
class TempFolder {
  public:
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

  private:
    tarnvel::testing::ScratchFolder folder_;
    std::string path_ = folder_.path().string();
};

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

// The inode changes whenever the store replaces the file.
inline ino_t inodeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

}  // namespace tarnvel::app::testing
