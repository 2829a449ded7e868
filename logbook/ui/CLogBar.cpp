#include "logbook/ui/CLogBar.h"

#include <algorithm>

#include <QFocusEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace tarnvel::logbook {

void CBandBox::showPopup() {
    Q_EMIT aboutToShowPopup();
    QComboBox::showPopup();
}

CLogBar::CLogBar(QWidget* parent) : QDockWidget(parent) {
    setObjectName(QString::fromLatin1(kLogBarName));
    setWindowTitle(QStringLiteral("Log"));
    // Floating, the bar would be a window of its own and lose the main window's keys; a
    // dialog bar has no title of its own.
    setFeatures(QDockWidget::DockWidgetMovable);
    setAllowedAreas(Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea);
    setTitleBarWidget(new QWidget(this));
    body_ = new QWidget(this);
    grid_ = new QGridLayout(body_);
    grid_->setContentsMargins(4, 2, 4, 2);
    grid_->setVerticalSpacing(2);
    setWidget(body_);

    addField(QsoField::Call, QStringLiteral("Call"), "Enter a call", 90);
    addField(QsoField::Name, QStringLiteral("Name"), "Enter a name", 90);
    addField(QsoField::Qth, QStringLiteral("QTH"), "Enter a QTH", 110);
    addField(QsoField::RstSent, QStringLiteral("Sent"), "Enter sent RST", 40);
    addField(QsoField::RstReceived, QStringLiteral("Rcvd"), "Enter received RST", 40);
    newRow();
    band_ = new CBandBox(body_);
    band_->setToolTip(QStringLiteral("Choose a band"));
    band_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    place(QStringLiteral("Band"), band_);
    connect(band_, qOverload<int>(&QComboBox::activated), this, [this](int row) {
        if (!showingBands_ && row >= 0) Q_EMIT bandChosen(band_->itemData(row).toInt());
    });
    addField(QsoField::Notes, QStringLiteral("Info"), "Enter notes", 160);
    save_ = addButton(QStringLiteral("SAVE"), "Save QSO data (Alt-A)");
    clear_ = addButton(QStringLiteral("CLEAR"), "Clear all fields (Alt-L)");
    search_ = addButton(QStringLiteral("SEARCH"), "Search in logfile (Alt-S)");
    connect(save_, &QPushButton::clicked, this, &CLogBar::saveClicked);
    connect(clear_, &QPushButton::clicked, this, &CLogBar::clearClicked);
    connect(search_, &QPushButton::clicked, this, &CLogBar::searchClicked);
    mark_ = new QLabel(QStringLiteral("*"), body_);
    mark_->setToolTip(QStringLiteral("The QSO data is not saved"));
    mark_->setMinimumWidth(mark_->sizeHint().width() + 4);
    grid_->addWidget(mark_, row_, column_++);
    grid_->setColumnStretch(column_, 1);  // the bar's room to spare goes to the right
    setUnsaved(false);
}

void CLogBar::place(const QString& label, QWidget* widget, int span) {
    if (!label.isEmpty()) grid_->addWidget(new QLabel(label, body_), row_, column_++);
    grid_->addWidget(widget, row_, column_, 1, span);
    column_ += span;
}

void CLogBar::newRow() {
    ++row_;
    column_ = 0;
}

CDpDropEdit* CLogBar::addField(QsoField which, const QString& label, const char* tip, int width) {
    auto* edit = new CDpDropEdit(body_);
    edit->setToolTip(QString::fromLatin1(tip));
    edit->setMinimumWidth(width);
    // Reports are three characters: their fields do not take the bar's room to spare.
    if (which == QsoField::RstSent || which == QsoField::RstReceived)
        edit->setMaximumWidth(width * 2);
    // The notes reach over the name and QTH columns of the line above.
    place(label, edit, which == QsoField::Notes ? 3 : 1);
    fields_[static_cast<size_t>(which)] = edit;
    connect(edit, &QLineEdit::textEdited, this, [this, which](const QString& text) {
        if (which == QsoField::Call) callEdited_ = true;
        Q_EMIT fieldEdited(which, text);
    });
    connect(edit, &CDpDropEdit::dropped, this, [this, which](const QString& text) {
        if (which == QsoField::Call) callEdited_ = true;
        Q_EMIT fieldEdited(which, text);
    });
    if (which == QsoField::Call) {
        connect(edit, &QLineEdit::returnPressed, this, [this] {
            callEdited_ = false;
            Q_EMIT callEntered();
        });
        edit->installEventFilter(this);
    }
    return edit;
}

QPushButton* CLogBar::addButton(const QString& text, const char* tip) {
    auto* button = new QPushButton(text, body_);
    button->setToolTip(QString::fromLatin1(tip));
    button->setFocusPolicy(Qt::NoFocus);  // the keys stay with the fields
    place(QString(), button);
    return button;
}

bool CLogBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == field(QsoField::Call) && event->type() == QEvent::FocusOut && callEdited_) {
        // Another window or a menu taking the focus does not leave the field.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            callEdited_ = false;
            Q_EMIT callLeft();
        }
    }
    return QDockWidget::eventFilter(watched, event);
}

CDpDropEdit* CLogBar::field(QsoField which) const {
    return fields_[static_cast<size_t>(which)];
}

void CLogBar::showField(QsoField which, const QString& text) {
    CDpDropEdit* edit = field(which);
    if (edit->text() != text) edit->setText(text);
}

void CLogBar::setUnsaved(bool unsaved) {
    // The mark keeps its place, so the bar does not jump when it appears.
    mark_->setText(unsaved ? QStringLiteral("*") : QStringLiteral(" "));
}

void CLogBar::setBands(const std::vector<QString>& names, const std::vector<int>& pages,
                       int current) {
    showingBands_ = true;
    // The list is filled again only when it changed: the bar is shown again at every edit.
    bool same = static_cast<size_t>(band_->count()) == std::min(names.size(), pages.size());
    for (int i = 0; same && i < band_->count(); ++i)
        same = band_->itemText(i) == names[static_cast<size_t>(i)] &&
               band_->itemData(i).toInt() == pages[static_cast<size_t>(i)];
    if (!same) {
        band_->clear();
        for (size_t i = 0; i < names.size() && i < pages.size(); ++i)
            band_->addItem(names[i], pages[i]);
    }
    band_->setCurrentIndex(band_->findData(current));
    showingBands_ = false;
}

std::vector<QWidget*> CLogBar::tabOrder() const {
    return {field(QsoField::Call),    field(QsoField::Name),        field(QsoField::Qth),
            field(QsoField::RstSent), field(QsoField::RstReceived), band_,
            field(QsoField::Notes)};
}

QWidget* CLogBar::nextInTabOrder(QWidget* from, bool backward) const {
    const std::vector<QWidget*> order = tabOrder();
    for (size_t i = 0; i < order.size(); ++i) {
        if (order[i] != from) continue;
        if (backward) return i == 0 ? nullptr : order[i - 1];
        return i + 1 == order.size() ? nullptr : order[i + 1];
    }
    return nullptr;
}

void CLogBar::focusField(QsoField which) {
    CDpDropEdit* edit = field(which);
    edit->setFocus(Qt::ShortcutFocusReason);
    edit->selectAll();
}

}  // namespace tarnvel::logbook
