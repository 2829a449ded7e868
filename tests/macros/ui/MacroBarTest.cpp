// The macro bar on the offscreen platform: which set a click fires (Ctrl and "^" cancel each
// other), the labels and tooltips of the active set, the right click that asks for the editor.

#include <QToolButton>
#include <QSignalSpy>
#include <QtTest>

#include "macros/ui/CMacroBar.h"

using namespace tarnvel::macros;

Q_DECLARE_METATYPE(tarnvel::macros::MacroKeySet)

namespace {

QString labelOf(MacroKeySet set, int key) {
    return (set == MacroKeySet::F ? QStringLiteral("f") : QStringLiteral("c")) +
           QString::number(key);
}

MacroKeySet setOf(const QList<QVariant>& signal) {
    return signal.at(0).value<MacroKeySet>();
}

}  // namespace

class MacroBarTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase() { qRegisterMetaType<MacroKeySet>(); }

    void labelsAndTooltipsFollowTheActiveSet() {
        CMacroBar bar(labelOf);
        QCOMPARE(bar.button(1)->text(), QStringLiteral("f1"));
        QCOMPARE(bar.button(12)->text(), QStringLiteral("f12"));
        QCOMPARE(bar.button(12)->toolTip(), QStringLiteral("User macro (F12). Right-click to edit."));
        QCOMPARE(bar.caretButton()->text(), QStringLiteral("^"));
        QCOMPARE(bar.caretButton()->toolTip(), QStringLiteral("Ctrl..."));

        bar.caretButton()->click();
        QCOMPARE(bar.activeSet(), MacroKeySet::Ctrl);
        QCOMPARE(bar.button(3)->text(), QStringLiteral("c3"));
        QCOMPARE(bar.button(3)->toolTip(),
                 QStringLiteral("User macro (Ctrl-F3). Right-click to edit."));
        // Ctrl held with "^" latched: back to the F set.
        QTest::keyPress(&bar, Qt::Key_Control, Qt::ControlModifier);
        QCOMPARE(bar.activeSet(), MacroKeySet::F);
        QCOMPARE(bar.button(3)->text(), QStringLiteral("f3"));
        QTest::keyRelease(&bar, Qt::Key_Control, Qt::NoModifier);
        QCOMPARE(bar.button(3)->text(), QStringLiteral("c3"));
    }

    void aClickFiresTheSetOfCtrlXorCaret() {
        CMacroBar bar(labelOf);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        QSignalSpy fired(&bar, &CMacroBar::fireRequested);
        QTest::mouseClick(bar.button(2), Qt::LeftButton);
        QTest::mouseClick(bar.button(2), Qt::LeftButton, Qt::ControlModifier);
        bar.caretButton()->click();
        QTest::mouseClick(bar.button(7), Qt::LeftButton);
        QTest::mouseClick(bar.button(7), Qt::LeftButton, Qt::ControlModifier);
        QCOMPARE(fired.count(), 4);
        QCOMPARE(setOf(fired.at(0)), MacroKeySet::F);
        QCOMPARE(fired.at(0).at(1).toInt(), 2);
        QCOMPARE(setOf(fired.at(1)), MacroKeySet::Ctrl);
        QCOMPARE(setOf(fired.at(2)), MacroKeySet::Ctrl);
        QCOMPARE(fired.at(2).at(1).toInt(), 7);
        // Ctrl and the latch cancel.
        QCOMPARE(setOf(fired.at(3)), MacroKeySet::F);
    }

    void aRightClickAsksForTheEditorOfTheActiveSet() {
        CMacroBar bar(labelOf);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        QSignalSpy edits(&bar, &CMacroBar::editRequested);
        QSignalSpy fired(&bar, &CMacroBar::fireRequested);
        Q_EMIT bar.button(5)->customContextMenuRequested(QPoint(2, 2));
        bar.caretButton()->click();
        Q_EMIT bar.button(11)->customContextMenuRequested(QPoint(2, 2));
        QCOMPARE(edits.count(), 2);
        QCOMPARE(setOf(edits.at(0)), MacroKeySet::F);
        QCOMPARE(edits.at(0).at(1).toInt(), 5);
        QCOMPARE(setOf(edits.at(1)), MacroKeySet::Ctrl);
        QCOMPARE(edits.at(1).at(1).toInt(), 11);
        QCOMPARE(fired.count(), 0);
        QCOMPARE(bar.button(5)->contextMenuPolicy(), Qt::CustomContextMenu);
    }

    void buttonsLeaveTheFocusWhereItWas() {
        CMacroBar bar(labelOf);
        for (int key = 1; key <= kMacroKeysPerSet; ++key)
            QCOMPARE(bar.button(key)->focusPolicy(), Qt::NoFocus);
        // A "&" is shown, not taken as a mnemonic.
        CMacroBar amp([](MacroKeySet, int) { return QStringLiteral("R&R"); });
        QCOMPARE(amp.button(1)->text(), QStringLiteral("R&&R"));
    }
};

QTEST_MAIN(MacroBarTest)
#include "MacroBarTest.moc"
