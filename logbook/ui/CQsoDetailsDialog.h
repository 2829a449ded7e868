#pragma once
// The QSO details dialog of the log window: call, name, QTH, RST sent and received, notes and
// the frequency in MHz, shown to the Hz ("14.070000"), so that OK without a change gives the
// QSO back exactly as it was.

#include <QDialog>
#include <array>

#include "logbook/QsoRecord.h"
#include "logbook/ui/LogTextCodec.h"

class QLineEdit;

namespace tarnvel::logbook {

class CQsoDetailsDialog : public QDialog {
    Q_OBJECT
  public:
    CQsoDetailsDialog(const QsoRecord& record, LogTextCodec codec, QWidget* parent = nullptr);

    enum class Field { Call, Name, Qth, RstSent, RstReceived, Notes, Frequency };
    QLineEdit* field(Field which) const { return fields_[static_cast<size_t>(which)]; }
    // The QSO with the dialog's values (valid after OK).
    const QsoRecord& record() const { return record_; }

    void accept() override;

  private:
    QsoRecord record_;
    LogTextCodec codec_;
    std::array<QLineEdit*, 7> fields_{};
};

}  // namespace tarnvel::logbook
