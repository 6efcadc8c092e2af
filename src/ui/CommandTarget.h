#pragma once

#include <cstddef>
#include <functional>
#include <map>

namespace tessel {

// The state of a command as its menu item and toolbar button show it.
struct CommandState {
    bool enabled = true;
    bool checkable = false;
    bool checked = false;
    void SetCheck(bool check) {
        checkable = true;
        checked = check;
    }
};

// How one target handles one command: what carrying it out does, whether it
// may be carried out now (always, when not given), and whether its menu item
// shows a check mark and which way (no check mark, when not given). A row
// without `run` does nothing: the target takes the command so that no
// target behind it does.
struct CommandRow {
    std::function<void()> run;
    std::function<bool()> enabled;
    std::function<bool()> checked;

    // The state now; asking it carries nothing out.
    CommandState State() const;
    void Run() const;
};

// The rows of the commands one target handles, by command id.
class CommandRows {
public:
    // Handles `id`. A later row for the same id takes the place of the
    // earlier one: a view of one kind handles a command otherwise than the
    // view it is made from.
    CommandRows& Add(int id, std::function<void()> run, std::function<bool()> enabled = {});
    // Handles `id` as a command with a check mark, always enabled.
    CommandRows& AddCheck(int id, std::function<void()> run, std::function<bool()> checked);
    // The row of `id`, or nullptr when there is none.
    const CommandRow* Find(int id) const;
    std::size_t Size() const { return m_rows.size(); }

private:
    std::map<int, CommandRow> m_rows;
};

// Anything that handles commands: views, documents, frames, the application.
// Commands travel along a chain of targets (the active view, its document's
// commands, its document window, the main window, the application); the first target that
// has a row for a command decides its state and carries it out. A command
// that no target in the chain handles is shown disabled. A target fills in
// its rows where it is made.
class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    CommandTarget(const CommandTarget&) = delete;
    CommandTarget& operator=(const CommandTarget&) = delete;

    // This target's row for command `id`, or nullptr when it does not
    // handle it.
    const CommandRow* CommandRowFor(int id) const { return m_rows.Find(id); }

protected:
    CommandTarget() = default;
    CommandRows& Rows() { return m_rows; }

private:
    // Its rows refer to the target itself: copying one would make no sense.
    CommandRows m_rows;
};

} // namespace tessel
