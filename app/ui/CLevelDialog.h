#pragma once
// The level dialogs of the sound card's mixer. The input side: recording master, the recording
// source's level and the source (line in or microphone). The output side: playback master and
// wave out, and the transmit level (attenuation of the transmitted samples in dB). Levels go
// to the card and the settings as the sliders move, only while "&Volume control" is checked.
// Without a mixer for the chosen device the dialog says why and offers the system's volume
// control.

#include <QDialog>
#include <map>

#include "app/StationMixer.h"

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QRadioButton;
class QSlider;
class QBoxLayout;

namespace tarnvel::app {

class CLevelDialog : public QDialog {
    Q_OBJECT
  public:
    enum class Side { Input, Output };
    CLevelDialog(StationMixer& mixer, Side side, QWidget* parent = nullptr);

    // For tests and the frame: the widgets by what they set.
    QSlider* slider(audio::MixerLine line) const;
    QCheckBox* volumeControlBox() const { return volumeCtrl_; }
    QRadioButton* sourceButton(audio::RecordSource source) const;
    QDoubleSpinBox* transmitLevelBox() const { return transmitLevel_; }
    QString cardText() const;
    QString problemText() const;

  private:
    void addSlider(QBoxLayout* row, audio::MixerLine line, const QString& label);
    void addSourceChoice(QBoxLayout* layout);
    void addTransmitLevel(QBoxLayout* layout);
    void showCard();
    void levelMoved(audio::MixerLine line, int level);
    void sourceChosen(audio::RecordSource source);
    void volumeControlToggled(bool on);
    void enableControls();
    void openSystemControl();
    void showProblem(const std::string& problem);

    StationMixer& mixer_;
    Side side_;
    StationMixer::Opened card_;
    audio::MixerCardChoice choice_;
    std::map<audio::MixerLine, QSlider*> sliders_;
    QCheckBox* volumeCtrl_ = nullptr;
    QRadioButton* lineIn_ = nullptr;
    QRadioButton* microphone_ = nullptr;
    QDoubleSpinBox* transmitLevel_ = nullptr;
    QLabel* cardLabel_ = nullptr;
    QLabel* problem_ = nullptr;
};

}  // namespace tarnvel::app
