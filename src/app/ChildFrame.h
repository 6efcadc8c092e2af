#pragma once

#include "ui/CommandTarget.h"

#include <QMdiSubWindow>

#include <memory>

namespace tessel {

class CDocTemplate;
class CKivaApp;
class CKivaDoc;
class CKivaView;
class IMessageSink;

// The window of one document: it owns the document and its one view, and
// handles the document's own commands (save, save as, close) and its own
// (Ctrl+F4 closes it).
class CChildFrame : public QMdiSubWindow, public ICommandTarget {
    Q_OBJECT

public:
    // Makes the view (of the template's kind) and the document in it.
    CChildFrame(CKivaApp& app, CDocTemplate& docTemplate);
    ~CChildFrame() override;

    CKivaDoc* GetDocument() const { return m_document.get(); }
    CKivaView* GetActiveView() const { return m_view; }
    CDocTemplate& Template() const { return m_template; }
    // The document's commands, asked between the view and this frame.
    ICommandTarget* DocumentTarget() { return &m_documentTarget; }

    bool OnCmdMsg(int id, CmdUI* ui) override;

    // Saves the document under its own name, asking for one when it has
    // none (or `saveAs`). False when nothing was saved.
    bool DoSave(bool saveAs);
    // Asks whether to save a modified document; false when the user cancels.
    bool SaveModified();
    // Closes the window and its document without asking about changes.
    void CloseDocument();
    // The document's title on the window (and through it on the main window).
    void UpdateTitle();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    class DocCommands final : public ICommandTarget {
    public:
        explicit DocCommands(CChildFrame& frame) : m_frame(frame) {}
        bool OnCmdMsg(int id, CmdUI* ui) override;

    private:
        CChildFrame& m_frame;
    };

    CKivaApp& m_app;
    CDocTemplate& m_template;
    CKivaView* m_view; // owned as the window's widget
    std::unique_ptr<IMessageSink> m_messages;
    std::unique_ptr<CKivaDoc> m_document;
    DocCommands m_documentTarget{*this};
    bool m_bAskToSave = true;
};

} // namespace tessel
