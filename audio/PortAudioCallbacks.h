#pragma once
// The functions PortAudio calls on its audio thread. Their user pointer is the stream's
// PortAudioStream; they only move samples between the device and the stream's rings and post
// events, without locks or allocation.

#include <portaudio.h>

namespace tarnvel::audio {

// Keeps the first channel of what the device recorded.
int inputCallback(const void* input, void* output, unsigned long frames,
                  const PaStreamCallbackTimeInfo* time, PaStreamCallbackFlags flags, void* user);

// Plays the queued mono samples on every channel; silence when nothing waits.
int outputCallback(const void* input, void* output, unsigned long frames,
                   const PaStreamCallbackTimeInfo* time, PaStreamCallbackFlags flags, void* user);

// A stream ended: unless a stop was asked for, the server or the device went away.
void streamFinished(void* user);

}  // namespace tarnvel::audio
