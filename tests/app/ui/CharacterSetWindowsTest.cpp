// The character set on the air in the windows: the station dialog, the transmit window with the
// transmitter behind it, and the receive window fed one code at a time.

#include <QLineEdit>
#include <QtTest>

#include "app/ui/AppDialogs.h"
#include "app/ui/CKbdBufferView.h"
#include "app/ui/CRxView.h"
#include "modem/CharacterSet.h"
#include "modem/Transmitter.h"
#include "modem/TransmitProbe.h"

using namespace tarnvel::app;
using tarnvel::modem::CharacterSet;
using tarnvel::modem::encodeText;

namespace {

// The transmitter's view of a station whose transmit window is the given model.
class WindowHost : public tarnvel::modem::TextTransmitHost {
  public:
    explicit WindowHost(TransmitText& window) : window_(window) {}
    bool nextTransmitCharacter(uint8_t& ch) override {
        const auto next = window_.nextTransmitCharacter();
        if (next) ch = *next;
        return next.has_value();
    }

  private:
    TransmitText& window_;
};

struct Transmission {
    std::string onAir;
    bool complete = false;
};

Transmission transmitWindow(CharacterSet set, WindowHost& host) {
    tarnvel::modem::Transmitter tx(host);
    tx.setCharacterSet(set);
    const auto out = tx.renderTransmission(800 * tarnvel::modem::Transmitter::kBufferSamples);
    const auto sym = tarnvel::modem::probe::symbols(out.samples, tx.modulator().symbolStep(),
                                                    tx.modulator().carrierStep());
    return {tarnvel::modem::probe::decodeVaricode(
                tarnvel::modem::probe::bpskBits(sym, 40, sym.size())),
            out.complete};
}

// Key events carrying the typed letters, as a Polish keyboard delivers them (keyClicks takes
// only ASCII).
void typeLetters(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

std::string utf8(const QString& text) {
    return encodeText(text.toStdU32String(), CharacterSet::Utf8);
}

}  // namespace

class CharacterSetWindowsTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void stationDialogKeepsPolishLettersInEachSet_data() {
        QTest::addColumn<int>("set");
        QTest::addColumn<QByteArray>("codes");
        QTest::addColumn<QString>("shownAgain");
        QTest::newRow("UTF-8") << static_cast<int>(CharacterSet::Utf8)
                               << QByteArray("\xC5\x81\xC3\xB3\x64\xC5\xBA") << QString("Łódź");
        QTest::newRow("Windows-1250") << static_cast<int>(CharacterSet::Windows1250)
                                      << QByteArray("\xA3\xF3\x64\x9F") << QString("Łódź");
        QTest::newRow("ISO-8859-1") << static_cast<int>(CharacterSet::Latin1)
                                    << QByteArray("?\xF3\x64?") << QString("?ód?");
    }
    void stationDialogKeepsPolishLettersInEachSet() {
        QFETCH(int, set);
        QFETCH(QByteArray, codes);
        QFETCH(QString, shownAgain);
        const auto charset = static_cast<CharacterSet>(set);
        StationData data{"SP5XYZ", "", "", "", false, true};
        CStationDialog dialog(data, charset);
        dialog.nameField()->setFocus();
        typeLetters(dialog.nameField(), QStringLiteral("Łódź"));
        dialog.qthField()->setText(QStringLiteral("Łódź"));
        const StationData edited = dialog.data();
        QCOMPARE(edited.name, codes.toStdString());
        QCOMPARE(edited.qth, codes.toStdString());
        CStationDialog again(edited, charset);
        QCOMPARE(again.nameField()->text(), shownAgain);
        QCOMPARE(again.qthField()->text(), shownAgain);
    }

