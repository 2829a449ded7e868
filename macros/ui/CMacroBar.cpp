#include "macros/ui/CMacroBar.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>

#include "macros/MacroKeys.h"

namespace tarnvel::macros {

namespace {

QString qText(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace

CMacroBar::CMacroBar(LabelSource labels, QWidget* parent)
    : QToolBar(QStringLiteral("Macro"), parent), labels_(std::move(labels)) {
    // The main window saves and restores its bars by their names.
    setObjectName(QStringLiteral("MacroBar"));
    for (int key = 1; key <= kMacroKeysPerSet; ++key) {
        auto* b = new QPushButton(QString::number(key), this);
        b->setFocusPolicy(Qt::NoFocus);
        b->setContextMenuPolicy(Qt::CustomContextMenu);
        b->installEventFilter(this);
        connect(b, &QPushButton::clicked, this, [this, key] { buttonClicked(key); });
        connect(b, &QWidget::customContextMenuRequested, this,
                [this, key] { Q_EMIT editRequested(activeSet(), key); });
        addWidget(b);
        buttons_[static_cast<size_t>(key - 1)] = b;
    }
    caret_ = new QPushButton(qText(kCaretButtonText), this);
    caret_->setCheckable(true);
    caret_->setFocusPolicy(Qt::NoFocus);
    caret_->setToolTip(qText(kCaretButtonTooltip));
    connect(caret_, &QPushButton::toggled, this, &CMacroBar::refresh);
    addWidget(caret_);
    qApp->installEventFilter(this);
    refresh();
}

CMacroBar::~CMacroBar() {
    qApp->removeEventFilter(this);
}

MacroKeySet CMacroBar::activeSet() const {
    return activeMacroSet(ctrlHeld_, caret_->isChecked());
}

void CMacroBar::setCtrlHeld(bool held) {
    if (held == ctrlHeld_) return;
    ctrlHeld_ = held;
    refresh();
}

void CMacroBar::refresh() {
    const MacroKeySet set = activeSet();
    for (int key = 1; key <= kMacroKeysPerSet; ++key) {
        QPushButton* b = button(key);
        // A "&" in a label is shown, not taken as the button's mnemonic.
        const QString label = QString(labels_(set, key)).replace(QLatin1Char('&'), QStringLiteral("&&"));
        if (b->text() != label) b->setText(label);
        b->setToolTip(qText(macroButtonTooltip(set, key)));
    }
}

QPushButton* CMacroBar::button(int key) const {
    return buttons_.at(static_cast<size_t>(key - 1));
}

void CMacroBar::buttonClicked(int key) {
    Q_EMIT fireRequested(activeMacroSet(ctrlAtClick_, caret_->isChecked()), key);
}

// The Ctrl key wherever the focus is, and Ctrl as a button is released under the mouse (the
// click itself says whether it was held, whatever the bar saw before).
bool CMacroBar::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Control) setCtrlHeld(type == QEvent::KeyPress);
    } else if (type == QEvent::MouseButtonRelease && watched != this) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        ctrlAtClick_ = mouse->modifiers().testFlag(Qt::ControlModifier);
    } else if (type == QEvent::WindowDeactivate && watched == window()) {
        // The release of a Ctrl held while the window lost the focus is never seen.
        setCtrlHeld(false);
    }
    return QToolBar::eventFilter(watched, event);
}

}  // namespace tarnvel::macros
