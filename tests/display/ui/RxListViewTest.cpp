// The multichannel window: lines fitted with the window's font, letters, highlight colours and
// the left click that jumps to a channel.

#include <QSignalSpy>
#include <QtTest>

#include "display/ui/CRxListView.h"

using namespace tarnvel::display;

class RxListViewTest : public QObject {
    Q_OBJECT
  private:
    static int64_t now() { return 0; }

  private Q_SLOTS:
    void linesShowTheNewestTextThatFitsWithLetters() {
        MultichannelDecoder decoder;
        HighlightWords words;
        HighlightWords::Slots slotList;
        slotList[0] = HighlightWord{" CQ ", rgb(255, 255, 200)};
        words.assign(slotList);
        CRxListView view;
        view.setDecoder(&decoder, &words, &RxListViewTest::now);
        view.resize(300, 26 * view.lineHeight() + 2);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const auto slot = decoder.openChannel(tarnvel::modem::Mode::Bpsk31, 1000.0, 0);
        QVERIFY(slot.has_value());
        decoder.channel(*slot).text() = "de SP9TST CQ CQ ";
        view.inputs().showBookMarks = true;
        const QImage shot = view.grab().toImage();
        QCOMPARE(view.shownLines()[0], QStringLiteral("A: de SP9TST CQ CQ "));
        QCOMPARE(view.shownLines()[1], QStringLiteral("B: "));
        // The line containing " CQ " takes the highlight colour.
        const int y = view.lineHeight() / 2 + 1;
        QCOMPARE(QColor(shot.pixel(295, y)), QColor(255, 255, 200));

        // A text wider than the line: without scrolling the line shows its tail once and the
        // channel's text starts again empty.
        std::string longText;
        for (int i = 0; i < 200; ++i) longText += static_cast<char>('a' + i % 26);
        decoder.channel(*slot).text() = longText;
        view.inputs().showBookMarks = false;
        view.grab();
        const QString shown = view.shownLines()[0];
        QVERIFY(shown.size() < 200);
        QVERIFY(QString::fromLatin1(longText.c_str()).endsWith(shown));
        QVERIFY(view.fontMetrics().horizontalAdvance(shown) <= view.width());
        QVERIFY(decoder.channel(*slot).text().empty());
    }

    // The window's timer redraws the lines that changed: new text, a line restarting after its
    // tail was shown once, a slot opened, and every line when the inputs change.
    void timerRedrawsTheLinesThatChanged() {
        MultichannelDecoder decoder;
        CRxListView view;
        view.setDecoder(&decoder, nullptr, &RxListViewTest::now);
        view.inputs().showBookMarks = true;
        view.resize(300, 26 * view.lineHeight() + 2);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QTRY_COMPARE(view.shownLines()[2], QStringLiteral("C: "));
        const auto a = decoder.openChannel(tarnvel::modem::Mode::Bpsk31, 1000.0, 0);
        const auto b = decoder.openChannel(tarnvel::modem::Mode::Bpsk31, 1500.0, 0);
        QVERIFY(a && b);
        const QColor quiet = view.grab().toImage().pixel(295, view.lineHeight() / 2 + 1);
        decoder.channel(*a).text() = "CQ";
        QTRY_COMPARE(view.shownLines()[*a], QStringLiteral("A: CQ"));
        decoder.channel(*a).text() += " DE";
        QTRY_COMPARE(view.shownLines()[*a], QStringLiteral("A: CQ DE"));

        std::string longText;
        for (int i = 0; i < 200; ++i) longText += static_cast<char>('a' + i % 26);
        decoder.channel(*b).text() = longText;
        QTRY_VERIFY(view.shownLines()[*b].size() > 10);
        QVERIFY(QString::fromLatin1(longText.c_str()).endsWith(view.shownLines()[*b].mid(3)));
        QTRY_COMPARE(view.shownLines()[*b], QStringLiteral("B: "));

        view.inputs().colours.inactive = rgb(1, 2, 3);
        view.inputs().showBookMarks = false;
        QTRY_COMPARE(view.shownLines()[25], QString());
        QCOMPARE(view.shownLines()[*a], QStringLiteral("CQ DE"));
        QVERIFY(view.grab().toImage().pixel(295, 25 * view.lineHeight() + 3) != quiet.rgb());

        // The line height follows a new font.
        const int small = view.lineHeight();
        QFont big = view.font();
        big.setPixelSize(3 * small);
        view.setFont(big);
        QVERIFY(view.lineHeight() > 2 * small);
        QCOMPARE(view.slotAt(view.lineHeight() + 2), 1);
    }

    void leftClickGoesToAChannelOnlyWhileReceivingInBpsk() {
        MultichannelDecoder decoder;
        CRxListView view;
        view.setDecoder(&decoder, nullptr, &RxListViewTest::now);
        view.resize(300, 26 * view.lineHeight() + 2);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QSignalSpy go(&view, &CRxListView::goToChannel);
        const QPoint third(20, 2 * view.lineHeight() + view.lineHeight() / 2);
        QTest::mouseClick(&view, Qt::LeftButton, {}, third);
        QCOMPARE(go.count(), 1);
        QCOMPARE(go.takeFirst().at(0).toInt(), 2);
        view.inputs().mode = tarnvel::modem::Mode::Qpsk31;
        QTest::mouseClick(&view, Qt::LeftButton, {}, third);
        view.inputs().mode = tarnvel::modem::Mode::Bpsk63;
        view.inputs().state = 2;
        QTest::mouseClick(&view, Qt::LeftButton, {}, third);
        QCOMPARE(go.count(), 0);
    }
};

QTEST_MAIN(RxListViewTest)
#include "RxListViewTest.moc"
