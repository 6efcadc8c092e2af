#include "ui/CommandTarget.h"

namespace tessel {

CommandState CommandRow::State() const {
    CommandState state;
    if (enabled)
        state.enabled = enabled();
    if (checked)
        state.SetCheck(checked());
    return state;
}

void CommandRow::Run() const {
    if (run)
        run();
}

CommandRows& CommandRows::Add(int id, std::function<void()> run, std::function<bool()> enabled) {
    m_rows.insert_or_assign(id, CommandRow{std::move(run), std::move(enabled), {}});
    return *this;
}

CommandRows& CommandRows::AddCheck(int id, std::function<void()> run,
                                   std::function<bool()> checked) {
    m_rows.insert_or_assign(id, CommandRow{std::move(run), {}, std::move(checked)});
    return *this;
}

const CommandRow* CommandRows::Find(int id) const {
    const auto it = m_rows.find(id);
    return it != m_rows.end() ? &it->second : nullptr;
}

} // namespace tessel
