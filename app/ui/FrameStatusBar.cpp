#include "app/ui/FrameStatusBar.h"

#include <QStatusBar>
#include <ctime>

#include "modem/ImdMeter.h"

namespace tarnvel::app {

namespace {

const QColor kGrey(0x80, 0x80, 0x80);

std::string formatTime(const char* format, bool utc) {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    if (utc)
        gmtime_r(&now, &parts);
    else
        localtime_r(&now, &parts);
    char text[64];
    const size_t n = std::strftime(text, sizeof text, format, &parts);
    return std::string(text, n);
}

}  // namespace

FrameStatusBar::FrameStatusBar(QStatusBar* bar) : QObject(bar) {
    static const std::array<const char*, kPaneCount> samples{
        "TX",       "RX",        modem::ImdMeter::kPaneWidthText, "Sq *", "AFC", "Snap", "QPSKi",
        "88/88/88", "88:88:88 z"};
    for (int i = 0; i < kPaneCount; ++i) {
        auto* pane = new StatusPane(QString::fromLatin1(samples[static_cast<size_t>(i)]), bar);
        panes_[static_cast<size_t>(i)] = pane;
        bar->addPermanentWidget(pane);
        connect(pane, &StatusPane::rightClicked, this, &FrameStatusBar::menuRequested);
        if (const auto id = paneCommand(i))
            connect(pane, &StatusPane::clicked, this, [this, id] { Q_EMIT command(*id); });
    }
}

std::optional<CommandId> FrameStatusBar::paneCommand(int index) {
    switch (index) {
        case kPaneTx:
            return CommandId::Transmit;
        case kPaneRx:
            return CommandId::Receive;
        case kPaneImd:
            return CommandId::ToggleImdShown;
        case kPaneSq:
            return CommandId::Squelch;
        case kPaneAfc:
            return CommandId::Afc;
        case kPaneSnap:
            return CommandId::Snap;
        case kPaneMode:
            return CommandId::StepMode;
        default:
            return std::nullopt;
    }
}

void FrameStatusBar::update(const StationStatus& s) {
    updateFrequencyPanes(s);
    StatusPane* imd = pane(kPaneImd);
    imd->setText(QString::fromStdString(s.imdText));
    imd->setPressed(!s.imdRaised);
    updateOptionPanes(s);
    pane(kPaneMode)->setText(QString::fromLatin1(s.modeText.data(),
                                                 static_cast<qsizetype>(s.modeText.size())));
    pane(kPaneMode)->setPressed(true);
    pane(kPaneDate)->setText(QString::fromStdString(formatTime("%x ", s.utc)));
    pane(kPaneTime)->setText(QString::fromStdString(formatTime(s.utc ? "%H:%M:%S z " : "%X ", s.utc)));
    pane(kPaneDate)->setPressed(true);
    pane(kPaneTime)->setPressed(true);
}

void FrameStatusBar::updateFrequencyPanes(const StationStatus& s) {
    const bool transmitting = s.state == OperatingState::Transmitting;
    const bool receiving = s.state == OperatingState::Receiving;
    const bool locked = s.transmitLocked;

    StatusPane* tx = pane(kPaneTx);
    const bool txFrequency = locked && s.showSoundFq;
    tx->setText(txFrequency ? QStringLiteral("TX: %1 Hz").arg(s.transmitHz, 0, 'f', 1)
                            : QStringLiteral("TX"));
    tx->setSample(txFrequency ? QStringLiteral("TX: 8888.8 Hz") : QStringLiteral("TX"));
    tx->setPressed(transmitting);
    tx->setTextColour(transmitting ? QColor(Qt::black) : kGrey);
    // The flashing TX pane blinks with the station's ticks.
    tx->setTextShown(!(transmitting && s.flashingTx) || (s.tickCount % 2) == 1);
    tx->setIndicator(
        locked ? StatusPane::Indicator::Padlock : StatusPane::Indicator::Arrow,
        transmitting ? (locked ? QColor(0, 0x80, 0) : QColor(0x7F, 0, 0)) : QColor(Qt::gray));

    StatusPane* rx = pane(kPaneRx);
    rx->setText(s.showSoundFq ? QStringLiteral("RX: %1 Hz").arg(s.receiveHz, 0, 'f', 1)
                              : QStringLiteral("RX"));
    rx->setSample(s.showSoundFq ? QStringLiteral("RX: 8888.8 Hz") : QStringLiteral("RX"));
    rx->setPressed(receiving);
    rx->setTextColour(receiving ? QColor(Qt::black) : kGrey);
}

void FrameStatusBar::updateOptionPanes(const StationStatus& s) {
    const auto option = [this](int index, const char* text, bool on) {
        pane(index)->setText(QString::fromLatin1(text));
        pane(index)->setTextColour(on ? QColor(Qt::black) : kGrey);
        pane(index)->setPressed(true);
    };
    option(kPaneSq, "Sq", s.squelch);
    // The squelch pane's lamp: green while the squelch lets text through.
    pane(kPaneSq)->setIndicator(StatusPane::Indicator::Arrow, s.squelch && s.squelchOpen
                                                                  ? QColor(0, 0xA0, 0)
                                                                  : QColor(Qt::gray));
    option(kPaneAfc, "AFC", s.afc);
    option(kPaneSnap, "Snap", s.snap);
}

}  // namespace tarnvel::app
