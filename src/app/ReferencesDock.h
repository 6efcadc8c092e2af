#pragma once

#include "ui/CommandTarget.h"

#include <QDockWidget>
#include <QPointer>
#include <QTextCursor>

#include <functional>
#include <vector>

class QLabel;
class QTreeWidget;

namespace tessel {

class EditorView;
class ViewShell;

// Who refers to what stands at the caret (Shift+F12): for a line's number or
// a reference to it, every line that refers to that line, with how (GOTO,
// GOSUB, ...) and the line's text; for a label, where it is defined and
// used; for a variable, where it is set and read. A dock beside the
// documents, hidden until it has something to show (or View > References
// shows it); the arrow keys walk the list, and Enter or a double click goes
// to a place as a jump that Alt+Left comes back from. When there is nothing
// to list the status bar says so and the list stays as it was.
class ReferencesDock : public QDockWidget {
    Q_OBJECT

public:
    ReferencesDock(std::function<EditorView*()> currentView, ViewShell& shell,
                   QWidget* parent = nullptr);

    // ID_FIND_REFERENCES and ID_VIEW_REFERENCES, as rows of the frame's
    // `rows`.
    void AddCommandRows(CommandRows& rows);

    // Lists who refers to what stands at the caret of `view`, shows the list
    // and gives it the focus; false when there is nothing to list.
    bool ListAt(EditorView& view);
    // Puts the caret of the view listed from on the place of `row`.
    void GoTo(int row);

    QTreeWidget* List() const { return m_list; }
    // What the list holds, above it.
    QString Heading() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Clear();

    std::function<EditorView*()> m_currentView;
    ViewShell& m_shell;
    QLabel* m_heading;
    QTreeWidget* m_list;
    QPointer<EditorView> m_view;       // the view listed from
    std::vector<QTextCursor> m_places; // of each row, in its text
    bool m_shownOnce = false;
};

} // namespace tessel
