// The receive and transmit windows and the squelch threshold window, driven by real key and
// mouse events on the offscreen platform.

#include <QProgressBar>
#include <QScrollBar>
#include <QSlider>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>

#include "app/Settings.h"
#include "app/ui/CKbdBufferView.h"
#include "app/ui/CRxView.h"
#include "app/ui/CSquelchWindow.h"
#include "app/ui/PositionedDialog.h"

#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QVBoxLayout>

using namespace tarnvel::app;

class TextWindowsTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void simpleModeQueuesTypingAndTakesBackABackspace() {
        TransmitText model(true);
        CKbdBufferView view(model);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTest::keyClicks(&view, "AB");
        QTest::keyClick(&view, Qt::Key_Backspace);
        QCOMPARE(model.text(), std::string("A"));
        QCOMPARE(model.sendQueue(), std::string("A"));
        QCOMPARE(view.toPlainText(), QStringLiteral("A"));
        QTest::keyClick(&view, Qt::Key_Return);
        QTest::keyClicks(&view, "C");
        QCOMPARE(model.sendQueue(), std::string("A\r\nC"));
        QCOMPARE(view.toPlainText(), QStringLiteral("A\nC"));
        // A backspace on an empty queue goes out to erase a sent character.
        while (model.nextTransmitCharacter()) {
        }
        QTest::keyClick(&view, Qt::Key_Backspace);
        QCOMPARE(model.sendQueue(), std::string("\b"));
    }

    void underlineModeProtectsSentText() {
        TransmitText model(false);
        CKbdBufferView view(model);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTest::keyClicks(&view, "CQ DE");
        QCOMPARE(model.nextTransmitCharacter().value_or(0), 'C');
        QCOMPARE(model.nextTransmitCharacter().value_or(0), 'Q');
        // The sent part is underlined, the rest is not.
        QTextCursor c(view.document());
        c.setPosition(1);
        QVERIFY(c.charFormat().fontUnderline());
        c.setPosition(4);
        QVERIFY(!c.charFormat().fontUnderline());
        // Typing inside the sent part goes to the end; Delete there is refused.
        QTest::keyClick(&view, Qt::Key_Home);
        QTest::keyClicks(&view, "X");
        QCOMPARE(model.text(), std::string("CQ DEX"));
        QTest::keyClick(&view, Qt::Key_Home);
        QTest::keyClick(&view, Qt::Key_Delete);
        QCOMPARE(model.text(), std::string("CQ DEX"));
        // A backspace at the sent position takes the last sent character back.
        QTextCursor at = view.textCursor();
        at.setPosition(2);
        view.setTextCursor(at);
        QTest::keyClick(&view, Qt::Key_Backspace);
        QCOMPARE(model.text(), std::string("C DEX"));
        QCOMPARE(model.pendingBackspaces(), 1);
        QCOMPARE(model.nextTransmitCharacter().value_or(0), 8);
    }

    void receiveWindowMirrorsLineEndsAndDropsControlCodes() {
        ReceiveText model;
        CRxView view(model);
        for (const char c : std::string("A\r\nB\x07\x1b"))
            view.appendReceivedChar(static_cast<uint8_t>(c), false);
        QCOMPARE(view.toPlainText(), QStringLiteral("A\nB"));
        view.appendReceivedChar(8, false);
        QCOMPARE(view.toPlainText(), QStringLiteral("A\n"));
        // The 361st line end trims the first 100 lines in the window as in the model.
        view.clearText();
        for (int i = 0; i < 361; ++i) {
            view.appendReceivedChar(static_cast<uint8_t>('0' + i % 10), false);
            view.appendReceivedChar('\r', false);
        }
        QCOMPARE(view.document()->blockCount(), model.lineCount());
        QCOMPARE(view.toPlainText(), QString::fromLatin1(model.text().c_str()));
    }

    // An operator who scrolled back to read a call keeps his place while text comes in; at the
    // end the view follows the text.
    void receiveWindowFollowsTheTextOnlyFromTheEnd() {
        ReceiveText model;
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* typing = new QLineEdit(&window);  // the focus is elsewhere, as while operating
        auto* rx = new CRxView(model, &window);
        layout->addWidget(typing);
        layout->addWidget(rx);
        CRxView& view = *rx;
        window.resize(300, 160);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        typing->setFocus();
        const auto line = [&](char c) {
            view.appendReceivedChar(static_cast<uint8_t>(c), false);
            view.appendReceivedChar('\r', false);
        };
        for (int i = 0; i < 60; ++i) line('A');
        QScrollBar* bar = view.verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        QTRY_COMPARE(bar->value(), bar->maximum());
        bar->setValue(bar->maximum() / 3);
        const int kept = bar->value();
        for (int i = 0; i < 10; ++i) line('B');
        QTest::qWait(50);  // the new lines are laid out
        QCOMPARE(bar->value(), kept);
        bar->setValue(bar->maximum());
        for (int i = 0; i < 10; ++i) line('C');
        QTRY_COMPARE(bar->value(), bar->maximum());
        QVERIFY(bar->value() > kept + 10);
    }

    // Without a log bar the log items are disabled and a double-click files nothing.
    void receiveWindowLogItemsNeedALog() {
        ReceiveText model;
        CRxView view(model);
        // Filled before it is shown: text is held back while the window has the focus.
        for (const char c : std::string("SP9ABC 599")) view.appendReceivedChar(c, false);
        view.resize(300, 200);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTextCursor word(view.document());
        word.movePosition(QTextCursor::EndOfWord, QTextCursor::KeepAnchor);
        view.setTextCursor(word);
        QSignalSpy picked(&view, &CRxView::putWordToLog);
        const QPoint onWord = view.cursorRect(QTextCursor(view.document())).center() + QPoint(4, 0);
        const auto logItems = [&view] {
            QMenu menu;
            view.fillContextMenu(menu);
            QStringList enabled, disabled;
            for (QAction* a : menu.actions())
                if (!a->isSeparator()) (a->isEnabled() ? enabled : disabled) << a->text();
            return std::pair{enabled, disabled};
        };
        const QStringList log{"&Search in log...", "&Call", "&Add call", "&Name", "&QTH",
                              "&Rcvd",             "&Sent", "N&otes"};
        auto [enabled, disabled] = logItems();
        for (const QString& item : log) QVERIFY2(disabled.contains(item), qPrintable(item));
        QVERIFY(enabled.contains(QStringLiteral("C&opy")));
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, onWord);
        QCOMPARE(picked.count(), 0);

        view.setLogAvailable(true);
        view.setTextCursor(word);
        std::tie(enabled, disabled) = logItems();
        for (const QString& item : log) QVERIFY2(enabled.contains(item), qPrintable(item));
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, onWord);
        QCOMPARE(picked.count(), 1);
        QCOMPARE(picked.at(0).at(1).toString(), QStringLiteral("SP9ABC"));
    }

    void pickedWordsAreClassified() {
        QCOMPARE(classifyPickedWord("SP9XYZ/P", false, false), LogField::Call);
        QCOMPARE(classifyPickedWord("599", false, false), LogField::RstReceived);
        QCOMPARE(classifyPickedWord("599", true, false), LogField::RstSent);
        QCOMPARE(classifyPickedWord("Jan", false, false), LogField::Name);
        QCOMPARE(classifyPickedWord("Krakow", true, false), LogField::Qth);
        QCOMPARE(classifyPickedWord("12", false, false), LogField::Notes);
    }

    void numberPromptRefusesTextThatIsNoInteger() {
        CNumberPrompt prompt(QStringLiteral("RX Sample rate correction, ppm"), 0);
        prompt.show();
        QVERIFY(QTest::qWaitForWindowExposed(&prompt));
        prompt.field()->setText(QStringLiteral("12a"));
        QString warning;
        QTimer::singleShot(50, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                warning = box->text();
                box->accept();
            }
        });
        prompt.accept();
        QCOMPARE(warning, QStringLiteral("Please enter an integer."));
        QVERIFY(prompt.isVisible());
        prompt.field()->setText(QStringLiteral("-35"));
        prompt.accept();
        QCOMPARE(prompt.result(), int(QDialog::Accepted));
        QCOMPARE(prompt.value(), -35);
    }

    void inputBoxSelectsItsValueAndRemembersItsPlace() {
        QTemporaryDir dir;
        SettingsStore store((dir.path() + "/tarnvel.ini").toStdString());
        {
            CInputBox box(store, QStringLiteral("RST to send"), QStringLiteral("599"));
            box.show();
            QVERIFY(QTest::qWaitForWindowExposed(&box));
            QCOMPARE(box.pos(), QPoint(0, 0));  // nothing stored yet: the top-left corner
            QCOMPARE(box.field()->selectedText(), QStringLiteral("599"));
            QTest::keyClicks(box.field(), "579");
            box.move(120, 80);
            box.accept();
            QCOMPARE(box.value(), QStringLiteral("579"));
        }
        QCOMPARE(store.getInt("Input Box", "Left", -1), 120);
        QCOMPARE(store.getInt("Input Box", "Top", -1), 80);
    }

    // With nothing stored the window opens beside its owner's right edge, wide enough for its
    // title, not in the corner of the screen.
    void squelchWindowOpensBesideItsOwner() {
        QTemporaryDir dir;
        SettingsStore store((dir.path() + "/tarnvel.ini").toStdString());
        Settings settings(store);
        QWidget owner;
        owner.setGeometry(200, 150, 800, 500);
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        auto* window =
            new CSquelchWindow(store, settings.sound.sqThreshold, [] { return 0; }, &owner);
        window->setWindowFlags(Qt::Dialog);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QVERIFY(window->x() > owner.frameGeometry().center().x());
        QVERIFY(window->y() > owner.frameGeometry().top());
        QVERIFY(window->width() >= CSquelchWindow::kMinWidth);
        window->close();
    }

    void squelchSliderWritesTheThreshold() {
        QTemporaryDir dir;
        const std::string path = (dir.path() + "/tarnvel.ini").toStdString();
        int quality = 31;
        {
            SettingsStore store(path);
            Settings settings(store);
            auto* window =
                new CSquelchWindow(store, settings.sound.sqThreshold, [&] { return quality; });
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window));
            QCOMPARE(window->slider()->value(), 20);
            QTRY_COMPARE_WITH_TIMEOUT(window->bar()->value(), 31, 400);
            quality = 0;
            QTRY_COMPARE_WITH_TIMEOUT(window->bar()->value(), 0, 400);
            window->slider()->setFocus();
            QTest::keyClick(window->slider(), Qt::Key_End);
            QCOMPARE(settings.sound.sqThreshold.value(), 31);
            QTest::keyClick(window->slider(), Qt::Key_PageUp);
            QCOMPARE(window->slider()->value(), 27);
            QCOMPARE(settings.sound.sqThreshold.value(), 27);
            // An option change shows the stored threshold again instead of reopening.
            settings.sound.sqThreshold = 12;
            window->reload();
            QCOMPARE(window->slider()->value(), 12);
            int other = 7;
            window->setQualitySource([&] { return other; });
            QCOMPARE(window->bar()->value(), 7);
            settings.sound.sqThreshold = 27;
            window->reload();
            window->move(40, 30);
            QPointer<CSquelchWindow> guard(window);
            window->close();
            QTRY_VERIFY(guard.isNull());
            QCOMPARE(store.getInt("Squelch Box", "Left", -1), 40);
        }
        SettingsStore reread(path);
        QCOMPARE(reread.getInt("Sound", "SqThreshold", 0), 27);
    }
};

QTEST_MAIN(TextWindowsTest)
#include "TextWindowsTest.moc"
