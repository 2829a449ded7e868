#pragma once
// Opening, starting and closing PortAudio streams.
//
// Closing blocks while the sound server does not answer (a frozen server keeps the stream
// "active" and every stop waits for it), so it runs on a thread of its own: the station waits
// for it a short while, which is plenty for a healthy stream, and then goes on while the thread
// finishes whenever the server moves or dies. The library session must outlive such threads.

#include <memory>
#include <utility>
#include <string>

#include "audio/PortAudioStream.h"
#include "audio/SoundTypes.h"

namespace tarnvel::audio {

// Opens a stream on the configured device in the first format it accepts; sets the stream's
// handle, channel count and device rate.
SoundResult openStream(PortAudioStream& s, PaStreamCallback* callback,
                       const SoundCardConfig& config);

// Starts an open stream; on failure the stream is closed again. A start that does not return
// (the library's starting thread can die holding the lock its caller waits for, when the
// sound server dies at that moment) is given up after a while: the stream is then marked
// `startHung` and must be handed to `abandonStream`.
SoundResult startStream(PortAudioStream& s, const std::string& side);

// Keeps a stream whose start hung for the rest of the program (the library may still reach
// it) and keeps the library session from ending under it.
void abandonStream(std::unique_ptr<PortAudioStream> s);

// Starts a stream; one whose start hung is abandoned, leaving `s` empty.
template <typename Stream>
SoundResult startOrAbandon(std::unique_ptr<Stream>& s, const std::string& side) {
    SoundResult result = startStream(*s, side);
    if (s->startHung) abandonStream(std::move(s));
    return result;
}

// Stops (draining output when asked) and closes a stream, then frees its state.
void closeStream(std::unique_ptr<PortAudioStream> s, bool drain);

// True while a stream is still being closed on its closing thread.
bool backgroundClosesPending();

}  // namespace tarnvel::audio
