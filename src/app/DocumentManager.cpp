#include "app/DocumentManager.h"

#include "app/Application.h"
#include "app/DocumentType.h"
#include "app/DocumentTypeDialog.h"
#include "app/DocumentWindow.h"
#include "app/FileSaveDialog.h"
#include "app/MainWindow.h"
#include "doc/Document.h"
#include "doc/Recovery.h"
#include "engine/NumberedDocument.h"
#include "res/StringTable.h"
#include "ui/MessageBox.h"
#include "view/EditorView.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QTimer>

#include <memory>

namespace tessel {

DocumentManager::DocumentManager(Application& app) : m_app(app) {
    QObject::connect(&m_watcher, &QFileSystemWatcher::fileChanged, [this](const QString& path) {
        // A moment later: a program that writes a file in steps has then
        // finished, and one check covers them all.
        DocumentWindow* frame = m_app.Window() ? m_app.Window()->FindChild(path) : nullptr;
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

void DocumentManager::WatchFile(const QString& path) {
    if (!path.isEmpty() && !m_watcher.files().contains(path))
        m_watcher.addPath(path); // a file that is gone cannot be watched: fine
}

void DocumentManager::RewatchFile(const QString& path) {
    UnwatchFile(path);
    WatchFile(path);
}

void DocumentManager::UnwatchFile(const QString& path) {
    if (m_watcher.files().contains(path))
        m_watcher.removePath(path);
}

void DocumentManager::OnFileNew() {
    const auto templates = m_app.Templates();
    DocumentType* chosen = nullptr;
    if (templates.size() == 1) {
        chosen = templates[0];
    } else {
        DocumentTypeDialog dialog(templates, m_app.Window());
        if (dialog.exec() != QDialog::Accepted)
            return;
        chosen = dialog.SelectedTemplate();
    }
    if (chosen)
        CreateNewDocument(*chosen);
}

void DocumentManager::OnFileOpen() {
    QString path;
    QStringList paths;
    if (!DoPromptFileName(path, AFX_IDS_OPENFILE, true, nullptr, nullptr, &paths))
        return;
    for (const QString& chosen : paths)
        OpenDocumentFile(chosen);
}

DocumentWindow* DocumentManager::AddFrame(DocumentWindow* frame) {
    m_app.Window()->AddChild(frame);
    frame->UpdateTitle();
    frame->show();
    frame->GetActiveView()->setFocus();
    return frame;
}

DocumentWindow* DocumentManager::CreateNewDocument(DocumentType& docTemplate) {
    auto* frame = new DocumentWindow(m_app, docTemplate);
    frame->GetDocument()->SetTitle(docTemplate.NextUntitledTitle().toStdString());
    return AddFrame(frame);
}

DocumentWindow* DocumentManager::Restore(DocumentType& docTemplate, const RecoveryCopy& copy) {
    auto frame = std::make_unique<DocumentWindow>(m_app, docTemplate);
    Document* document = frame->GetDocument();
    if (!document->SetEditText(copy.bytes))
        return nullptr;
    frame->GetActiveView()->SetLineNumOutput(copy.lineNumOutput);
    document->SetFileEncoding(copy.utf8 ? TextEncoding::Utf8 : TextEncoding::Cp932,
                              copy.byteOrderMark);
    if (auto* numbered = dynamic_cast<NumberedDocument*>(document))
        numbered->SetFileLineEnd(static_cast<EndOfLineCode>(copy.fileLineEnd));
    if (copy.path.empty())
        document->SetTitle(docTemplate.NextUntitledTitle().toStdString());
    else
        document->SetPathName(copy.path);
    document->SetModifiedFlag(true);
    DocumentWindow* added = AddFrame(frame.release());
    // Its file's present state is what a save would replace: no question
    // about a change since it was read, since it never was read here.
    added->NoteFileOnDisk();
    added->WriteRecoveryCopy();
    return added;
}

DocumentWindow* DocumentManager::OpenDocumentFile(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (DocumentWindow* open = m_app.Window()->FindChild(absolute)) {
        m_app.Window()->MdiArea()->setActiveSubWindow(open);
        return open;
    }
    const std::string encoded = QFile::encodeName(absolute).toStdString();
    auto frame =
        std::make_unique<DocumentWindow>(m_app, m_app.TemplateFor(DocKindFromPath(encoded)));
    if (!frame->GetDocument()->OnOpenDocument(encoded)) {
        m_app.RemoveFromRecentFileList(absolute);
        return nullptr;
    }
    frame->GetDocument()->SetPathName(encoded);
    m_app.AddToRecentFileList(absolute);
    DocumentWindow* added = AddFrame(frame.release());
    added->NoteFileOnDisk();
    added->ShowFileNote();
    // Said at once: what the window shows is not the whole file.
    if (const auto& cut = added->GetDocument()->CutAtNul())
        ShowMessageBox({m_app.Window(), LoadQString(AFX_IDS_APP_TITLE),
                        NulCutText(IDS_NUL_CUT_OPENED, absolute, *cut), QMessageBox::Warning,
                        QMessageBox::Ok});
    return added;
}

bool DocumentManager::DoPromptFileName(QString& fileName, unsigned titleId, bool open,
                                       DocumentType* docTemplate, EditorView* saving,
                                       QStringList* chosen) {
    FilePrompt prompt;
    prompt.fileName = fileName;
    prompt.titleId = titleId;
    prompt.open = open;
    prompt.docTemplate = docTemplate;
    // One filter per type, BASIC first, none for all files; a save selects
    // the saved document's type and takes its extension as the default.
    const QString extension = docTemplate ? docTemplate->Extension() : QString();
    for (DocumentType* candidate : m_app.Templates()) {
        if (candidate->FilterName().isEmpty() || candidate->Extension().isEmpty())
            continue;
        prompt.filters.append(candidate->FilterName());
        if (!extension.isEmpty() && candidate->Extension() == extension) {
            prompt.filterIndex = prompt.filters.size();
            prompt.defaultExtension = extension.mid(1);
        }
    }
    // The document being saved, which at exit need not be the active window's.
    Document* document = nullptr;
    if (!open) {
        prompt.lineNum = saving ? saving->GetLineNumOutput() : m_app.GetLineNumOutput();
        prompt.lineNumEnabled = extension != QStringLiteral(".dat");
        DocumentWindow* active = m_app.Window() ? m_app.Window()->ActiveChild() : nullptr;
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

bool DocumentManager::RunFileDialog(FilePrompt& prompt) {
    const QString title = LoadQString(prompt.titleId);
    std::unique_ptr<QFileDialog> dialog;
    FileSaveDialog* save = nullptr;
    if (prompt.open) {
        dialog = std::make_unique<QFileDialog>(m_app.Window(), title);
        // Qt's own dialog, as for saving: it speaks the program's language,
        // where a desktop's dialog would speak the desktop's.
        dialog->setOption(QFileDialog::DontUseNativeDialog);
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFiles); // several at once, as anywhere
    } else {
        auto saveDialog = std::make_unique<FileSaveDialog>(m_app.Window(), title);
        save = saveDialog.get();
        save->SetOptions({prompt.lineNum, prompt.utf8}, prompt.lineNumEnabled);
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
        prompt.lineNum = save->Chosen().lineNumbers;
        prompt.utf8 = save->Chosen().utf8;
    }
    return true;
}

} // namespace tessel
