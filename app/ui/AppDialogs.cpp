#include "app/ui/AppDialogs.h"

#include "display/ui/DialogButtons.h"
#include "display/ui/StationText.h"
#include "radio/PortList.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

namespace tarnvel::app {

namespace {

constexpr int kUsbLevelMax = 255;
constexpr int kUsbLevelPage = 16;

}  // namespace

CStationDialog::CStationDialog(const StationData& data, modem::CharacterSet set, QWidget* parent)
    : QDialog(parent), set_(set) {
    setWindowTitle(QStringLiteral("Twoje Dane"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    call_ = new QLineEdit(shown(data.call), this);
    name_ = new QLineEdit(shown(data.name), this);
    qth_ = new QLineEdit(shown(data.qth), this);
    form->addRow(QStringLiteral("Znak:"), call_);
    form->addRow(QStringLiteral("Imię:"), name_);
    form->addRow(QStringLiteral("QTH:"), qth_);
    layout->addLayout(form);
    auto* cw = new QGroupBox(QStringLiteral("Identyfikacja CW"), this);
    auto* cwLayout = new QVBoxLayout(cw);
    useCwId_ = new QCheckBox(QStringLiteral("Nadawaj identyfikację CW"), cw);
    useCwId_->setChecked(data.useCwId);
    fast_ = new QRadioButton(QStringLiteral("Szybko"), cw);
    slow_ = new QRadioButton(QStringLiteral("Wolno"), cw);
    (data.fastCwId ? fast_ : slow_)->setChecked(true);
    lastCall_ = data.call;
    cwId_ = new QLineEdit(shown(stationCwId(data.cwId, data.call)), cw);
    auto* speed = new QHBoxLayout;
    speed->addWidget(fast_);
    speed->addWidget(slow_);
    cwLayout->addWidget(useCwId_);
    cwLayout->addLayout(speed);
    cwLayout->addWidget(new QLabel(QStringLiteral("Tekst identyfikacji:"), cw));
    cwLayout->addWidget(cwId_);
    layout->addWidget(cw);
    layout->addWidget(display::okCancelButtons(this));
    // An identification that is still the default follows the call as it is typed.
    connect(call_, &QLineEdit::textEdited, this, [this](const QString&) {
        const std::string call = codes(call_->text().trimmed().toUpper());
        const std::string current = codes(cwId_->text());
        if (current == defaultCwId(lastCall_) || stationCwId(current, "") == defaultCwId(""))
            cwId_->setText(shown(defaultCwId(call)));
        lastCall_ = call;
    });
    display::fitTitle(this);
}

QString CStationDialog::shown(const std::string& codes) const {
    return display::fromStationCodes(codes, set_);
}

std::string CStationDialog::codes(const QString& text) const {
    return display::toStationCodes(text, set_);
}

StationData CStationDialog::data() const {
    StationData d;
    d.call = codes(call_->text().trimmed().toUpper());
    d.name = codes(name_->text());
    d.qth = codes(qth_->text());
    d.cwId = stationCwId(codes(cwId_->text()), d.call);
    d.useCwId = useCwId_->isChecked();
    d.fastCwId = fast_->isChecked();
    return d;
}

CSoundDeviceDialog::CSoundDeviceDialog(const SoundDeviceChoice& choice, const QStringList& inputs,
                                       const QStringList& outputs, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Karta dźwiękowa"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    rate_ = new QLineEdit(QString::number(choice.nominalRate), this);
    form->addRow(QStringLiteral("Częstotliwość próbkowania:"), rate_);
    card_ = new QRadioButton(QStringLiteral("Karta dźwiękowa"), this);
    usb_ = new QRadioButton(QStringLiteral("Urządzenie USB"), this);
    (choice.deviceType == 0 ? card_ : usb_)->setChecked(true);
    rateHint_ = new QLabel(this);
    auto* type = new QHBoxLayout;
    type->addWidget(card_);
    type->addWidget(usb_);
    type->addWidget(rateHint_);
    form->addRow(QStringLiteral("Urządzenie:"), type);
    input_ = new QComboBox(this);
    input_->addItem(QStringLiteral("Preferred soundcard"));
    input_->addItems(inputs);
    input_->setCurrentIndex(std::clamp(choice.inputDevice + 1, 0, static_cast<int>(inputs.size())));
    output_ = new QComboBox(this);
    output_->addItem(QStringLiteral("Preferred soundcard"));
    output_->addItems(outputs);
    output_->setCurrentIndex(
        std::clamp(choice.outputDevice + 1, 0, static_cast<int>(outputs.size())));
    form->addRow(QStringLiteral("Wejście (RX):"), input_);
    form->addRow(QStringLiteral("Wyjście (TX):"), output_);
    // The USB device's serial device, by its stable name first; any path may be typed.
    port_ = new QComboBox(this);
    port_->setEditable(true);
    const radio::PortList ports = radio::PortList::scan(choice.usbDevice);
    for (const radio::PortChoice& p : ports.choices())
        if (p.kind == radio::PortKind::Serial) port_->addItem(QString::fromStdString(p.device));
    port_->setCurrentText(QString::fromStdString(choice.usbDevice));
    form->addRow(QStringLiteral("Port USB:"), port_);
    const auto level = [this](int value) {
        auto* s = new QSlider(Qt::Horizontal, this);
        s->setRange(0, kUsbLevelMax);
        s->setPageStep(kUsbLevelPage);
        s->setValue(value);
        return s;
    };
    volumeIn_ = level(choice.usbVolumeIn);
    volumeOut_ = level(choice.usbVolumeOut);
    form->addRow(QStringLiteral("Poziom wejścia USB:"), volumeIn_);
    form->addRow(QStringLiteral("Poziom wyjścia USB:"), volumeOut_);
    layout->addLayout(form);
    layout->addWidget(display::okCancelButtons(this));
    connect(card_, &QRadioButton::toggled, this, [this] {
        // The other device's own rate follows the choice; a rate typed in by hand stays.
        const QString cardRate = QStringLiteral("11025"), usbRate = QStringLiteral("10417");
        const bool card = card_->isChecked();
        if (rate_->text().trimmed() == (card ? usbRate : cardRate))
            rate_->setText(card ? cardRate : usbRate);
        showNominalRate();
    });
    showNominalRate();
    display::fitTitle(this);
}

// The nominal rate of the chosen device, as a hint beside the buttons.
void CSoundDeviceDialog::showNominalRate() {
    rateHint_->setText(card_->isChecked() ? QStringLiteral("11025") : QStringLiteral("10417"));
}

void CSoundDeviceDialog::accept() {
    bool ok = false;
    const int rate = rate_->text().trimmed().toInt(&ok);
    if (!ok || rate < kMinRate || rate > kMaxRate) {
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("Please enter an integer between %1 and %2.")
                                 .arg(kMinRate)
                                 .arg(kMaxRate));
        rate_->setFocus();
        return;
    }
    QDialog::accept();
}

SoundDeviceChoice CSoundDeviceDialog::choice() const {
    SoundDeviceChoice c;
    c.nominalRate = rate_->text().trimmed().toInt();
    c.deviceType = card_->isChecked() ? 0 : 1;
    c.inputDevice = input_->currentIndex() - 1;
    c.outputDevice = output_->currentIndex() - 1;
    c.virtualPort = std::max(port_->currentIndex(), 0);
    c.usbDevice = port_->currentText().trimmed().toStdString();
    c.usbVolumeIn = volumeIn_->value();
    c.usbVolumeOut = volumeOut_->value();
    return c;
}

}  // namespace tarnvel::app
