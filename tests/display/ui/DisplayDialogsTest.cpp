// The display's dialogs on the offscreen platform: wide enough for their titles, and the
// palette dialog's file name kept from one opening to the next.

#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "display/ui/DisplayDialogs.h"

using namespace tarnvel::display;

namespace {

// A window manager's title bar holds an icon and three buttons besides the title; 100 pixels
// is a modest allowance for them.
constexpr int kTitleBarExtras = 100;

int titleNeeds(const QDialog& dialog) {
    QFont font = dialog.font();
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(dialog.windowTitle()) + kTitleBarExtras;
}

void expectTitleFits(QDialog& dialog) {
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY2(dialog.width() >= titleNeeds(dialog),
             qPrintable(QStringLiteral("\"%1\": %2 px wide, the title needs %3")
                            .arg(dialog.windowTitle())
                            .arg(dialog.width())
                            .arg(titleNeeds(dialog))));
}

}  // namespace

class DisplayDialogsTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    // The words match the channels' codes, so they are kept in the character set on the air.
    void highlightWordsKeepPolishLetters() {
        HighlightWords words;
        HighlightWords::Slots slotList = words.slots();
        slotList[0].text = "\xC5\x81\xC3\xB3\x64\xC5\xBA";  // "Łódź" in UTF-8
        words.assign(slotList);
        CHighlightDialog utf8(words, tarnvel::modem::CharacterSet::Utf8);
        QCOMPARE(utf8.findChildren<QLineEdit*>().value(0)->text(), QStringLiteral("Łódź"));
        QCOMPARE(utf8.words()[0].text, slotList[0].text);
        CHighlightDialog cp1250(words, tarnvel::modem::CharacterSet::Windows1250);
        cp1250.findChildren<QLineEdit*>().value(0)->setText(QStringLiteral("Łódź"));
        QCOMPARE(cp1250.words()[0].text, std::string("\xA3\xF3\x64\x9F"));
    }

    void titlesShowInFull() {
        {
            CPaletteDialog d(defaultPaletteAnchors());
            expectTitleFits(d);
        }
        {
            CMarkersDialog d(SpectrumMarkers{});
            expectTitleFits(d);
        }
        {
            CBandPagesDialog d(BandPages{});
            expectTitleFits(d);
        }
        {
            CHighlightDialog d(HighlightWords{}, tarnvel::modem::CharacterSet::Utf8);
            expectTitleFits(d);
        }
    }

    void paletteDialogRemembersTheLastFileForTheRun() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const std::string path = dir.filePath(QStringLiteral("night.pal")).toStdString();
        PaletteAnchors anchors = defaultPaletteAnchors();
        anchors[3] = rgb(10, 20, 30);
        {
            CPaletteDialog first(anchors);
            QCOMPARE(first.editor().lastFileName(), std::string(kInitialPaletteFileName));
            QVERIFY(first.editor().save(path).ok);
        }
        // The next opening offers the file used last and reads it back.
        CPaletteDialog second(defaultPaletteAnchors());
        QCOMPARE(second.editor().lastFileName(), path);
        QVERIFY(second.editor().load(path).ok);
        QCOMPARE(second.editor().working()[3], rgb(10, 20, 30));
        QSignalSpy applied(&second, &CPaletteDialog::applied);
        for (QPushButton* b : second.findChildren<QPushButton*>())
            if (b->text() == QStringLiteral("Zatwierdź")) b->click();
        QCOMPARE(applied.count(), 1);
        QCOMPARE(applied.at(0).at(0).value<PaletteAnchors>()[3], rgb(10, 20, 30));
    }

    void markersDialogReturnsTheTypedFrequencies() {
        SpectrumMarkers markers;
        markers.setFrequency(0, 1500.0f);
        CMarkersDialog d(markers);
        const QList<QLineEdit*> fields = d.findChildren<QLineEdit*>();
        QCOMPARE(fields.size(), 5);
        QCOMPARE(fields[0]->text(), QStringLiteral("1500.00"));
        fields[2]->setText(QStringLiteral("2125.5"));
        const SpectrumMarkers edited = d.markers();
        QCOMPARE(edited.frequency(0), 1500.0f);
        QCOMPARE(edited.frequency(2), 2125.5f);
        QCOMPARE(edited.frequency(4), 0.0f);
    }
};

QTEST_MAIN(DisplayDialogsTest)
#include "DisplayDialogsTest.moc"
