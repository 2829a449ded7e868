#pragma once
// The "OK" / "Anuluj" button row every dialog of the program ends with.

#include <QDialogButtonBox>

class QDialog;

namespace tarnvel::display {

// Buttons wired to the dialog's accept and reject; vertical for dialogs laid out in a column.
QDialogButtonBox* okCancelButtons(QDialog* dialog, Qt::Orientation orientation = Qt::Horizontal);

}  // namespace tarnvel::display
