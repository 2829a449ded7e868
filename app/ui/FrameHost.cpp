#include "app/ui/FrameHost.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QStatusBar>
#include <QUrl>

#include "app/ui/AppDialogs.h"
#include "app/ui/PositionedDialog.h"
#include "display/ui/StationText.h"

namespace tarnvel::app {

QString stationQText(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QString qtFileFilter(std::string_view filter) {
    const QString text = QString::fromUtf8(filter.data(), static_cast<qsizetype>(filter.size()));
    if (!text.contains(QLatin1Char('|'))) return text;
    const QStringList parts = text.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString name = parts[i].trimmed();
        const QString patterns = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        // Qt reads the patterns from the parentheses of the name.
        filters << (name.contains(QLatin1Char('(')) ? name : name + " (" + patterns + ")");
    }
    return filters.join(QStringLiteral(";;"));
}

namespace {

// How long a note stays in the status bar.
constexpr int kNoteShownMs = 15000;

QString utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool ask(QWidget& window, std::string_view text, std::string_view caption,
         QMessageBox::StandardButtons buttons, QMessageBox::StandardButton yes) {
    QMessageBox box(QMessageBox::Question, stationQText(caption), stationQText(text), buttons,
                    &window);
    return box.exec() == yes;
}

}  // namespace

void FrameHost::showMessage(std::string_view text, std::string_view caption, MessageKind kind) {
    const QMessageBox::Icon icon = kind == MessageKind::Error     ? QMessageBox::Critical
                                   : kind == MessageKind::Warning ? QMessageBox::Warning
                                                                  : QMessageBox::Information;
    QMessageBox box(icon, stationQText(caption), stationQText(text), QMessageBox::Ok, &window_);
    box.exec();
}

void FrameHost::showNote(std::string_view text) {
    if (auto* main = qobject_cast<QMainWindow*>(&window_))
        main->statusBar()->showMessage(stationQText(text), kNoteShownMs);
}

std::optional<std::string> FrameHost::prompt(std::string_view text, std::string_view initial) {
    const modem::CharacterSet set = characterSet();
    const auto answer = CInputBox::ask(store_, &window_, stationQText(text),
                                       display::fromStationCodes(initial, set));
    if (!answer) return std::nullopt;
    return display::toStationCodes(*answer, set);
}

std::optional<StationData> FrameHost::editStationData(const StationData& data) {
    CStationDialog dialog(data, characterSet(), &window_);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.data();
}

bool FrameHost::askYesNo(std::string_view text, std::string_view caption) {
    return ask(window_, text, caption, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
}

bool FrameHost::askOkCancel(std::string_view text, std::string_view caption) {
    return ask(window_, text, caption, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok);
}

// File names are UTF-8 on this desktop.
std::optional<std::string> FrameHost::chooseOpenFile(std::string_view title,
                                                     std::string_view filter,
                                                     std::string_view initial) {
    const QString name =
        QFileDialog::getOpenFileName(&window_, utf8(title), utf8(initial), qtFileFilter(filter));
    if (name.isEmpty()) return std::nullopt;
    return name.toStdString();
}

std::optional<std::string> FrameHost::chooseSaveFile(std::string_view title,
                                                     std::string_view filter,
                                                     std::string_view initial, SaveTarget target) {
    // The dialog asks before an existing file is chosen when the save would replace it.
    const QFileDialog::Options options = target == SaveTarget::Append
                                             ? QFileDialog::DontConfirmOverwrite
                                             : QFileDialog::Options{};
    const QString name = QFileDialog::getSaveFileName(&window_, utf8(title), utf8(initial),
                                                      qtFileFilter(filter), nullptr, options);
    if (name.isEmpty()) return std::nullopt;
    return name.toStdString();
}

void FrameHost::logBusy(bool busy) {
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

bool FrameHost::openUrl(std::string_view url) {
    return QDesktopServices::openUrl(QUrl(utf8(url)));
}

}  // namespace tarnvel::app
