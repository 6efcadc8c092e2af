#include "app/DocManager.h"

#include "app/ChildFrame.h"
#include "app/DocTemplate.h"
#include "app/DocTypeDlg.h"
#include "app/KivaApp.h"
#include "app/MainFrame.h"
#include "app/MessageBox.h"
#include "doc/KivaDoc.h"
#include "res/StringTable.h"
#include "view/KivaView.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>

namespace tessel {

void CKivaDocManager::OnFileNew() {
    const auto templates = m_app.Templates();
    CDocTemplate* chosen = nullptr;
    if (templates.size() == 1) {
        chosen = templates[0];
    } else {
        CDocTypeDlg dialog(templates, m_app.MainFrame());
        if (dialog.exec() != QDialog::Accepted)
            return;
        chosen = dialog.SelectedTemplate();
    }
    if (chosen)
        CreateNewDocument(*chosen);
}

void CKivaDocManager::OnFileOpen() {
    QString path;
    if (DoPromptFileName(path, AFX_IDS_OPENFILE, true, nullptr))
        OpenDocumentFile(path);
}

CChildFrame* CKivaDocManager::AddFrame(CChildFrame* frame) {
    m_app.MainFrame()->AddChild(frame);
    frame->UpdateTitle();
    frame->show();
    frame->GetActiveView()->setFocus();
    return frame;
}

CChildFrame* CKivaDocManager::CreateNewDocument(CDocTemplate& docTemplate) {
    auto* frame = new CChildFrame(m_app, docTemplate);
    frame->GetDocument()->SetTitle(docTemplate.NextUntitledTitle().toStdString());
    return AddFrame(frame);
}

CChildFrame* CKivaDocManager::OpenDocumentFile(const QString& path) {
    const QString canonical = QFileInfo(path).absoluteFilePath();
    if (CChildFrame* open = m_app.MainFrame()->FindChild(canonical)) {
        m_app.MainFrame()->MdiArea()->setActiveSubWindow(open);
        return open;
    }
    CDocTemplate* docTemplate = m_app.m_pTemplateBasic;
    const std::string encoded = QFile::encodeName(canonical).toStdString();
    const DocKind kind = DocKindFromPath(encoded);
    for (CDocTemplate* candidate : m_app.Templates()) {
        if (candidate->Kind() == kind) {
            docTemplate = candidate;
            break;
        }
    }
    auto frame = std::make_unique<CChildFrame>(m_app, *docTemplate);
    if (!frame->GetDocument()->OnOpenDocument(encoded)) {
        m_app.RemoveFromRecentFileList(canonical);
        return nullptr;
    }
    frame->GetDocument()->SetPathName(encoded);
    m_app.AddToRecentFileList(canonical);
    return AddFrame(frame.release());
}

bool CKivaDocManager::DoPromptFileName(QString& fileName, unsigned titleId, bool open,
                                       CDocTemplate* docTemplate) {
    if (m_promptHook)
        return m_promptHook(fileName, open, docTemplate);
    // The six types' filters, BASIC first; for a save the document's own
    // type is chosen.
    QStringList filters;
    QString selected;
    for (CDocTemplate* candidate : m_app.Templates()) {
        filters.append(candidate->FilterName());
        if (candidate == docTemplate)
            selected = candidate->FilterName();
    }
    QFileDialog dialog(m_app.MainFrame(), LoadQString(titleId));
    dialog.setNameFilters(filters);
    if (!selected.isEmpty())
        dialog.selectNameFilter(selected);
    if (docTemplate)
        dialog.setDefaultSuffix(docTemplate->Extension().mid(1));
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!fileName.isEmpty())
        dialog.selectFile(fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    fileName = dialog.selectedFiles().constFirst();
    return true;
}

} // namespace tessel
