#pragma once

#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <string>

#include "logbook/LogFile.h"
#include "logbook/LogTime.h"
#include "logbook/QsoRecord.h"
#include "support/WavBytes.h"

namespace tarnvel::logbook::testing {

// A private folder with a log in it (the log itself is not created).
class LogFolder {
  public:
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    std::string logPath() const { return file("Tarnvel.log"); }
    LogFile log() const { return LogFile(logPath()); }
    const std::string& path() const { return path_; }

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

inline bool fileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

inline ino_t inodeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

inline UtcSeconds utc(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return toUtcSeconds({y, mo, d, h, mi, s});
}

// A QSO as the log bar saves it.
inline QsoRecord qso(const std::string& call, UtcSeconds start, Hertz hz = 14070000,
                     const std::string& mode = "BPSK") {
    QsoRecord r;
    r.call = call;
    r.start = r.end = start;
    r.frequency1 = r.frequency2 = hz;
    r.mode = mode;
    r.rstSent = "599";
    r.rstReceived = "579";
    return r;
}

// A log line written by hand: number;call;start;...;mode;...;name;qth;notes;..
inline std::string logLine(const std::string& call, const std::string& start,
                           const std::string& name = "", const std::string& qth = "",
                           const std::string& notes = "", const std::string& hz = "14070000",
                           const std::string& mode = "BPSK") {
    return "0;" + call + ";" + start + ";;;;0;" + hz + ";;" + mode + ";599;599;;;" + name + ";" +
           qth + ";" + notes + ";;;";
}

}  // namespace tarnvel::logbook::testing
