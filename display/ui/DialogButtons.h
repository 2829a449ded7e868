#pragma once
// The "OK" / "Anuluj" button row every dialog of the program ends with, and the width every
// dialog needs for its title.

#include <QDialogButtonBox>

class QDialog;

namespace tarnvel::display {

// Buttons wired to the dialog's accept and reject; vertical for dialogs laid out in a column.
QDialogButtonBox* okCancelButtons(QDialog* dialog, Qt::Orientation orientation = Qt::Horizontal);

// Makes the dialog at least as wide as its title needs in the window manager's title bar (the
// title in a bold face, beside the bar's icon and buttons), so that it is never cut off.
// Call after setWindowTitle.
void fitTitle(QDialog* dialog);

}  // namespace tarnvel::display
