#pragma once
// The station as macro expansion sees it: the texts the tags insert, the state the
// switching tags look at, the actions they trigger and the few dialogs they need. The
// station implements it; tests use a recording fake.
//
// Texts are in the station's 8-bit character codes. Every call comes on the station's
// thread, and the prompts and the file chooser are modal.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "macros/MacroAction.h"
#include "modem/CharacterSet.h"

namespace tarnvel::macros {

// The station's fields ("Station" settings) and the log bar's fields of the current QSO.
enum class MacroField {
    MyCall,
    MyName,
    MyQth,
    Call,
    Name,
    Qth,
    Notes,
    RstSent,
    RstReceived,
    CwIdText,  // "CWID"
};

// The operating state, as the switching tags need it.
enum class MacroStationState { Stopped, Receiving, Transmitting };

class MacroContext {
  public:
    virtual ~MacroContext() = default;

    virtual std::string text(MacroField field) const = 0;
    // The answer of the "RST to send" prompt goes into the log bar (which is redrawn).
    virtual void setRstSent(std::string_view rst) = 0;

    virtual MacroStationState state() const = 0;
    virtual bool useCwId() const = 0;  // "UseCWID"
    virtual bool useUtc() const = 0;   // "UTC"
    virtual std::chrono::system_clock::time_point now() const = 0;
    // The IMD pane's text while an IMD value is on display.
    virtual std::optional<std::string> imdReadout() const = 0;
    // "Url0" or "Url1", whichever "CallbookType" selects.
    virtual std::string callbookUrlTemplate() const = 0;
    // The character set on the air: which bytes of substituted values are control characters,
    // and what files are converted to.
    virtual modem::CharacterSet characterSet() const = 0;

    virtual void run(MacroAction action) = 0;
    // Makes the band page of this exact name the current band (frequency display and
    // published data refreshed); a name that matches no page does nothing.
    virtual void selectBand(std::string_view name) = 0;
    // Stores the command for the external program and publishes it.
    virtual void sendExternalCommand(std::string_view command) = 0;
    // Hands a URL to the desktop's URL opener (never to a shell).
    virtual void openUrl(std::string_view url) = 0;

    // A one-value input dialog; nothing when cancelled.
    virtual std::optional<std::string> prompt(std::string_view text, std::string_view initial) = 0;
    // The file dialog of "<FILE>" (see kSendFileDialog*); nothing when cancelled.
    virtual std::optional<std::string> chooseFileToSend() = 0;
    virtual void showWarning(std::string_view text, std::string_view caption) = 0;
};

// The file dialog of "<FILE>".
inline constexpr std::string_view kSendFileDialogTitle = "Send File";
inline constexpr std::string_view kSendFileDialogDefault = "*.txt";
inline constexpr std::string_view kSendFileDialogFilter =
    "Text files (*.txt)|*.txt|All files (*.*)|*.*||";

}  // namespace tarnvel::macros
