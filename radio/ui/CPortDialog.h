#pragma once
// The port dialog ("Numer portu..."): "None", every serial device found, or "External" (a
// Hamlib rig); the RTS/DTR push-to-talk boxes for a device without band lines; CI-V with its
// speed and the transceiver's address; the rig dialog's button for "External". OK refuses a
// speed or address it cannot use (the reason is shown in the dialog) and keeps the rest.

#include <QDialog>

#include "radio/PortList.h"
#include "radio/PortSettings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tarnvel::radio {

class CPortDialog : public QDialog {
    Q_OBJECT
  public:
    CPortDialog(const StoredPortSettings& settings, PortList ports, QWidget* parent = nullptr);

    // What OK stores (valid once the dialog was accepted).
    const StoredPortSettings& settings() const { return result_; }

    QComboBox* portBox() const { return port_; }
    QCheckBox* rtsBox() const { return rts_; }
    QCheckBox* dtrBox() const { return dtr_; }
    QCheckBox* civBox() const { return civ_; }
    QLineEdit* speedEdit() const { return speed_; }
    QLineEdit* addressEdit() const { return address_; }
    QPushButton* rigButton() const { return rigButton_; }
    QLabel* errorLabel() const { return error_; }

    void accept() override;
    // The rig dialog; what it accepts is kept for OK.
    void editRig();

  private:
    void showFor(int position);
    bool readCiv(StoredPortSettings& settings);

    PortList ports_;
    StoredPortSettings result_;
    QComboBox* port_ = nullptr;
    QCheckBox* rts_ = nullptr;
    QCheckBox* dtr_ = nullptr;
    QCheckBox* civ_ = nullptr;
    QLabel* speedLabel_ = nullptr;
    QLineEdit* speed_ = nullptr;
    QLabel* addressLabel_ = nullptr;
    QLineEdit* address_ = nullptr;
    QPushButton* rigButton_ = nullptr;
    QLabel* error_ = nullptr;
};

}  // namespace tarnvel::radio
