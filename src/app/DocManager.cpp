#include "app/DocManager.h"

#include "app/ChildFrame.h"
#include "app/DocTemplate.h"
#include "app/DocTypeDlg.h"
#include "app/FileSaveDlg.h"
#include "app/KivaApp.h"
#include "app/MainFrame.h"
#include "doc/KivaDoc.h"
#include "doc/Recovery.h"
#include "engine/DocWithLineNum.h"
#include "res/StringTable.h"
#include "ui/MessageBox.h"
#include "view/KivaView.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QTimer>

#include <memory>

namespace tessel {

CKivaDocManager::CKivaDocManager(CKivaApp& app) : m_app(app) {
    QObject::connect(&m_watcher, &QFileSystemWatcher::fileChanged, [this](const QString& path) {
        // A moment later: a program that writes a file in steps has then
        // finished, and one check covers them all.
        CChildFrame* frame = m_app.MainFrame() ? m_app.MainFrame()->FindChild(path) : nullptr;
        if (!frame)
            return;
        QTimer::singleShot(200, frame, [this, frame, path] {
            // A file replaced by renaming (as editors save, and as this
            // program does) is a new file: the watch on the old one is gone
            // or watches a file nobody sees any more.
            RewatchFile(path);
            frame->FileChangedOnDisk();
        });
    });
}

void CKivaDocManager::WatchFile(const QString& path) {
    if (!path.isEmpty() && !m_watcher.files().contains(path))
        m_watcher.addPath(path); // a file that is gone cannot be watched: fine
}

void CKivaDocManager::RewatchFile(const QString& path) {
    UnwatchFile(path);
    WatchFile(path);
}

void CKivaDocManager::UnwatchFile(const QString& path) {
    if (m_watcher.files().contains(path))
        m_watcher.removePath(path);
}

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
    QStringList paths;
    if (!DoPromptFileName(path, AFX_IDS_OPENFILE, true, nullptr, nullptr, &paths))
        return;
    for (const QString& chosen : paths)
        OpenDocumentFile(chosen);
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

CChildFrame* CKivaDocManager::Restore(CDocTemplate& docTemplate, const RecoveryCopy& copy) {
    auto frame = std::make_unique<CChildFrame>(m_app, docTemplate);
    CKivaDoc* document = frame->GetDocument();
    if (!document->SetEditText(copy.bytes))
        return nullptr;
    frame->GetActiveView()->SetLineNumOutput(copy.lineNumOutput);
    document->SetFileEncoding(copy.utf8 ? TextEncoding::Utf8 : TextEncoding::Cp932,
                              copy.byteOrderMark);
    if (auto* numbered = dynamic_cast<CDocWithLineNum*>(document))
        numbered->SetFileLineEnd(static_cast<EndOfLineCode>(copy.fileLineEnd));
    if (copy.path.empty())
        document->SetTitle(docTemplate.NextUntitledTitle().toStdString());
    else
        document->SetPathName(copy.path);
    document->SetModifiedFlag(true);
    CChildFrame* added = AddFrame(frame.release());
    // Its file's present state is what a save would replace: no question
    // about a change since it was read, since it never was read here.
    added->NoteFileOnDisk();
    added->WriteRecoveryCopy();
    return added;
}

CChildFrame* CKivaDocManager::OpenDocumentFile(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (CChildFrame* open = m_app.MainFrame()->FindChild(absolute)) {
        m_app.MainFrame()->MdiArea()->setActiveSubWindow(open);
        return open;
    }
    const std::string encoded = QFile::encodeName(absolute).toStdString();
    auto frame = std::make_unique<CChildFrame>(m_app, m_app.TemplateFor(DocKindFromPath(encoded)));
    if (!frame->GetDocument()->OnOpenDocument(encoded)) {
        m_app.RemoveFromRecentFileList(absolute);
        return nullptr;
    }
    frame->GetDocument()->SetPathName(encoded);
    m_app.AddToRecentFileList(absolute);
    CChildFrame* added = AddFrame(frame.release());
    added->NoteFileOnDisk();
    added->ShowFileNote();
    // Said at once: what the window shows is not the whole file.
    if (const auto& cut = added->GetDocument()->CutAtNul())
        ShowMessageBox({m_app.MainFrame(), LoadQString(AFX_IDS_APP_TITLE),
                        NulCutText(IDS_NUL_CUT_OPENED, absolute, *cut), QMessageBox::Warning,
                        QMessageBox::Ok});
    return added;
}

bool CKivaDocManager::DoPromptFileName(QString& fileName, unsigned titleId, bool open,
                                       CDocTemplate* docTemplate, CKivaView* saving,
                                       QStringList* chosen) {
    FilePrompt prompt;
    prompt.fileName = fileName;
    prompt.titleId = titleId;
    prompt.open = open;
    prompt.docTemplate = docTemplate;
    // One filter per type, BASIC first, none for all files; a save selects
    // the saved document's type and takes its extension as the default.
    const QString extension = docTemplate ? docTemplate->Extension() : QString();
    for (CDocTemplate* candidate : m_app.Templates()) {
        if (candidate->FilterName().isEmpty() || candidate->Extension().isEmpty())
            continue;
        prompt.filters.append(candidate->FilterName());
        if (!extension.isEmpty() && candidate->Extension() == extension) {
            prompt.filterIndex = prompt.filters.size();
            prompt.defaultExtension = extension.mid(1);
        }
    }
    // The document being saved, which at exit need not be the active window's.
    CKivaDoc* document = nullptr;
    if (!open) {
        prompt.lineNum = saving ? saving->GetLineNumOutput() : m_app.GetLineNumOutput();
        prompt.lineNumEnabled = extension != QStringLiteral(".dat");
        CChildFrame* active = m_app.MainFrame() ? m_app.MainFrame()->ActiveChild() : nullptr;
        document = saving ? saving->GetDocument() : active ? active->GetDocument() : nullptr;
        prompt.utf8 = document && document->FileEncoding() == TextEncoding::Utf8;
    }

    if (!(m_promptHook ? m_promptHook(prompt) : RunFileDialog(prompt)))
        return false; // Cancel leaves the flag as it was
    if (prompt.fileNames.isEmpty())
        prompt.fileNames.append(prompt.fileName);
    fileName = prompt.fileNames.constFirst();
    if (chosen)
        *chosen = prompt.fileNames;
    if (!open) {
        if (saving)
            saving->SetLineNumOutput(prompt.lineNum);
        else
            m_app.SetLineNumOutput(prompt.lineNum);
        if (document && prompt.utf8 != (document->FileEncoding() == TextEncoding::Utf8))
            document->SetFileEncoding(prompt.utf8 ? TextEncoding::Utf8 : TextEncoding::Cp932);
    }
    return true;
}

bool CKivaDocManager::RunFileDialog(FilePrompt& prompt) {
    const QString title = LoadQString(prompt.titleId);
    std::unique_ptr<QFileDialog> dialog;
    CFileSaveDlg* save = nullptr;
    if (prompt.open) {
        dialog = std::make_unique<QFileDialog>(m_app.MainFrame(), title);
        // Qt's own dialog, as for saving: it speaks the program's language,
        // where a desktop's dialog would speak the desktop's.
        dialog->setOption(QFileDialog::DontUseNativeDialog);
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFiles); // several at once, as anywhere
    } else {
        auto saveDialog = std::make_unique<CFileSaveDlg>(m_app.MainFrame(), title);
        save = saveDialog.get();
        save->m_bLineNum = prompt.lineNum;
        save->m_bEnableLineNum = prompt.lineNumEnabled;
        save->m_bUtf8 = prompt.utf8;
        dialog = std::move(saveDialog);
    }
    dialog->setNameFilters(prompt.filters);
    if (prompt.filterIndex >= 1 && prompt.filterIndex <= prompt.filters.size())
        dialog->selectNameFilter(prompt.filters[prompt.filterIndex - 1]);
    if (!prompt.defaultExtension.isEmpty())
        dialog->setDefaultSuffix(prompt.defaultExtension);
    if (!prompt.fileName.isEmpty())
        dialog->selectFile(prompt.fileName);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return false;
    prompt.fileNames = dialog->selectedFiles();
    prompt.fileName = prompt.fileNames.constFirst();
    if (save) {
        prompt.lineNum = save->m_bLineNum;
        prompt.utf8 = save->m_bUtf8;
    }
    return true;
}

} // namespace tessel
