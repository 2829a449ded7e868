#include "app/ui/WindowCommands.h"

#include "app/Station.h"
#include "app/ui/AppDialogs.h"
#include "app/ui/PositionedDialog.h"
#include "display/ui/CSpectrumView.h"
#include "display/ui/DisplayDialogs.h"

namespace tarnvel::app {

WindowCommands::WindowCommands(const Context& context, QObject* parent)
    : QObject(parent), c_(context) {}

bool WindowCommands::run(CommandId id) {
    switch (id) {
        case CommandId::Exit:
            Q_EMIT exitRequested();
            return true;
        case CommandId::HighlightColours:
            editHighlights();
            return true;
        case CommandId::ChannelTimeout:
            askChannelTimeout();
            return true;
        case CommandId::WaterfallPalette:
            editPalette();
            return true;
        case CommandId::SpectrumMarkers:
            editMarkers();
            return true;
        case CommandId::BandPages:
            editBandPages();
            return true;
        case CommandId::SoundDevice:
            chooseSoundDevice();
            return true;
        case CommandId::TransmitRateCorrection:
        case CommandId::ReceiveRateCorrection:
            askRateCorrection(id);
            return true;
        case CommandId::SoundHistoryLength:
            askHistoryLength();
            return true;
        case CommandId::SquelchThreshold:
            toggleSquelchWindow();
            return true;
        case CommandId::HelpContents:
            c_.host->showMessage("The help pages are not installed.", "Tarnvel",
                                           MessageKind::Info);
            return true;
        default:
            return false;
    }
}

// ---- squelch window -------------------------------------------------------------------------

std::function<int()> WindowCommands::squelchQuality() const {
    Station* station = c_.station;
    return [station] { return station->receiveChain().squelchQuality(); };
}

void WindowCommands::toggleSquelchWindow() {
    if (c_.station->mode() == modem::Mode::Pactor) return;
    if (squelch_) {
        closeSquelchWindow();
        return;
    }
    squelch_ = new CSquelchWindow(*c_.store, c_.station->settings().sound.sqThreshold,
                                  squelchQuality(), c_.window);
    squelch_->show();
}

void WindowCommands::closeSquelchWindow() {
    if (!squelch_) return;
    squelch_->close();
    delete squelch_.data();
}

void WindowCommands::refreshSquelchWindow() {
    if (squelch_) squelch_->reload();
}

void WindowCommands::followMode(modem::Mode mode) {
    if (!squelch_) return;
    if (mode == modem::Mode::Pactor) {
        closeSquelchWindow();
        return;
    }
    squelch_->setQualitySource(squelchQuality());
    squelch_->reload();
}

// ---- options dialogs ------------------------------------------------------------------------

void WindowCommands::chooseSoundDevice() {
    audio::SoundCard& card = *c_.card;
    QStringList inputs, outputs;
    for (const auto& d : card.inputDevices()) inputs << QString::fromStdString(d.name);
    for (const auto& d : card.outputDevices()) outputs << QString::fromStdString(d.name);
    StationHost& host = *c_.host;
    if (inputs.isEmpty()) {
        host.showMessage("No input devices found!", "", MessageKind::Warning);
        return;
    }
    if (outputs.isEmpty()) {
        host.showMessage("No output devices found!", "", MessageKind::Warning);
        return;
    }
    Settings& s = c_.station->settings();
    SoundDeviceChoice choice;
    choice.nominalRate = s.misc.soundSampleRate;
    choice.deviceType = s.misc.soundDevType;
    choice.inputDevice = s.soundDevice.mixerDevice;
    choice.outputDevice = s.soundDevice.mixerDeviceOut;
    choice.virtualPort = s.misc.virtualComPort;
    choice.usbVolumeIn = s.misc.volumeIn;
    choice.usbVolumeOut = s.misc.volumeOut;
    CSoundDeviceDialog dialog(choice, inputs, outputs, c_.window);
    if (dialog.exec() != QDialog::Accepted) return;
    choice = dialog.choice();
    c_.station->soundOff();
    c_.station->applySampleRate(choice.nominalRate);
    s.misc.soundDevType = choice.deviceType;
    s.soundDevice.mixerDevice = choice.inputDevice;
    s.soundDevice.mixerDeviceOut = choice.outputDevice;
    s.misc.virtualComPort = choice.virtualPort;
    s.misc.volumeIn = choice.usbVolumeIn;
    s.misc.volumeOut = choice.usbVolumeOut;
    audio::SoundCardConfig config = card.config();
    config.inputDeviceId = choice.inputDevice;
    config.outputDeviceId = choice.outputDevice;
    card.setConfig(config);
    c_.station->goReceive();
}

void WindowCommands::askRateCorrection(CommandId id) {
    Settings& s = c_.station->settings();
    const bool transmit = id == CommandId::TransmitRateCorrection;
    PersistentInt& setting = transmit ? s.misc.rateCorrTx : s.misc.rateCorrRx;
    const auto v = CNumberPrompt::ask(
        c_.window, transmit ? QStringLiteral("TX") : QStringLiteral("RX"),
        transmit ? QStringLiteral("TX Sample rate correction, ppm")
                 : QStringLiteral("RX Sample rate correction, ppm"),
        setting);
    if (!v) return;
    setting = *v;
    c_.station->applySampleRate(s.misc.soundSampleRate);
}

void WindowCommands::askHistoryLength() {
    const auto v = CNumberPrompt::ask(
        c_.window, QStringLiteral("Historia dźwięku"),
        QStringLiteral("Sound History, seconds\n(Use Shift key when tuning)"),
        c_.station->settings().misc.soundHistory);
    if (v) c_.station->setSoundHistoryLength(*v);
}

void WindowCommands::askChannelTimeout() {
    PersistentInt& setting = c_.station->settings().misc.multichannelTimeout;
    const QString text = QStringLiteral("Multichannel inactivity timeout, sec");
    const auto v = CNumberPrompt::ask(c_.window, text, text, setting);
    if (v) setting = *v;
}

// ---- display dialogs ------------------------------------------------------------------------

void WindowCommands::editPalette() {
    display::CPaletteDialog dialog(c_.displayData->anchors, c_.window);
    connect(&dialog, &display::CPaletteDialog::applied, this,
            [this](const display::PaletteAnchors& anchors) {
                c_.displayData->anchors = anchors;
                Q_EMIT displayDataChanged();
            });
    dialog.exec();
}

void WindowCommands::editMarkers() {
    display::CMarkersDialog dialog(c_.displayData->markers, c_.window);
    if (dialog.exec() != QDialog::Accepted) return;
    c_.displayData->markers = dialog.markers();
    Q_EMIT displayDataChanged();
}

void WindowCommands::editBandPages() {
    display::CBandPagesDialog dialog(c_.displayData->bandPages, c_.window);
    if (dialog.exec() != QDialog::Accepted) return;
    display::BandPages& pages = c_.displayData->bandPages;
    pages = dialog.pages();
    Settings& s = c_.station->settings();
    s.view.freqMode = pages.select(pages.currentIndex());
    s.pages.bandIndex = pages.currentIndex();
    Q_EMIT displayDataChanged();
}

void WindowCommands::editHighlights() {
    display::CHighlightDialog dialog(c_.displayData->highlights, c_.window);
    if (dialog.exec() != QDialog::Accepted) return;
    c_.displayData->highlights.assign(dialog.words());
    Q_EMIT displayDataChanged();
}

}  // namespace tarnvel::app
