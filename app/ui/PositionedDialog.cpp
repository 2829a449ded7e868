#include "app/ui/PositionedDialog.h"

#include "display/ui/DialogButtons.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QVBoxLayout>

namespace tarnvel::app {

namespace {

constexpr const char* kLeftKey = "Left";
constexpr const char* kTopKey = "Top";

}  // namespace

PositionedDialog::PositionedDialog(SettingsStore& store, QString name, QWidget* parent)
    : QDialog(parent), store_(store), name_(std::move(name)) {
    setWindowIcon(QIcon(QStringLiteral(":/icons/tarnvel.png")));
}

QString PositionedDialog::sectionName() const {
    return name_.isEmpty() ? windowTitle() : name_;
}

void PositionedDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (placed_) return;
    placed_ = true;
    const std::string section = sectionName().toStdString();
    if (!store_.find(section, kLeftKey) && !store_.find(section, kTopKey)) {
        move(firstPosition());
        return;
    }
    move(store_.getInt(section, kLeftKey, 0), store_.getInt(section, kTopKey, 0));
}

QPoint PositionedDialog::firstPosition() const {
    return QPoint(0, 0);
}

void PositionedDialog::storePosition() {
    if (isMinimized() || !placed_) return;
    const std::string section = sectionName().toStdString();
    store_.beginBatch();
    store_.writeInt(section, kLeftKey, x());
    store_.writeInt(section, kTopKey, y());
    store_.endBatch();
}

void PositionedDialog::done(int result) {
    storePosition();
    QDialog::done(result);
}

void PositionedDialog::closeEvent(QCloseEvent* event) {
    storePosition();
    QDialog::closeEvent(event);
}

CInputBox::CInputBox(SettingsStore& store, const QString& prompt, const QString& value, QChar mask,
                     QWidget* parent)
    : PositionedDialog(store, QStringLiteral("Input Box"), parent),
      field_(new QLineEdit(value, this)) {
    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(prompt, this));
    left->addWidget(field_);
    layout->addLayout(left);
    layout->addWidget(display::okCancelButtons(this, Qt::Vertical));
    if (!mask.isNull()) field_->setEchoMode(QLineEdit::Password);
}

QString CInputBox::value() const {
    return field_->text();
}

void CInputBox::showEvent(QShowEvent* event) {
    PositionedDialog::showEvent(event);
    field_->setFocus();
    field_->selectAll();  // typing replaces the offered value
}

std::optional<QString> CInputBox::ask(SettingsStore& store, QWidget* parent, const QString& prompt,
                                      const QString& value) {
    CInputBox box(store, prompt, value, QChar(), parent);
    if (box.exec() != QDialog::Accepted) return std::nullopt;
    return box.value();
}

CNumberPrompt::CNumberPrompt(const QString& prompt, int value, QWidget* parent)
    : QDialog(parent), field_(new QLineEdit(QString::number(value), this)), value_(value) {
    setWindowIcon(QIcon(QStringLiteral(":/icons/tarnvel.png")));
    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(prompt, this));
    left->addWidget(field_);
    layout->addLayout(left);
    layout->addWidget(display::okCancelButtons(this, Qt::Vertical));
    field_->selectAll();
}

void CNumberPrompt::setRange(int minimum, int maximum) {
    range_ = std::make_pair(minimum, maximum);
}

void CNumberPrompt::accept() {
    bool ok = false;
    const int v = field_->text().trimmed().toInt(&ok);
    if (!ok) {
        QMessageBox::warning(this, windowTitle(), QStringLiteral("Please enter an integer."));
        field_->setFocus();
        field_->selectAll();
        return;
    }
    if (range_ && (v < range_->first || v > range_->second)) {
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("Please enter an integer between %1 and %2.")
                                 .arg(range_->first)
                                 .arg(range_->second));
        field_->setFocus();
        field_->selectAll();
        return;
    }
    value_ = v;
    QDialog::accept();
}

std::optional<int> CNumberPrompt::ask(QWidget* parent, const QString& title, const QString& prompt,
                                      int value) {
    CNumberPrompt box(prompt, value, parent);
    box.setWindowTitle(title);
    display::fitTitle(&box);
    if (box.exec() != QDialog::Accepted) return std::nullopt;
    return box.value();
}

}  // namespace tarnvel::app
