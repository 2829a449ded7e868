#include "audio/PortAudioLibrary.h"

#include <alsa/asoundlib.h>
#include <dlfcn.h>
#include <portaudio.h>

#include <string>

#include "audio/PortAudioSpinGuard.h"
#include "audio/PortAudioStreams.h"

namespace tarnvel::audio {

namespace {

// ALSA reports every probe of a missing device on stderr (about forty lines without a sound
// server); the station reports failures itself.
void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// PortAudio also probes a JACK server, whose client library prints a few lines per attempt.
// The library is reached by name at run time, so nothing here depends on it being present.
void ignoreJackMessage(const char*) {}

void silenceJack() {
    using SetHandler = void (*)(void (*)(const char*));
    for (const char* name : {"jack_set_error_function", "jack_set_info_function"}) {
        if (void* symbol = ::dlsym(RTLD_DEFAULT, name)) {
            reinterpret_cast<SetHandler>(symbol)(&ignoreJackMessage);
        }
    }
}

void silenceLibraries() {
    static const bool silenced = [] {
        snd_lib_error_set_handler(ignoreAlsaError);
        silenceJack();
        installPortAudioSpinGuard();
        return true;
    }();
    (void)silenced;
}

}  // namespace

PortAudioLibrary::PortAudioLibrary() {
    silenceLibraries();
}

PortAudioLibrary::~PortAudioLibrary() {
    // A stream still closing in the background needs the library until it is done.
    if (up_ && !backgroundClosesPending()) Pa_Terminate();
}

SoundResult PortAudioLibrary::ensure(bool streamsOpen) {
    if (up_ && stale_ && !streamsOpen) restart();
    if (!up_) {
        const PaError error = Pa_Initialize();
        if (error != paNoError) {
            return SoundResult::failure(SoundError::LibraryFailed,
                                        std::string("starting PortAudio: ") +
                                            Pa_GetErrorText(error) + " (" + std::to_string(error) +
                                            ")");
        }
        up_ = true;
        stale_ = false;
    }
    return SoundResult::success();
}

void PortAudioLibrary::restart() {
    // Never under a stream that is still being closed.
    if (backgroundClosesPending()) return;
    if (up_) Pa_Terminate();
    up_ = false;
    stale_ = false;
}

}  // namespace tarnvel::audio
