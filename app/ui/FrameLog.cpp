#include "app/ui/FrameLog.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMessageBox>

#include "app/Station.h"
#include "app/StationLog.h"
#include "app/ui/CKbdBufferView.h"
#include "app/ui/CRxView.h"
#include "display/ui/StationText.h"
#include "logbook/ui/CLogBar.h"
#include "logbook/ui/CLogWindow.h"
#include "logbook/ui/CQsoDetailsDialog.h"
#include "logbook/ui/CSearchDialog.h"

namespace tarnvel::app {

using logbook::QsoField;
using logbook::QsoRecord;

FrameLog::FrameLog(Station& station, QMainWindow& frame, CRxView* rx, CKbdBufferView* tx,
                   RunCommand runCommand)
    : QObject(&frame),
      station_(station),
      frame_(frame),
      tx_(tx),
      runCommand_(std::move(runCommand)) {
    bar_ = new logbook::CLogBar(&frame);
    frame.addDockWidget(Qt::TopDockWidgetArea, bar_);
    bar_->setVisible(true);  // shown unless the saved layout hides it
    bar_->installEventFilter(this);
    connectBar();
    connectReceiveWindow(rx);
    qApp->installEventFilter(this);
    station_.logbook().setBarShown(true);
    refresh();
}

FrameLog::~FrameLog() {
    qApp->removeEventFilter(this);
}

logbook::LogTextCodec FrameLog::codec() const {
    Station* station = &station_;
    return {[station](std::string_view codes) {
                return display::fromStationCodes(codes, station->characterSet());
            },
            [station](const QString& text) {
                return display::toStationCodes(text, station->characterSet());
            }};
}

void FrameLog::connectBar() {
    connect(bar_, &logbook::CLogBar::fieldEdited, this,
            [this](QsoField which, const QString& text) {
                station_.logbook().setField(which, codec().take(text));
            });
    connect(bar_, &logbook::CLogBar::callEntered, this,
            [this] { station_.logbook().fillFromLog(); });
    connect(bar_, &logbook::CLogBar::callLeft, this, [this] { station_.logbook().fillFromLog(); });
    connect(bar_, &logbook::CLogBar::bandChosen, this, [this](int page) {
        station_.selectBandPage(page);
        refreshBands();
    });
    connect(bar_->bandBox(), &logbook::CBandBox::aboutToShowPopup, this, &FrameLog::refreshBands);
    connect(bar_, &logbook::CLogBar::saveClicked, this,
            [this] { runCommand_(CommandId::SaveQso); });
    connect(bar_, &logbook::CLogBar::clearClicked, this,
            [this] { runCommand_(CommandId::ClearQso); });
    connect(bar_, &logbook::CLogBar::searchClicked, this, &FrameLog::search);
}

void FrameLog::connectReceiveWindow(CRxView* rx) {
    rx->setLogAvailable(true);
    connect(rx, &CRxView::putWordToLog, this, [this](LogField field, const QString& word) {
        station_.logbook().putWordToLog(static_cast<QsoField>(field), codec().take(word));
    });
    connect(rx, &CRxView::addCall, this,
            [this](const QString& word) { station_.logbook().addCall(codec().take(word)); });
    connect(rx, &CRxView::searchLog, this, &FrameLog::search);
}

void FrameLog::refresh() {
    const logbook::QsoInProgress& qso = station_.logbook().qso();
    const auto c = codec();
    for (const QsoField f : {QsoField::Call, QsoField::Name, QsoField::Qth, QsoField::RstSent,
                             QsoField::RstReceived, QsoField::Notes})
        bar_->showField(f, c.show(qso.field(f)));
    bar_->setUnsaved(qso.hasUnsavedChanges());
    refreshBands();
}

void FrameLog::refreshBands() {
    const display::BandPages& pages = station_.bandPages();
    std::vector<QString> names;
    const std::vector<int> listed = display::BandPages::listedPages(station_.status().fourband);
    for (const int page : listed) names.push_back(QString::fromStdString(pages.page(page).name));
    bar_->setBands(names, listed, pages.currentIndex());
}

// ---- showing the bar ------------------------------------------------------------------------

bool FrameLog::barShown() const {
    return !bar_->isHidden();
}

void FrameLog::setBarShown(bool shown) {
    // Hiding the field with the focus would hand it to whichever widget is next.
    const bool hadFocus = bar_->isAncestorOf(QApplication::focusWidget());
    bar_->setVisible(shown);
    station_.logbook().setBarShown(shown);
    if (!shown && hadFocus) tx_->setFocus();
}

bool FrameLog::run(CommandId id) {
    switch (id) {
        case CommandId::LogBar:
            setBarShown(!barShown());
            return true;
        case CommandId::SearchLog:
            search();
            return true;
        default:
            return false;
    }
}

// ---- keys -----------------------------------------------------------------------------------

bool FrameLog::isLogKey(const QKeyEvent& key) const {
    if (!barShown()) return false;
    if (key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab) return true;
    const Qt::KeyboardModifiers mods = key.modifiers() & ~Qt::KeypadModifier;
    if (mods != Qt::KeyboardModifiers(Qt::AltModifier)) return false;
    switch (key.key()) {
        case Qt::Key_C:
        case Qt::Key_N:
        case Qt::Key_Q:
        case Qt::Key_D:
        case Qt::Key_T:
        case Qt::Key_O:
        case Qt::Key_B:
            return true;
        default:
            return false;
    }
}

bool FrameLog::routeKey(const QKeyEvent& key) {
    if (!isLogKey(key)) return false;
    if (key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab)
        return moveTab(key.key() == Qt::Key_Backtab || (key.modifiers() & Qt::ShiftModifier));
    return runLogKey(key.key());
}

bool FrameLog::runLogKey(int key) {
    switch (key) {
        case Qt::Key_C:
            bar_->focusField(QsoField::Call);
            break;
        case Qt::Key_N:
            bar_->focusField(QsoField::Name);
            break;
        case Qt::Key_Q:
            bar_->focusField(QsoField::Qth);
            break;
        case Qt::Key_D:
            bar_->focusField(QsoField::RstReceived);
            break;
        case Qt::Key_T:
            bar_->focusField(QsoField::RstSent);
            break;
        case Qt::Key_O:
            bar_->focusField(QsoField::Notes);
            break;
        case Qt::Key_B:
            bar_->bandBox()->setFocus(Qt::ShortcutFocusReason);
            break;
        default:
            return false;
    }
    return true;
}

// From the transmit window Tab goes to the call field (its text selected) and Shift+Tab to
// the notes; in the bar it goes from field to field and leaves it for the transmit window.
bool FrameLog::moveTab(bool backward) {
    QWidget* focus = QApplication::focusWidget();
    if (focus == tx_) {
        bar_->focusField(backward ? QsoField::Notes : QsoField::Call);
        return true;
    }
    if (!focus || !bar_->isAncestorOf(focus)) return false;
    QWidget* next = bar_->nextInTabOrder(focus, backward);
    if (!next) {
        tx_->setFocus(Qt::TabFocusReason);
    } else {
        next->setFocus(backward ? Qt::BacktabFocusReason : Qt::TabFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(next)) edit->selectAll();
    }
    return true;
}

bool FrameLog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == bar_ &&
        (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent)) {
        // Shown or hidden by the saved layout or the bar's own menu: the View menu follows.
        station_.logbook().setBarShown(event->type() == QEvent::ShowToParent);
    } else if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == &frame_ && key->key() != Qt::Key_Tab &&
            key->key() != Qt::Key_Backtab && isLogKey(*key)) {
            event->accept();  // a key event, not the menu bar's mnemonic
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

// ---- search and the log window --------------------------------------------------------------

logbook::CLogWindow* FrameLog::logWindow() const {
    return window_.data();
}

void FrameLog::search() {
    logbook::CSearchDialog dialog(lastSearch_, &frame_);
    if (dialog.exec() != QDialog::Accepted) return;
    lastSearch_ = dialog.searchText();
    showSearchResults(lastSearch_);
}

void FrameLog::showSearchResults(const QString& text) {
    const std::string codes = codec().take(text);
    const auto find = [this, codes] {
        logbook::SearchList found = station_.logbook().search(codes);
        if (!found.status)
            QMessageBox::warning(&frame_, QString::fromLatin1(logbook::kLogWindowTitle),
                                 QString::fromStdString(found.status.error));
        return found.records;
    };
    if (!window_) {
        logbook::CLogWindow::Actions actions;
        const auto c = codec();
        actions.edit = [this, c](const std::vector<QsoRecord>& selected) {
            const QsoEditor editor = [this, c](const QsoRecord& r) -> std::optional<QsoRecord> {
                logbook::CQsoDetailsDialog dialog(r, c, window_);
                if (dialog.exec() != QDialog::Accepted) return std::nullopt;
                return dialog.record();
            };
            return station_.logbook().editSelected(selected, editor).has_value();
        };
        actions.remove = [this](const std::vector<QsoRecord>& selected) {
            return station_.logbook().deleteSelected(selected);
        };
        actions.write = [this](const std::vector<QsoRecord>& selected) {
            station_.logbook().writeSelected(selected);
        };
        window_ = new logbook::CLogWindow(c, std::move(actions), &frame_);
    }
    window_->showRecords(find());
    // The buttons search again with the text of the last search.
    window_->setReloader(find);
    window_->show();
    window_->raise();
}

}  // namespace tarnvel::app
