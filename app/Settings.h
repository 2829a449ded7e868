#pragma once

// Every setting the station keeps between runs: its section, key, type and default.
// The main frame's settings are members of Settings, grouped by section; they load
// when Settings is made and are written back (only those that changed, in one file
// write) when it goes away or when saveAll() is called. Groups that other parts read
// and write themselves through the store (macro texts, band pages, palette, markers,
// fonts, bar layout) have their names and defaults here as constants.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/PersistentSetting.h"
#include "modem/Mode.h"
#include "modem/PskReceiverKind.h"
#include "radio/PortSettings.h"

namespace tarnvel::app {

namespace section {
inline constexpr const char* kCallbook = "Callbook";
inline constexpr const char* kMisc = "Misc";
inline constexpr const char* kPort = "Port";
inline constexpr const char* kPages = "Pages";
inline constexpr const char* kFont = "Font";
inline constexpr const char* kSound = "Sound";
inline constexpr const char* kSoundDevice = "Sound device";
inline constexpr const char* kWindow = "Window";
inline constexpr const char* kView = "View";
inline constexpr const char* kStation = "Station";
inline constexpr const char* kText = "Text";
inline constexpr const char* kMarkers = "Markers";
inline constexpr const char* kPalette = "Palette";
inline constexpr const char* kLogger = "Logger";
// Bar layouts: the first with the separate tuning-indicator bar ("OldPhaseScope" on).
inline constexpr const char* kToolBarsWithTuningBar = "ToolBars4";
inline constexpr const char* kToolBars = "ToolBars5";
}  // namespace section

// Values that depend on the desktop at first start.
struct SettingsDefaults {
    // The desktop's window background (0x00BBGGRR), default of every background colour.
    std::int32_t windowColour = 0x00FFFFFF;
};

inline constexpr std::int32_t kDefaultMixerDevice = -1;  // the desktop's default device
inline constexpr std::int32_t kHighlightCount = 3;
inline constexpr std::int32_t kDefaultHighlightColour = 0xc8ffff;

// The callbooks offered at first start; "%s" stands for the call sign.
inline constexpr const char* kDefaultCallbookName0 = "QRZ.com";
inline constexpr const char* kDefaultCallbookUrl0 = "https://www.qrz.com/db/%s";
inline constexpr const char* kDefaultCallbookName1 = "HamQTH";
inline constexpr const char* kDefaultCallbookUrl1 = "https://www.hamqth.com/%s";

// The CW identification of a station that has not written its own.
std::string defaultCwId(std::string_view call);
// The identification to send and to store: a text that names no call (empty, or the default
// made while the call was still empty) becomes the default for `call`, so that a station never
// identifies without its call sign. Anything the operator wrote stays as it is.
std::string stationCwId(std::string_view cwId, std::string_view call);

class Settings {
  public:
    explicit Settings(SettingsStore& store, const SettingsDefaults& defaults = {});
    ~Settings();  // saves what changed

    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    // Writes every changed setting in one file write; false (with the store's
    // lastError()) when it failed.
    bool saveAll();

    SettingsStore& store() { return store_; }
    // Every setting, in the order they were loaded.
    const SettingsRegistry& registry() const { return registry_; }

  private:
    SettingsStore& store_;
    SettingsRegistry registry_;
    SettingsBinding bind_{store_, registry_};
    std::int32_t windowColour_;

    // The call sign as "Call" loads it, for the default of "CWID".
    std::string storedCall() const;
    // "CWID" is never stored without the call: empty (made from the call when used) while
    // there is no call yet.
    std::string storedCwIdDefault() const;

  public:
    struct CallbookSettings {
        PersistentInt callbookType;  // 0 or 1: which callbook the look-up uses
        PersistentString name0, url0, name1, url1;
    } callbook{
        {bind_, section::kCallbook, "CallbookType", 0},
        {bind_, section::kCallbook, "Name0", kDefaultCallbookName0},
        {bind_, section::kCallbook, "Url0", kDefaultCallbookUrl0},
        {bind_, section::kCallbook, "Name1", kDefaultCallbookName1},
        {bind_, section::kCallbook, "Url1", kDefaultCallbookUrl1},
    };

