#include "logbook/ui/CSearchDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "logbook/LogFile.h"

namespace tarnvel::logbook {

CSearchDialog::CSearchDialog(const QString& initial, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Wyszukaj w pliku dziennika"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Call, name, QTH or any text of the log line:")));
    text_ = new QLineEdit(initial, this);
    text_->selectAll();
    layout->addWidget(text_);
    auto* buttons = new QDialogButtonBox(this);
    search_ = buttons->addButton(QStringLiteral("Szukaj"), QDialogButtonBox::AcceptRole);
    whole_ = buttons->addButton(QStringLiteral("Cały Dziennik "), QDialogButtonBox::ActionRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    search_->setDefault(true);
    layout->addWidget(buttons);
    connect(search_, &QPushButton::clicked, this, [this] {
        if (text_->text().trimmed().isEmpty()) return;  // nothing to look for
        answer_ = text_->text().trimmed();
        accept();
    });
    connect(whole_, &QPushButton::clicked, this, [this] {
        answer_ = QString::fromLatin1(kWholeLogSearch);
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

}  // namespace tarnvel::logbook
