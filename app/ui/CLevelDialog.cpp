#include "app/ui/CLevelDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include "app/ui/SystemVolumeControl.h"
#include "audio/MixerScale.h"
#include "modem/TransmitLevel.h"

namespace tarnvel::app {

using audio::MixerLine;
using audio::RecordSource;

CLevelDialog::CLevelDialog(StationMixer& mixer, Side side, QWidget* parent)
    : QDialog(parent), mixer_(mixer), side_(side) {
    const bool input = side == Side::Input;
    const audio::SoundDirection direction =
        input ? audio::SoundDirection::Input : audio::SoundDirection::Output;
    setWindowTitle(input ? QStringLiteral("Reg.wejścia karty dżwiękowej(RX)")
                         : QStringLiteral("Reg.wyjścia karty dżwiękowej(TX)"));
    choice_ = mixer_.cardFor(direction);
    card_ = mixer_.open(direction);
    if (card_.mixer) card_.mixer->assumeSource(mixer_.storedSource());

    auto* layout = new QVBoxLayout(this);
    cardLabel_ = new QLabel(this);
    cardLabel_->setObjectName(QStringLiteral("card"));
    cardLabel_->setWordWrap(true);
    layout->addWidget(cardLabel_);

    volumeCtrl_ = new QCheckBox(QStringLiteral("&Volume control"), this);
    volumeCtrl_->setChecked(mixer_.volumeControl());
    layout->addWidget(volumeCtrl_);
    auto* note = new QLabel(
        QStringLiteral("Please uncheck this box if the volume control does not work properly."),
        this);
    note->setWordWrap(true);
    layout->addWidget(note);

    auto* group = new QGroupBox(
        input ? QStringLiteral("Record  (from RX)") : QStringLiteral("Playback  (to TX)"), this);
    auto* row = new QHBoxLayout(group);
    if (input) {
        addSlider(row, MixerLine::MasterIn, QStringLiteral("Master\n&In"));
        addSlider(row, MixerLine::RecordSource, QStringLiteral("&Record\nsource"));
    } else {
        addSlider(row, MixerLine::MasterOut, QStringLiteral("Master\n&Out"));
        addSlider(row, MixerLine::WaveOut, QStringLiteral(" &Wave\nOut"));
    }
    layout->addWidget(group);
    if (input)
        addSourceChoice(layout);
    else
        addTransmitLevel(layout);

    problem_ = new QLabel(this);
    problem_->setObjectName(QStringLiteral("problem"));
    problem_->setWordWrap(true);
    layout->addWidget(problem_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    auto* system = buttons->addButton(QStringLiteral("System volume control..."),
                                      QDialogButtonBox::ActionRole);
    system->setObjectName(QStringLiteral("systemVolume"));
    connect(system, &QPushButton::clicked, this, &CLevelDialog::openSystemControl);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(volumeCtrl_, &QCheckBox::toggled, this, &CLevelDialog::volumeControlToggled);
    showCard();
    enableControls();
}

void CLevelDialog::addSlider(QBoxLayout* row, MixerLine line, const QString& label) {
    auto* column = new QVBoxLayout;
    auto* slider = new QSlider(Qt::Vertical, this);
    slider->setRange(0, audio::kMaxMixerLevel);  // the top is the loudest
    slider->setMinimumHeight(140);
    slider->setPageStep(16);
    slider->setObjectName(QString::fromUtf8(audio::mixerLineName(line)));
    const std::optional<int> now = card_.mixer ? card_.mixer->level(line) : std::nullopt;
    slider->setValue(now.value_or(mixer_.storedLevel(line)));
    auto* text = new QLabel(label, this);
    text->setBuddy(slider);
    text->setAlignment(Qt::AlignHCenter);
    column->addWidget(slider, 1, Qt::AlignHCenter);
    column->addWidget(text);
    row->addLayout(column);
    sliders_[line] = slider;
    connect(slider, &QSlider::valueChanged, this,
            [this, line](int level) { levelMoved(line, level); });
}

void CLevelDialog::addSourceChoice(QBoxLayout* layout) {
    auto* group = new QGroupBox(QStringLiteral("Record source"), this);
    auto* row = new QHBoxLayout(group);
    lineIn_ = new QRadioButton(QStringLiteral("&Line In"), group);
    microphone_ = new QRadioButton(QStringLiteral("Mikrofon"), group);
    row->addWidget(lineIn_);
    row->addWidget(microphone_);
    (mixer_.storedSource() == RecordSource::LineIn ? lineIn_ : microphone_)->setChecked(true);
    layout->addWidget(group);
    connect(lineIn_, &QRadioButton::toggled, this, [this](bool on) {
        if (on) sourceChosen(RecordSource::LineIn);
    });
    connect(microphone_, &QRadioButton::toggled, this, [this](bool on) {
        if (on) sourceChosen(RecordSource::Microphone);
    });
}

void CLevelDialog::addTransmitLevel(QBoxLayout* layout) {
    auto* group = new QGroupBox(QStringLiteral("Transmit level"), this);
    auto* row = new QHBoxLayout(group);
    auto* text = new QLabel(QStringLiteral("&Attenuation of the transmitted signal:"), group);
    transmitLevel_ = new QDoubleSpinBox(group);
    transmitLevel_->setObjectName(QStringLiteral("transmitLevel"));
    transmitLevel_->setRange(0.0, modem::TransmitLevel::kMaxAttenuationDb);
    transmitLevel_->setDecimals(1);
    transmitLevel_->setSingleStep(0.5);
    transmitLevel_->setSuffix(QStringLiteral(" dB"));
    transmitLevel_->setValue(mixer_.transmitAttenuation());
    transmitLevel_->setToolTip(
        QStringLiteral("Lower the transmit level until the transmitter's ALC no longer acts."));
    text->setBuddy(transmitLevel_);
    row->addWidget(text);
    row->addWidget(transmitLevel_);
    layout->addWidget(group);
    connect(transmitLevel_, &QDoubleSpinBox::valueChanged, this,
            [this](double db) { mixer_.setTransmitAttenuation(db); });
}

void CLevelDialog::showCard() {
    if (card_.mixer) {
        cardLabel_->setText(QStringLiteral("Sound card: %1 (%2)")
                                .arg(QString::fromStdString(card_.mixer->cardName()),
                                     QString::fromStdString(choice_.control)));
        return;
    }
    cardLabel_->setText(QString::fromStdString(card_.error) +
                        QStringLiteral("\nSet the levels with the system volume control."));
}

void CLevelDialog::enableControls() {
    const bool driven = volumeCtrl_->isChecked() && card_.mixer != nullptr;
    volumeCtrl_->setEnabled(card_.mixer != nullptr || volumeCtrl_->isChecked());
    for (const auto& [line, slider] : sliders_) {
        const bool present = card_.mixer && card_.mixer->hasLine(line);
        slider->setEnabled(driven && present);
    }
    for (auto [button, source] : {std::pair{lineIn_, RecordSource::LineIn},
                                  std::pair{microphone_, RecordSource::Microphone}})
        if (button) button->setEnabled(driven && card_.mixer->hasSource(source));
}

void CLevelDialog::levelMoved(MixerLine line, int level) {
    mixer_.storeLevel(line, level);
    if (volumeCtrl_->isChecked() && card_.mixer) showProblem(card_.mixer->setLevel(line, level));
}

void CLevelDialog::sourceChosen(RecordSource source) {
    mixer_.storeSource(source);
    if (!volumeCtrl_->isChecked() || !card_.mixer) return;
    showProblem(card_.mixer->selectSource(source, mixer_.selectSource()));
    // The recording source's level is now the new source's control.
    QSlider* slider = sliders_[MixerLine::RecordSource];
    const QSignalBlocker quiet(slider);
    if (const auto level = card_.mixer->level(MixerLine::RecordSource)) slider->setValue(*level);
    mixer_.storeLevel(MixerLine::RecordSource, slider->value());
    enableControls();
}

void CLevelDialog::volumeControlToggled(bool on) {
    mixer_.setVolumeControl(on);
    // What the sliders show (the card's levels now) is what the start-up sets from now on.
    if (on)
        for (const auto& [line, slider] : sliders_) mixer_.storeLevel(line, slider->value());
    enableControls();
}

void CLevelDialog::openSystemControl() {
    const QString problem = openSystemVolumeControl(QString::fromStdString(choice_.control));
    problem_->setText(problem);
}

void CLevelDialog::showProblem(const std::string& problem) {
    problem_->setText(QString::fromStdString(problem));
}

QSlider* CLevelDialog::slider(MixerLine line) const {
    const auto it = sliders_.find(line);
    return it == sliders_.end() ? nullptr : it->second;
}

QRadioButton* CLevelDialog::sourceButton(RecordSource source) const {
    return source == RecordSource::LineIn ? lineIn_ : microphone_;
}

QString CLevelDialog::cardText() const {
    return cardLabel_->text();
}

QString CLevelDialog::problemText() const {
    return problem_->text();
}

}  // namespace tarnvel::app
