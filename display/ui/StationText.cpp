#include "display/ui/StationText.h"

#include <QtGlobal>

static void initTarnvelResources() {
    Q_INIT_RESOURCE(tarnvel);
}

namespace tarnvel::display {

void initDisplayResources() {
    initTarnvelResources();
}

}  // namespace tarnvel::display
