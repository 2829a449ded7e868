#include "radio/ui/CPortDialog.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "radio/CivFrame.h"
#include "radio/ui/CRigDialog.h"

namespace tarnvel::radio {

CPortDialog::CPortDialog(const StoredPortSettings& settings, PortList ports, QWidget* parent)
    : QDialog(parent), ports_(std::move(ports)), result_(settings) {
    setWindowTitle(QStringLiteral("Numer portu"));
    port_ = new QComboBox(this);
    for (const PortChoice& choice : ports_.choices()) {
        QString label = QString::fromStdString(choice.label);
        if (!choice.present) label += QStringLiteral(" (nie znaleziono)");
        port_->addItem(label);
    }
    rts_ = new QCheckBox(QStringLiteral("RtsAsPtt"), this);
    rts_->setChecked(settings.rtsAsPtt != 0);
    dtr_ = new QCheckBox(QStringLiteral("DtrAsPtt"), this);
    dtr_->setChecked(settings.dtrAsPtt != 0);
    civ_ = new QCheckBox(QStringLiteral("UseIcomCIV"), this);
    civ_->setChecked(settings.useIcomCiv != 0);
    speedLabel_ = new QLabel(QStringLiteral("Szybkość:"), this);
    speed_ = new QLineEdit(QString::asprintf("%i", settings.serialSpeed), this);
    addressLabel_ = new QLabel(QStringLiteral("Adres:"), this);
    address_ = new QLineEdit(QString::asprintf("%02x", settings.icomAddr & 0xFF), this);
    address_->setMaxLength(2);
    rigButton_ = new QPushButton(QStringLiteral("Ustawienia..."), this);
    error_ = new QLabel(this);
    error_->setWordWrap(true);
    error_->setStyleSheet(QStringLiteral("color: #a00000"));

    auto* civ = new QGridLayout;
    civ->addWidget(civ_, 0, 0, 1, 2);
    civ->addWidget(speedLabel_, 1, 0);
    civ->addWidget(speed_, 1, 1);
    civ->addWidget(addressLabel_, 2, 0);
    civ->addWidget(address_, 2, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(port_);
    layout->addWidget(rts_);
    layout->addWidget(dtr_);
    layout->addLayout(civ);
    layout->addWidget(rigButton_);
    layout->addWidget(error_);
    layout->addWidget(buttons);

    connect(port_, &QComboBox::currentIndexChanged, this, &CPortDialog::showFor);
    connect(civ_, &QCheckBox::toggled, this, [this] { showFor(port_->currentIndex()); });
    connect(rigButton_, &QPushButton::clicked, this, &CPortDialog::editRig);
    connect(buttons, &QDialogButtonBox::accepted, this, &CPortDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CPortDialog::reject);

    const auto position = static_cast<int>(ports_.positionOf(settings.number, settings.device));
    port_->setCurrentIndex(position);
    showFor(position);
}

// The push-to-talk boxes serve a device whose lines carry no bands; CI-V needs a device; the
// rig's settings belong to "External".
void CPortDialog::showFor(int position) {
    const PortKind kind =
        position >= 0 ? ports_.at(static_cast<std::size_t>(position)).kind : PortKind::None;
    const bool serial = kind == PortKind::Serial;
    rts_->setVisible(serial && result_.fourband == 0);
    dtr_->setVisible(serial && result_.fourband == 0);
    civ_->setVisible(serial);
    const bool civ = serial && civ_->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(speedLabel_), static_cast<QWidget*>(speed_),
                       static_cast<QWidget*>(addressLabel_), static_cast<QWidget*>(address_)})
        w->setVisible(civ);
    rigButton_->setVisible(kind == PortKind::External);
}

void CPortDialog::editRig() {
    RigSettings rig;
    rig.model = result_.rigModel;
    rig.device = result_.rigDevice;
    rig.speed = result_.rigSpeed;
    rig.ptt = pttMethodFromSetting(result_.rigPtt).value_or(PttMethod::Cat);
    CRigDialog dialog(rig, this);
    if (dialog.exec() != QDialog::Accepted) return;
    const RigSettings chosen = dialog.settings();
    result_.rigModel = chosen.model;
    result_.rigDevice = chosen.device;
    result_.rigSpeed = chosen.speed;
    result_.rigPtt = static_cast<int>(chosen.ptt);
}

// The speed and address are read only while they are shown; hidden ones keep their values.
bool CPortDialog::readCiv(StoredPortSettings& settings) {
    if (!speed_->isVisibleTo(this)) return true;
    const SerialSpeedInput speed = parseSerialSpeed(speed_->text().toStdString());
    if (!speed.error.empty()) {
        error_->setText(QString::fromStdString(speed.error));
        speed_->setFocus();
        return false;
    }
    const CivAddressInput address = parseCivAddress(address_->text().toStdString());
    if (!address.address) {
        error_->setText(QString::fromStdString(address.error));
        address_->setFocus();
        return false;
    }
    settings.serialSpeed = speed.baud;
    settings.icomAddr = *address.address;
    return true;
}

void CPortDialog::accept() {
    StoredPortSettings settings = result_;
    const auto position = static_cast<std::size_t>(std::max(0, port_->currentIndex()));
    if (!readCiv(settings)) return;
    settings.number = ports_.numberAt(position);
    settings.device = ports_.deviceKeyAt(position);
    if (rts_->isVisibleTo(this)) {
        settings.rtsAsPtt = rts_->isChecked() ? 1 : 0;
        settings.dtrAsPtt = dtr_->isChecked() ? 1 : 0;
    }
    if (civ_->isVisibleTo(this)) settings.useIcomCiv = civ_->isChecked() ? 1 : 0;
    error_->clear();
    result_ = settings;
    QDialog::accept();
}

}  // namespace tarnvel::radio