    struct MiscSettings {
        PersistentInt idleEach;                   // idle work on every n-th idle call
        PersistentInt multichannelWindow;         // multichannel window shown
        PersistentInt multichannelSearchLevelDb;  // signal search level, dB
        PersistentInt multichannelScroll;
        PersistentInt fftWindow;          // spectrum window function
        PersistentInt logPrecision;       // decimals of the QSO frequency in MHz
        PersistentInt multichannelWidth;  // width of the receive column
        PersistentInt utc;
        PersistentInt mode;
        PersistentInt invQpsk;
        PersistentInt simpleTxEdit1;  // 1 sent text editable, 0 underlined and protected
        PersistentInt flashingTx;
        PersistentInt showSoundFq;
        PersistentInt rxLogOpen;
        PersistentString rxLogFile;
        PersistentInt arrowsForSeek;
        PersistentInt alwaysShowImd1;
        PersistentInt narrowSpectrum;
        PersistentInt showBookMarks;
        PersistentInt soundHistory;  // seconds
        PersistentInt scanSoundHistory;
        PersistentInt soundDevType;  // 0 sound card, 1 USB device
        PersistentInt soundSampleRate;
        PersistentInt rateCorrRx;  // ppm
        PersistentInt rateCorrTx;  // ppm
        PersistentInt virtualComPort;
        PersistentInt volumeIn;
        PersistentInt volumeOut;
        PersistentInt multichannelTimeout;  // idle limit of a channel
        PersistentInt phaseScope;
        PersistentInt oldPhaseScope;  // phase scope as a separate bar
        PersistentInt phaseScopeSize;
        PersistentInt clearOnEsc;
        // Highlight texts of the receive window and their colours.
        PersistentString clrTxt1, clrTxt2, clrTxt3;
        PersistentInt clrClr1, clrClr2, clrClr3;
        // The character set on the air, by name (modem::characterSetNamed): how the station's
        // codes are shown and typed. Read it through Station::characterSet().
        PersistentString characterSet;
    } misc{
        {bind_, section::kMisc, "IdleEach", 16},
        {bind_, section::kMisc, "MultichannelWindow", 1},
        {bind_, section::kMisc, "MultichannelSearchLevelDb", 16},
        {bind_, section::kMisc, "MultichannelScroll", 0},
        {bind_, section::kMisc, "FFTWindow", 2},
        {bind_, section::kMisc, "LogPrecision", 1},
        {bind_, section::kMisc, "MultichannelWidth", 0},
        {bind_, section::kMisc, "UTC", 1},
        {bind_, section::kMisc, "Mode", modem::storedMode(modem::Mode::Bpsk31)},
        {bind_, section::kMisc, "InvQPSK", 0},
        {bind_, section::kMisc, "SimpleTxEdit1", 1},
        {bind_, section::kMisc, "FlashingTX", 1},
        {bind_, section::kMisc, "ShowSoundFq", 0},
        {bind_, section::kMisc, "RxLogOpen", 0},
        {bind_, section::kMisc, "RxLogFile", "RxLog.txt"},
        {bind_, section::kMisc, "ArrowsForSeek", 1},
        {bind_, section::kMisc, "AlwaysShowIMD1", 0},
        {bind_, section::kMisc, "NarrowSpectrum", 0},
        {bind_, section::kMisc, "ShowBookMarks", 0},
        {bind_, section::kMisc, "SoundHistory", 20},
        {bind_, section::kMisc, "ScanSoundHistory", 0},
        {bind_, section::kMisc, "SoundDevType", 0},
        {bind_, section::kMisc, "SoundSampleRate", 11025},
        {bind_, section::kMisc, "RateCorrRx", 0},
        {bind_, section::kMisc, "RateCorrTx", 0},
        {bind_, section::kMisc, "VirtualComPort", 12},
        {bind_, section::kMisc, "VolumeIn", 255},
        {bind_, section::kMisc, "VolumeOut", 255},
        {bind_, section::kMisc, "MultichannelTimeout", 15},
        {bind_, section::kMisc, "PhaseScope", 1},
        {bind_, section::kMisc, "OldPhaseScope", 0},
        {bind_, section::kMisc, "PhaseScopeSize", 60},
        {bind_, section::kMisc, "ClearOnEsc", 0},
        {bind_, section::kMisc, "CLRtxt1", " CQ "},
        {bind_, section::kMisc, "CLRtxt2", ""},
        {bind_, section::kMisc, "CLRtxt3", ""},
        {bind_, section::kMisc, "CLRclr1", kDefaultHighlightColour},
        {bind_, section::kMisc, "CLRclr2", kDefaultHighlightColour},
        {bind_, section::kMisc, "CLRclr3", kDefaultHighlightColour},
        {bind_, section::kMisc, "CharacterSet", "UTF-8"},
    };

