#include "app/ui/FrameAppearance.h"

#include <QColorDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <cmath>

#include "app/Station.h"
#include "app/ui/CKbdBufferView.h"
#include "app/ui/CRxView.h"
#include "app/ui/CommandBinder.h"
#include "display/ui/DialogButtons.h"

namespace tarnvel::app {

namespace {

constexpr int kNormalWeight = 400;

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The height is stored as the desktop's fonts describe it: negative, the character's height
// in pixels; positive, the cell's height, taken here as the same size.
int pixelSizeOf(const QFont& font) {
    if (font.pixelSize() > 0) return font.pixelSize();
    return QFontInfo(font).pixelSize();
}

}  // namespace

QColor colourFromStored(int32_t bbggrr) {
    return QColor(bbggrr & 0xFF, (bbggrr >> 8) & 0xFF, (bbggrr >> 16) & 0xFF);
}

int32_t storedColour(const QColor& colour) {
    return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

std::optional<ColourRole> colourRole(CommandId id) {
    switch (id) {
        case CommandId::ReceiveTextColour:
            return ColourRole::ReceiveText;
        case CommandId::TransmitTextColour:
            return ColourRole::TransmitText;
        case CommandId::ReceiveBackground:
            return ColourRole::ReceiveBackground;
        case CommandId::TransmitBackground:
            return ColourRole::TransmitBackground;
        case CommandId::MultichannelTextColour:
            return ColourRole::MultichannelText;
        case CommandId::MultichannelCarrierBackground:
            return ColourRole::MultichannelCarrier;
        case CommandId::MultichannelNoCarrierBackground:
            return ColourRole::MultichannelNoCarrier;
        case CommandId::MultichannelInactiveBackground:
            return ColourRole::MultichannelInactive;
        default:
            return std::nullopt;
    }
}

std::optional<QFont> toQFont(const FontDescription& d) {
    if (d.faceName.empty()) return std::nullopt;  // the default font
    QFont font(fromUtf8(d.faceName));
    if (d.height != 0) font.setPixelSize(std::abs(d.height));
    const int weight = d.weight == 0 ? kNormalWeight : d.weight;
    font.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 100, 900)));
    font.setItalic(d.italic);
    font.setUnderline(d.underline);
    font.setStrikeOut(d.strikeOut);
    return font;
}

FontDescription fromQFont(const QFont& font) {
    FontDescription d;
    d.faceName = font.family().toStdString();
    d.height = -pixelSizeOf(font);
    d.weight = font.weight();
    d.italic = font.italic();
    d.underline = font.underline();
    d.strikeOut = font.strikeOut();
    return d;
}

FrameAppearance::FrameAppearance(Station& station, QWidget* window, CRxView* receive,
                                 CKbdBufferView* transmit)
    : QObject(window), station_(station), window_(window), receive_(receive),
      transmit_(transmit) {}

bool FrameAppearance::run(CommandId id) {
    if (id == CommandId::Font) {
        chooseFont();
        return true;
    }
    const auto role = colourRole(id);
    if (!role) return false;
    chooseColour(*role, id);
    return true;
}

void FrameAppearance::apply() {
    const auto colour = [this](ColourRole role) { return colourFromStored(station_.colour(role)); };
    receive_->setColours(colour(ColourRole::ReceiveText), colour(ColourRole::TransmitText),
                         colour(ColourRole::ReceiveBackground));
    transmit_->setColours(colour(ColourRole::TransmitText), colour(ColourRole::TransmitBackground));
    if (const auto font = storedFont()) {
        receive_->setFont(*font);
        transmit_->setFont(*font);
    }
}

std::optional<QFont> FrameAppearance::storedFont() const {
    return toQFont(station_.font());
}

void FrameAppearance::chooseFont() {
    QFontDialog dialog(storedFont().value_or(receive_->font()), window_);
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    dialog.setWindowTitle(commandQTitle(CommandId::Font));
    display::fitTitle(&dialog);
    if (dialog.exec() != QDialog::Accepted) return;
    station_.setFont(fromQFont(dialog.selectedFont()));
    apply();
    Q_EMIT changed();
}

void FrameAppearance::chooseColour(ColourRole role, CommandId id) {
    QColorDialog dialog(colourFromStored(station_.colour(role)), window_);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    dialog.setWindowTitle(commandQTitle(id));
    display::fitTitle(&dialog);
    if (dialog.exec() != QDialog::Accepted) return;
    station_.setColour(role, storedColour(dialog.selectedColor()));
    apply();
    Q_EMIT changed();
}

}  // namespace tarnvel::app
