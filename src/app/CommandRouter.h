#pragma once

#include "ui/CommandTarget.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <map>
#include <vector>

class QAction;

namespace tessel {

// Turns commands into actions and routes each action along the current chain
// of command targets. Every action of the program comes from here, made from
// the command table, so menus, toolbar and keys share one action per command.
class CommandRouter : public QObject {
    Q_OBJECT

public:
    // `chain` gives the targets in routing order at the moment of asking.
    using Chain = std::function<std::vector<CommandTarget*>()>;

    explicit CommandRouter(Chain chain, QObject* parent = nullptr);

    // The command's action (made on first use; its object name is the
    // command's name, its status tip the command's prompt).
    QAction* Action(int id);
    // Carries the command out through the first target that handles it.
    // False when no target does.
    bool Execute(int id);
    // The command's state now; disabled when no target handles it.
    CommandState State(int id) const;
    // Brings every action's enabled and checked state up to date.
    void UpdateActions();
    // Updates soon, once for any number of calls before then.
    void ScheduleUpdate();

private:
    Chain m_chain;
    std::map<int, QAction*> m_actions;
    QTimer m_updateTimer;
};

} // namespace tessel
