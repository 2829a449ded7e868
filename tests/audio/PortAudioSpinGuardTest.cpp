// The guard in front of vfprintf ends a thread that repeats one of the sound library's
// failure lines without end, and leaves every other print alone.

#include "audio/PortAudioSpinGuard.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <string>
#include <thread>

namespace tarnvel::audio {
namespace {

constexpr const char* kLoopLine =
    "Expression 'self->capture.ready || self->playback.ready' failed in "
    "'src/hostapi/alsa/pa_linux_alsa.c', line: 3958\n";

int print(FILE* stream, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int written = std::vfprintf(stream, format, args);
    va_end(args);
    return written;
}

TEST(PortAudioSpinGuard, EndsAThreadRepeatingALibraryFailureLineForever) {
    installPortAudioSpinGuard();
    const int before = portAudioSpinsEnded();
    int turns = 0;
    // Without the guard this thread never ends and the join below hangs the test.
    std::thread spinning([&turns] {
        for (;;) {
            print(stderr, kLoopLine);
            ++turns;
        }
    });
    spinning.join();
    EXPECT_EQ(portAudioSpinsEnded(), before + 1);
    EXPECT_EQ(turns, kPortAudioSpinRepeats);
}

TEST(PortAudioSpinGuard, LeavesOtherLinesAndAlternatingFailuresAlone) {
    installPortAudioSpinGuard();
    const int before = portAudioSpinsEnded();
    std::thread alternating([] {
        // Failure lines that alternate are a failing call returning, not the loop.
        for (int i = 0; i < 4 * kPortAudioSpinRepeats; ++i) {
            print(stderr, kLoopLine);
            print(stderr, "Expression 'other' failed in 'src/os/unix/pa_unix_util.c', line: 1\n");
        }
    });
    alternating.join();
    EXPECT_EQ(portAudioSpinsEnded(), before);

    // Prints to other streams, and with arguments, come out whole.
    FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    for (int i = 0; i < 2 * kPortAudioSpinRepeats; ++i) print(file, "%s %d;", "line", i);
    std::rewind(file);
    char text[256] = {};
    const std::size_t got = std::fread(text, 1, sizeof text - 1, file);
    std::fclose(file);
    EXPECT_EQ(std::string(text, got).substr(0, 14), "line 0;line 1;");
    EXPECT_NE(std::string(text, got).find("line 15;"), std::string::npos);
}

}  // namespace
}  // namespace tarnvel::audio
