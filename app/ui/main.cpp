// The desktop program. Without arguments it works with the sound card; for demonstrations and
// tests it can take a recording as its input instead, and save a picture of its window.
//
//   tarnvel [--input-wav FILE [--loop]] [--screenshot FILE.png --quit-after MS]
//   tarnvel --help | --version

#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QSocketNotifier>
#include <QTimer>
#include <QTranslator>
#include <clocale>
#include <cstdio>
#include <memory>

#include "app/InstanceLock.h"
#include "app/SettingsStore.h"
#include "app/StationClock.h"
#include "app/StationLink.h"
#include "app/UserFolders.h"
#include "app/ui/CMainFrame.h"
#include "app/ui/CommandLine.h"
#include "app/ui/FrameRadio.h"
#include "app/ui/SecondInstance.h"
#include "audio/SelectedSoundCard.h"
#include "audio/WavFileSoundCard.h"
#include "display/ui/StationText.h"

namespace {

// Qt's own dialogs (file dialogs, standard buttons) speak the menus' language.
void loadQtTranslations(QApplication& app) {
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Polish), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
}

}  // namespace

int main(int argc, char** argv) {
    // --help and --version answer before any window system is needed.
    const tarnvel::app::CommandLine options = tarnvel::app::parseCommandLine(argc, argv);
    if (options.exit) {
        std::fputs(options.output.c_str(), options.exitCode == 0 ? stdout : stderr);
        return options.exitCode;
    }

    QApplication app(argc, argv);
    // Qt took the user's locale. Numbers stay in the C form: Hamlib's rig_open switches the
    // numeric locale to "C" and back to a saved name that the switch itself has freed.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("tarnvel"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tarnvel"));
    QApplication::setApplicationVersion(QStringLiteral(TARNVEL_VERSION));
    loadQtTranslations(app);
    tarnvel::display::initDisplayResources();

    // One Tarnvel per user: held until the program ends, so declared before everything that
    // writes the user's files. A folder that cannot be locked is reported by the station too,
    // when it fails to write there.
    const tarnvel::app::InstanceLock lock =
        tarnvel::app::InstanceLock::acquire(tarnvel::app::defaultDataFolder());
    if (lock.outcome() == tarnvel::app::InstanceLock::Outcome::HeldByAnother)
        return tarnvel::app::refuseSecondInstance(lock, options.quitAfterMs);
    if (!lock.held()) std::fprintf(stderr, "tarnvel: %s\n", lock.message().c_str());

    tarnvel::app::SettingsStore store(tarnvel::app::defaultSettingsPath());
    std::unique_ptr<tarnvel::audio::SoundCard> card;
    if (!options.inputWav.empty()) {
        tarnvel::audio::WavFileSoundCardFiles files;
        files.inputFile =
            QFileInfo(QString::fromStdString(options.inputWav)).absoluteFilePath().toStdString();
        files.realTime = true;
        files.loop = options.loop;
        files.noOutputMessage =
            "there is nothing to transmit on while a recording is the input (--input-wav)";
        card = std::make_unique<tarnvel::audio::WavFileSoundCard>(tarnvel::audio::SoundCardConfig{},
                                                                  std::move(files));
    } else {
        card = std::make_unique<tarnvel::audio::SelectedSoundCard>();  // or the USB device
    }
    tarnvel::app::SteadyStationClock clock;
    // The frame gives the station the desktop's window colour for the backgrounds.
    tarnvel::app::CMainFrame frame(store, *card, clock,
                                   tarnvel::app::StationOptions{tarnvel::app::defaultDataFolder(), false, {}});
    // A quit asked for while a message box of the start-up is open ends that box's loop only:
    // remember it, so that the main loop is never entered afterwards.
    bool quitRequested = false;
    if (options.quitAfterMs) {
        const QString shot =
            QFileInfo(QString::fromStdString(options.screenshot)).absoluteFilePath();
        const bool wanted = !options.screenshot.empty();
        QTimer::singleShot(*options.quitAfterMs, &frame, [&frame, &quitRequested, shot, wanted] {
            quitRequested = true;
            if (wanted && !frame.grab().save(shot, "PNG"))
                std::fprintf(stderr, "Cannot write %s\n", qPrintable(shot));
            frame.close();
            QApplication::exit(0);
        });
    }
    // Other programs of the user reach the station through its data link.
    tarnvel::app::Station& station = frame.station();
    station.link().start();
    std::unique_ptr<QSocketNotifier> linkNotifier;
    if (station.link().running()) {
        linkNotifier =
            std::make_unique<QSocketNotifier>(station.link().pollFd(), QSocketNotifier::Read);
        QObject::connect(linkNotifier.get(), &QSocketNotifier::activated, &frame,
                         [&station] { station.link().service(); });
    }
    frame.showAtStart();
    frame.start();
    tarnvel::app::closeOnStopSignals(frame.station());  // the radio is released on SIGINT/SIGTERM
    if (quitRequested) return 0;
    return app.exec();
}
