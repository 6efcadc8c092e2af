#pragma once

#include "doc/DocKind.h"
#include "model/ProgramModel.h"
#include "ui/CommandTarget.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

#include <cstddef>
#include <memory>
#include <vector>

class QColor;
class QPalette;

namespace tessel {

class EditorView;
class ViewShell;

// One problem of the text as the editor shows it.
struct ProblemMark {
    QTextCursor place; // its characters (none for a line with nothing to underline)
    Severity severity = Severity::Error;
    StringId message = IDS_NONE; // which problem it is
    QString text;                // its message in the interface language
    QString fixTitle;            // the name of its mend; empty for none

    int From() const { return place.selectionStart(); }
    int To() const { return place.selectionEnd(); }
    // The editor's line it is on, from 0.
    int Line() const { return place.block().blockNumber(); }
};

// The program model's problems in an editor: the model follows every edit
// of the text as the widget reports it (byte for byte, never built again per
// key); a moment after the typing stops the problems are marked, errors,
// warnings and hints each in their own line under the text; a tooltip says
// the problem under the mouse, the context menu offers its mend. F8 and
// Shift+F8 go from problem to problem, and a mend is one step of Undo.
// Only the kinds of document whose lines have numbers are read; a DATA
// window has no marks and costs nothing.
class ProblemMarks : public QObject {
    Q_OBJECT

public:
    // How long the typing must have stopped before the marks follow.
    static constexpr int kPauseMs = 400;

    // Watches `view`'s text (made by the view, which it outlives never).
    ProblemMarks(EditorView& view, ViewShell& shell);
    ~ProblemMarks() override;

    // How the text is read; a kind without line numbers drops the marks.
    void SetKind(DocKind kind);
    // The settings the model reads (the tab width, the device's end code)
    // may have changed: the marks follow after the pause.
    void Reread();
    // Whether the text is read for problems.
    bool Active() const { return m_model != nullptr; }
    // The model of the text as it is now (to the last edit); none while
    // inactive.
    const ProgramModel* Model() const { return m_model.get(); }

    // The problems as the last pause found them, in text order.
    const std::vector<ProblemMark>& Marks() const { return m_marks; }
    int Count(Severity severity) const;
    // An edit since then waits for the pause.
    bool Pending() const { return m_pause.isActive(); }
    // Marks the problems now, without waiting for the pause.
    void Refresh();

    // Puts the caret at the start of mark `index` and says its message in
    // the status bar.
    void GoTo(std::size_t index);
    // The next problem after the caret (`forward`) or the one before it,
    // round from the last to the first.
    void GoToNext(bool forward);
    // The marks that the widget position `position` is in or just after.
    std::vector<std::size_t> MarksAt(int position) const;
    // Makes the mend of the problem `message` that starts at widget
    // position `from`, if the text as it is now still has it: one step of
    // Undo. False when there is none (or the editor refused the edit).
    bool Mend(int from, StringId message);

    // F8, Shift+F8 and the mend at the caret, as rows of the view's `rows`.
    void AddCommandRows(CommandRows& rows);

    // The colour of a severity's line, for a palette's base.
    static QColor ColorOf(Severity severity, const QPalette& palette);

    // What the tooltip says of the marks under the mouse at `point` of the
    // viewport: each message, and the name of its mend if it has one. The
    // view's hover puts it before what it says of a reference there.
    QStringList ToolTipLines(const QPoint& point) const;

signals:
    // The marks were made again.
    void Changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnContentsChange(int position, int removed, int added);
    // The model from the whole text, with the options the settings give now.
    void Rebuild();
    // The byte where the widget's block `block` starts in the model's text.
    std::size_t BlockOffset(int block) const;
    // The marks under the mouse at `point` of the viewport.
    std::vector<std::size_t> MarksUnder(const QPoint& point) const;
    bool ShowContextMenu(const QPoint& point, const QPoint& global, bool keyboard);
    void ApplySelections();

    EditorView& m_view;
    ViewShell& m_shell;
    DocKind m_kind = DocKind::Data;
    std::unique_ptr<ProgramModel> m_model;
    std::vector<ProblemMark> m_marks;
    QTimer m_pause;
};

} // namespace tessel
