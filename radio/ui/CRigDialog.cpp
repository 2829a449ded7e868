#include "radio/ui/CRigDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSocketNotifier>
#include <QVBoxLayout>

#include "radio/HamlibRig.h"
#include "radio/RigControl.h"

namespace tarnvel::radio {

CRigDialog::CRigDialog(const RigSettings& settings, QWidget* parent)
    : QDialog(parent), result_(settings), chosenModel_(settings.model) {
    setWindowTitle(QStringLiteral("Radio (Hamlib)"));
    initHamlib();
    search_ = new QLineEdit(this);
    search_->setPlaceholderText(QStringLiteral("Szukaj"));
    models_ = new QListWidget(this);
    device_ = new QLineEdit(QString::fromStdString(settings.device), this);
    device_->setPlaceholderText(QStringLiteral("/dev/ttyUSB0 lub localhost:4532"));
    speed_ = new QLineEdit(settings.speed > 0 ? QString::number(settings.speed) : QString(), this);
    speed_->setPlaceholderText(QStringLiteral("domyślna"));
    ptt_ = new QComboBox(this);
    ptt_->addItems({QStringLiteral("CAT"), QStringLiteral("RTS"), QStringLiteral("DTR")});
    ptt_->setCurrentIndex(static_cast<int>(settings.ptt));
    test_ = new QPushButton(QStringLiteral("Test"), this);
    status_ = new QLabel(this);
    status_->setWordWrap(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Urządzenie:"), device_);
    form->addRow(QStringLiteral("Szybkość:"), speed_);
    form->addRow(QStringLiteral("PTT:"), ptt_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(search_);
    layout->addWidget(models_);
    layout->addLayout(form);
    layout->addWidget(test_);
    layout->addWidget(status_);
    layout->addWidget(buttons);

    connect(search_, &QLineEdit::textChanged, this, &CRigDialog::fillModels);
    connect(models_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) chosenModel_ = models_->item(row)->data(Qt::UserRole).toInt();
    });
    connect(test_, &QPushButton::clicked, this, &CRigDialog::startTest);
    connect(buttons, &QDialogButtonBox::accepted, this, &CRigDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CRigDialog::reject);
    fillModels({});
}

CRigDialog::~CRigDialog() = default;

void CRigDialog::fillModels(const QString& filter) {
    const QSignalBlocker quiet(models_);
    models_->clear();
    for (const RigModel& m : rigModelsMatching(filter.trimmed().toStdString())) {
        auto* item = new QListWidgetItem(
            QStringLiteral("%1  %2 %3")
                .arg(m.model)
                .arg(QString::fromStdString(m.manufacturer), QString::fromStdString(m.name)),
            models_);
        item->setData(Qt::UserRole, m.model);
    }
    selectModel(chosenModel_);
}

void CRigDialog::selectModel(int model) {
    for (int row = 0; row < models_->count(); ++row) {
        if (models_->item(row)->data(Qt::UserRole).toInt() == model) {
            models_->setCurrentRow(row);
            return;
        }
    }
}

bool CRigDialog::readFields(RigSettings& settings) {
    settings = result_;
    if (chosenModel_ <= 0) {
        status_->setText(QStringLiteral("Choose a rig model from the list"));
        return false;
    }
    settings.model = chosenModel_;
    settings.device = device_->text().trimmed().toStdString();
    const QString speed = speed_->text().trimmed();
    bool ok = true;
    settings.speed = speed.isEmpty() ? 0 : speed.toInt(&ok);
    if (!ok || settings.speed < 0) {
        status_->setText(QStringLiteral("The speed \"%1\" is not a whole number of baud").arg(speed));
        return false;
    }
    settings.ptt = pttMethodFromSetting(ptt_->currentIndex()).value_or(PttMethod::Cat);
    return true;
}

void CRigDialog::accept() {
    RigSettings settings;
    if (!readFields(settings)) return;
    result_ = settings;
    rig_.reset();  // a test still running ends here
    QDialog::accept();
}

void CRigDialog::startTest() {
    RigSettings settings;
    if (!readFields(settings)) return;
    wake_.reset();
    rig_ = std::make_unique<RigControl>();
    wake_ = std::make_unique<QSocketNotifier>(rig_->wakeFd(), QSocketNotifier::Read);
    connect(wake_.get(), &QSocketNotifier::activated, this, &CRigDialog::takeRigEvents);
    test_->setEnabled(false);
    status_->setText(QStringLiteral("…"));
    rig_->start(settings);
}

void CRigDialog::takeRigEvents() {
    if (!rig_) return;
    while (const std::optional<RigEvent> event = rig_->nextEvent()) {
        switch (event->kind) {
            case RigEventKind::Opened:
                rig_->readFrequency();
                break;
            case RigEventKind::Frequency:
                finishTest(true, QStringLiteral("%1 kHz").arg(
                                     static_cast<double>(event->hz) / 1000.0, 0, 'f', 3));
                return;
            case RigEventKind::OpenFailed:
            case RigEventKind::CommandFailed:
            case RigEventKind::Lost:
                finishTest(false, QString::fromStdString(event->message));
                return;
            case RigEventKind::PttSet:
            case RigEventKind::FrequencySet:
                break;
        }
    }
}

void CRigDialog::finishTest(bool ok, const QString& text) {
    status_->setText(text);
    test_->setEnabled(true);
    // The notifier is the sender of the signal being handled: it goes once that is over.
    wake_->setEnabled(false);
    wake_.release()->deleteLater();
    rig_.reset();
    Q_EMIT testFinished(ok);
}

}  // namespace tarnvel::radio
