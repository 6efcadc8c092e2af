#pragma once

#include "doc/TextSearch.h"

#include <QDialog>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tessel {

class EditorView;

enum class FindDialogMode { Find, Replace };

// The find and replace commands' dialog: one modeless window, "検索" or
// "置換". It holds no view of its own: each button asks for the view to act
// on, so it follows the active document window and does nothing while none
// is open. The search text and options stay from one use to the next.
//
// Searches run from the selection (down from its end, up from its start)
// to the end or the start of the text, without wrapping round; the match
// found is selected and scrolled into view. A search text the code page
// cannot hold is simply not found. The replacement goes in as typed text
// does: a character without a code is refused with a message.
class FindReplaceDialog : public QDialog {
    Q_OBJECT

public:
    using ViewSource = std::function<EditorView*()>;

    explicit FindReplaceDialog(ViewSource currentView, QWidget* parent = nullptr);
    ~FindReplaceDialog() override;

    // Shows the dialog in `mode` with the search text selected. A selection
    // within one line of the view becomes the search text.
    void Open(FindDialogMode mode);
    FindDialogMode Mode() const { return m_mode; }

    // What the buttons do. "次を検索": the next match in the direction
    // chosen (always down in the replace dialog); false when there is none,
    // after the "not found" message.
    bool FindNext();
    // "置換して次に": replaces the selection when it is a match, then finds
    // the next one. False when the replacement was refused or nothing more
    // was found.
    bool ReplaceNext();
    // "すべて置換": every match in the text, as one step of Undo. The
    // number replaced: 0 after the "not found" message or a refusal.
    std::size_t ReplaceAll();

    // Whether there is a search text to look for again.
    bool HasSearchText() const;
    // Enables the buttons while there is a view and a search text.
    void UpdateControls();

private:
    void SetMode(FindDialogMode mode);
    SearchOptions Options() const;
    // The search text as the widget's text would hold it; nothing when it
    // has a character the code page has no code for.
    std::optional<std::u16string> Pattern() const;
    bool Find(EditorView& view, bool down);
    void ReportNotFound(EditorView& view);

    ViewSource m_currentView;
    FindDialogMode m_mode = FindDialogMode::Find;
    QLineEdit* m_findText;
    QLabel* m_replaceLabel;
    QLineEdit* m_replaceText;
    QCheckBox* m_wholeWord;
    QCheckBox* m_matchCase;
    QGroupBox* m_direction;
    QRadioButton* m_up;
    QRadioButton* m_down;
    QPushButton* m_findNext;
    QPushButton* m_replaceNext;
    QPushButton* m_replaceAll;
};

} // namespace tessel
