#include "app/ui/FramePlacement.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <algorithm>

#include "app/Settings.h"

namespace tarnvel::app {

namespace {

constexpr int kMinFrameWidth = 300;
constexpr int kMinFrameHeight = 200;
constexpr int kScreenMargin = 100;
constexpr const char* kBarStateKey = "State";

const char* barSection(const Settings& settings) {
    return settings.misc.oldPhaseScope != 0 ? section::kToolBarsWithTuningBar : section::kToolBars;
}

// A first start opens at about three quarters of the screen, centred, with a waterfall tall
// enough to read.
void placeFirstStart(QMainWindow& frame, Settings& settings) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    const QSize size(area.width() * 3 / 4, area.height() * 3 / 4);
    frame.resize(size);
    frame.move(area.center() - QPoint(size.width() / 2, size.height() / 2));
    settings.window.spectrumHeight = size.height() * kFirstStartSpectrumPercent / 100;
}

}  // namespace

void restorePlacement(QMainWindow& frame, Settings& settings, SettingsStore& store) {
    frame.setMinimumSize(kMinFrameWidth, kMinFrameHeight);
    const QRect screen = QGuiApplication::primaryScreen()
                             ? QGuiApplication::primaryScreen()->geometry()
                             : QRect(0, 0, 1280, 800);
    const int x = std::min<int>(settings.window.posX, screen.width() - kScreenMargin);
    const int y = std::min<int>(settings.window.posY, screen.height() - kScreenMargin);
    const int w = std::min<int>(settings.window.width, screen.width());
    const int h = std::min<int>(settings.window.height, screen.height());
    frame.move(std::max(0, x), std::max(0, y));
    frame.resize(std::max(kMinFrameWidth, w), std::max(kMinFrameHeight, h));
    const std::string saved = store.getString(barSection(settings), kBarStateKey, "");
    if (!saved.empty())
        frame.restoreState(QByteArray::fromBase64(QByteArray::fromStdString(saved)));
}

void showAtStart(QMainWindow& frame, Settings& settings, SettingsStore& store) {
    if (!store.find(section::kWindow, "Width")) placeFirstStart(frame, settings);
    if (settings.window.isMinimized != 0)
        frame.showMinimized();
    else if (settings.window.isMaximized != 0)
        frame.showMaximized();
    else
        frame.show();
}

void savePlacement(QMainWindow& frame, Settings& settings, SettingsStore& store) {
    settings.window.isMinimized = frame.isMinimized() ? 1 : 0;
    settings.window.isMaximized = frame.isMaximized() ? 1 : 0;
    // The position is the frame's (what move() takes), the size the client area's (what
    // resize() takes): mixing the two moved the window down by its title bar at every start.
    const QRect g = frame.normalGeometry().isValid() ? frame.normalGeometry() : frame.geometry();
    const QPoint frameOffset = frame.geometry().topLeft() - frame.frameGeometry().topLeft();
    settings.window.posX = g.x() - frameOffset.x();
    settings.window.posY = g.y() - frameOffset.y();
    settings.window.width = g.width();
    settings.window.height = g.height();
    store.writeString(barSection(settings), kBarStateKey, frame.saveState().toBase64().toStdString());
}

}  // namespace tarnvel::app
