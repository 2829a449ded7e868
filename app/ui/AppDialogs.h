#pragma once
// The shell's dialogs that edit several values at once: the station data ("Twoje Dane") and the
// sound device. Each starts from the values handed in and gives back the edited ones on OK;
// the owner stores them.

#include <QDialog>
#include <QStringList>
#include <string>

#include "app/Settings.h"
#include "app/SoundDeviceChoice.h"
#include "app/StationData.h"
#include "modem/CharacterSet.h"

class QLineEdit;
class QCheckBox;
class QRadioButton;
class QComboBox;
class QSlider;
class QLabel;

namespace tarnvel::app {


class CStationDialog : public QDialog {
    Q_OBJECT
  public:
    // The texts are station codes in the character set on the air.
    CStationDialog(const StationData& data, modem::CharacterSet set, QWidget* parent = nullptr);
    StationData data() const;
    QLineEdit* callField() { return call_; }
    QLineEdit* nameField() { return name_; }
    QLineEdit* qthField() { return qth_; }

  private:
    QString shown(const std::string& codes) const;
    std::string codes(const QString& text) const;

    modem::CharacterSet set_;
    QLineEdit *call_, *name_, *qth_, *cwId_;
    std::string lastCall_;  // the call the identification was last made for
    QCheckBox* useCwId_;
    QRadioButton *fast_, *slow_;
};


class CSoundDeviceDialog : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kMinRate = 7000;
    static constexpr int kMaxRate = 12000;

    CSoundDeviceDialog(const SoundDeviceChoice& choice, const QStringList& inputs,
                       const QStringList& outputs, QWidget* parent = nullptr);
    SoundDeviceChoice choice() const;
    void accept() override;

  private:
    void showNominalRate();

    QLineEdit* rate_;
    QRadioButton *card_, *usb_;
    QLabel* rateHint_;
    QComboBox *input_, *output_, *port_;
    QSlider *volumeIn_, *volumeOut_;
};

}  // namespace tarnvel::app