    struct PortSettings {
        PersistentInt fourband;  // band-switching interface mode 0, 1 or 2
        PersistentInt number;    // serial port number, 0 = none
        PersistentInt rtsAsPtt, dtrAsPtt;
        PersistentInt useIcomCiv;
        PersistentInt serialSpeed;
        PersistentInt icomAddr;
        // The radio's device and rig control through Hamlib (defaults: radio::StoredPortSettings).
        PersistentString device;  // the chosen device's path, or "External"
        PersistentInt rigModel;
        PersistentString rigDevice;  // the rig's serial device, or host:port
        PersistentInt rigSpeed, rigPtt;
    } port{
        {bind_, section::kPort, "Fourband", 0},   {bind_, section::kPort, "Number", 0},
        {bind_, section::kPort, "RtsAsPtt", 1},   {bind_, section::kPort, "DtrAsPtt", 1},
        {bind_, section::kPort, "UseIcomCIV", 0}, {bind_, section::kPort, "SerialSpeed", 1200},
        {bind_, section::kPort, "IcomAddr", 4},
        {bind_, section::kPort, radio::port_key::kDevice, ""},
        {bind_, section::kPort, radio::port_key::kRigModel, radio::StoredPortSettings{}.rigModel},
        {bind_, section::kPort, radio::port_key::kRigDevice, radio::StoredPortSettings{}.rigDevice},
        {bind_, section::kPort, radio::port_key::kRigSpeed, radio::StoredPortSettings{}.rigSpeed},
        {bind_, section::kPort, radio::port_key::kRigPtt, radio::StoredPortSettings{}.rigPtt},
    };

    // Saved QSOs also sent to a logger's UDP listener (WSJT-X's "Logged ADIF" message).
    struct LoggerSettings {
        PersistentInt udpEnabled;
        PersistentString udpHost;  // an IP address or "localhost"
        PersistentInt udpPort;
    } logger{
        {bind_, section::kLogger, "UdpEnabled", 0},
        {bind_, section::kLogger, "UdpHost", "127.0.0.1"},
        {bind_, section::kLogger, "UdpPort", 2237},
    };

    // The USB sound device: the path of its serial device ("VirtualComPort" is kept too).
    struct UsbDeviceSettings {
        PersistentString device;
    } usbDevice{
        {bind_, section::kMisc, "UsbDevice", ""},
    };

    // Mixer: the transmit level, an attenuation in dB of the transmitted samples (0: full scale).
    struct TransmitLevelSettings {
        PersistentFloat txAttenuation;
    } transmitLevel{
        {bind_, section::kSoundDevice, "TxAttenuation", 0.0f},
    };

    struct PagesSettings {
        PersistentInt bandIndex;  // current band page 0 to 10 (20 m by default)
    } pages{
        {bind_, section::kPages, "BandIndex", 4},
    };

    struct FontSettings {
        PersistentInt rxFontColorT, mcFontColor, txFontColor;
        PersistentInt rxBgColor, mcBgColor, mcBgColorInactive, mcBgColorNoCarrier, txBgColor;
        // The text windows' font: the fields of one font description.
        PersistentString faceName;
        PersistentInt height, weight, italic, underline, strikeOut;
    } font{
        {bind_, section::kFont, "RxFontColorT", 0x40},
        {bind_, section::kFont, "McFontColor", 0x400000},
        {bind_, section::kFont, "TxFontColor", 0x4000},
        {bind_, section::kFont, "RxBgColor", windowColour_},
        {bind_, section::kFont, "McBgColor", windowColour_},
        {bind_, section::kFont, "McBgColorInactive", windowColour_},
        {bind_, section::kFont, "McBgColorNoCarrier", windowColour_},
        {bind_, section::kFont, "TxBgColor", windowColour_},
        {bind_, section::kFont, "FaceName", ""},
        {bind_, section::kFont, "Height", 0},
        {bind_, section::kFont, "Weight", 400},
        {bind_, section::kFont, "Italic", 0},
        {bind_, section::kFont, "Underline", 0},
        {bind_, section::kFont, "StrikeOut", 0},
    };

    struct SoundSettings {
        PersistentInt squelch;
        PersistentInt snap;
        PersistentInt afc;
        PersistentInt sqThreshold;
        PersistentFloat lastFq;  // transmit audio frequency, Hz
        PersistentFloat offset;  // rig frequency offset
    } sound{
        {bind_, section::kSound, "Squelch", 1},      {bind_, section::kSound, "Snap", 1},
        {bind_, section::kSound, "AFC", 1},          {bind_, section::kSound, "SqThreshold", 20},
        {bind_, section::kSound, "LastFq", 1000.0f}, {bind_, section::kSound, "Offset", 0.0f},
    };

