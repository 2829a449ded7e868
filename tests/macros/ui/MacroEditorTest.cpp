// The macro editor: its prompt, the help list, "<<" typing the selected tag at the caret and
// naming an empty label, and a text whose line breaks survive opening and closing.

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "macros/MacroHelp.h"
#include "macros/ui/CMacroEditor.h"

using namespace tarnvel::macros;

namespace {

int rowOf(QListWidget* list, const QString& text) {
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text() == text) return i;
    return -1;
}

}  // namespace

class MacroEditorTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void showsThePromptAndTheHelpListWithTheFirstLineSelected() {
        CMacroEditor editor(MacroKeySet::Ctrl, 4, QStringLiteral("10m"), QStringLiteral("<BAND:10m>"));
        QCOMPARE(editor.windowTitle(), QStringLiteral("Edytuj macro"));
        bool prompt = false;
        for (const QLabel* l : editor.findChildren<QLabel*>())
            prompt = prompt || l->text() == QStringLiteral("Label for Ctrl-F4:");
        QVERIFY(prompt);
        QCOMPARE(editor.helpList()->count(), static_cast<int>(macroHelpLines().size()));
        QCOMPARE(editor.helpList()->currentRow(), 0);
        QCOMPARE(editor.helpList()->item(0)->text(), QStringLiteral("<MYCALL> - your callsign"));
        QCOMPARE(editor.label(), QStringLiteral("10m"));
    }

    // "<MYCALL> - your callsign" with an empty label inserts "<MYCALL>" at the caret and names
    // the macro MYCALL; a label already given stays.
    void insertTypesTheTagAtTheCaretAndNamesAnEmptyLabel() {
        CMacroEditor editor(MacroKeySet::F, 2, QString(), QStringLiteral("CQ  pse K"));
        QTextCursor cursor = editor.textField()->textCursor();
        cursor.setPosition(3);
        editor.textField()->setTextCursor(cursor);
        editor.helpList()->setCurrentRow(0);
        QTest::mouseClick(editor.insertButton(), Qt::LeftButton);
        QCOMPARE(editor.text(), QStringLiteral("CQ <MYCALL> pse K"));
        QCOMPARE(editor.label(), QStringLiteral("MYCALL"));

        editor.helpList()->setCurrentRow(rowOf(editor.helpList(), "<RXANDCLEAR> - RX and clear window"));
        editor.insertSelectedTag();
        QCOMPARE(editor.text(), QStringLiteral("CQ <MYCALL><RXANDCLEAR> pse K"));
        QCOMPARE(editor.label(), QStringLiteral("MYCALL"));  // a label is kept

        // A separator line inserts nothing.
        editor.helpList()->setCurrentRow(rowOf(editor.helpList(), QString::fromUtf8(kHelpSeparator.data(), kHelpSeparator.size())));
        QVERIFY(editor.helpList()->currentRow() > 0);
        editor.insertSelectedTag();
        QCOMPARE(editor.text(), QStringLiteral("CQ <MYCALL><RXANDCLEAR> pse K"));
    }

    void lineBreaksSurviveTheEditor() {
        const QString text = QStringLiteral("a\r\nb\rc\nd");
        CMacroEditor editor(MacroKeySet::F, 8, QStringLiteral("Brag"), text);
        QCOMPARE(editor.textField()->toPlainText(), QStringLiteral("a\nb<CR>c<LF>d"));
        QCOMPARE(editor.text(), QStringLiteral("a\r\nb<CR>c<LF>d"));
        editor.textField()->setPlainText(QStringLiteral("x\ny"));
        QCOMPARE(editor.text(), QStringLiteral("x\r\ny"));
    }
};

QTEST_MAIN(MacroEditorTest)
#include "MacroEditorTest.moc"
