#pragma once
// The text windows' font and colours: the font command (the "Font" keys "FaceName", "Height",
// "Weight", "Italic", "Underline", "StrikeOut"), the eight colour commands, and applying what
// is stored to the receive and transmit windows (at start and after every change). The
// multichannel window takes its colours from the settings as it paints.

#include <QFont>
#include <QObject>
#include <optional>

#include "app/CommandTable.h"
#include "app/TextAppearance.h"

namespace tarnvel::app {

class Station;
class CRxView;
class CKbdBufferView;

class FrameAppearance : public QObject {
    Q_OBJECT
  public:
    FrameAppearance(Station& station, QWidget* window, CRxView* receive,
                    CKbdBufferView* transmit);

    // Runs the font or a colour command; false for any other command.
    bool run(CommandId id);
    // The stored font and colours onto the windows.
    void apply();

    // The station's font: nothing while none was chosen (the windows keep the desktop's).
    std::optional<QFont> storedFont() const;

  Q_SIGNALS:
    void changed();

  private:
    void chooseFont();
    void chooseColour(ColourRole role, CommandId id);

    Station& station_;
    QWidget* window_;
    CRxView* receive_;
    CKbdBufferView* transmit_;
};

// The colour a command sets, if it is a colour command.
std::optional<ColourRole> colourRole(CommandId id);
// The font description as stored and Qt's font, both ways.
std::optional<QFont> toQFont(const FontDescription& font);
FontDescription fromQFont(const QFont& font);
// 0x00BBGGRR as stored and Qt's colour.
QColor colourFromStored(int32_t bbggrr);
int32_t storedColour(const QColor& colour);

}  // namespace tarnvel::app