    struct SoundDeviceSettings {
        PersistentInt sourceVolume, masterOutVolume, waveVolume, masterInVolume;
        PersistentInt source;  // recording source
        PersistentInt selectSource;
        PersistentInt volumeCtrl;      // mixer control enabled
        PersistentInt mixerDevice;     // input device number, -1 = default
        PersistentInt mixerDeviceOut;  // output device number, defaults to the input's
        // The devices' names: they are found by name wherever the list has them now. Empty
        // (settings of older versions): the numbers alone count.
        PersistentString mixerDeviceName, mixerDeviceOutName;
    } soundDevice{
        {bind_, section::kSoundDevice, "SourceVolume", 127},
        {bind_, section::kSoundDevice, "MasterOutVolume", 127},
        {bind_, section::kSoundDevice, "WaveVolume", 127},
        {bind_, section::kSoundDevice, "MasterInVolume", 127},
        {bind_, section::kSoundDevice, "Source", 1},
        {bind_, section::kSoundDevice, "SelectSource", 1},
        {bind_, section::kSoundDevice, "VolumeCtrl", 0},
        {bind_, section::kSoundDevice, "MixerDevice", kDefaultMixerDevice},
        {bind_, section::kSoundDevice, "MixerDeviceOut",
         store_.getInt(section::kSoundDevice, "MixerDevice", kDefaultMixerDevice)},
        {bind_, section::kSoundDevice, "MixerDeviceName", ""},
        {bind_, section::kSoundDevice, "MixerDeviceOutName", ""},
    };

    struct WindowSettings {
        PersistentInt showSplash;
        PersistentInt posX, posY, width, height;
        PersistentInt rxPaneHeight, txPaneHeight, spectrumHeight;
        PersistentInt isMinimized, isMaximized;
    } window{
        {bind_, section::kWindow, "ShowSplash", 0},
        {bind_, section::kWindow, "PosX", 1},
        {bind_, section::kWindow, "PosY", 3},
        {bind_, section::kWindow, "Width", 638},
        {bind_, section::kWindow, "Height", 448},
        {bind_, section::kWindow, "RxPaneHeight", 121},
        {bind_, section::kWindow, "TxPaneHeight", 40},
        {bind_, section::kWindow, "SpectrumHeight", 60},
        {bind_, section::kWindow, "IsMinimized", 0},
        {bind_, section::kWindow, "IsMaximized", 0},
    };

    struct ViewSettings {
        PersistentInt freqMode;  // 0 audio, 1 start plus audio, 2 start minus audio
        PersistentInt waterfallZoom;  // 0 one pixel per spectrum bin, 1 fit to the width
    } view{
        {bind_, section::kView, "FreqMode", 0},
        {bind_, section::kView, "WaterfallZoom", 1},
    };

    struct StationSettings {
        PersistentString call, qth, name;
        PersistentString cwId;  // CW identification text
        PersistentInt useCwId;
        PersistentInt fastCwId;
    } station{
        {bind_, section::kStation, "Call", ""},
        {bind_, section::kStation, "QTH", ""},
        {bind_, section::kStation, "Name", ""},
        {bind_, section::kStation, "CWID", storedCwIdDefault()},
        {bind_, section::kStation, "UseCWID", 0},
        {bind_, section::kStation, "FastCwId", 1},
    };

    // Weak-signal receiver: which receiver decodes BPSK and QPSK ("specified" or "sensitive").
    struct ReceiverSettings {
        PersistentString pskReceiver;
    } receiver{{bind_, section::kSound, "PskReceiver",
                std::string(modem::pskReceiverName(modem::kDefaultPskReceiver))}};
};

// Keys of the groups that their owners read and write through the store.

// "Text": the macros' keys are macros::macroLabelKey and macros::macroTextKey.

// "Pages": band pages 0 … 10.
inline constexpr int kBandPageCount = 11;
inline constexpr std::array<const char*, kBandPageCount> kDefaultBandPageNames{
    "160m", "80m", "40m", "30m", "20m", "17m", "15m", "12m", "10m", "6m", "2m"};
inline constexpr std::array<const char*, kBandPageCount> kDefaultBandPageFrequenciesKhz{
    "1838.0",  "3580.0",  "7070.0",  "10139.0", "14070.0", "18109.0",
    "21070.0", "24919.0", "28120.0", "50000.0", "144000.0"};
inline constexpr std::int32_t kDefaultBandPageSpectrumOption = 0;
std::string bandPageNameKey(int page);
std::string bandPageFrequencyKey(int page);
std::string bandPageSpectrumOptionKey(int page);
std::string formatBandPageFrequency(double khz);  // "%0.6f", always with a decimal point

// "Markers": one frequency per marker.
std::string formatMarkerFrequency(double hz);  // "%0.2f", always with a decimal point

// "Palette".
std::string paletteEntryKey(int index);  // "PAL%d"
inline constexpr std::array<const char*, 9> kPaletteColourKeys{"bk_red",  "bk_green",  "bk_blue",
                                                               "t_red",   "t_green",   "t_blue",
                                                               "air_red", "air_green", "air_blue"};

// "Font": the fields of one font description; an empty "FaceName" is the default font.
inline constexpr std::array<const char*, 14> kFontKeys{
    "FaceName",     "Height",        "Width",     "Escapement",    "Orientation",
    "Weight",       "Italic",        "Underline", "StrikeOut",     "CharSet",
    "OutPrecision", "ClipPrecision", "Quality",   "PitchAndFamily"};

}  // namespace tarnvel::app
