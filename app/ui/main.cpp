// The desktop program. Without arguments it works with the sound card; for demonstrations and
// tests it can take a recording as its input instead, and save a picture of its window.
//
//   tarnvel [--input-wav FILE] [--screenshot FILE.png --quit-after MS]

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "app/SettingsStore.h"
#include "app/StationClock.h"
#include "app/UserFolders.h"
#include "app/ui/CMainFrame.h"
#include "audio/PortAudioSoundCard.h"
#include "audio/WavFileSoundCard.h"
#include "display/ui/StationText.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tarnvel"));
    tarnvel::display::initDisplayResources();

    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption inputWav(
        QStringLiteral("input-wav"),
        QStringLiteral("Receive from a WAV recording instead of the sound card."),
        QStringLiteral("file"));
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Save the main window as a PNG before quitting."), QStringLiteral("file"));
    const QCommandLineOption quitAfter(QStringLiteral("quit-after"),
                                       QStringLiteral("Quit after this many milliseconds."),
                                       QStringLiteral("ms"));
    parser.addOptions({inputWav, screenshot, quitAfter});
    parser.process(app);

    tarnvel::app::SettingsStore store(tarnvel::app::defaultSettingsPath());
    std::unique_ptr<tarnvel::audio::SoundCard> card;
    if (parser.isSet(inputWav)) {
        card = std::make_unique<tarnvel::audio::WavFileSoundCard>(
            tarnvel::audio::SoundCardConfig{},
            tarnvel::audio::WavFileSoundCardFiles{
                QFileInfo(parser.value(inputWav)).absoluteFilePath().toStdString(), "", true});
    } else {
        card = std::make_unique<tarnvel::audio::PortAudioSoundCard>();
    }
    tarnvel::app::SteadyStationClock clock;
    tarnvel::app::CMainFrame frame(store, *card, clock,
                                   tarnvel::app::StationOptions{tarnvel::app::defaultDataFolder()});
    if (parser.isSet(quitAfter)) {
        // Set before the start, so that a message box waiting for an answer does not keep the
        // program from ending (exit ends every running event loop).
        const QString shot = QFileInfo(parser.value(screenshot)).absoluteFilePath();
        const bool wanted = parser.isSet(screenshot);
        QTimer::singleShot(parser.value(quitAfter).toInt(), &frame, [&frame, shot, wanted] {
            if (wanted && !frame.grab().save(shot, "PNG"))
                std::fprintf(stderr, "Cannot write %s\n", qPrintable(shot));
            frame.close();
            QApplication::exit(0);
        });
    }
    if (frame.station().settings().window.isMaximized != 0)
        frame.showMaximized();
    else
        frame.show();
    frame.start();
    return app.exec();
}
