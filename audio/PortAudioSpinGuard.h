#pragma once
// Ends a PortAudio ALSA thread caught in the library's own endless error loop.
//
// When the sound server dies before an input stream has delivered its first period, the
// ALSA host API of PortAudio 19.6 fails to poll, and its error path then tests a frame count
// it never set: the test fails, jumps back to the same error path and prints the same
// "Expression 'self->capture.ready || self->playback.ready' failed" line forever — a core
// spinning and gigabytes of standard error a minute. Nothing from outside can stop that
// thread (it has cancellation off), but every turn of the loop goes through the library's
// one imported print call. The guard sits in front of that call: the first few repeats of
// one PortAudio line from one thread pass through, and a thread repeating it beyond that
// ends there as if its loop had returned the error — its clean-up closes the ALSA handles and
// reports the finished stream, so the station sees the failure and reopens as for any other.

namespace tarnvel::audio {

// Makes sure the guard is linked in (the executable's print call stands in front of the C
// library's for every library). Call once before the first stream starts.
void installPortAudioSpinGuard();

// How often one thread printed the same PortAudio line in a row before the guard ended it.
constexpr int kPortAudioSpinRepeats = 8;

// How many threads the guard ended so far (for the logs and tests).
int portAudioSpinsEnded();

}  // namespace tarnvel::audio
