#include "view/NumberedEditorView.h"

#include "doc/LinePlace.h"
#include "encoding/Cp932.h"
#include "engine/BasicDocument.h"
#include "engine/Sort.h"
#include "model/ProgramModel.h"
#include "model/ProgramPlaces.h"
#include "res/StringTable.h"
#include "ui/CommandIds.h"
#include "ui/MessageBox.h"
#include "view/ReferenceLinks.h"
#include "view/RenumberDialog.h"
#include "view/ViewShell.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace tessel {
namespace {

// A change of the line-number output flag as a step of the editor's Undo,
// so that undoing a tidy that found the file's own numbers also saves the
// file without numbers again.
class LineNumOutputStep final : public QAbstractUndoItem {
public:
    LineNumOutputStep(NumberedEditorView& view, bool before, bool after)
        : m_view(view), m_before(before), m_after(after) {}
    void undo() override { m_view.SetLineNumOutput(m_before); }
    void redo() override { m_view.SetLineNumOutput(m_after); }

private:
    NumberedEditorView& m_view;
    bool m_before;
    bool m_after;
};

// What the status bar or a hover says of a reference to a line or a label
// that is not there.
std::string MissingTarget(const ProgramPlace& place) {
    if (place.kind == PlaceKind::LineReference)
        return LoadFormatted(IDS_LSP_NO_SUCH_LINE, {std::to_string(place.number)});
    return LoadFormatted(IDS_LSP_NO_SUCH_LABEL, {"*" + place.name});
}

QString FromCp932(std::string_view bytes) {
    const std::u16string text = cp932::Decode(bytes);
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

NumberedEditorView::NumberedEditorView(ViewShell& shell, QWidget* parent)
    : EditorView(shell, parent) {
    new ReferenceLinks(*this);
    const auto holdsText = [this] { return HoldsText(); };
    Rows()
        .Add(
            ID_RENUMBER, [this] { OnRenumber(); }, holdsText)
        .Add(
            ID_SORT_LINES, [this] { OnSortLines(); }, holdsText)
        .Add(
            ID_TIDY, [this] { OnTidy(); }, holdsText)
        .Add(
            ID_TEXT_SEND, [this] { OnTextSend(); }, holdsText)
        .Add(
            ID_GOTO_DEFINITION, [this] { OnGoToDefinition(); },
            [this] { return SourceKind() == DocKind::Basic && GetLength() > 0; })
        // Line-numbered documents go as text only.
        .Add(ID_DATA_SEND, {}, [] { return false; });
}

NumberedDocument* NumberedEditorView::Document() const {
    return static_cast<NumberedDocument*>(GetDocument());
}

bool NumberedEditorView::GetLineNumOutput() const {
    return Document() && Document()->GetLineNumOutput();
}

void NumberedEditorView::SetLineNumOutput(bool output) {
    if (Document())
        Document()->SetLineNumOutput(output);
}

void NumberedEditorView::OnGoToDefinition() {
    const ProgramModel& model = CurrentModel();
    // The caret on a reference or just after it.
    const ProgramPlace place = PlaceAt(model, CaretOffset(), true);
    if (place.kind != PlaceKind::LineReference && place.kind != PlaceKind::LabelReference)
        return Shell().ShowStatusMessage(LoadQString(IDS_GOTO_NOTHING));
    if (const auto target = TargetOf(model, place))
        return JumpTo(model.Line(*target).start);
    Shell().ShowStatusMessage(QString::fromStdString(MissingTarget(place)));
}

QString NumberedEditorView::HoverText(std::size_t offset, bool* missing) const {
    const ProgramModel& model = CurrentModel();
    const ProgramPlace place = PlaceAt(model, offset, false);
    if (place.kind != PlaceKind::LineReference && place.kind != PlaceKind::LabelReference)
        return {};
    const auto target = TargetOf(model, place);
    if (missing)
        *missing = !target;
    return target ? FromCp932(model.LineText(*target))
                  : QString::fromStdString(MissingTarget(place));
}

bool NumberedEditorView::KeepingThePlace(const std::function<bool()>& reorder) {
    const std::string before = GetText();
    const std::size_t caret = CaretOffset();
    const int horizontal = horizontalScrollBar()->value();
    const int vertical = verticalScrollBar()->value();
    if (!reorder())
        return false;
    const std::string after = GetText();
    if (after != before) {
        SetCaret(CaretAfterReorder(before, caret, after));
        horizontalScrollBar()->setValue(horizontal);
        verticalScrollBar()->setValue(vertical);
    }
    return true;
}

void NumberedEditorView::OnRenumber() {
    RenumberDialog dialog(window());
    const std::optional<RenumberChoice> choice = dialog.Choose();
    if (!choice)
        return;
    if (!ChooseHowToRenumber())
        return;
    // A changed text marks the document through the editor, as one step of
    // Undo; numbers that were already so change nothing.
    NumberedDocument* document = Document();
    KeepingThePlace(
        [&] { return document->Renumber(choice->newStart, choice->oldStart, choice->step); });
}

bool NumberedEditorView::ChooseHowToRenumber() {
    if (dynamic_cast<BasicDocument*>(Document()))
        return true;
    // Lines that refer to others by number would point elsewhere afterwards.
    const std::optional<FoundReference> reference = Document()->FirstLineReference();
    if (!reference)
        return true;
    const std::string place = DescribeProblem(ReferencePlace(reference->line, reference->target));
    MessageBoxRequest question(window(), LoadQString(AFX_IDS_APP_TITLE),
                               QString::fromStdString(LoadFormatted(IDS_RENUM_AS_BASIC, {place})),
                               QMessageBox::Question,
                               QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    // Return keeps the references pointing at their lines; Escape does nothing.
    question.defaultButton = QMessageBox::Yes;
    question.escapeButton = QMessageBox::Cancel;
    switch (ShowMessageBox(question)) {
    case QMessageBox::Yes:
        return Shell().ChangeKind(*this, DocKind::Basic);
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

void NumberedEditorView::OnTextSend() {
    DoSend();
}

void NumberedEditorView::OnSortLines() {
    NumberedDocument* document = Document();
    KeepingThePlace([document] { return document->SortLines(); });
}

void NumberedEditorView::OnTidy() {
    NumberedDocument* doc = Document();
    const std::string before = GetText();
    const bool numbersBefore = doc->GetLineNumOutput();
    const int line = textCursor().blockNumber();
    const int horizontal = horizontalScrollBar()->value();
    const int vertical = verticalScrollBar()->value();
    TidyResult result;
    // The new text is one step of Undo, which marks the document through
    // the editor; a change of the flag joins that step.
    const bool tidy = doc->TidyLines(result);
    const bool numbersAfter = doc->GetLineNumOutput();
    if (numbersAfter != numbersBefore) {
        QTextCursor step(document());
        step.joinPreviousEditBlock();
        document()->appendUndoItem(new LineNumOutputStep(*this, numbersBefore, numbersAfter));
        step.endEditBlock();
    }
    if (!tidy)
        return;
    QStringList changes;
    for (const std::string& change : TidyChanges(result))
        changes.append(QString::fromStdString(change));
    if (numbersAfter != numbersBefore)
        changes.append(LoadQString(IDS_TIDY_OWN_NUMBERS));
    if (GetText() != before) {
        // The caret to the start of the line it was on (or of the last), the
        // view where it was.
        const QTextBlock block =
            document()->findBlockByNumber(std::min(line, document()->blockCount() - 1));
        setTextCursor(QTextCursor(block));
        horizontalScrollBar()->setValue(horizontal);
        verticalScrollBar()->setValue(vertical);
        Shell().ShowStatusMessage(
            LoadQString(IDS_TIDY_DONE).arg(changes.join(LoadQString(IDS_CLI_LIST_SEPARATOR))));
    } else {
        Shell().ShowStatusMessage(LoadQString(IDS_TIDY_NOTHING));
    }
    emit Tidied();
}

} // namespace tessel
