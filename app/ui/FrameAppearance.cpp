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

FrameAppearance::FrameAppearance(Station& station, SettingsStore& store, QWidget* window,
                                 CRxView* receive, CKbdBufferView* transmit)
    : QObject(window), station_(station), store_(store), window_(window), receive_(receive),
      transmit_(transmit) {}

bool FrameAppearance::run(CommandId id) {
    if (id == CommandId::Font) {
        chooseFont();
        return true;
    }
    if (!colourSetting(id)) return false;
    chooseColour(id);
    return true;
}

PersistentInt* FrameAppearance::colourSetting(CommandId id) const {
    Settings::FontSettings& f = station_.settings().font;
    switch (id) {
        case CommandId::ReceiveTextColour:
            return &f.rxFontColorT;
        case CommandId::TransmitTextColour:
            return &f.txFontColor;
        case CommandId::ReceiveBackground:
            return &f.rxBgColor;
        case CommandId::TransmitBackground:
            return &f.txBgColor;
        case CommandId::MultichannelTextColour:
            return &f.mcFontColor;
        case CommandId::MultichannelCarrierBackground:
            return &f.mcBgColor;
        case CommandId::MultichannelNoCarrierBackground:
            return &f.mcBgColorNoCarrier;
        case CommandId::MultichannelInactiveBackground:
            return &f.mcBgColorInactive;
        default:
            return nullptr;
    }
}

void FrameAppearance::apply() {
    const Settings::FontSettings& f = station_.settings().font;
    receive_->setColours(colourFromStored(f.rxFontColorT), colourFromStored(f.txFontColor),
                         colourFromStored(f.rxBgColor));
    transmit_->setColours(colourFromStored(f.txFontColor), colourFromStored(f.txBgColor));
    if (const auto font = storedFont()) {
        receive_->setFont(*font);
        transmit_->setFont(*font);
    }
}

std::optional<QFont> FrameAppearance::storedFont() const {
    const std::string face = store_.getString(section::kFont, "FaceName", "");
    if (face.empty()) return std::nullopt;  // the default font
    QFont font(fromUtf8(face));
    const int height = store_.getInt(section::kFont, "Height", 0);
    if (height != 0) font.setPixelSize(std::abs(height));
    const int weight = store_.getInt(section::kFont, "Weight", kNormalWeight);
    font.setWeight(static_cast<QFont::Weight>(std::clamp(weight == 0 ? kNormalWeight : weight,
                                                         100, 900)));
    font.setItalic(store_.getInt(section::kFont, "Italic", 0) != 0);
    font.setUnderline(store_.getInt(section::kFont, "Underline", 0) != 0);
    font.setStrikeOut(store_.getInt(section::kFont, "StrikeOut", 0) != 0);
    return font;
}

void FrameAppearance::storeFont(const QFont& font) {
    store_.beginBatch();
    store_.writeString(section::kFont, "FaceName", font.family().toStdString());
    store_.writeInt(section::kFont, "Height", -pixelSizeOf(font));
    store_.writeInt(section::kFont, "Weight", font.weight());
    store_.writeInt(section::kFont, "Italic", font.italic() ? 1 : 0);
    store_.writeInt(section::kFont, "Underline", font.underline() ? 1 : 0);
    store_.writeInt(section::kFont, "StrikeOut", font.strikeOut() ? 1 : 0);
    store_.endBatch();
}

void FrameAppearance::chooseFont() {
    QFontDialog dialog(storedFont().value_or(receive_->font()), window_);
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    dialog.setWindowTitle(commandQTitle(CommandId::Font));
    display::fitTitle(&dialog);
    if (dialog.exec() != QDialog::Accepted) return;
    storeFont(dialog.selectedFont());
    apply();
    Q_EMIT changed();
}

void FrameAppearance::chooseColour(CommandId id) {
    PersistentInt& setting = *colourSetting(id);
    QColorDialog dialog(colourFromStored(setting), window_);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    dialog.setWindowTitle(commandQTitle(id));
    display::fitTitle(&dialog);
    if (dialog.exec() != QDialog::Accepted) return;
    setting = storedColour(dialog.selectedColor());
    apply();
    Q_EMIT changed();
}

}  // namespace tarnvel::app
