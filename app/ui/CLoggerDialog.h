#pragma once
// The UDP logger's settings ("Logger" section): whether saved QSOs are sent, and the logger's
// host and port. OK checks them first and says what is wrong; the dialog then stays open.

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace tarnvel::app {

class CLoggerDialog : public QDialog {
    Q_OBJECT
  public:
    struct Target {
        bool enabled = false;
        QString host;
        int port = 0;
    };
    CLoggerDialog(const Target& target, QWidget* parent = nullptr);

    Target target() const;
    // Empty when the values may be stored, else the message the dialog shows.
    QString problem() const;

    QCheckBox* enabledBox() const { return enabled_; }
    QLineEdit* hostEdit() const { return host_; }
    QLineEdit* portEdit() const { return port_; }

  public Q_SLOTS:
    void accept() override;

  private:
    QCheckBox* enabled_;
    QLineEdit* host_;
    QLineEdit* port_;
};

}  // namespace tarnvel::app
