#pragma once
// Opening, starting and closing PortAudio streams.
//
// Closing blocks while the sound server does not answer (a frozen server keeps the stream
// "active" and every stop waits for it), so it runs on a thread of its own: the station waits
// for it a short while, which is plenty for a healthy stream, and then goes on while the thread
// finishes whenever the server moves or dies. The library session must outlive such threads.

#include <memory>
#include <string>

#include "audio/PortAudioStream.h"
#include "audio/SoundTypes.h"

namespace tarnvel::audio {

// Opens a stream on the configured device in the first format it accepts; sets the stream's
// handle, channel count and device rate.
SoundResult openStream(PortAudioStream& s, PaStreamCallback* callback,
                       const SoundCardConfig& config);

// Starts an open stream; on failure the stream is closed again.
SoundResult startStream(PortAudioStream& s, const std::string& side);

// Stops (draining output when asked) and closes a stream, then frees its state.
void closeStream(std::unique_ptr<PortAudioStream> s, bool drain);

// True while a stream is still being closed on its closing thread.
bool backgroundClosesPending();

}  // namespace tarnvel::audio
