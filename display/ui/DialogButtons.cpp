#include "display/ui/DialogButtons.h"

#include <QDialog>

namespace tarnvel::display {

QDialogButtonBox* okCancelButtons(QDialog* dialog, Qt::Orientation orientation) {
    auto* box = new QDialogButtonBox(orientation, dialog);
    box->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    box->addButton(QStringLiteral("Anuluj"), QDialogButtonBox::RejectRole);
    QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return box;
}

}  // namespace tarnvel::display
