#pragma once
// The PortAudio library session: started on the first opening, restarted when the system's
// devices may have changed, ended with the card. PortAudio only sees devices (and a restarted
// sound server) at the start of a session, so a failure marks the session stale and the next
// opening with no stream open begins a new one.

#include "audio/SoundTypes.h"

namespace tarnvel::audio {

class PortAudioLibrary {
  public:
    // Also silences the messages ALSA and JACK print while PortAudio probes devices.
    PortAudioLibrary();
    ~PortAudioLibrary();
    PortAudioLibrary(const PortAudioLibrary&) = delete;
    PortAudioLibrary& operator=(const PortAudioLibrary&) = delete;

    // Starts a session unless one is up; a stale one is replaced when no stream is open.
    SoundResult ensure(bool streamsOpen);
    // Ends the session so that the next `ensure` sees the devices as they are now.
    void restart();
    // A stream failed: the next opening looks at the system's devices afresh.
    void markStale() { stale_ = true; }

  private:
    bool up_ = false;
    bool stale_ = false;
};

}  // namespace tarnvel::audio
