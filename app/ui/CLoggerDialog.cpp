#include "app/ui/CLoggerDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QVBoxLayout>

#include "link/LoggerTarget.h"

namespace tarnvel::app {

CLoggerDialog::CLoggerDialog(const Target& target, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Logger UDP"));
    auto* layout = new QVBoxLayout(this);
    auto* about =
        new QLabel(QStringLiteral("Every saved QSO is also sent to a logging program listening for "
                                  "\"Logged ADIF\" messages over UDP (port 2237 by default)."),
                   this);
    about->setWordWrap(true);
    layout->addWidget(about);
    enabled_ = new QCheckBox(QStringLiteral("&Send saved QSOs to the logger"), this);
    enabled_->setChecked(target.enabled);
    layout->addWidget(enabled_);
    auto* form = new QFormLayout;
    host_ = new QLineEdit(target.host, this);
    host_->setPlaceholderText(QStringLiteral("127.0.0.1"));
    port_ = new QLineEdit(QString::number(target.port), this);
    form->addRow(QStringLiteral("&Host (IP address or localhost):"), host_);
    form->addRow(QStringLiteral("&Port:"), port_);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CLoggerDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

CLoggerDialog::Target CLoggerDialog::target() const {
    return {enabled_->isChecked(), host_->text().trimmed(), port_->text().trimmed().toInt()};
}

QString CLoggerDialog::problem() const {
    bool number = false;
    const QString portText = port_->text().trimmed();
    const int port = portText.toInt(&number);
    if (!number)
        return QStringLiteral("The logger's port \"%1\" is not a number between 1 and 65535.")
            .arg(portText);
    return QString::fromStdString(
        link::loggerTargetProblem(host_->text().trimmed().toStdString(), port));
}

void CLoggerDialog::accept() {
    if (const QString p = problem(); !p.isEmpty()) {
        QMessageBox::warning(this, windowTitle(), p);
        return;
    }
    QDialog::accept();
}

}  // namespace tarnvel::app
