#include "app/ui/CMainFrame.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QFileDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <algorithm>
#include <cmath>
#include <ctime>

#include "app/ui/AppDialogs.h"
#include "app/ui/CKbdBufferView.h"
#include "app/ui/CRxView.h"
#include "app/ui/CSquelchWindow.h"
#include "app/ui/PositionedDialog.h"
#include "display/DisplaySettings.h"
#include "display/FrequencyScale.h"
#include "display/ui/CRxListView.h"
#include "display/ui/CSpectrumView.h"
#include "display/ui/DisplayDialogs.h"
#include "display/ui/StationText.h"

namespace tarnvel::app {

namespace {

constexpr int kMinFrameWidth = 300;
constexpr int kMinFrameHeight = 200;
constexpr int kScreenMargin = 100;
constexpr int kColumnMargin = 15;
constexpr int kMinListWidth = 5;
constexpr int kMiddleRowSlack = 18;
constexpr int kRowSlack = 7;
constexpr const char* kBarStateKey = "State";
constexpr int kSplitterHandleWidth = 5;
// The waterfall's share of the window's height at a first start.
constexpr int kFirstStartSpectrumPercent = 40;

// Menu texts shared by the commands and the tests.
const QString kTx = QStringLiteral("&TX");
const QString kRx = QStringLiteral("&RX");

QColor toQColor(int32_t bbggrr) {
    const auto c = static_cast<display::Colour>(bbggrr);
    return QColor(display::redOf(c), display::greenOf(c), display::blueOf(c));
}

QString latin1(std::string_view s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

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

CMainFrame::CMainFrame(SettingsStore& store, audio::SoundCard& card, StationClock& clock,
                       StationOptions options, QWidget* parent)
    : QMainWindow(parent),
      store_(store),
      card_(card),
      clock_(clock),
      station_(std::make_unique<Station>(store, card, *this, clock, std::move(options))),
      settings_(station_->settings()) {
    setWindowTitle(QStringLiteral("Tarnvel"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/tarnvel.png")));
    setMinimumSize(kMinFrameWidth, kMinFrameHeight);
    loadDisplayData();
    buildViews();
    buildStatusBar();
    buildMenus();
    restorePlacement();
    station_->receiveChain().attachPhaseScope(this);
    qApp->installEventFilter(this);
    connect(&timer_, &QTimer::timeout, this, &CMainFrame::onTimer);
}

CMainFrame::~CMainFrame() {
    qApp->removeEventFilter(this);
    timer_.stop();
    soundNotifier_.reset();
    station_->receiveChain().attachPhaseScope(nullptr);
    if (squelch_) delete squelch_.data();
    saveDisplayData();
    station_->shutdown();
    // The views hold the station's text models and decoder: they go before the station.
    delete takeCentralWidget();
    spectrum_ = nullptr;
    rx_ = nullptr;
    tx_ = nullptr;
    list_ = nullptr;
    listArea_ = nullptr;
}

bool CMainFrame::start() {
    const bool open = station_->start();
    started_ = true;
    const int fd = card_.events().wakeFd();
    if (fd >= 0) {
        soundNotifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        connect(soundNotifier_.get(), &QSocketNotifier::activated, this, &CMainFrame::onSoundWake);
    } else {
        // Without a wake descriptor the events are polled.
        connect(&soundPoll_, &QTimer::timeout, this, &CMainFrame::onSoundWake);
        soundPoll_.start(20);
    }
    timer_.start(kTimerMs);
    layoutColumns();
    focusTransmitWindow();
    updateStatus();
    updateCommands();
    return open;
}

// ---- windows --------------------------------------------------------------------------------

void CMainFrame::buildViews() {
    outer_ = new QSplitter(Qt::Vertical, this);
    middle_ = new QSplitter(Qt::Vertical, outer_);
    inner_ = new QSplitter(Qt::Horizontal, middle_);
    rx_ = new CRxView(shownText_, inner_);
    rx_->setCharacterSet(station_->characterSet());
    // The 26 lines scroll when the window is lower than they are.
    auto* listArea = new QScrollArea(inner_);
    list_ = new display::CRxListView;
    list_->setMinimumHeight(display::kChannelSlots * list_->lineHeight() + 2);
    listArea->setWidget(list_);
    listArea->setWidgetResizable(true);
    listArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    listArea->setFrameShape(QFrame::NoFrame);
    listArea_ = listArea;
    tx_ = new CKbdBufferView(station_->transmitText(), middle_);
    spectrum_ = new display::CSpectrumView(outer_);
    for (QSplitter* s : {outer_, middle_, inner_}) {
        s->setChildrenCollapsible(false);
        s->setHandleWidth(kSplitterHandleWidth);
    }
    // The handles are drawn, so the operator sees where to drag.
    setStyleSheet(QStringLiteral("QSplitter::handle { background: palette(mid); }"));
    middle_->setStretchFactor(0, 1);
    middle_->setStretchFactor(1, 0);
    inner_->setCollapsible(1, true);
    setCentralWidget(outer_);

    spectrum_->setEngines(display::SpectrumViewEngines{&waterfall_, nullptr, nullptr, &phaseScope_,
                                                       &station_->spectrumHistory()});
    spectrum_->setDisplayPalette(display::buildDisplayPalette(anchors_));
    connect(spectrum_, &display::CSpectrumView::tuningAction, this, &CMainFrame::applyTuning);
    connect(spectrum_, &display::CSpectrumView::visibleBinsChanged, this,
            [this](int bins) { station_->multichannel().setViewWidth(bins); });
    spectrum_->setZoom(display::waterfallZoomFromSetting(
        store_.getInt(section::kView, display::kWaterfallZoomKey,
                      display::waterfallZoomSetting(display::kDefaultWaterfallZoom))));
    spectrum_->setNarrowSpectrum(settings_.misc.narrowSpectrum != 0);
    connect(spectrum_, &display::CSpectrumView::painting, this,
            [this] { refreshSpectrumInputs(); });
    connect(spectrum_, &display::CSpectrumView::textTyped, this, [this](const QString& text) {
        tx_->setFocus();
        tx_->typeText(text);
    });

    list_->setDecoder(&station_->multichannel(), &highlights_, [this] { return clock_.now(); });
    connect(list_, &display::CRxListView::goToChannel, this, [this](int slot) {
        const auto jump = station_->multichannel().goToChannel(slot);
        if (!jump) return;
        station_->setFrequency(jump->frequency, kSetBoth, false);
        station_->receiveText().clear();
        receiveWindowCleared();
        for (const char c : jump->text)
            station_->receiveText().appendReceivedChar(static_cast<uint8_t>(c));
        receivedTextShown(jump->text);
    });
    connect(list_, &display::CRxListView::clearChannel, this, [this](int slot) {
        station_->multichannel().clearChannel(slot);
        list_->update();
    });
    connect(list_, &display::CRxListView::clearAllChannels, this, [this] {
        station_->multichannel().clearAll();
        list_->update();
    });
    connect(list_, &display::CRxListView::toggleSquelchWindow, this,
            &CMainFrame::toggleSquelchWindow);
    connect(rx_, &CRxView::cleared, this, [this] { station_->receiveText().clear(); });
    connect(rx_, &CRxView::focusChanged, this, [this](bool focus) {
        // Text held back while the window had the focus is shown when it leaves.
        if (!focus) station_->flushReceivedText();
    });

    rx_->setColours(toQColor(settings_.font.rxFontColorT), toQColor(settings_.font.txFontColor),
                    toQColor(settings_.font.rxBgColor));
    tx_->setColours(toQColor(settings_.font.txFontColor), toQColor(settings_.font.txBgColor));

    const auto remember = [this] {
        if (isMinimized() || isMaximized()) return;
        settings_.window.spectrumHeight = spectrum_->height();
        settings_.window.txPaneHeight = tx_->height();
        settings_.window.rxPaneHeight = rx_->height();
    };
    connect(outer_, &QSplitter::splitterMoved, this, remember);
    connect(middle_, &QSplitter::splitterMoved, this, remember);
    connect(inner_, &QSplitter::splitterMoved, this, [this] {
        if (settings_.misc.multichannelWindow != 0) settings_.misc.multichannelWidth = rx_->width();
    });
}

void CMainFrame::buildStatusBar() {
    static const std::array<const char*, kPaneCount> samples{
        "TX",       "RX",        modem::ImdMeter::kPaneWidthText, "Sq *", "AFC", "Snap", "QPSKi",
        "88/88/88", "88:88:88 z"};
    for (int i = 0; i < kPaneCount; ++i) {
        auto* pane = new StatusPane(QString::fromLatin1(samples[static_cast<size_t>(i)]), this);
        panes_[static_cast<size_t>(i)] = pane;
        statusBar()->addPermanentWidget(pane);
        connect(pane, &StatusPane::rightClicked, this, &CMainFrame::paneMenu);
    }
    panes_[kPaneImd]->setSample(QString::fromLatin1(modem::ImdMeter::kPaneWidthText));
    connect(panes_[kPaneTx], &StatusPane::clicked, this, [this] {
        if (station_->state() == OperatingState::Receiving) station_->goTransmit();
        updateStatus();
    });
    connect(panes_[kPaneRx], &StatusPane::clicked, this, [this] {
        if (station_->state() != OperatingState::Receiving) station_->receiveCommand();
        updateStatus();
    });
    connect(panes_[kPaneImd], &StatusPane::clicked, this, [this] {
        station_->imdMeter().toggleShown();
        updateStatus();
    });
    const auto toggleOption = [this](PersistentInt& setting) {
        toggleSetting(setting);
        if (squelch_) {
            // The threshold window shows the new state.
            toggleSquelchWindow();
            toggleSquelchWindow();
        }
    };
    connect(panes_[kPaneSq], &StatusPane::clicked, this,
            [this, toggleOption] { toggleOption(settings_.sound.squelch); });
    connect(panes_[kPaneAfc], &StatusPane::clicked, this,
            [this, toggleOption] { toggleOption(settings_.sound.afc); });
    connect(panes_[kPaneSnap], &StatusPane::clicked, this,
            [this, toggleOption] { toggleOption(settings_.sound.snap); });
    connect(panes_[kPaneMode], &StatusPane::clicked, this, &CMainFrame::stepMode);
}

QAction* CMainFrame::action(const QString& text) const {
    for (QAction* a : actions_)
        if (a->text() == text) return a;
    return nullptr;
}

void CMainFrame::buildMenus() {
    const auto add = [this](QMenu* menu, const QString& text, auto&& handler,
                            bool checkable = false) {
        QAction* a = menu->addAction(text);
        a->setCheckable(checkable);
        connect(a, &QAction::triggered, this, [this, handler] {
            handler();
            updateStatus();
            updateCommands();
        });
        actions_.push_back(a);
        return a;
    };
    const auto toggle = [this, add](QMenu* menu, const QString& text, PersistentInt& setting) {
        return add(
            menu, text, [this, &setting] { toggleSetting(setting); }, true);
    };

    QMenu* file = menuBar()->addMenu(QStringLiteral("&Plik"));
    add(file, QStringLiteral("Otwórz log odbioru..."), [this] { openReceiveLog(); });
    add(file, QStringLiteral("Zamknij log odbioru"), [this] { station_->closeReceiveLog(); });
    add(file, QStringLiteral("Save last %1 s&econds...").arg(settings_.misc.soundHistory.value()),
        [this] { saveLastSeconds(); });
    file->addSeparator();
    add(file, QStringLiteral("Zakończ"), [this] { close(); });

    QMenu* mode = menuBar()->addMenu(QStringLiteral("&Tryb"));
    add(
        mode, kTx, [this] { station_->goTransmit(); }, true);
    add(
        mode, kRx, [this] { station_->receiveCommand(); }, true);
    add(
        mode, QStringLiteral("Zablokuj okno programu"), [this] { station_->soundOff(); }, true);
    add(mode, QStringLiteral("Strojenie.."), [this] { station_->tune(); });
    add(
        mode, QStringLiteral("Pomiar IMD"),
        [this] { station_->setImdMeasuring(!station_->imdMeter().measuring()); }, true);
    mode->addSeparator();
    for (const modem::ModeInfo& info : modem::commandModes()) {
        const Mode m = info.mode;
        add(
            mode, latin1(info.menuText), [this, m] { chooseMode(m); }, true);
    }
    add(
        mode, QStringLiteral("Odwróć"),
        [this] { station_->setInvertedQpsk(settings_.misc.invQpsk == 0); }, true);
    mode->addSeparator();
    add(mode, QStringLiteral("Zablokuj częstotliwość TX"),
        [this] { station_->setTransmitLocked(true); });
    add(mode, QStringLiteral("Odblokuj częstotliwość TX"),
        [this] { station_->setTransmitLocked(false); });
    add(mode, QStringLiteral("Wstaw '®'\tAlt-End"),
        [this] { station_->transmitText().appendText("\xAE\r\n"); });

    QMenu* windows = menuBar()->addMenu(QStringLiteral("&Okna"));
    add(windows, QStringLiteral("Zeruj okno &RX"), [this] {
        station_->receiveText().clear();
        receiveWindowCleared();
        focusTransmitWindow();
    });
    add(windows, QStringLiteral("Zeruj okno multikanałowe"), [this] {
        station_->multichannel().clearAll();
        list_->update();
    });
    add(windows, QStringLiteral("Zeruj okno &TX"), [this] {
        station_->transmitText().clear();
        focusTransmitWindow();
    });
    add(windows, QStringLiteral("Zeruj wszystko"), [this] {
        station_->receiveText().clear();
        receiveWindowCleared();
        station_->multichannel().clearAll();
        station_->transmitText().clear();
        list_->update();
    });
    windows->addSeparator();
    add(windows, QStringLiteral("Seek left from the cursor"), [this] { station_->seekLeft(); });
    add(windows, QStringLiteral("Seek right from the cursor"), [this] { station_->seekRight(); });
    windows->addSeparator();
    add(
        windows, QStringLiteral("Okno multikanałów"), [this] { toggleMultichannelWindow(); }, true);
    toggle(windows, QStringLiteral("&Zakładki"), settings_.misc.showBookMarks);
    add(windows, QStringLiteral("Kolor wybranego tekstu multikanału..."), [this] {
        display::CHighlightDialog dialog(highlights_, station_->characterSet(), this);
        if (dialog.exec() == QDialog::Accepted) highlights_.assign(dialog.words());
    });
    add(windows, QStringLiteral("Czas nieaktywności kanału..."), [this] {
        askNumber(QStringLiteral("Multichannel inactivity timeout, sec"),
                  QStringLiteral("Multichannel inactivity timeout, sec"),
                  settings_.misc.multichannelTimeout);
    });

    QMenu* view = menuBar()->addMenu(QStringLiteral("&Widok"));
    const std::array<std::pair<const char*, int>, 3> scales{
        {{"Start - częstotliwość dźwięku", display::kFreqModeLowerSideband},
         {"Display sound frequency", display::kFreqModeAudio},
         {"Start + częstotliwość dźwięku", display::kFreqModeUpperSideband}}};
    for (const auto& [text, value] : scales) {
        const int m = value;
        add(
            view, QString::fromUtf8(text),
            [this, m] {
                settings_.view.freqMode = m;
                spectrum_->update();
            },
            true);
    }
    view->addSeparator();
    add(view, QStringLiteral("Wodospad..."), [this] {
        display::CPaletteDialog dialog(anchors_, this);
        connect(&dialog, &display::CPaletteDialog::applied, this,
                [this](const display::PaletteAnchors& anchors) {
                    anchors_ = anchors;
                    spectrum_->setDisplayPalette(display::buildDisplayPalette(anchors_));
                    saveDisplayData();
                });
        dialog.exec();
    });
    add(view, QStringLiteral("Znaczniki na spektrum..."), [this] {
        display::CMarkersDialog dialog(markers_, this);
        if (dialog.exec() == QDialog::Accepted) {
            markers_ = dialog.markers();
            saveDisplayData();
        }
    });
    add(view, QStringLiteral("Opcje Spektrum pasm..."), [this] {
        display::CBandPagesDialog dialog(bandPages_, this);
        if (dialog.exec() != QDialog::Accepted) return;
        bandPages_ = dialog.pages();
        settings_.view.freqMode = bandPages_.select(bandPages_.currentIndex());
        settings_.pages.bandIndex = bandPages_.currentIndex();
        saveDisplayData();
        spectrum_->update();
    });
    view->addSeparator();
    toggle(view, QStringLiteral("Zakres &Fazy"), settings_.misc.phaseScope);
    toggle(view, QStringLiteral("nie ukrywaj pozom IMD"), settings_.misc.alwaysShowImd1);
    toggle(view, QStringLiteral("Pokaż częstotliwość"), settings_.misc.showSoundFq);
    toggle(view, QStringLiteral("Migotający 'T&X'"), settings_.misc.flashingTx);
    toggle(view, QStringLiteral("&UTC"), settings_.misc.utc);

    QMenu* options = menuBar()->addMenu(QStringLiteral("O&pcje"));
    add(options, QStringLiteral("Twoje Dane..."), [this] { openStationDialog(); });
    add(options, QStringLiteral("Karta dźwiękowa..."), [this] {
        QStringList inputs, outputs;
        for (const auto& d : card_.inputDevices()) inputs << QString::fromStdString(d.name);
        for (const auto& d : card_.outputDevices()) outputs << QString::fromStdString(d.name);
        if (inputs.isEmpty()) {
            showMessage("No input devices found!", "", MessageKind::Warning);
            return;
        }
        if (outputs.isEmpty()) {
            showMessage("No output devices found!", "", MessageKind::Warning);
            return;
        }
        SoundDeviceChoice c;
        c.nominalRate = settings_.misc.soundSampleRate;
        c.deviceType = settings_.misc.soundDevType;
        c.inputDevice = settings_.soundDevice.mixerDevice;
        c.outputDevice = settings_.soundDevice.mixerDeviceOut;
        c.virtualPort = settings_.misc.virtualComPort;
        c.usbVolumeIn = settings_.misc.volumeIn;
        c.usbVolumeOut = settings_.misc.volumeOut;
        CSoundDeviceDialog dialog(c, inputs, outputs, this);
        if (dialog.exec() != QDialog::Accepted) return;
        c = dialog.choice();
        station_->soundOff();
        station_->applySampleRate(c.nominalRate);
        settings_.misc.soundDevType = c.deviceType;
        settings_.soundDevice.mixerDevice = c.inputDevice;
        settings_.soundDevice.mixerDeviceOut = c.outputDevice;
        settings_.misc.virtualComPort = c.virtualPort;
        settings_.misc.volumeIn = c.usbVolumeIn;
        settings_.misc.volumeOut = c.usbVolumeOut;
        audio::SoundCardConfig config = card_.config();
        config.inputDeviceId = c.inputDevice;
        config.outputDeviceId = c.outputDevice;
        card_.setConfig(config);
        station_->goReceive();
    });
    add(options, QStringLiteral("TX..."), [this] {
        askNumber(QStringLiteral("TX"), QStringLiteral("TX Sample rate correction, ppm"),
                  settings_.misc.rateCorrTx,
                  [this] { station_->applySampleRate(settings_.misc.soundSampleRate); });
    });
    add(options, QStringLiteral("RX..."), [this] {
        askNumber(QStringLiteral("RX"), QStringLiteral("RX Sample rate correction, ppm"),
                  settings_.misc.rateCorrRx,
                  [this] { station_->applySampleRate(settings_.misc.soundSampleRate); });
    });
    add(options, QStringLiteral("Historia dźwięku..."), [this] {
        const auto v = CNumberPrompt::ask(
            this, QStringLiteral("Historia dźwięku"),
            QStringLiteral("Sound History, seconds\n(Use Shift key when tuning)"),
            settings_.misc.soundHistory);
        if (v) station_->setSoundHistoryLength(*v);
    });
    options->addSeparator();
    toggle(options, QStringLiteral("Szumy"), settings_.sound.squelch);
    add(options, QStringLiteral("Ustaw Próg Szumów..."), [this] { toggleSquelchWindow(); });
    toggle(options, QStringLiteral("&AFC"), settings_.sound.afc);
    toggle(options, QStringLiteral("Zapnij"), settings_.sound.snap);
    add(
        options, QStringLiteral("Podkreśl własny tekst"),
        [this] {
            settings_.misc.simpleTxEdit1 = settings_.misc.simpleTxEdit1 != 0 ? 0 : 1;
            station_->transmitText().setSimpleEdit(settings_.misc.simpleTxEdit1 != 0);
        },
        true);
    toggle(options, QStringLiteral("Przeszukiwanie strzałkami"), settings_.misc.arrowsForSeek);
    QMenu* callbook = options->addMenu(QStringLiteral("Wyszukaj stację w"));
    add(
        callbook, QStringLiteral("URL 0"), [this] { settings_.callbook.callbookType = 0; }, true);
    add(
        callbook, QStringLiteral("URL 1"), [this] { settings_.callbook.callbookType = 1; }, true);

    QMenu* help = menuBar()->addMenu(QStringLiteral("Pomo&c"));
    add(help, QStringLiteral("&Zawartość pomocy"),
        [this] { showMessage("The help pages are not installed.", "Tarnvel", MessageKind::Info); });

    for (QMenu* m : menuBar()->findChildren<QMenu*>())
        connect(m, &QMenu::aboutToShow, this, &CMainFrame::updateCommands);
}

// ---- display data kept by the frame ---------------------------------------------------------

void CMainFrame::loadDisplayData() {
    anchors_ = display::defaultPaletteAnchors();
    for (int k = 0; k < display::kPaletteAnchorCount; ++k) {
        const auto key = display::paletteAnchorKey(k);
        anchors_[static_cast<size_t>(k)] = static_cast<display::Colour>(store_.getInt(
            section::kPalette, key, static_cast<int32_t>(anchors_[static_cast<size_t>(k)])));
    }
    for (int i = 0; i < display::kSpectrumMarkerCount; ++i)
        markers_.setFrequency(i, display::SpectrumMarkers::parse(store_.getString(
                                     section::kMarkers, display::SpectrumMarkers::key(i), "0")));
    for (int i = 0; i < display::kBandPageCount; ++i) {
        display::BandPage& page = bandPages_.page(i);
        page.name = store_.getString(section::kPages, display::bandNameKey(i), page.name);
        page.frequency =
            store_.getString(section::kPages, display::bandFrequencyKey(i), page.frequency);
        page.spectrumOption =
            store_.getInt(section::kPages, display::bandOptionKey(i), page.spectrumOption);
    }
    bandPages_.select(settings_.pages.bandIndex);
    display::HighlightWords::Slots words;
    const std::array<const PersistentString*, 3> texts{
        &settings_.misc.clrTxt1, &settings_.misc.clrTxt2, &settings_.misc.clrTxt3};
    const std::array<const PersistentInt*, 3> colours{
        &settings_.misc.clrClr1, &settings_.misc.clrClr2, &settings_.misc.clrClr3};
    for (size_t k = 0; k < words.size(); ++k)
        words[k] = display::HighlightWord{texts[k]->value(),
                                          static_cast<display::Colour>(colours[k]->value())};
    highlights_.assign(words);
}

void CMainFrame::saveDisplayData() {
    store_.beginBatch();
    store_.writeInt(section::kView, display::kWaterfallZoomKey,
                    display::waterfallZoomSetting(spectrum_->zoom()));
    for (int k = 0; k < display::kPaletteAnchorCount; ++k)
        store_.writeInt(section::kPalette, display::paletteAnchorKey(k),
                        static_cast<int32_t>(anchors_[static_cast<size_t>(k)]));
    for (int i = 0; i < display::kSpectrumMarkerCount; ++i)
        store_.writeString(section::kMarkers, display::SpectrumMarkers::key(i),
                           display::SpectrumMarkers::format(markers_.frequency(i)));
    for (int i = 0; i < display::kBandPageCount; ++i) {
        const display::BandPage& page = bandPages_.page(i);
        store_.writeString(section::kPages, display::bandNameKey(i), page.name);
        store_.writeString(section::kPages, display::bandFrequencyKey(i),
                           display::BandPages::formatFrequency(
                               display::BandPages::parseFrequency(page.frequency)));
        store_.writeInt(section::kPages, display::bandOptionKey(i), page.spectrumOption);
    }
    store_.endBatch();
    const display::HighlightWords::Slots words = highlights_.slots();
    settings_.misc.clrTxt1 = words[0].text;
    settings_.misc.clrTxt2 = words[1].text;
    settings_.misc.clrTxt3 = words[2].text;
    settings_.misc.clrClr1 = static_cast<int32_t>(words[0].colour);
    settings_.misc.clrClr2 = static_cast<int32_t>(words[1].colour);
    settings_.misc.clrClr3 = static_cast<int32_t>(words[2].colour);
}

// ---- placement and layout -------------------------------------------------------------------

void CMainFrame::restorePlacement() {
    const QRect screen = QGuiApplication::primaryScreen()
                             ? QGuiApplication::primaryScreen()->geometry()
                             : QRect(0, 0, 1280, 800);
    const int x = std::min<int>(settings_.window.posX, screen.width() - kScreenMargin);
    const int y = std::min<int>(settings_.window.posY, screen.height() - kScreenMargin);
    const int w = std::min<int>(settings_.window.width, screen.width());
    const int h = std::min<int>(settings_.window.height, screen.height());
    move(std::max(0, x), std::max(0, y));
    resize(std::max(kMinFrameWidth, w), std::max(kMinFrameHeight, h));
    const char* bars =
        settings_.misc.oldPhaseScope != 0 ? section::kToolBarsWithTuningBar : section::kToolBars;
    const std::string saved = store_.getString(bars, kBarStateKey, "");
    if (!saved.empty()) restoreState(QByteArray::fromBase64(QByteArray::fromStdString(saved)));
}

void CMainFrame::showAtStart() {
    if (!store_.find(section::kWindow, "Width")) placeFirstStart();
    if (settings_.window.isMinimized != 0)
        showMinimized();
    else if (settings_.window.isMaximized != 0)
        showMaximized();
    else
        show();
}

// A first start opens at about three quarters of the screen, centred, with a waterfall tall
// enough to read.
void CMainFrame::placeFirstStart() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    const QSize size(area.width() * 3 / 4, area.height() * 3 / 4);
    resize(size);
    move(area.center() - QPoint(size.width() / 2, size.height() / 2));
    settings_.window.spectrumHeight = size.height() * kFirstStartSpectrumPercent / 100;
}

void CMainFrame::savePlacement() {
    settings_.window.isMinimized = isMinimized() ? 1 : 0;
    settings_.window.isMaximized = isMaximized() ? 1 : 0;
    // The position is the frame's (what move() takes), the size the client area's (what
    // resize() takes): mixing the two moved the window down by its title bar at every start.
    const QRect g = normalGeometry().isValid() ? normalGeometry() : geometry();
    const QPoint frameOffset = geometry().topLeft() - frameGeometry().topLeft();
    settings_.window.posX = g.x() - frameOffset.x();
    settings_.window.posY = g.y() - frameOffset.y();
    settings_.window.width = g.width();
    settings_.window.height = g.height();
    if (!isMinimized() && !isMaximized()) settings_.window.spectrumHeight = spectrum_->height();
    if (settings_.misc.multichannelWindow != 0 && listArea_->isVisible())
        settings_.misc.multichannelWidth = rx_->width();
    const char* bars =
        settings_.misc.oldPhaseScope != 0 ? section::kToolBarsWithTuningBar : section::kToolBars;
    store_.writeString(bars, kBarStateKey, saveState().toBase64().toStdString());
}

// Rows: the waterfall keeps "SpectrumHeight" (at least 25), the transmit window
// "TxPaneHeight", the receive windows the rest.
void CMainFrame::layoutRows() {
    const int total = outer_->height();
    const int spectrum = std::max<int>(kMinSpectrumHeight, settings_.window.spectrumHeight);
    const int tx = settings_.window.txPaneHeight;
    const int rx = std::max(0, total - tx - spectrum - kMiddleRowSlack);
    outer_->setSizes({rx + tx + kRowSlack, spectrum});
    middle_->setSizes({rx, tx});
}

void CMainFrame::layoutColumns() {
    const int width = inner_->width();
    int column = settings_.misc.multichannelWidth;
    if (column < kColumnMargin || column > width - kColumnMargin) column = width / 2;
    if (settings_.misc.multichannelWindow != 0) {
        listArea_->show();
        // The handle takes its own width: sizes that add up to more are scaled down, and the
        // column would shrink a little at every start.
        inner_->setSizes(
            {column, std::max(kMinListWidth, width - column - inner_->handleWidth())});
    } else {
        const int current = rx_->width();
        if (listArea_->isVisible() && current >= kColumnMargin && current <= width - kColumnMargin)
            settings_.misc.multichannelWidth = current;
        listArea_->hide();
        inner_->setSizes({width, 0});
    }
    rx_->ensureCursorVisible();
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (firstResize_) {
        firstResize_ = false;
        layoutRows();
        layoutColumns();
        return;
    }
    growRows(event->oldSize().height(), event->size().height());
}

// A larger window gives the waterfall its share of the new height, not only the receive
// windows; the transmit window keeps its height.
void CMainFrame::growRows(int oldHeight, int newHeight) {
    const QList<int> rows = outer_->sizes();
    const int before = rows.value(0) + rows.value(1);
    if (oldHeight <= 0 || before <= 0 || rows.size() < 2) {
        layoutRows();
        return;
    }
    const int total = std::max(0, before + newHeight - oldHeight);
    const int spectrum = std::clamp<int>(
        static_cast<int>(static_cast<long long>(rows[1]) * total / before), kMinSpectrumHeight,
        std::max(kMinSpectrumHeight, total - settings_.window.txPaneHeight - kMiddleRowSlack));
    outer_->setSizes({total - spectrum, spectrum});
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    savePlacement();
    timer_.stop();
    QMainWindow::closeEvent(event);
}

// ---- station events -------------------------------------------------------------------------

void CMainFrame::onSoundWake() {
    card_.events().acknowledgeWake();
    station_->handleSoundEvents();
}

void CMainFrame::onTimer() {
    // Ticks not yet run by the sound events run now.
    station_->runDueTicks();
    if (station_->inputEnded() && !inputEndShown_) {
        // A recording played as the input has no more audio: say so instead of freezing.
        inputEndShown_ = true;
        statusBar()->showMessage(QStringLiteral("The recording has ended: nothing more to receive."));
    }
    list_->setInputs(display::RxListInputs{
        static_cast<int>(station_->state()), station_->mode(), settings_.misc.showBookMarks != 0,
        settings_.misc.multichannelScroll != 0,
        display::LineColours{
            static_cast<display::Colour>(settings_.font.mcFontColor.value()),
            static_cast<display::Colour>(settings_.font.mcBgColor.value()),
            static_cast<display::Colour>(settings_.font.mcBgColorNoCarrier.value()),
            static_cast<display::Colour>(settings_.font.mcBgColorInactive.value())},
        station_->characterSet()});
    updateStatus();
    updateCommands();
}

void CMainFrame::refreshSpectrumInputs() {
    display::SpectrumViewInputs& in = spectrum_->inputs();
    in.receiveFrequency = station_->receiveFrequency();
    in.transmitFrequency = station_->transmitFrequency();
    in.transmitLocked = station_->transmitLocked();
    in.state = static_cast<int>(station_->state());
    in.mode = station_->mode();
    in.imdMeasuring = station_->imdMeter().measuring();
    in.sampleRate = station_->receiveChain().sampleRate();
    display::DisplaySettings& d = in.display;
    d.freqMode = settings_.view.freqMode;
    d.snap = settings_.sound.snap != 0;
    d.showBookMarks = settings_.misc.showBookMarks != 0;
    d.multichannelWindow = settings_.misc.multichannelWindow != 0;
    d.phaseScope = settings_.misc.phaseScope != 0;
    d.oldPhaseScope = settings_.misc.oldPhaseScope != 0;
    d.phaseScopeSize = settings_.misc.phaseScopeSize;
    d.fftWindow = settings_.misc.fftWindow;
    in.dialKHz = bandPages_.dialFrequencyKHz(d.freqMode);
    in.markers = markers_.frequencies();
    station_->multichannel().channelTags(in.tags);
    in.scaleColours.background = display::rgb(store_.getInt(section::kPalette, "bk_red", 0),
                                              store_.getInt(section::kPalette, "bk_green", 0),
                                              store_.getInt(section::kPalette, "bk_blue", 0));
    in.scaleColours.text = display::rgb(store_.getInt(section::kPalette, "t_red", 255),
                                        store_.getInt(section::kPalette, "t_green", 255),
                                        store_.getInt(section::kPalette, "t_blue", 255));
}

void CMainFrame::applyTuning(const display::TuningAction& a) {
    if (a.toggleTransmitLock) station_->setTransmitLocked(!station_->transmitLocked());
    if (a.setFrequency) {
        station_->setFrequency(a.setFrequency->frequency, a.setFrequency->flags,
                               a.setFrequency->shift);
        // Shift while tuning decodes the stored sound history again at the new frequency.
        if (a.setFrequency->shift) station_->startReplay();
    }
    if (a.clearChannel) station_->multichannel().clearChannel(*a.clearChannel);
    if (a.openChannel)
        station_->multichannel().openChannel(station_->mode(), *a.openChannel, clock_.now());
    if (a.clearChannel || a.openChannel) list_->update();
    spectrum_->update();
    updateStatus();
}

void CMainFrame::showPhase(int16_t channel, int32_t phase, int32_t level) {
    phaseScope_.showPhase(channel, phase, level);
}

// ---- StationHost ----------------------------------------------------------------------------

void CMainFrame::showMessage(std::string_view text, std::string_view caption, MessageKind kind) {
    const QMessageBox::Icon icon = kind == MessageKind::Error     ? QMessageBox::Critical
                                   : kind == MessageKind::Warning ? QMessageBox::Warning
                                                                  : QMessageBox::Information;
    QMessageBox box(icon, latin1(caption), latin1(text), QMessageBox::Ok, this);
    box.exec();
}

std::optional<std::string> CMainFrame::prompt(std::string_view text, std::string_view initial) {
    const modem::CharacterSet set = station_->characterSet();
    const auto answer =
        CInputBox::ask(store_, this, latin1(text), display::fromStationCodes(initial, set));
    if (!answer) return std::nullopt;
    return display::toStationCodes(*answer, set);
}

void CMainFrame::openStationDialog() {
    StationData data{settings_.station.call,         settings_.station.name,
                     settings_.station.qth,          settings_.station.cwId,
                     settings_.station.useCwId != 0, settings_.station.fastCwId != 0};
    CStationDialog dialog(data, station_->characterSet(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    data = dialog.data();
    settings_.station.call = data.call;
    settings_.station.name = data.name;
    settings_.station.qth = data.qth;
    settings_.station.cwId = stationCwId(data.cwId, data.call);
    settings_.station.useCwId = data.useCwId ? 1 : 0;
    settings_.station.fastCwId = data.fastCwId ? 1 : 0;
}

bool CMainFrame::receiveWindowHasFocus() const {
    return rx_->hasFocus();
}

void CMainFrame::focusTransmitWindow() {
    tx_->setFocus();
}

// A new row is in the station's spectrum history: the analyser's row goes into the waterfall.
void CMainFrame::spectrumRowReady() {
    if (waterfall_.rows() > 0)
        waterfall_.addSpectrumRow(station_->lastSpectrumRow(),
                                  display::WaterfallSettings{settings_.view.freqMode,
                                                             station_->receiveChain().sampleRate(),
                                                             markers_.frequencies()});
    spectrum_->update();
}

void CMainFrame::statusChanged() {
    if (started_) updateStatus();
}

void CMainFrame::frequencyChanged() {
    spectrum_->update();
    if (started_) updateStatus();
}

void CMainFrame::receivedTextShown(std::string_view text) {
    const bool transmitting = station_->state() == OperatingState::Transmitting;
    for (const char c : text) rx_->appendReceivedChar(static_cast<uint8_t>(c), transmitting);
}

void CMainFrame::receiveWindowCleared() {
    rx_->clearText();
}

void CMainFrame::transmitWindowCleared() {
    tx_->render();
}

void CMainFrame::stateChanged(OperatingState state) {
    if (lastState_ == OperatingState::Transmitting && state != OperatingState::Transmitting)
        waterfall_.requestSeparator();
    lastState_ = state;
    spectrum_->update();
    if (started_) updateStatus();
}

// ---- status bar and commands ----------------------------------------------------------------

void CMainFrame::updateStatus() {
    const OperatingState state = station_->state();
    const bool transmitting = state == OperatingState::Transmitting;
    const bool receiving = state == OperatingState::Receiving;
    const bool locked = station_->transmitLocked();
    const bool showFq = settings_.misc.showSoundFq != 0;

    StatusPane* tx = panes_[kPaneTx];
    tx->setText(locked && showFq
                    ? QStringLiteral("TX: %1 Hz").arg(station_->transmitFrequency(), 0, 'f', 1)
                    : QStringLiteral("TX"));
    tx->setSample(locked && showFq ? QStringLiteral("TX: 8888.8 Hz") : QStringLiteral("TX"));
    tx->setPressed(transmitting);
    tx->setTextColour(transmitting ? Qt::black : QColor(0x80, 0x80, 0x80));
    tx->setTextShown(!(transmitting && settings_.misc.flashingTx != 0) ||
                     (station_->tickCount() % 2) == 1);
    tx->setIndicator(
        locked ? StatusPane::Indicator::Padlock : StatusPane::Indicator::Arrow,
        transmitting ? (locked ? QColor(0, 0x80, 0) : QColor(0x7F, 0, 0)) : QColor(Qt::gray));

    StatusPane* rx = panes_[kPaneRx];
    rx->setText(showFq ? QStringLiteral("RX: %1 Hz").arg(station_->receiveFrequency(), 0, 'f', 1)
                       : QStringLiteral("RX"));
    rx->setSample(showFq ? QStringLiteral("RX: 8888.8 Hz") : QStringLiteral("RX"));
    rx->setPressed(receiving);
    rx->setTextColour(receiving ? Qt::black : QColor(0x80, 0x80, 0x80));

    const modem::ImdMeter& imd = station_->imdMeter();
    panes_[kPaneImd]->setText(
        QString::fromStdString(imd.paneText(settings_.misc.alwaysShowImd1 != 0)));
    panes_[kPaneImd]->setPressed(!imd.paneRaised());

    const auto option = [this](int pane, const char* text, bool on) {
        panes_[static_cast<size_t>(pane)]->setText(QString::fromLatin1(text));
        panes_[static_cast<size_t>(pane)]->setTextColour(on ? Qt::black : QColor(0x80, 0x80, 0x80));
        panes_[static_cast<size_t>(pane)]->setPressed(true);
    };
    const bool squelchOn = settings_.sound.squelch != 0;
    option(kPaneSq, "Sq", squelchOn);
    // The squelch pane's lamp: green while the squelch lets text through.
    panes_[kPaneSq]->setIndicator(StatusPane::Indicator::Arrow,
                                  squelchOn && station_->receiveChain().squelch().isOpen()
                                      ? QColor(0, 0xA0, 0)
                                      : QColor(Qt::gray));
    option(kPaneAfc, "AFC", settings_.sound.afc != 0);
    option(kPaneSnap, "Snap", settings_.sound.snap != 0);
    panes_[kPaneMode]->setText(latin1(station_->receiveChain().modeText()));
    panes_[kPaneMode]->setPressed(true);
    const bool utc = settings_.misc.utc != 0;
    panes_[kPaneDate]->setText(QString::fromStdString(formatTime("%x ", utc)));
    panes_[kPaneTime]->setText(
        QString::fromStdString(formatTime(utc ? "%H:%M:%S z " : "%X ", utc)));
    panes_[kPaneDate]->setPressed(true);
    panes_[kPaneTime]->setPressed(true);
}

void CMainFrame::updateCommands() {
    const OperatingState state = station_->state();
    const bool transmitting = state == OperatingState::Transmitting;
    const Mode mode = station_->mode();
    const auto set = [this](const QString& text, bool enabled, bool checked) {
        if (QAction* a = action(text)) {
            a->setEnabled(enabled);
            if (a->isCheckable()) a->setChecked(checked);
        }
    };
    set(kTx, state != OperatingState::Stopped && mode != Mode::Pactor, transmitting);
    set(kRx, true, state == OperatingState::Receiving);
    set(QStringLiteral("Zablokuj okno programu"), !transmitting, state == OperatingState::Stopped);
    set(QStringLiteral("Strojenie.."), !transmitting, false);
    set(QStringLiteral("Pomiar IMD"), true, station_->imdMeter().measuring());
    for (const modem::ModeInfo& info : modem::commandModes())
        set(latin1(info.menuText), !transmitting, mode == info.mode);
    set(QStringLiteral("Odwróć"), !modem::isBpsk(mode) && mode != Mode::Pactor,
        settings_.misc.invQpsk != 0);
    set(QStringLiteral("Zablokuj częstotliwość TX"), !station_->transmitLocked(), false);
    set(QStringLiteral("Odblokuj częstotliwość TX"), station_->transmitLocked(), false);
    set(QStringLiteral("Okno multikanałów"), !transmitting && modem::runsMultichannel(mode),
        settings_.misc.multichannelWindow != 0);
    set(QStringLiteral("&Zakładki"), true, settings_.misc.showBookMarks != 0);
    set(QStringLiteral("Zakres &Fazy"), mode != Mode::Pactor, settings_.misc.phaseScope != 0);
    set(QStringLiteral("nie ukrywaj pozom IMD"), true, settings_.misc.alwaysShowImd1 != 0);
    set(QStringLiteral("Pokaż częstotliwość"), true, settings_.misc.showSoundFq != 0);
    set(QStringLiteral("Migotający 'T&X'"), true, settings_.misc.flashingTx != 0);
    set(QStringLiteral("&UTC"), true, settings_.misc.utc != 0);
    set(QStringLiteral("Szumy"), true, settings_.sound.squelch != 0);
    set(QStringLiteral("&AFC"), true, settings_.sound.afc != 0);
    set(QStringLiteral("Zapnij"), true, settings_.sound.snap != 0);
    set(QStringLiteral("Podkreśl własny tekst"), true, settings_.misc.simpleTxEdit1 == 0);
    set(QStringLiteral("Przeszukiwanie strzałkami"), true, settings_.misc.arrowsForSeek != 0);
    set(QStringLiteral("Start - częstotliwość dźwięku"), true, settings_.view.freqMode == 2);
    set(QStringLiteral("Display sound frequency"), true, settings_.view.freqMode == 0);
    set(QStringLiteral("Start + częstotliwość dźwięku"), true, settings_.view.freqMode == 1);
    set(QStringLiteral("Otwórz log odbioru..."), !station_->receiveLogOpen(), false);
    set(QStringLiteral("Zamknij log odbioru"), station_->receiveLogOpen(), false);
    const bool history = station_->canSaveSoundHistory();
    for (QAction* a : actions_)
        if (a->text().startsWith(QStringLiteral("Save last "))) {
            a->setText(QStringLiteral("Save last %1 s&econds...")
                           .arg(settings_.misc.soundHistory.value()));
            a->setEnabled(history);
        }
    if (QAction* a = action(QStringLiteral("URL 0"))) {
        a->setText(QStringLiteral("URL 0"));
        a->setChecked(settings_.callbook.callbookType == 0);
        a->setIconText(latin1(settings_.callbook.name0.value()));
    }
    if (QAction* a = action(QStringLiteral("URL 1"))) {
        a->setChecked(settings_.callbook.callbookType == 1);
        a->setIconText(latin1(settings_.callbook.name1.value()));
    }
}

void CMainFrame::paneMenu(const QPoint& at) {
    QMenu menu(this);
    const auto item = [&](const QString& text, bool checked, auto&& run) {
        QAction* a = menu.addAction(text);
        a->setCheckable(true);
        a->setChecked(checked);
        connect(a, &QAction::triggered, this, run);
    };
    item(QStringLiteral("S&quelch"), settings_.sound.squelch != 0,
         [this] { toggleSetting(settings_.sound.squelch); });
    item(QStringLiteral("&AFC"), settings_.sound.afc != 0,
         [this] { toggleSetting(settings_.sound.afc); });
    item(QStringLiteral("S&nap"), settings_.sound.snap != 0,
         [this] { toggleSetting(settings_.sound.snap); });
    menu.addAction(QStringLiteral("Squelch th&reshold..."), this, &CMainFrame::toggleSquelchWindow);
    menu.addSeparator();
    item(QStringLiteral("&Lock TX frequency"), station_->transmitLocked(),
         [this] { station_->setTransmitLocked(!station_->transmitLocked()); });
    menu.addSeparator();
    item(QStringLiteral("&UTC"), settings_.misc.utc != 0,
         [this] { toggleSetting(settings_.misc.utc); });
    item(QStringLiteral("Flashing 'T&X'"), settings_.misc.flashingTx != 0,
         [this] { toggleSetting(settings_.misc.flashingTx); });
    item(QStringLiteral("Show &frequencies"), settings_.misc.showSoundFq != 0,
         [this] { toggleSetting(settings_.misc.showSoundFq); });
    menu.exec(at);
    updateStatus();
}

void CMainFrame::toggleSetting(PersistentInt& setting) {
    setting = setting != 0 ? 0 : 1;
    updateStatus();
    spectrum_->update();
}

void CMainFrame::toggleSquelchWindow() {
    if (station_->mode() == Mode::Pactor) return;
    if (squelch_) {
        squelch_->close();
        return;
    }
    squelch_ = new CSquelchWindow(
        store_, settings_.sound.sqThreshold,
        [this] { return station_->receiveChain().squelchQuality(); }, this);
    squelch_->show();
}

void CMainFrame::stepMode() {
    if (station_->state() == OperatingState::Transmitting) return;
    chooseMode(modem::nextPaneMode(station_->mode()));
}

void CMainFrame::chooseMode(Mode mode) {
    if (station_->state() == OperatingState::Transmitting) return;
    if (!station_->selectMode(mode)) return;
    if (squelch_) {
        // The window follows the quality figure of the new mode's decoder.
        squelch_->close();
        delete squelch_.data();
        if (mode != Mode::Pactor) toggleSquelchWindow();
    }
    if (mode != Mode::Fsk63) layoutColumns();
    list_->update();
    updateStatus();
    updateCommands();
}

void CMainFrame::toggleMultichannelWindow() {
    const bool allowed = station_->state() != OperatingState::Transmitting &&
                         modem::runsMultichannel(station_->mode());
    settings_.misc.multichannelWindow = allowed && settings_.misc.multichannelWindow == 0 ? 1 : 0;
    layoutColumns();
    station_->multichannel().clearAll();
    list_->update();
}

void CMainFrame::toggleFourband(int value) {
    PersistentInt& fourband = settings_.port.fourband;
    fourband = fourband == value ? 0 : value;
    if (fourband == 1) {
        const int b = settings_.pages.bandIndex;
        if (b != 1 && b != 4 && b != 6 && b != 8) settings_.pages.bandIndex = 4;
    } else if (fourband == 2) {
        const int b = settings_.pages.bandIndex;
        if (b != 1 && b != 4) settings_.pages.bandIndex = 4;
    }
    bandPages_.select(settings_.pages.bandIndex);
    spectrum_->update();
}

void CMainFrame::saveLastSeconds() {
    // The history as it is now: audio goes on while the file dialog is open.
    const std::optional<SoundHistoryCopy> copy = station_->copySoundHistory();
    if (!copy) return;
    const int seconds = settings_.misc.soundHistory;
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save last %1 seconds into WAV file").arg(seconds),
        QString::fromLatin1(kDefaultHistoryFile),
        QStringLiteral("WAV files (*.wav);;All files (*.*)"));
    if (!path.isEmpty()) station_->saveSoundHistory(*copy, path.toStdString());
}

void CMainFrame::askNumber(const QString& title, const QString& prompt, PersistentInt& setting,
                           const std::function<void()>& after) {
    const auto v = CNumberPrompt::ask(this, title, prompt, setting);
    if (!v) return;
    setting = *v;
    if (after) after();
}

void CMainFrame::openReceiveLog() {
    const QString name = QFileDialog::getSaveFileName(
        this, QStringLiteral("Open RX Log File"), latin1(settings_.misc.rxLogFile.value()),
        QStringLiteral("Text files (*.txt);;All files (*.*)"), nullptr,
        QFileDialog::DontConfirmOverwrite);
    if (!name.isEmpty()) station_->openReceiveLog(name.toStdString());
}

// ---- keys -----------------------------------------------------------------------------------

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return QMainWindow::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    // The waterfall's cursor follows Shift wherever the focus is.
    const Qt::KeyboardModifiers m = key->modifiers();
    const int mask = ((m & Qt::ShiftModifier) ? 1 : 0) | ((m & Qt::ControlModifier) ? 2 : 0) |
                     ((m & Qt::AltModifier) ? 4 : 0);
    if (mask != modifierMask_) {
        modifierMask_ = mask;
        spectrum_->setModifiers(display::Modifiers{(mask & 1) != 0, (mask & 2) != 0});
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (event->type() != QEvent::KeyPress || !widget || widget->window() != this) return false;
    if (routeKey(key)) return true;
    // Characters typed where nothing takes them go to the transmit window.
    if ((widget == this || widget == list_) && !key->text().isEmpty() && key->text()[0].isPrint() &&
        !(m & (Qt::ControlModifier | Qt::AltModifier))) {
        tx_->setFocus();
        tx_->typeText(key->text());
        return true;
    }
    return false;
}

bool CMainFrame::routeKey(QKeyEvent* key) {
    const Qt::KeyboardModifiers m = key->modifiers();
    const bool shift = m & Qt::ShiftModifier;
    const bool ctrl = m & Qt::ControlModifier;
    const bool alt = m & Qt::AltModifier;
    const int k = key->key();
    const auto done = [this] {
        updateStatus();
        updateCommands();
        spectrum_->update();
        return true;
    };
    // F1 belongs to the macros, never to help.
    if (k == Qt::Key_F1 && !ctrl && !alt && !shift) return true;
    if (k == Qt::Key_Escape && !ctrl && !alt) {
        station_->escapeCommand();
        return done();
    }
    if (k == Qt::Key_Pause || (alt && !ctrl && k == Qt::Key_X)) {
        station_->toggleTransmit();
        return done();
    }
    if (k == Qt::Key_Left || k == Qt::Key_Right) {
        const int direction = k == Qt::Key_Left ? -1 : 1;
        if (alt && !ctrl) {
            station_->nudgeFrequency(direction, 1.0, shift);
            return done();
        }
        if (ctrl && !alt) {
            station_->nudgeFrequency(direction, 10.0, shift);
            return done();
        }
        if (!ctrl && !alt && settings_.misc.arrowsForSeek != 0 &&
            station_->state() == OperatingState::Receiving) {
            direction < 0 ? station_->seekLeft() : station_->seekRight();
            return done();
        }
        return false;
    }
    if (ctrl && alt && !shift && k == Qt::Key_4) {
        toggleFourband(1);
        return done();
    }
    if (ctrl && alt && !shift && k == Qt::Key_2) {
        toggleFourband(2);
        return done();
    }
    if (ctrl && alt && shift && k == Qt::Key_W) {
        saveLastSeconds();
        return true;
    }
    if (alt && !ctrl && k == Qt::Key_End) {
        station_->transmitText().appendText("\xAE\r\n");
        return true;
    }
    if (k == Qt::Key_Tab || k == Qt::Key_Backtab) {
        // Without a log bar the focus stays with the transmit window.
        focusTransmitWindow();
        return true;
    }
    return false;
}

}  // namespace tarnvel::app
