#pragma once

#include "view/EditorView.h"

#include <QString>

namespace tessel {

class NumberedDocument;

// The view of BASIC, C, assembler, CASL and text documents: adds renumbering,
// sorting and sending as text (not as data), and the line-number output flag
// of its document.
class NumberedEditorView : public EditorView {
    Q_OBJECT

public:
    explicit NumberedEditorView(ViewShell& shell, QWidget* parent = nullptr);

    bool GetLineNumOutput() const override;
    void SetLineNumOutput(bool output) override;

    void OnRenumber();
    void OnSortLines();
    // Tidies the lines as tessel-cli's tidy does, as one step of Undo (the
    // line-number output flag too), and says in the status bar what changed.
    void OnTidy();
    // Goes to the line that the line number or label at the caret refers to
    // (after GOTO, GOSUB, THEN, ELSE, RESTORE, in lists and ON ...); the
    // status bar says when there is none.
    void OnGoToDefinition();
    // What a hover at byte `offset` shows: the line that a line reference
    // or a label's reference there names, or that it is not there; empty
    // where there is no reference. `missing`, if given, says whether the
    // line or label is not there.
    QString HoverText(std::size_t offset, bool* missing = nullptr) const;
    // Sends the document as text, with its line numbers in number order.
    void OnTextSend();

signals:
    // The text is tidy now (tidied, or tidy already).
    void Tidied();

private:
    NumberedDocument* Document() const;
    // Before renumbering a document that is not BASIC whose lines refer to
    // others by number: asks whether to renumber it as BASIC, which makes
    // it a BASIC document. False when it is not to be renumbered (Cancel).
    bool ChooseHowToRenumber();
    // Runs a command that puts the lines in number order; when it succeeds,
    // the caret stays on its line (now in its new place or under its new
    // number) and the view stays where it was.
    bool KeepingThePlace(const std::function<bool()>& reorder);
};

} // namespace tessel
