#include "app/ui/SystemVolumeControl.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace tarnvel::app {

QString openSystemVolumeControl(const QString& mixerControl) {
    const QString pavucontrol = QStandardPaths::findExecutable(QStringLiteral("pavucontrol"));
    if (!pavucontrol.isEmpty()) {
        if (QProcess::startDetached(pavucontrol, {})) return {};
        return QStringLiteral("Cannot start %1.").arg(pavucontrol);
    }
    const QString alsamixer = QStandardPaths::findExecutable(QStringLiteral("alsamixer"));
    const QString terminal = QStandardPaths::findExecutable(QStringLiteral("x-terminal-emulator"));
    if (alsamixer.isEmpty() || terminal.isEmpty())
        return QStringLiteral(
            "No volume control program was found: install \"pavucontrol\", or \"alsa-utils\" "
            "(alsamixer) and a terminal emulator.");
    QStringList arguments{QStringLiteral("-e"), alsamixer};
    if (!mixerControl.isEmpty()) arguments << QStringLiteral("-D") << mixerControl;
    if (QProcess::startDetached(terminal, arguments)) return {};
    return QStringLiteral("Cannot start %1.").arg(terminal);
}

}  // namespace tarnvel::app
