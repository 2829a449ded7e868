#include "macros/ui/CMacroBar.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolButton>

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
    // A row of thirteen buttons: above or below the windows, not beside them.
    setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
    // The buttons sit in a row of their own, so that they look like buttons (not like the
    // flat icons of a tool bar) and share its width. The latch comes first: a narrow window
    // hides the last buttons behind the bar's extension arrow, and the latch must stay in reach.
    auto* row = new QWidget(this);
    row->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    caret_ = new QToolButton(row);
    caret_->setText(qText(kCaretButtonText));
    caret_->setCheckable(true);
    caret_->setFocusPolicy(Qt::NoFocus);
    caret_->setToolTip(qText(kCaretButtonTooltip));
    connect(caret_, &QToolButton::toggled, this, &CMacroBar::refresh);
    layout->addWidget(caret_);
    for (int key = 1; key <= kMacroKeysPerSet; ++key) {
        auto* b = new QToolButton(row);
        b->setText(QString::number(key));
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        b->setContextMenuPolicy(Qt::CustomContextMenu);
        b->installEventFilter(this);
        connect(b, &QToolButton::clicked, this, [this, key] { buttonClicked(key); });
        connect(b, &QWidget::customContextMenuRequested, this,
                [this, key] { Q_EMIT editRequested(activeSet(), key); });
        layout->addWidget(b);
        buttons_[static_cast<size_t>(key - 1)] = b;
    }
    addWidget(row);
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
        QToolButton* b = button(key);
        // A "&" in a label is shown, not taken as the button's mnemonic.
        const QString label = QString(labels_(set, key)).replace(QLatin1Char('&'), QStringLiteral("&&"));
        if (b->text() != label) b->setText(label);
        b->setToolTip(qText(macroButtonTooltip(set, key)));
    }
}

QToolButton* CMacroBar::button(int key) const {
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
