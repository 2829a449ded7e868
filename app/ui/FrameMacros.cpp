#include "app/ui/FrameMacros.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>

#include "app/Station.h"
#include "app/StationMacros.h"
#include "app/ui/CommandBinder.h"
#include "display/ui/StationText.h"
#include "macros/MacroKeys.h"
#include "macros/ui/CMacroBar.h"
#include "macros/ui/CMacroEditor.h"

namespace tarnvel::app {

namespace {

using macros::MacroKeySet;

constexpr std::array<MacroKeySet, 2> kSets{MacroKeySet::F, MacroKeySet::Ctrl};

size_t slot(MacroKeySet set, int key) {
    return static_cast<size_t>((set == MacroKeySet::F ? 0 : macros::kMacroKeysPerSet) + key - 1);
}

}  // namespace

FrameMacros::FrameMacros(Station& station, QMainWindow& frame, CommandBinder& commands,
                         std::function<void()> afterFire)
    : QObject(&frame), station_(station), frame_(frame), afterFire_(std::move(afterFire)) {
    bar_ = new macros::CMacroBar(
        [this](MacroKeySet set, int key) { return shown(station_.macros().macro(set, key).label); },
        &frame);
    frame.addToolBar(Qt::TopToolBarArea, bar_);
    connect(bar_, &macros::CMacroBar::fireRequested, this, &FrameMacros::fire);
    connect(bar_, &macros::CMacroBar::editRequested, this, &FrameMacros::edit);
    buildKeys();
    buildMenus(commands);
    // A macro file loaded by its command changes the labels.
    connect(&commands, &CommandBinder::commandTriggered, bar_, &macros::CMacroBar::refresh);
}

// At window level: whichever view has the focus, the keys are the macros'.
void FrameMacros::buildKeys() {
    for (const MacroKeySet set : kSets) {
        for (int key = 1; key <= macros::kMacroKeysPerSet; ++key) {
            auto* a = new QAction(&frame_);
            const Qt::KeyboardModifiers mods =
                set == MacroKeySet::Ctrl ? Qt::ControlModifier : Qt::NoModifier;
            a->setShortcut(QKeySequence(QKeyCombination(mods, Qt::Key(Qt::Key_F1 + key - 1))));
            a->setShortcutContext(Qt::WindowShortcut);
            connect(a, &QAction::triggered, this, [this, set, key] { fire(set, key); });
            frame_.addAction(a);
            keys_[slot(set, key)] = a;
        }
    }
}

void FrameMacros::buildMenus(CommandBinder& commands) {
    QMenu* menu = commands.menu(Menu::Macros);
    if (menu == nullptr) return;
    QAction* first = menu->actions().value(0);
    fMenu_ = new QMenu(QString::fromUtf8(macros::kFMacroMenu.data(),
                                         static_cast<qsizetype>(macros::kFMacroMenu.size())),
                       menu);
    ctrlMenu_ = new QMenu(QString::fromUtf8(macros::kCtrlMacroMenu.data(),
                                            static_cast<qsizetype>(macros::kCtrlMacroMenu.size())),
                          menu);
    menu->insertMenu(first, fMenu_);
    menu->insertMenu(first, ctrlMenu_);
    for (const MacroKeySet set : kSets) {
        QMenu* sub = editMenu(set);
        for (int key = 1; key <= macros::kMacroKeysPerSet; ++key)
            connect(sub->addAction(QString()), &QAction::triggered, this,
                    [this, set, key] { edit(set, key); });
        connect(sub, &QMenu::aboutToShow, this, [this, set] { refreshMenu(set); });
        refreshMenu(set);
    }
}

QMenu* FrameMacros::editMenu(MacroKeySet set) const {
    return set == MacroKeySet::F ? fMenu_ : ctrlMenu_;
}

QAction* FrameMacros::keyAction(MacroKeySet set, int key) const {
    return keys_.at(slot(set, key));
}

// "F&2\tCQ": the label after a tab, where menus show a key.
void FrameMacros::refreshMenu(MacroKeySet set) {
    const QList<QAction*> items = editMenu(set)->actions();
    for (int key = 1; key <= macros::kMacroKeysPerSet && key <= items.size(); ++key) {
        const std::string label = station_.macros().macro(set, key).label;
        const QString text = shown(macros::macroMenuItemText(set, key, label));
        items[key - 1]->setText(text);
    }
}

void FrameMacros::fire(MacroKeySet set, int key) {
    station_.macros().fire(set, key);
    if (afterFire_) afterFire_();
}

void FrameMacros::edit(MacroKeySet set, int key) {
    const macros::Macro& macro = station_.macros().macro(set, key);
    macros::CMacroEditor editor(set, key, shown(macro.label), shown(macro.text), &frame_);
    if (editor.exec() != QDialog::Accepted) return;
    station_.macros().edit(set, key, macros::Macro{codes(editor.label()), codes(editor.text())});
    bar_->refresh();
    refreshMenu(set);
}

// Labels and texts are in the station's codes, shown in the character set on the air.
QString FrameMacros::shown(const std::string& codes) const {
    return display::fromStationCodes(codes, station_.characterSet());
}

std::string FrameMacros::codes(const QString& text) const {
    return display::toStationCodes(text, station_.characterSet());
}

}  // namespace tarnvel::app
