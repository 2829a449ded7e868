#include "display/ui/DialogButtons.h"

#include <QDialog>
#include <QFontMetrics>

namespace tarnvel::display {

namespace {

// Room for the title bar's icon, its minimise / maximise / close buttons and the margins.
constexpr int kTitleBarExtras = 150;

}  // namespace

QDialogButtonBox* okCancelButtons(QDialog* dialog, Qt::Orientation orientation) {
    auto* box = new QDialogButtonBox(orientation, dialog);
    box->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    box->addButton(QStringLiteral("Anuluj"), QDialogButtonBox::RejectRole);
    QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return box;
}

void fitTitle(QDialog* dialog) {
    QFont font = dialog->font();
    font.setBold(true);
    const int needed =
        QFontMetrics(font).horizontalAdvance(dialog->windowTitle()) + kTitleBarExtras;
    if (dialog->minimumWidth() < needed) dialog->setMinimumWidth(needed);
}

}  // namespace tarnvel::display
