#pragma once

#include "doc/Document.h"
#include "ui/CommandTarget.h"

#include <QElapsedTimer>
#include <QMdiSubWindow>

class QFrame;
class QLabel;
class QPushButton;
class QTimer;

#include <memory>

namespace tessel {

// Message `id` (IDS_NUL_CUT_OPENED or IDS_NUL_CUT_SAVE) about the file at
// `path`, whose text ended at a NUL byte.
QString NulCutText(unsigned id, const QString& path, const Document::NulCut& cut);

class DocumentType;
class Application;
class Document;
class EditorView;
class MessageSink;

// The window of one document: it owns the document and its one view, and
// handles the document's own commands (save, save as, close) and its own
// (Ctrl+F4 closes it).
class DocumentWindow : public QMdiSubWindow, public CommandTarget {
    Q_OBJECT

public:
    // Makes the view (of the template's kind) and the document in it.
    DocumentWindow(Application& app, DocumentType& docTemplate);
    ~DocumentWindow() override;

    Document* GetDocument() const { return m_document.get(); }
    EditorView* GetActiveView() const { return m_view; }
    DocumentType& Template() const { return *m_template; }
    // The document's commands, asked between the view and this frame.
    CommandTarget* DocumentTarget() { return &m_documentTarget; }

    // Saves the document under its own name, asking for one when it has
    // none (or `saveAs`). False when nothing was saved.
    bool DoSave(bool saveAs);
    // Asks whether to save a modified document; false when the user cancels.
    bool SaveModified();
    // Closes the window and its document without asking about changes.
    void CloseDocument();
    // The document's title on the window (and through it on the main window),
    // marked while the document is modified.
    void UpdateTitle();
    // The title as the window shows it: the document's, with "*" after it
    // while it is modified.
    QString ShownTitle() const;
    // Makes the window one of `docTemplate`'s kind: its document of that
    // kind, its icon, an untitled document's title, the type a save
    // proposes. Between kinds with line numbers the text stays as it is
    // (with its Undo); to or from DATA the window shows its file as opening
    // it under the new kind would. False when that could not be read (a
    // message has said why), or an untitled document would need it.
    bool ChangeKind(DocumentType& docTemplate);

    // Takes the file behind the document as it is now, as read or saved
    // here: a change by another program is noticed against it.
    void NoteFileOnDisk();
    // Looks whether the file changed since: an unmodified document is
    // offered a reload; a modified one is told, and the user chooses between
    // keeping the text and reloading. A file gone is said once.
    void CheckFileOnDisk();
    // The watcher saw the file change: it is looked at now when this is the
    // active window of the active main window, else when it becomes so.
    void FileChangedOnDisk();
    // Reads the file again, as opening it does, in place of the text (one
    // step of Undo). False when it could not be read (a message said why).
    bool Reload();

    // Keeps a copy of the unsaved text for after a crash, or removes it when
    // the document is unmodified. Also done a moment after the last change.
    void WriteRecoveryCopy();

    // Says in a bar above the text what the file just opened holds that
    // would not reach the device as meant: that it was read from UTF-8 (or
    // looks like UTF-8 but could not be), and what tessel-cli's check warns
    // of (FileShape), with a button for Tidy where Tidy mends it. The user
    // may close the bar or ignore it; a Tidy updates it. No bar when there
    // is nothing to say.
    void ShowFileNote();
    // The bar's text; empty while there is no bar.
    QString FileNote() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Save, Save As and Close.
    class DocCommands final : public CommandTarget {
    public:
        explicit DocCommands(DocumentWindow& frame);
    };

    Application& m_app;
    DocumentType* m_template;
    EditorView* m_view; // owned as the window's widget
    QFrame* m_note;     // the bar about the file, above the view
    QLabel* m_noteText;
    QPushButton* m_noteTidy;
    std::unique_ptr<MessageSink> m_messages;
    std::unique_ptr<Document> m_document;
    DocCommands m_documentTarget{*this};
    bool m_askToSave = true;
    // The note's sentences for the document as it is now; `offerTidy` says
    // whether Tidy mends what they say.
    QStringList FileNoteSentences(bool& offerTidy) const;

    // The text changed: its copy is written a moment after the last change,
    // and at most 30 s after the first one not yet copied.
    void ScheduleRecoveryCopy();
    // Asks whether to replace the file on disk; true for Yes. Return and
    // Escape answer Cancel.
    bool AskToReplace(const QString& question);
    // Watches the view's text for changes, for its copy.
    void WatchView();

    const unsigned m_recoveryId; // the name of this window's copy
    QTimer* m_recoveryTimer;
    QElapsedTimer m_recoveryPending;
    FileStamp m_diskStamp;     // the file as last read or saved here
    FileStamp m_answeredStamp; // a version the user chose to keep their text over
    bool m_checkingDisk = false;
};

} // namespace tessel
