#include "audio/PortAudioSpinGuard.h"

#include <dlfcn.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace tarnvel::audio {

namespace {

using PrintFunction = int (*)(FILE*, const char*, va_list);

std::atomic<PrintFunction> nextPrint{nullptr};
std::atomic<int> spinsEnded{0};

// The same line from the same thread, counted until another line comes.
thread_local const char* lastLine = nullptr;
thread_local int repeats = 0;

PrintFunction resolveNextPrint() {
    PrintFunction next = nextPrint.load(std::memory_order_acquire);
    if (next == nullptr) {
        next = reinterpret_cast<PrintFunction>(::dlsym(RTLD_NEXT, "vfprintf"));
        nextPrint.store(next, std::memory_order_release);
    }
    return next;
}

// PortAudio's failure lines are their own format strings, "Expression '...' failed in
// 'src/....c', line: N".
bool isPortAudioFailureLine(const char* format) {
    return std::strncmp(format, "Expression '", 12) == 0 &&
           std::strstr(format, "' failed in '") != nullptr;
}

bool onMainThread() {
    return ::syscall(SYS_gettid) == ::getpid();
}

// True when this thread has printed this line too often in a row to be anything but the loop.
bool caughtInLoop(const char* format) {
    if (format != lastLine) {
        lastLine = format;
        repeats = 0;
    }
    return ++repeats > kPortAudioSpinRepeats;
}

}  // namespace

void installPortAudioSpinGuard() {
    resolveNextPrint();
}

int portAudioSpinsEnded() {
    return spinsEnded.load();
}

}  // namespace tarnvel::audio

// Stands in front of the C library's vfprintf for the whole program; everything but a thread
// caught in PortAudio's loop goes straight on to it.
extern "C" int vfprintf(FILE* __restrict stream, const char* __restrict format, va_list args) {
    using namespace tarnvel::audio;
    if (stream == stderr && isPortAudioFailureLine(format)) {
        if (caughtInLoop(format) && !onMainThread()) {
            spinsEnded.fetch_add(1);
            ::pthread_exit(nullptr);
        }
        if (repeats > 1) return 0;  // a repeat says nothing new
    } else {
        lastLine = nullptr;
    }
    const PrintFunction next = resolveNextPrint();
    return next != nullptr ? next(stream, format, args) : -1;
}
