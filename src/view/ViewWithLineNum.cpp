#include "view/ViewWithLineNum.h"

#include "engine/DocWithLineNum.h"
#include "ui/CommandIds.h"
#include "view/RenumberDlg.h"

#include <QScrollBar>

namespace tessel {

CDocWithLineNum* CViewWithLineNum::Document() const {
    return static_cast<CDocWithLineNum*>(GetDocument());
}

bool CViewWithLineNum::GetLineNumOutput() const {
    return Document() && Document()->GetLineNumOutput();
}

void CViewWithLineNum::SetLineNumOutput(bool output) {
    if (Document())
        Document()->SetLineNumOutput(output);
}

bool CViewWithLineNum::OnCmdMsg(int id, CmdUI* ui) {
    switch (id) {
    case ID_RENUMBER:
        if (ui)
            return OnUpdateSend(ui);
        OnRenumber();
        return true;
    case ID_SORT_LINES:
        if (ui)
            return OnUpdateSend(ui);
        OnSortLines();
        return true;
    case ID_TEXT_SEND:
        if (ui)
            return OnUpdateSend(ui);
        OnTextSend();
        return true;
    case ID_DATA_SEND:
        // Line-numbered documents go as text only.
        if (ui)
            ui->enabled = false;
        return true;
    default:
        return CKivaView::OnCmdMsg(id, ui);
    }
}

bool CViewWithLineNum::KeepingThePlace(const std::function<bool()>& reorder) {
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

void CViewWithLineNum::OnRenumber() {
    CRenumberDlg dialog(window());
    if (dialog.exec() != QDialog::Accepted)
        return;
    // A changed text marks the document through the editor, as one step of
    // Undo; numbers that were already so change nothing.
    CDocWithLineNum* document = Document();
    KeepingThePlace(
        [&] { return document->Renumber(dialog.m_nNewStart, dialog.m_nOldStart, dialog.m_nStep); });
}

void CViewWithLineNum::OnTextSend() {
    DoSend();
}

void CViewWithLineNum::OnSortLines() {
    CDocWithLineNum* document = Document();
    KeepingThePlace([document] { return document->SortLines(); });
}

} // namespace tessel
