#pragma once
// The text windows' font and colours: the font command (the "Font" keys "FaceName", "Height",
// "Weight", "Italic", "Underline", "StrikeOut"), the eight colour commands, and applying what
// is stored to the receive and transmit windows (at start and after every change). The
// multichannel window takes its colours from the settings as it paints.

#include <QFont>
#include <QObject>
#include <optional>

#include "app/CommandTable.h"

namespace tarnvel::app {

class Station;
class SettingsStore;
class PersistentInt;
class CRxView;
class CKbdBufferView;

class FrameAppearance : public QObject {
    Q_OBJECT
  public:
    FrameAppearance(Station& station, SettingsStore& store, QWidget* window, CRxView* receive,
                    CKbdBufferView* transmit);

    // Runs the font or a colour command; false for any other command.
    bool run(CommandId id);
    // The stored font and colours onto the windows.
    void apply();

    // The stored font: nothing while none was chosen (the windows keep the desktop's).
    std::optional<QFont> storedFont() const;
    void storeFont(const QFont& font);

  Q_SIGNALS:
    void changed();

  private:
    PersistentInt* colourSetting(CommandId id) const;
    void chooseFont();
    void chooseColour(CommandId id);

    Station& station_;
    SettingsStore& store_;
    QWidget* window_;
    CRxView* receive_;
    CKbdBufferView* transmit_;
};

// 0x00BBGGRR as stored and Qt's colour.
QColor colourFromStored(int32_t bbggrr);
int32_t storedColour(const QColor& colour);

}  // namespace tarnvel::app
