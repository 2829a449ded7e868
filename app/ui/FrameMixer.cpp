#include "app/ui/FrameMixer.h"

#include "app/Station.h"
#include "app/StationLink.h"
#include "app/StationMixer.h"
#include "app/ui/CLevelDialog.h"
#include "app/ui/CLoggerDialog.h"

namespace tarnvel::app {
namespace {

void editLogger(Station& station, StationHost& host, QWidget* parent) {
    auto& logger = station.settings().logger;
    CLoggerDialog dialog(
        {logger.udpEnabled != 0, QString::fromStdString(logger.udpHost.value()), logger.udpPort},
        parent);
    if (dialog.exec() != QDialog::Accepted) return;
    const CLoggerDialog::Target t = dialog.target();
    logger.udpEnabled = t.enabled ? 1 : 0;
    logger.udpHost = t.host.toStdString();
    logger.udpPort = t.port;
    station.link().restartLogger();
    if (const std::string& problem = station.link().loggerProblem(); !problem.empty())
        host.showMessage(problem, "Logger UDP", MessageKind::Warning);
}

}  // namespace

bool runMixerCommand(Station& station, StationHost& host, QWidget* parent, CommandId id) {
    if (id == CommandId::LoggerSettings) {
        editLogger(station, host, parent);
        return true;
    }
    if (id != CommandId::InputLevel && id != CommandId::OutputLevel) return false;
    StationMixer mixer(station);
    CLevelDialog dialog(
        mixer, id == CommandId::InputLevel ? CLevelDialog::Side::Input : CLevelDialog::Side::Output,
        parent);
    dialog.exec();
    return true;
}

void applyStoredMixerLevels(Station& station, StationHost& host) {
    StationMixer mixer(station);
    std::string problems;
    for (const std::string& p : mixer.applyStored()) problems += p + "\n";
    if (!problems.empty())
        host.showMessage(problems + "(Volume control is on in the level dialogs.)", "Tarnvel",
                         MessageKind::Warning);
}

}  // namespace tarnvel::app