    void typedPolishLettersGoOutWholeInUtf8() {
        TransmitText model(true);
        model.setCharacterSet(CharacterSet::Utf8);
        CKbdBufferView view(model);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        // "®" typed is the letter; the end marker comes from the insert command, as raw code.
        typeLetters(&view, QStringLiteral("zażółć ® gęś°"));
        QCOMPARE(view.toPlainText(), QStringLiteral("zażółć ® gęś°"));
        const std::string typed = utf8(QStringLiteral("zażółć ® gęś°"));
        QCOMPARE(model.sendQueue(), typed);
        model.appendText("\xAE\r\n");
        WindowHost host(model);
        host.setUseCwId(1);
        const Transmission sent = transmitWindow(CharacterSet::Utf8, host);
        QVERIFY(sent.complete);
        QCOMPARE(sent.onAir, typed);
        QCOMPARE(host.echoed(), typed);
        QCOMPARE(host.announced(), std::string());
        QCOMPARE(model.sendQueue(), std::string("\r\n"));
    }

    void backspaceTakesBackAWholeLetter() {
        TransmitText model(true);
        model.setCharacterSet(CharacterSet::Utf8);
        CKbdBufferView view(model);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        typeLetters(&view, QStringLiteral("zaż"));
        QTest::keyClick(&view, Qt::Key_Backspace);
        QCOMPARE(model.sendQueue(), std::string("za"));
        QCOMPARE(view.toPlainText(), QStringLiteral("za"));
        // Delete before a letter removes the whole letter, and the caret lands between letters.
        typeLetters(&view, QStringLiteral("ćx"));
        QTest::keyClick(&view, Qt::Key_Left);
        QTest::keyClick(&view, Qt::Key_Left);
        QTest::keyClick(&view, Qt::Key_Delete);
        QCOMPARE(model.text(), std::string("zax"));
        QCOMPARE(view.toPlainText(), QStringLiteral("zax"));

        // Underline mode: a sent letter taken back costs one backspace on the air.
        TransmitText underlined(false);
        underlined.setCharacterSet(CharacterSet::Utf8);
        CKbdBufferView second(underlined);
        second.show();
        QVERIFY(QTest::qWaitForWindowExposed(&second));
        typeLetters(&second, QStringLiteral("aż"));
        while (underlined.nextTransmitCharacter()) {
        }
        QTest::keyClick(&second, Qt::Key_Backspace);
        QCOMPARE(underlined.text(), std::string("a"));
        QCOMPARE(underlined.pendingBackspaces(), 1);
        QCOMPARE(second.toPlainText(), QStringLiteral("a"));
    }

    void receiveWindowShowsUtf8ReceivedOneCodeAtATime() {
        ReceiveText model;
        CRxView view(model);
        view.setCharacterSet(CharacterSet::Utf8);
        const std::string lodz = utf8(QStringLiteral("Łódź"));
        view.appendReceivedChar(static_cast<uint8_t>(lodz[0]), false);
        QCOMPARE(view.toPlainText(), QString());  // half a letter waits
        for (size_t i = 1; i < lodz.size(); ++i)
            view.appendReceivedChar(static_cast<uint8_t>(lodz[i]), false);
        QCOMPARE(view.toPlainText(), QStringLiteral("Łódź"));
        // A received backspace erases the whole last letter.
        view.appendReceivedChar(8, false);
        QCOMPARE(view.toPlainText(), QStringLiteral("Łód"));
        // Invalid codes show as their Latin-1 characters; a cut-off letter is not lost.
        for (const char c : std::string(" \xA9 \xC5\r\n\xF0\x9F\x98\x80"))
            view.appendReceivedChar(static_cast<uint8_t>(c), false);
        QCOMPARE(view.toPlainText(), QString::fromUtf8("Łód © Å\n\xF0\x9F\x98\x80"));
        view.appendReceivedChar(8, false);  // a letter beyond the 16-bit plane
        QCOMPARE(view.toPlainText(), QStringLiteral("Łód © Å\n"));
        // Shown again from the model, the same text.
        view.reload();
        QCOMPARE(view.toPlainText(), QStringLiteral("Łód © Å\n"));
        // The same codes in Windows-1250 are other letters.
        view.setCharacterSet(CharacterSet::Windows1250);
        QCOMPARE(view.toPlainText(), QStringLiteral("Ĺ\u0081Ăłd © Ĺ\n"));
    }
};

QTEST_MAIN(CharacterSetWindowsTest)
#include "CharacterSetWindowsTest.moc"
