#pragma once
// The station's messages, captions, file names and dialog filters, as the operator sees them.

namespace tarnvel::app {

inline constexpr const char* kNoCallMessage = "Your callsign is not set!";
inline constexpr const char* kTuneMessage = "Tune your transmitter, then press OK.";
inline constexpr const char* kTuneCaption = "Tune TX";
inline constexpr const char* kErrorCaption = "Error";
inline constexpr const char* kCannotOpenMessage = "Cannot open ";
inline constexpr const char* kDefaultReceiveLog = "RxLog.txt";
inline constexpr const char* kTooBigMessage = "Too big value";
inline constexpr const char* kCannotWriteMessage = "Cannot write ";
// Sound card failures; the card's own reason follows after ": ".
inline constexpr const char* kCannotOpenOutputMessage = "Cannot open the sound card output";
inline constexpr const char* kCannotPlayMessage = "Cannot play on the sound card";
inline constexpr const char* kNotStoredMessage = "The transmission was not stored";
// Shown when a running stream stops on its own (server gone, device unplugged), followed by
// the stream's name.
inline constexpr const char* kSoundCardStoppedMessage = "Sound card stopped: ";
inline constexpr const char* kOutputStreamName = "output";
inline constexpr const char* kInputStreamName = "input";
inline constexpr const char* kDefaultHistoryFile = "History.wav";
inline constexpr const char* kReceiveLogDialogTitle = "Open RX Log File";
inline constexpr const char* kTextFileFilter = "Text files (*.txt)|*.txt|All files (*.*)|*.*";
inline constexpr const char* kWavFileFilter = "WAV files (*.wav)|*.wav|All files (*.*)|*.*";
// "®" and a line end: the transmitter returns to receive there.
inline constexpr const char* kEndOfTransmissionLine = "\xAE\r\n";

}  // namespace tarnvel::app
