#include "app/CommandRouter.h"

#include "app/CommandTable.h"

#include <QAction>
#include <QKeySequence>
#include <QList>
#include <QString>

namespace tessel {

CommandRouter::CommandRouter(Chain chain, QObject* parent)
    : QObject(parent), m_chain(std::move(chain)) {
    m_updateTimer.setSingleShot(true);
    m_updateTimer.setInterval(0);
    connect(&m_updateTimer, &QTimer::timeout, this, &CommandRouter::UpdateActions);
}

QAction* CommandRouter::Action(int id) {
    if (const auto it = m_actions.find(id); it != m_actions.end())
        return it->second;
    auto* action = new QAction(this);
    if (const CommandInfo* info = FindCommand(id)) {
        action->setObjectName(QString::fromLatin1(info->name));
        const std::string_view label = CommandLabel(*info);
        action->setText(QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size())));
        QList<QKeySequence> keys;
        for (const QString& key :
             QString::fromLatin1(info->shortcuts).split(u';', Qt::SkipEmptyParts))
            keys.append(QKeySequence::fromString(key, QKeySequence::PortableText));
        action->setShortcuts(keys);
    }
    const std::string_view prompt = CommandPrompt(id);
    action->setStatusTip(QString::fromUtf8(prompt.data(), static_cast<qsizetype>(prompt.size())));
    const std::string_view tooltip = CommandTooltip(id);
    if (!tooltip.empty())
        action->setToolTip(
            QString::fromUtf8(tooltip.data(), static_cast<qsizetype>(tooltip.size())));
    action->setEnabled(State(id).enabled);
    connect(action, &QAction::triggered, this, [this, id] { Execute(id); });
    m_actions.emplace(id, action);
    return action;
}

bool CommandRouter::Execute(int id) {
    // A command that is disabled now (its state may have changed since the
    // menu was drawn) is not carried out.
    for (CommandTarget* target : m_chain()) {
        const CommandRow* row = target->CommandRowFor(id);
        if (!row)
            continue;
        const bool enabled = row->State().enabled;
        if (enabled)
            row->Run();
        ScheduleUpdate();
        return enabled;
    }
    return false;
}

CommandState CommandRouter::State(int id) const {
    for (CommandTarget* target : m_chain())
        if (const CommandRow* row = target->CommandRowFor(id))
            return row->State();
    CommandState none;
    none.enabled = false;
    return none;
}

void CommandRouter::UpdateActions() {
    for (const auto& [id, action] : m_actions) {
        const CommandState ui = State(id);
        action->setEnabled(ui.enabled);
        action->setCheckable(ui.checkable);
        if (ui.checkable)
            action->setChecked(ui.checked);
    }
}

void CommandRouter::ScheduleUpdate() {
    m_updateTimer.start();
}

} // namespace tessel
