#pragma once
// What every fuzz target shares: a check that stops the run with a message (libFuzzer then
// keeps the input as a crash), and a scratch file for parsers that read from a path.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

namespace tarnvel::fuzz {

[[noreturn]] inline void fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, what);
    std::abort();
}

#define FUZZ_CHECK(condition) \
    ((condition) ? static_cast<void>(0) : ::tarnvel::fuzz::fail(#condition, __FILE__, __LINE__))

inline std::string_view asText(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// A folder of this process's own under the temporary folder, made on first use and removed
// when the process ends normally.
class ScratchFolder {
  public:
    ScratchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tarnvel-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) fail("cannot make a scratch folder", __FILE__, __LINE__);
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string operator/(std::string_view name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

inline ScratchFolder& scratch() {
    static ScratchFolder folder;
    return folder;
}

// Writes the bytes to path (replacing it); stops the run when that fails, since the target
// would then test nothing.
inline void writeFile(const std::string& path, std::string_view bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) fail("cannot create a scratch file", __FILE__, __LINE__);
    const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !written) fail("cannot write a scratch file", __FILE__, __LINE__);
}

inline std::string readFile(const std::string& path) {
    std::string text;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return text;
    char block[4096];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, f)) > 0) text.append(block, got);
    std::fclose(f);
    return text;
}

}  // namespace tarnvel::fuzz
