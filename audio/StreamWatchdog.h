#pragma once
// Watches the open PortAudio streams from a thread of its own: a stream whose callback has not
// run for a long time is stalled (a frozen sound server keeps it "active" but silent). Such a
// stream is marked stalled and reports its failure, so the station does not wait forever.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "audio/PortAudioStream.h"

namespace tarnvel::audio {

class StreamWatchdog {
  public:
    StreamWatchdog();
    ~StreamWatchdog();
    StreamWatchdog(const StreamWatchdog&) = delete;
    StreamWatchdog& operator=(const StreamWatchdog&) = delete;

    // Starts watching a running stream (its direction's previous one is forgotten).
    void watch(PortAudioStream& stream);
    // Stops watching a direction; afterwards the watchdog never touches its stream again.
    void forget(SoundDirection direction);

  private:
    static constexpr std::chrono::milliseconds kWatchInterval{250};

    void run();
    void check(PortAudioStream& stream, std::chrono::steady_clock::time_point now);
    PortAudioStream*& slot(SoundDirection direction);

    std::mutex mutex_;
    std::condition_variable wake_;
    PortAudioStream* input_ = nullptr;
    PortAudioStream* output_ = nullptr;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace tarnvel::audio
