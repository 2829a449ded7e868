// A status pane: a new text is drawn, and the pane widens only when the text outgrows the
// width its sample reserves.

#include <QtTest>

#include "app/ui/StatusPane.h"

using tarnvel::app::StatusPane;

class StatusPaneTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void newTextIsDrawnAndWidensOnlyBeyondTheSample() {
        StatusPane pane(QStringLiteral("RX: 8888.8 Hz"));
        pane.setText(QStringLiteral("RX: 1000.0 Hz"));
        pane.resize(pane.sizeHint());
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
        const QImage first = pane.grab().toImage();
        const QSize reserved = pane.sizeHint();
        pane.setText(QStringLiteral("RX: 1003.7 Hz"));
        QCOMPARE(pane.sizeHint(), reserved);
        QVERIFY(pane.grab().toImage() != first);
        pane.setText(QStringLiteral("RX: 1000.0 Hz"));
        QCOMPARE(pane.grab().toImage(), first);
        pane.setText(QStringLiteral("RX: 1000.0 Hz and a much longer text"));
        QVERIFY(pane.sizeHint().width() > reserved.width());
        pane.setSample(QStringLiteral("RX"));
        pane.setText(QStringLiteral("RX"));
        QVERIFY(pane.sizeHint().width() < reserved.width());
    }
};

QTEST_MAIN(StatusPaneTest)
#include "StatusPaneTest.moc"
