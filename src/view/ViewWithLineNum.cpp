#include "view/ViewWithLineNum.h"

#include "engine/DocWithLineNum.h"
#include "ui/CommandIds.h"
#include "view/RenumberDlg.h"

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

void CViewWithLineNum::OnRenumber() {
    CRenumberDlg dialog(window());
    if (dialog.exec() != QDialog::Accepted)
        return;
    CDocWithLineNum* document = Document();
    document->Renumber(dialog.m_nNewStart, dialog.m_nOldStart, dialog.m_nStep);
    if (document->LineNumChanged())
        document->SetModifiedFlag(true);
}

void CViewWithLineNum::OnTextSend() {
    DoSend();
}

void CViewWithLineNum::OnSortLines() {
    CDocWithLineNum* document = Document();
    if (document->SortLines() && document->LineNumChanged())
        document->SetModifiedFlag(true);
}

} // namespace tessel
