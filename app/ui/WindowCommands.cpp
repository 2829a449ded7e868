#include "app/ui/WindowCommands.h"

#include "app/Station.h"
#include "app/ui/AppDialogs.h"
#include "app/ui/CHelpWindow.h"
#include "app/ui/FrameMixer.h"
#include "app/ui/FrameRadio.h"
#include "app/ui/PositionedDialog.h"
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
        case CommandId::PortNumber:  // the radio
            editRadioPort(*c_.station, c_.window);
            return true;
        case CommandId::OutputLevel:  // the mixer and the UDP logger
        case CommandId::InputLevel:
        case CommandId::LoggerSettings:
            return runMixerCommand(*c_.station, *c_.host, c_.window, id);
        case CommandId::HelpContents:
            if (!CHelpWindow::showManual(c_.window))
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
    Station* station = c_.station;
    const CSquelchWindow::Threshold threshold{
        [station] { return station->status().squelchThreshold; },
        [station](int v) { station->setSquelchThreshold(v); }};
    squelch_ = new CSquelchWindow(*c_.store, threshold, squelchQuality(), c_.window);
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
    CSoundDeviceDialog dialog(c_.station->soundDeviceChoice(), inputs, outputs, c_.window);
    if (dialog.exec() == QDialog::Accepted) c_.station->applySoundDevice(dialog.choice());
}

void WindowCommands::askRateCorrection(CommandId id) {
    const Settings& s = c_.station->settings();
    const bool transmit = id == CommandId::TransmitRateCorrection;
    const auto v = CNumberPrompt::ask(
        c_.window, transmit ? QStringLiteral("TX") : QStringLiteral("RX"),
        transmit ? QStringLiteral("TX Sample rate correction, ppm")
                 : QStringLiteral("RX Sample rate correction, ppm"),
        transmit ? s.misc.rateCorrTx : s.misc.rateCorrRx);
    if (!v) return;
    c_.station->setRateCorrection(transmit ? s.misc.rateCorrRx.value() : *v,
                                  transmit ? *v : s.misc.rateCorrTx.value());
}

void WindowCommands::askHistoryLength() {
    const auto v = CNumberPrompt::ask(
        c_.window, QStringLiteral("Historia dźwięku"),
        QStringLiteral("Sound History, seconds\n(Use Shift key when tuning)"),
        c_.station->status().soundHistorySeconds);
    if (v) c_.station->setSoundHistoryLength(*v);
}

void WindowCommands::askChannelTimeout() {
    const QString text = QStringLiteral("Multichannel inactivity timeout, sec");
    const auto v = CNumberPrompt::ask(c_.window, text, text,
                                      c_.station->settings().misc.multichannelTimeout);
    if (v) c_.station->setMultichannelTimeout(*v);
}

// ---- display dialogs ------------------------------------------------------------------------

void WindowCommands::editPalette() {
    display::CPaletteDialog dialog(c_.station->displayData().paletteAnchors(), c_.window);
    connect(&dialog, &display::CPaletteDialog::applied, this,
            [this](const display::PaletteAnchors& anchors) {
                c_.station->setPaletteAnchors(anchors);
                Q_EMIT displayDataChanged();
            });
    dialog.exec();
}

void WindowCommands::editMarkers() {
    display::CMarkersDialog dialog(c_.station->displayData().markers(), c_.window);
    if (dialog.exec() != QDialog::Accepted) return;
    c_.station->setMarkers(dialog.markers());
    Q_EMIT displayDataChanged();
}

void WindowCommands::editBandPages() {
    display::CBandPagesDialog dialog(c_.station->bandPages(), c_.window);
    if (dialog.exec() != QDialog::Accepted) return;
    c_.station->setBandPages(dialog.pages());
    Q_EMIT displayDataChanged();
}

void WindowCommands::editHighlights() {
    display::CHighlightDialog dialog(c_.station->displayData().highlights(),
                                     c_.station->characterSet(), c_.window);
    if (dialog.exec() != QDialog::Accepted) return;
    c_.station->setHighlights(dialog.words());
    Q_EMIT displayDataChanged();
}

}  // namespace tarnvel::app
