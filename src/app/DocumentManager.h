#pragma once

#include <QFileSystemWatcher>
#include <QString>
#include <QStringList>

#include <functional>

namespace tessel {

class DocumentWindow;
class DocumentType;
class Application;
class EditorView;
struct RecoveryCopy;

// Creates and opens documents, and asks for file names.
class DocumentManager {
public:
    explicit DocumentManager(Application& app);

    // "New": the type list, then a new untitled document of the chosen type.
    void OnFileNew();
    // "Open": the file dialog, then the files chosen, each in its window.
    void OnFileOpen();
    // A new untitled document of that type in a new window.
    DocumentWindow* CreateNewDocument(DocumentType& docTemplate);
    // A window with the work of a copy left behind: modified, under its file's
    // name (untitled when it had none). Null when the editor could not hold it.
    DocumentWindow* Restore(DocumentType& docTemplate, const RecoveryCopy& copy);
    // Opens a file, or activates its window when it is open already. The
    // type is the first whose extension the file has (without case), else
    // BASIC. Null when the file could not be opened (a message has said why).
    DocumentWindow* OpenDocumentFile(const QString& path);

    // Asks for a file name: to open (`open`) or to save a document of
    // `docTemplate`, with `titleId` as the dialog's title. `fileName` comes
    // in as the proposal and goes out as the choice; false on Cancel. A save
    // shows the line-number output flag and the file encoding of `saving`,
    // the view of the document being saved (null: the active window's), and
    // sets them when a name is chosen. An open may choose several files:
    // `chosen`, if given, gets them all (`fileName` the first).
    bool DoPromptFileName(QString& fileName, unsigned titleId, bool open, DocumentType* docTemplate,
                          EditorView* saving = nullptr, QStringList* chosen = nullptr);

    // Everything a file dialog is asked, and what it answers.
    struct FilePrompt {
        QString fileName;      // the proposal; the choice on OK
        QStringList fileNames; // an open's choices, in order (none: just fileName)
        unsigned titleId = 0;
        bool open = true;
        DocumentType* docTemplate = nullptr; // the saved document's type
        QStringList filters;                 // one per type, in registration order
        qsizetype filterIndex = 1;           // 1-based: the entry selected at first
        QString defaultExtension;            // without its dot; empty for none
        bool lineNum = false;                // the save's check box, in and out
        bool lineNumEnabled = true;          // whether the check box starts enabled
        bool utf8 = false;                   // the file is kept in UTF-8, in and out
    };
    // Replaces the file dialogs (for tests); empty: real dialogs again.
    using PromptHook = std::function<bool(FilePrompt& prompt)>;
    void SetPromptHook(PromptHook hook) { m_promptHook = std::move(hook); }

    // The files behind open documents, watched for changes by other
    // programs: the window of a file that changes checks it on disk.
    void WatchFile(const QString& path);
    void UnwatchFile(const QString& path);
    // Watches whatever file is at `path` now, in place of the one watched.
    void RewatchFile(const QString& path);

private:
    DocumentWindow* AddFrame(DocumentWindow* frame);
    bool RunFileDialog(FilePrompt& prompt);

    Application& m_app;
    PromptHook m_promptHook;
    QFileSystemWatcher m_watcher;
};

} // namespace tessel
