#include "app/ChildFrame.h"

#include "app/DocManager.h"
#include "app/DocTemplate.h"
#include "app/GuiMessageSink.h"
#include "app/KivaApp.h"
#include "app/ToolbarIcons.h"
#include "engine/DocFactory.h"
#include "res/StringTable.h"
#include "ui/CommandIds.h"
#include "ui/MessageBox.h"
#include "view/ViewWithLineNum.h"

#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>

namespace tessel {
namespace {

CKivaView* MakeView(CKivaApp& app, DocKind kind) {
    if (IsLineNumbered(kind))
        return new CViewWithLineNum(app);
    return new CKivaView(app);
}

// The name proposed for an untitled document: its title up to the first
// character a file name should not hold, then the type's extension.
QString ProposedName(const QString& title, const QString& extension) {
    qsizetype end = 0;
    while (end < title.size() && !QStringLiteral(" #%;/\\").contains(title.at(end)))
        ++end;
    return title.left(end) + extension;
}

} // namespace

CChildFrame::CChildFrame(CKivaApp& app, CDocTemplate& docTemplate)
    : m_app(app), m_template(docTemplate), m_view(MakeView(app, docTemplate.Kind())),
      m_messages(std::make_unique<GuiMessageSink>(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(DocumentIcon(docTemplate.Kind()));
    // Ctrl+F4 is a command of the program's (the key table): the toolkit's
    // close item of the window menu gives the key up, or neither would have it.
    for (QAction* action : actions()) {
        QList<QKeySequence> keys = action->shortcuts();
        if (keys.removeAll(QKeySequence(Qt::CTRL | Qt::Key_F4)) > 0)
            action->setShortcuts(keys);
    }
    setWidget(m_view);
    m_document = CreateDocument(docTemplate.Kind(), *m_view, *m_messages, app.Settings());
    m_view->SetDocument(m_document.get());
    m_view->OnInitialUpdate();
}

CChildFrame::~CChildFrame() {
    // The document refers to the view; let it go first.
    m_view->SetDocument(nullptr);
    m_document.reset();
}

bool CChildFrame::OnCmdMsg(int id, CmdUI* ui) {
    if (id != ID_WINDOW_CLOSE)
        return false;
    // Ctrl+F4: as the close box, asking about changes first.
    if (!ui)
        close();
    return true;
}

bool CChildFrame::DocCommands::OnCmdMsg(int id, CmdUI* ui) {
    switch (id) {
    case ID_FILE_SAVE:
    case ID_FILE_SAVE_AS:
        if (!ui)
            m_frame.DoSave(id == ID_FILE_SAVE_AS);
        return true;
    case ID_FILE_CLOSE:
        if (!ui)
            m_frame.close();
        return true;
    default:
        return false;
    }
}

bool CChildFrame::DoSave(bool saveAs) {
    QString path = QFile::decodeName(m_document->GetPathName().c_str());
    // A document without a file, or whose file is gone or read-only, is
    // saved under a name the user chooses.
    const QFileInfo info(path);
    if (saveAs || path.isEmpty() || !info.exists() || !info.isWritable()) {
        QString name = path.isEmpty() ? ProposedName(QString::fromStdString(m_document->GetTitle()),
                                                     m_template.Extension())
                                      : path;
        if (!m_app.DocManager().DoPromptFileName(name, AFX_IDS_SAVEFILE, false, &m_template,
                                                 m_view))
            return false;
        path = name;
    }
    const std::string encoded = QFile::encodeName(path).toStdString();
    if (!m_document->OnSaveDocument(encoded))
        return false;
    m_document->SetPathName(encoded);
    m_app.AddToRecentFileList(path);
    UpdateTitle();
    return true;
}

bool CChildFrame::SaveModified() {
    if (!m_document->IsModified())
        return true;
    const QString title = QString::fromStdString(m_document->GetTitle());
    const auto answer = ShowMessageBox(
        {this, LoadQString(AFX_IDS_APP_TITLE), LoadQString(AFX_IDP_ASK_TO_SAVE).arg(title),
         QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel});
    if (answer == QMessageBox::Cancel)
        return false;
    if (answer == QMessageBox::No)
        return true;
    return DoSave(false);
}

void CChildFrame::UpdateTitle() {
    setWindowTitle(QString::fromStdString(m_document->GetTitle()));
}

void CChildFrame::CloseDocument() {
    m_bAskToSave = false;
    close();
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    if (m_bAskToSave && !SaveModified()) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
}

} // namespace tessel
