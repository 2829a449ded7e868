#include <QApplication>

#include "display/ui/StationText.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    tarnvel::display::initDisplayResources();
    return 0;
}
