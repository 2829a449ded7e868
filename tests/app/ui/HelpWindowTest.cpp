// The manual in its window: found where the program runs from, shown as formatted Markdown,
// its links followed by a click, back and forth.

#include <QDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>
#include <QtTest>

#include "app/ui/CHelpWindow.h"

using namespace tarnvel::app;

namespace {

const QString kSourceManual = QStringLiteral(TARNVEL_SOURCE_DIR "/docs/manual");

// Where in the document the link to target starts, or -1.
int linkPosition(const QTextDocument& document, const QString& target) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().anchorHref() == target) return it.fragment().position();
    return -1;
}

QStringList linksOf(const QTextDocument& document) {
    QStringList links;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isAnchor())
                links << it.fragment().charFormat().anchorHref();
    return links;
}

QToolButton* buttonNamed(QWidget& window, const QString& text) {
    for (QToolButton* button : window.findChildren<QToolButton*>())
        if (button->text() == text) return button;
    return nullptr;
}

}  // namespace

class HelpWindowTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void aProgramInTheBuildTreeReadsTheSourceTreesManual() {
        const QString expected = QDir(kSourceManual).absolutePath();
        QCOMPARE(findManualFolder(QStringLiteral(TARNVEL_BINARY_DIR "/app/ui")), expected);
        QCOMPARE(findManualFolder(QCoreApplication::applicationDirPath()), expected);
    }

    void theContentsAreShownAsFormattedText() {
        CHelpWindow window(kSourceManual);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QTextDocument& document = *window.browser()->document();
        QCOMPARE(document.firstBlock().text(), QStringLiteral("Tarnvel manual"));
        QCOMPARE(document.firstBlock().blockFormat().headingLevel(), 1);
        QVERIFY(!document.toPlainText().contains(QStringLiteral("](")));
        QVERIFY(window.windowTitle().contains(QStringLiteral("Tarnvel manual")));
        QVERIFY(linkPosition(document, QStringLiteral("sound.md")) >= 0);
    }

    void aClickOnALinkOpensThePageAndBackReturns() {
        CHelpWindow window(kSourceManual);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTextBrowser& browser = *window.browser();
        const int at = linkPosition(*browser.document(), QStringLiteral("sound.md"));
        QVERIFY(at >= 0);
        QTextCursor cursor(browser.document());
        cursor.setPosition(at + 1);
        browser.ensureCursorVisible();
        const QPoint inLink = browser.cursorRect(cursor).center();
        QTest::mouseClick(browser.viewport(), Qt::LeftButton, {}, inLink);
        QTRY_COMPARE(browser.source().fileName(), QStringLiteral("sound.md"));
        QCOMPARE(browser.document()->firstBlock().text(), QStringLiteral("Sound setup"));
        QVERIFY(window.windowTitle().contains(QStringLiteral("Sound setup")));

        QToolButton* back = buttonNamed(window, QStringLiteral("< Wstecz"));
        QToolButton* forward = buttonNamed(window, QStringLiteral("Dalej >"));
        QVERIFY(back && forward);
        QVERIFY(back->isEnabled());
        QVERIFY(!forward->isEnabled());
        QTest::mouseClick(back, Qt::LeftButton);
        QCOMPARE(browser.source().fileName(), QStringLiteral("index.md"));
        QVERIFY(forward->isEnabled());
        QTest::mouseClick(forward, Qt::LeftButton);
        QCOMPARE(browser.source().fileName(), QStringLiteral("sound.md"));
        QTest::mouseClick(buttonNamed(window, QStringLiteral("Spis treści")), Qt::LeftButton);
        QCOMPARE(browser.document()->firstBlock().text(), QStringLiteral("Tarnvel manual"));
    }

    void everyLinkBetweenThePagesLeadsToAPage() {
        const QDir folder(kSourceManual);
        const QStringList pages = folder.entryList({QStringLiteral("*.md")});
        QVERIFY(pages.contains(QStringLiteral("index.md")));
        for (const QString& page : pages) {
            QFile file(folder.filePath(page));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QTextDocument document;
            document.setMarkdown(QString::fromUtf8(file.readAll()));
            for (const QString& link : linksOf(document)) {
                const QUrl url(link);
                if (!url.scheme().isEmpty()) continue;  // the web, opened by the desktop
                const QString target = url.path();
                QVERIFY2(folder.exists(target),
                         qPrintable(page + QStringLiteral(" links to a missing ") + target));
            }
        }
    }

    void theHelpCommandKeepsOneWindowOpen() {
        QWidget frame;
        QVERIFY(CHelpWindow::showManual(&frame));
        QVERIFY(CHelpWindow::showManual(&frame));
        const auto windows = frame.findChildren<CHelpWindow*>();
        QCOMPARE(windows.size(), 1);
        QVERIFY(windows.front()->isVisible());
        QCOMPARE(windows.front()->browser()->source().fileName(), QStringLiteral("index.md"));
    }
};

QTEST_MAIN(HelpWindowTest)
#include "HelpWindowTest.moc"
