#pragma once

#include "ui/CommandTarget.h"

#include <QDockWidget>
#include <QPointer>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace tessel {

class Application;
class EditorView;
class MainWindow;
class ProblemMarks;

// The list of the active document's problems beside the editors (hidden
// until View > Problems shows it, which the settings file remembers), and
// their count in the status bar. Each row is a problem's line and message;
// Enter or a double click goes there, the context menu makes its mend.
class ProblemsDock : public QDockWidget {
    Q_OBJECT

public:
    // Docks itself in `frame` and puts its count in the frame's status bar.
    ProblemsDock(MainWindow& frame, Application& app);

    // Shows the problems of `view` (none: no document).
    void Follow(EditorView* view);

    // View > Problems, as a row of the frame's `rows`; the update of the
    // commands also follows the active view, which a change of kind may
    // have replaced.
    void AddCommandRows(CommandRows& rows);

    QTreeWidget* List() const { return m_list; }
    QLabel* CountLabel() const { return m_count; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Changed();
    void Fill();
    void Activate(QTreeWidgetItem* item);
    void ShowMenu(const QPoint& point);
    void SetShown(bool shown);

    MainWindow& m_frame;
    Application& m_app;
    QTreeWidget* m_list;
    QLabel* m_count;
    QPointer<EditorView> m_view;
    QMetaObject::Connection m_changed;
    bool m_filled = false; // the list shows the marks as they are
};

} // namespace tessel
