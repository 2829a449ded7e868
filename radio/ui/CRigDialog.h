#pragma once
// The rig dialog of the "External" port: a Hamlib model picked from a searchable list, the
// rig's device (or host:port for rigctld), its speed and how push-to-talk reaches it. "Test"
// opens the rig on a rig thread of its own and shows the frequency it reads; the window never
// waits for the rig.

#include <QDialog>
#include <memory>

#include "radio/RigSettings.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSocketNotifier;

namespace tarnvel::radio {

class RigControl;
struct RigEvent;

class CRigDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CRigDialog(const RigSettings& settings, QWidget* parent = nullptr);
    ~CRigDialog() override;

    // What OK stores (valid once the dialog was accepted).
    RigSettings settings() const { return result_; }

    QLineEdit* searchEdit() const { return search_; }
    QListWidget* modelList() const { return models_; }
    QLineEdit* deviceEdit() const { return device_; }
    QLineEdit* speedEdit() const { return speed_; }
    QComboBox* pttBox() const { return ptt_; }
    QPushButton* testButton() const { return test_; }
    // The outcome of "Test", or why OK was refused.
    QLabel* statusLabel() const { return status_; }

    void accept() override;
    // Starts reading the frequency with what the dialog holds now.
    void startTest();

  Q_SIGNALS:
    // "Test" has its answer (shown in the status label).
    void testFinished(bool ok);

  private:
    void fillModels(const QString& filter);
    void selectModel(int model);
    // The settings the fields hold, or nothing with the reason in the status label.
    bool readFields(RigSettings& settings);
    void takeRigEvents();
    void finishTest(bool ok, const QString& text);

    RigSettings result_;
    int chosenModel_ = 0;
    QLineEdit* search_ = nullptr;
    QListWidget* models_ = nullptr;
    QLineEdit* device_ = nullptr;
    QLineEdit* speed_ = nullptr;
    QComboBox* ptt_ = nullptr;
    QPushButton* test_ = nullptr;
    QLabel* status_ = nullptr;
    std::unique_ptr<RigControl> rig_;
    std::unique_ptr<QSocketNotifier> wake_;
};

}  // namespace tarnvel::radio
