#include "logbook/ui/CQsoDetailsDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>

#include "logbook/FrequencyText.h"

namespace tarnvel::logbook {

CQsoDetailsDialog::CQsoDetailsDialog(const QsoRecord& record, LogTextCodec codec, QWidget* parent)
    : QDialog(parent), record_(record), codec_(std::move(codec)) {
    setWindowTitle(QStringLiteral("QSO"));
    auto* form = new QFormLayout(this);
    const auto add = [&](Field which, const QString& label, const QString& text) {
        auto* edit = new QLineEdit(text, this);
        fields_[static_cast<size_t>(which)] = edit;
        form->addRow(label, edit);
    };
    add(Field::Call, QStringLiteral("Call"), codec_.show(record.call));
    add(Field::Name, QStringLiteral("Name"), codec_.show(record.name));
    add(Field::Qth, QStringLiteral("QTH"), codec_.show(record.qth));
    add(Field::RstSent, QStringLiteral("RST sent"), codec_.show(record.rstSent));
    add(Field::RstReceived, QStringLiteral("RST received"), codec_.show(record.rstReceived));
    add(Field::Notes, QStringLiteral("Notes"), codec_.show(record.notes));
    add(Field::Frequency, QStringLiteral("Frequency, MHz"),
        QString::fromStdString(megahertzText(record.frequency())));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void CQsoDetailsDialog::accept() {
    const QString typed = field(Field::Frequency)->text();
    const std::optional<Hertz> hz = parseMegahertz(typed.toStdString());
    if (!hz) {
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("\"%1\" is not a frequency in MHz.").arg(typed));
        return;  // the dialog stays open with what was typed
    }
    const auto take = [this](Field which) { return codec_.take(field(which)->text()); };
    // The call is written upper-cased, as the save command writes it.
    record_.call = take(Field::Call);
    for (char& c : record_.call)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    record_.name = take(Field::Name);
    record_.qth = take(Field::Qth);
    record_.rstSent = take(Field::RstSent);
    record_.rstReceived = take(Field::RstReceived);
    record_.notes = take(Field::Notes);
    // An unchanged frequency keeps both fields as they were.
    if (*hz != record_.frequency()) record_.frequency1 = record_.frequency2 = *hz;
    QDialog::accept();
}

}  // namespace tarnvel::logbook
