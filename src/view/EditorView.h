#pragma once

#include "doc/DocKind.h"
#include "doc/EditText.h"
#include "ui/CommandTarget.h"
#include "view/JumpHistory.h"

#include <QPlainTextEdit>

#include <cstddef>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace tessel {

class Document;
class ProgramModel;
class PrintCommands;
class ProblemMarks;
class SourceHighlighter;
class ViewShell;

// The editing window of a document: the text lives here, as code page 932
// bytes shown through the editor widget. DATA documents use this view;
// line-numbered documents use NumberedEditorView.
class EditorView : public QPlainTextEdit, public EditText, public CommandTarget {
    Q_OBJECT

public:
    explicit EditorView(ViewShell& shell, QWidget* parent = nullptr);
    ~EditorView() override;

    // The document this view shows; set once, right after both exist.
    void SetDocument(Document* document) { m_document = document; }
    Document* GetDocument() const { return m_document; }

    // Font and tab stops from the settings (made at creation, and by the
    // settings commands for every open view).
    void OnInitialUpdate();
    void ApplyFont(const QFont& font);
    // How the text is read for its colours (the document's kind), and
    // whether it has any beyond the marks that stand for bytes.
    void SetSourceKind(DocKind kind);
    DocKind SourceKind() const;
    void SetColored(bool colored);
    void SetTabStops(unsigned widthInCharacters);

    virtual bool GetLineNumOutput() const { return false; }
    virtual void SetLineNumOutput(bool /*output*/) {}

    // EditText: the whole text as bytes, caret by byte offset.
    std::string GetText() const override;
    std::size_t GetLength() const override;
    bool ReplaceText(std::string_view text) override;
    void SetCaret(std::size_t offset) override;
    // The caret as a byte offset into GetText().
    std::size_t CaretOffset() const;
    // The core's model of the text as it is now, read as the document's
    // kind: the one the problem marks keep up to date edit by edit, else
    // one read afresh. Good until the text changes.
    const ProgramModel& CurrentModel() const;
    bool IsModified() const override;
    void SetModified(bool modified) override;

    // Puts `text` in place of the selection as typing or pasting does, as
    // one step of Undo. False, with nothing changed, when AcceptInput()
    // refuses it.
    bool InsertText(const QString& text);
    // Puts `text` in place of the `length` units at each of `starts`
    // (ascending, none overlapping the next), all as one step of Undo, and
    // leaves the caret after the last. Refused as InsertText() is, as a
    // whole: nothing changes unless everything fits.
    bool ReplaceEach(std::span<const std::size_t> starts, std::size_t length, const QString& text);
    // Printing, print preview and this window's page setup.
    PrintCommands& Printing() { return *m_printing; }
    // The program's problems marked in the text.
    ProblemMarks& Problems() { return *m_problems; }

    // Sends the document as data (DATA windows).
    void OnDataSend();
    // Asks for a line number (the editor's own line where the lines have no
    // numbers) and puts the caret at the start of that line.
    void OnGoToLine();
    // Puts the caret at byte `offset` (or at `place`), shown in the middle of
    // the view, as a jump that Alt+Left comes back from.
    void JumpTo(std::size_t offset);
    void JumpTo(const QTextCursor& place);
    // Back and forward through the jumps (Alt+Left, Alt+Right).
    void OnNavigate(bool back);
    // Receives into this view's document, which is new: true when the text
    // received is in it, marked modified; false when the document is to be
    // closed again (nothing came, or the editor could not hold it, which a
    // message has said).
    bool DoReceive();

    // The transfer buffer: the bytes of the last send, or those received.
    std::string m_transfer;

protected:
    ViewShell& Shell() const { return m_shell; }
    // Whether the editor holds text: send, renumber and sort are enabled
    // while it does.
    bool HoldsText() const;
    // Puts the caret at byte `offset` and the line in the middle of the view.
    void ShowOffset(std::size_t offset);
    // The document's bytes to the device under the transfer dialog; nothing
    // when the document refuses to send (its message has been shown).
    void DoSend();

    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // The editing, finding and moving commands, and those of its parts
    // (the problem marks, printing).
    void AddCommandRows();
    // Where an edit comes from, which decides how a refusal is said: a key
    // (or the input method) in the status bar with a beep, so that the keys
    // typed after it still go into the text rather than into a box the user
    // has not seen yet; a paste or a command in a box.
    enum class EditSource { Typed, Inserted };

    // Whether typed or pasted text may go in: every character must have a
    // code (else a message says which one has not) and the text must fit
    // (else a beep).
    bool AcceptInput(const QString& text, EditSource source);
    // The same for `copies` copies of `text` that take the place of pieces
    // of the text encoding to `removedBytes()` bytes in all (asked only when
    // the result may not fit).
    bool AcceptInput(const QString& text, std::size_t copies,
                     const std::function<std::size_t()>& removedBytes, EditSource source);
    std::string EncodeLeniently() const;
    // Whether putting `replacement` in place of the units from `from` to `to`
    // keeps every character as it shows (else a message says why not).
    bool KeepsCharactersApart(int from, int to, const QString& replacement, EditSource source);
    void Refuse(const QString& message, EditSource source);
    // The same for what a key is about to delete or insert.
    bool KeyKeepsCharactersApart(const QKeyEvent* event, const QString& text);

    ViewShell& m_shell;
    Document* m_document = nullptr;
    unsigned m_tabWidth = 4;
    std::unique_ptr<PrintCommands> m_printing;
    std::unique_ptr<ProblemMarks> m_problems;   // before the widget's text goes
    SourceHighlighter* m_highlighter = nullptr; // owned by the text document
    // The model CurrentModel() reads where the problem marks keep none.
    mutable std::unique_ptr<ProgramModel> m_scratchModel;
    JumpHistory m_jumps;
};

} // namespace tessel
