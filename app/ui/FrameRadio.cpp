#include "app/ui/FrameRadio.h"

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>

#include "app/Station.h"
#include "app/StationRadio.h"
#include "radio/ui/CPortDialog.h"

namespace tarnvel::app {
namespace {

// A signal handler may only write to a descriptor; the window's loop reads the other end.
int gSignalWrite = -1;

void onStopSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(gSignalWrite, &byte, 1);
}

}  // namespace

void editRadioPort(Station& station, QWidget* parent) {
    const radio::StoredPortSettings stored = station.radio().storedSettings();
    radio::CPortDialog dialog(stored, radio::PortList::scan(stored.device), parent);
    if (dialog.exec() != QDialog::Accepted) return;
    station.radio().applySettings(dialog.settings());
}

void closeOnStopSignals(Station& station) {
    int fds[2];
    if (gSignalWrite >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0)
        return;
    gSignalWrite = fds[1];
    auto* notifier = new QSocketNotifier(fds[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [&station, notifier, fds] {
        char byte = 0;
        [[maybe_unused]] const ssize_t n = ::read(fds[0], &byte, 1);
        notifier->setEnabled(false);
        station.soundOff();
        QApplication::closeAllWindows();
        QApplication::exit(0);
    });
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace tarnvel::app
