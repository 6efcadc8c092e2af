#pragma once

#include <QString>

#include <functional>

namespace tessel {

class CChildFrame;
class CDocTemplate;
class CKivaApp;

// Creates and opens documents, and asks for file names.
class CKivaDocManager {
public:
    explicit CKivaDocManager(CKivaApp& app) : m_app(app) {}

    // "New": the type list, then a new untitled document of the chosen type.
    void OnFileNew();
    // "Open": the file dialog, then the file.
    void OnFileOpen();
    // A new untitled document of that type in a new window.
    CChildFrame* CreateNewDocument(CDocTemplate& docTemplate);
    // Opens a file, or activates its window when it is open already. The
    // type is the first whose extension the file has (without case), else
    // BASIC. Null when the file could not be opened (a message has said why).
    CChildFrame* OpenDocumentFile(const QString& path);

    // Asks for a file name: to open (`open`) or to save a document of
    // `docTemplate`, with `titleId` as the dialog's title. `fileName` comes
    // in as the proposal and goes out as the choice; false on Cancel.
    bool DoPromptFileName(QString& fileName, unsigned titleId, bool open,
                          CDocTemplate* docTemplate);

    // Replaces the file dialogs (for tests); empty: real dialogs again.
    using PromptHook = std::function<bool(QString& fileName, bool open, CDocTemplate*)>;
    void SetPromptHook(PromptHook hook) { m_promptHook = std::move(hook); }

private:
    CChildFrame* AddFrame(CChildFrame* frame);

    CKivaApp& m_app;
    PromptHook m_promptHook;
};

} // namespace tessel
