#pragma once

#include "doc/MessageSink.h"

class QWidget;

namespace tessel {

// Document messages as the desktop program shows them: the application's
// message box, owned by the document's window.
class GuiMessageSink final : public MessageSink {
public:
    explicit GuiMessageSink(QWidget* owner) : m_owner(owner) {}

    void ShowMessage(unsigned id) override;
    // The message, then on a line of its own what names the place (the
    // caret is on it already).
    void ShowLineMessage(unsigned id, std::size_t line, std::size_t column,
                         const Problem& place) override;
    // A sentence of the program's own saying what failed, the system's reason
    // below it.
    void ShowFileError(FileAction action, const std::string& path,
                       const std::string& reason) override;

private:
    QWidget* m_owner;
};

} // namespace tessel
