#include "app/ui/SecondInstance.h"

#include <QMessageBox>
#include <QTimer>
#include <cstdio>

namespace tarnvel::app {

namespace {
constexpr int kSecondInstanceExitStatus = 1;
}

int refuseSecondInstance(const InstanceLock& lock, std::optional<int> quitAfterMs) {
    std::fprintf(stderr, "tarnvel: %s\n", lock.message().c_str());
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Tarnvel"),
                    QString::fromStdString(lock.message()), QMessageBox::Ok);
    if (quitAfterMs) QTimer::singleShot(*quitAfterMs, &box, [&box] { box.done(QMessageBox::Ok); });
    box.exec();
    return kSecondInstanceExitStatus;
}

}  // namespace tarnvel::app
