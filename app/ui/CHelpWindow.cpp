#include "app/ui/CHelpWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QTextBlock>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace tarnvel::app {

namespace {

constexpr const char* kIndexPage = "index.md";

bool holdsManual(const QString& folder) {
    return !folder.isEmpty() && QFileInfo::exists(folder + "/" + kIndexPage);
}

bool isInside(const QString& path, const QString& folder) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    const QString base = QFileInfo(folder).canonicalFilePath();
    return !base.isEmpty() && (canonical == base || canonical.startsWith(base + "/"));
}

}  // namespace

QString findManualFolder(const QString& programFolder) {
    const QString source = QStringLiteral(TARNVEL_SOURCE_MANUAL_DIR);
    const QString installed = QStringLiteral(TARNVEL_INSTALLED_MANUAL_DIR);
    const bool inBuildTree = isInside(programFolder, QStringLiteral(TARNVEL_BUILD_DIR));
    for (const QString& folder :
         inBuildTree ? QStringList{source, installed} : QStringList{installed, source}) {
        if (holdsManual(folder)) return QDir(folder).absolutePath();
    }
    return {};
}

CHelpWindow::CHelpWindow(const QString& manualFolder, QWidget* parent)
    : QWidget(parent, Qt::Window),
      folder_(manualFolder),
      browser_(new QTextBrowser(this)),
      back_(new QToolButton(this)),
      forward_(new QToolButton(this)) {
    setObjectName(QStringLiteral("helpWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* contents = new QToolButton(this);
    back_->setText(QStringLiteral("< Wstecz"));
    forward_->setText(QStringLiteral("Dalej >"));
    contents->setText(QStringLiteral("Spis treści"));
    back_->setEnabled(false);
    forward_->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back_);
    buttons->addWidget(forward_);
    buttons->addWidget(contents);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(browser_);

    // Pages link to each other by file name; addresses on the web go to the desktop's browser.
    browser_->setSearchPaths({folder_});
    browser_->setOpenExternalLinks(true);
    connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
    connect(contents, &QToolButton::clicked, this, &CHelpWindow::showContents);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this, &CHelpWindow::followTitle);
    resize(760, 640);
    showContents();
}

void CHelpWindow::showContents() {
    browser_->setSource(QUrl::fromLocalFile(folder_ + "/" + kIndexPage),
                        QTextDocument::MarkdownResource);
}

// The window is named after the page's first heading.
void CHelpWindow::followTitle() {
    QString title = browser_->documentTitle();
    if (title.isEmpty()) title = browser_->document()->firstBlock().text();
    setWindowTitle(QStringLiteral("Tarnvel – ") + title);
}

bool CHelpWindow::showManual(QWidget* parent) {
    if (auto* open = parent ? parent->findChild<CHelpWindow*>() : nullptr) {
        open->show();
        open->raise();
        open->activateWindow();
        return true;
    }
    const QString folder = findManualFolder(QCoreApplication::applicationDirPath());
    if (folder.isEmpty()) return false;
    auto* window = new CHelpWindow(folder, parent);
    window->show();
    return true;
}

}  // namespace tarnvel::app
