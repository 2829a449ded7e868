#include "display/PaletteFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace tarnvel::display {

namespace {

PaletteFileResult failure(const char* text, const std::string& path, int read) {
    return {false, text + path, read};
}

std::string formatAnchors(const PaletteAnchors& anchors) {
    std::string text;
    for (Colour c : anchors) {
        char line[32];
        std::snprintf(line, sizeof line, "%3i;%3i;%3i\n", redOf(c), greenOf(c), blueOf(c));
        text += line;
    }
    return text;
}

bool writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// A palette kept behind a symbolic link stays there: the file the link names is replaced.
std::string followLink(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error)) return path;
    const std::filesystem::path target = std::filesystem::weakly_canonical(path, error);
    return error ? path : target.string();
}

void flushFolderOf(const std::string& path) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)::fsync(fd);
    ::close(fd);
}

// The new palette goes to "<file>.tmp", is flushed to the disk and renamed over the old one, so
// a crash or a full disk in the middle leaves the old palette whole (or the new one).
bool replaceFile(const std::string& path, const std::string& text) {
    const std::string target = followLink(path);
    const std::string temporary = target + ".tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        (void)::fchmod(fd, old.st_mode & 07777);
    const bool written = writeAll(fd, text) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    flushFolderOf(target);
    return true;
}

}  // namespace

PaletteFileResult loadPaletteFile(const std::string& path, PaletteAnchors& working) {
    std::ifstream in(path);
    if (!in) return failure("Cannot open ", path, 0);
    for (int k = 0; k < kPaletteAnchorCount; ++k) {
        std::string line;
        if (!std::getline(in, line)) return failure("Error reading ", path, k);
        int red = 0, green = 0, blue = 0;
        if (std::sscanf(line.c_str(), "%3i;%3i;%3i", &red, &green, &blue) != 3)
            return failure("Wrong format of ", path, k);
        working[static_cast<size_t>(k)] = rgb(red, green, blue);
    }
    return {true, {}, kPaletteAnchorCount};
}

PaletteFileResult savePaletteFile(const std::string& path, const PaletteAnchors& anchors) {
    // A short write (a full disk) must not pass for a saved palette.
    if (!replaceFile(path, formatAnchors(anchors))) return failure("Cannot create ", path, 0);
    return {true, {}, kPaletteAnchorCount};
}

}  // namespace tarnvel::display
