#include "app/ui/CommandBinder.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <array>

namespace tarnvel::app {

QString commandQText(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

namespace {

// The prompt shown in the status bar while the pointer is on a command: its text without the
// accelerator mark and the key hint.
QString promptFor(const QString& text) {
    QString prompt = text.section(QLatin1Char('\t'), 0, 0);
    prompt.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    return prompt;
}

}  // namespace

QString commandQTitle(CommandId id) {
    QString title = promptFor(commandQText(commandText(id, StationStatus{})));
    while (title.endsWith(QLatin1Char('.'))) title.chop(1);
    return title;
}

CommandBinder::CommandBinder(QObject* parent) : QObject(parent) {
    bindKeys();
}

void CommandBinder::buildMenus(QMenuBar* bar) {
    for (const MenuSpec& m : menuTable()) {
        // The callbooks and the character sets are submenus of the options.
        const bool submenu = m.menu == Menu::Callbooks || m.menu == Menu::CharacterSets;
        QMenu* menu = submenu ? menus_.at(Menu::Options)->addMenu(commandQText(m.title))
                              : bar->addMenu(commandQText(m.title));
        menus_[m.menu] = menu;
        connect(menu, &QMenu::aboutToShow, this, &CommandBinder::menuOpening);
        for (const CommandSpec& c : commandTable()) {
            if (c.menu != m.menu) continue;
            if (c.separatorBefore) menu->addSeparator();
            QAction* a = menu->addAction(commandQText(commandText(c.id, StationStatus{})));
            a->setCheckable(c.checked != nullptr);
            a->setStatusTip(promptFor(a->text()));
            const CommandId id = c.id;
            connect(a, &QAction::triggered, this, [this, id] { Q_EMIT commandTriggered(id); });
            actions_[id] = a;
        }
    }
}

QAction* CommandBinder::action(CommandId id) const {
    const auto it = actions_.find(id);
    return it != actions_.end() ? it->second : nullptr;
}

QMenu* CommandBinder::menu(Menu menu) const {
    const auto it = menus_.find(menu);
    return it != menus_.end() ? it->second : nullptr;
}

void CommandBinder::update(const StationStatus& status) {
    for (const auto& [id, a] : actions_) {
        a->setEnabled(commandEnabled(id, status));
        if (const auto checked = commandChecked(id, status)) a->setChecked(*checked);
        const QString text = commandQText(commandText(id, status));
        if (a->text() != text) {
            a->setText(text);
            a->setStatusTip(promptFor(text));
        }
    }
}

void CommandBinder::fillPaneMenu(QMenu& menu, const StationStatus& status) {
    // The receive options, the lock, the display options; nothing is a separator.
    using C = CommandId;
    static constexpr std::array<std::optional<CommandId>, 10> kItems{
        C::Squelch, C::Afc,    C::Snap,       C::SquelchThreshold, std::nullopt,
        C::ToggleTransmitLock, std::nullopt, C::Utc, C::FlashingTx, C::ShowFrequencies};
    for (const auto& item : kItems) {
        if (!item) {
            menu.addSeparator();
            continue;
        }
        const CommandId id = *item;
        QAction* a = menu.addAction(commandQText(commandSpec(id).paneText));
        if (const auto checked = commandChecked(id, status)) {
            a->setCheckable(true);
            a->setChecked(*checked);
        }
        a->setEnabled(commandEnabled(id, status));
        connect(a, &QAction::triggered, this, [this, id] { Q_EMIT commandTriggered(id); });
    }
}

void CommandBinder::showPaneMenu(const QPoint& at, const StationStatus& status, QWidget* parent) {
    QMenu menu(parent);
    fillPaneMenu(menu, status);
    menu.exec(at);
}

void CommandBinder::bindKeys() {
    for (const CommandSpec& c : commandTable()) {
        const QString keys = commandQText(c.keys);
        for (const QString& part : keys.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QKeySequence seq = QKeySequence::fromString(part.trimmed(),
                                                              QKeySequence::PortableText);
            if (!seq.isEmpty()) keys_.emplace_back(seq, c.id);
        }
    }
}

std::optional<CommandId> CommandBinder::commandForKey(const QKeyEvent& key) const {
    const Qt::KeyboardModifiers mods = key.modifiers() & ~Qt::KeypadModifier;
    const QKeySequence pressed(QKeyCombination(mods, static_cast<Qt::Key>(key.key())));
    for (const auto& [seq, id] : keys_)
        if (seq == pressed) return id;
    return std::nullopt;
}

}  // namespace tarnvel::app
