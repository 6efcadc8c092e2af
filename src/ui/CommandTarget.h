#pragma once

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

// Anything that handles commands: views, documents, frames, the application.
// Commands travel along a chain of targets (the active view, its document,
// its child frame, the main frame, the application); the first target that
// handles a command decides its state and carries it out. A command that no
// target in the chain handles is shown disabled.
class ICommandTarget {
public:
    virtual ~ICommandTarget() = default;
    // True when this target handles command `id`. With `ui` it only fills in
    // the command's state; with nullptr it carries the command out.
    virtual bool OnCmdMsg(int id, CommandState* ui) = 0;

protected:
    ICommandTarget() = default;
    ICommandTarget(const ICommandTarget&) = default;
    ICommandTarget& operator=(const ICommandTarget&) = default;
};

} // namespace tessel
