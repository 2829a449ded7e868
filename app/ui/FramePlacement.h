#pragma once
// Where the main window stands and how its bars are laid out, kept between runs: the position
// is the frame's (what move() takes), the size the client area's (what resize() takes), and the
// bar layout is stored under the section of the tuning bar's option.

class QMainWindow;

namespace tarnvel::app {

class Settings;
class SettingsStore;

// The waterfall's share of the window's height at a first start.
inline constexpr int kFirstStartSpectrumPercent = 40;

// Moves and sizes the window as stored, inside the screen, and restores its bars.
void restorePlacement(QMainWindow& frame, Settings& settings, SettingsStore& store);
// Shows the window as it was left: minimised, maximised or at its place; a first start
// (nothing stored) opens at three quarters of the screen.
void showAtStart(QMainWindow& frame, Settings& settings, SettingsStore& store);
// Stores the placement and the bar layout (at close).
void savePlacement(QMainWindow& frame, Settings& settings, SettingsStore& store);

}  // namespace tarnvel::app
