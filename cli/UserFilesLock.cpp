#include "cli/UserFilesLock.h"

#include "app/UserFolders.h"
#include "cli/Commands.h"

namespace tarnvel::cli {

std::optional<app::InstanceLock> lockUserFiles(const std::string& dataFolder) {
    app::InstanceLock lock = app::InstanceLock::acquire(dataFolder);
    if (lock.held()) return lock;
    reportProblem({lock.path(), lock.message()});
    return std::nullopt;
}

std::optional<app::InstanceLock> lockUserFiles() {
    return lockUserFiles(app::defaultDataFolder());
}

}  // namespace tarnvel::cli
