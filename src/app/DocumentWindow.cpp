#include "app/DocumentWindow.h"

#include "app/Application.h"
#include "app/DocumentManager.h"
#include "app/DocumentType.h"
#include "app/GuiMessageSink.h"
#include "app/MainWindow.h"
#include "app/ToolbarIcons.h"
#include "doc/MemoryEditBuffer.h"
#include "doc/Recovery.h"
#include "encoding/Cp932.h"
#include "engine/DocFactory.h"
#include "engine/FileShape.h"
#include "engine/NumberedDocument.h"
#include "res/StringTable.h"
#include "sys/FileIo.h"
#include "ui/CommandIds.h"
#include "ui/MessageBox.h"
#include "view/NumberedEditorView.h"
#include "view/PrintCommands.h"
#include "view/ProblemMarks.h"

#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

namespace tessel {
namespace {

// The longest a change waits for its copy while the user goes on typing.
constexpr qint64 kRecoveryLongestWaitMs = 30000;

// Names of the windows' copies, unique in a run.
unsigned g_lastRecoveryId = 0;

EditorView* MakeView(Application& app, DocKind kind) {
    EditorView* view = IsLineNumbered(kind) ? new NumberedEditorView(app) : new EditorView(app);
    view->SetSourceKind(kind);
    return view;
}

// The name proposed for an untitled document: its title up to the first
// character a file name should not hold, then the type's extension
// ("BASIC：無題1.bas"). An English title names the type before ": "
// ("BASIC: Untitled1"): the name is what follows it ("Untitled1.bas").
QString ProposedName(QString title, const QString& extension) {
    if (const qsizetype colon = title.indexOf(QStringLiteral(": ")); colon >= 0)
        title.remove(0, colon + 2);
    qsizetype end = 0;
    while (end < title.size() && !QStringLiteral(" #%;/\\").contains(title.at(end)))
        ++end;
    return title.left(end) + extension;
}

} // namespace

DocumentWindow::DocumentWindow(Application& app, DocumentType& docTemplate)
    : m_app(app), m_template(&docTemplate), m_view(MakeView(app, docTemplate.Kind())),
      m_messages(std::make_unique<GuiMessageSink>(this)), m_recoveryId(++g_lastRecoveryId),
      m_recoveryTimer(new QTimer(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(DocumentIcon(docTemplate.Kind()));
    // Ctrl+F4 is a command of the program's (the key table): the toolkit's
    // close item of the window menu gives the key up, or neither would have it.
    for (QAction* action : actions()) {
        QList<QKeySequence> keys = action->shortcuts();
        if (keys.removeAll(QKeySequence(Qt::CTRL | Qt::Key_F4)) > 0)
            action->setShortcuts(keys);
    }
    // Ctrl+F4: as the close box, asking about changes first.
    Rows().Add(ID_WINDOW_CLOSE, [this] { close(); });
    // The note about the file, hidden until there is one, above the text.
    m_note = new QFrame;
    m_note->setObjectName(QStringLiteral("FileNote"));
    m_note->setFrameShape(QFrame::StyledPanel);
    m_note->setBackgroundRole(QPalette::ToolTipBase);
    m_note->setAutoFillBackground(true);
    m_noteText = new QLabel(m_note);
    m_noteText->setObjectName(QStringLiteral("FileNoteText"));
    m_noteText->setWordWrap(true);
    m_noteText->setForegroundRole(QPalette::ToolTipText);
    m_noteText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_noteTidy = new QPushButton(LoadQString(IDS_NOTE_TIDY), m_note);
    m_noteTidy->setObjectName(QStringLiteral("FileNoteTidy"));
    auto* close = new QPushButton(LoadQString(IDS_NOTE_CLOSE), m_note);
    close->setObjectName(QStringLiteral("FileNoteClose"));
    auto* noteLayout = new QHBoxLayout(m_note);
    noteLayout->addWidget(m_noteText, 1);
    noteLayout->addWidget(m_noteTidy, 0, Qt::AlignTop);
    noteLayout->addWidget(close, 0, Qt::AlignTop);
    m_note->hide();
    connect(close, &QPushButton::clicked, this, [this] {
        m_note->hide();
        m_view->setFocus();
    });
    connect(m_noteTidy, &QPushButton::clicked, this, [this] {
        m_view->setFocus();
        if (const CommandRow* tidy = m_view->CommandRowFor(ID_TIDY))
            tidy->Run();
    });
    auto* body = new QWidget;
    auto* bodyLayout = new QVBoxLayout(body);
    bodyLayout->setContentsMargins(0, 0, 0, 0);
    bodyLayout->setSpacing(0);
    bodyLayout->addWidget(m_note);
    bodyLayout->addWidget(m_view, 1);
    body->setFocusProxy(m_view);
    setWidget(body);
    m_document = CreateDocument(docTemplate.Kind(), *m_view, *m_messages, app.Settings());
    m_view->SetDocument(m_document.get());
    m_view->OnInitialUpdate();
    UpdateTitle(); // the mark's place, before anything marks it
    m_recoveryTimer->setSingleShot(true);
    connect(m_recoveryTimer, &QTimer::timeout, this, &DocumentWindow::WriteRecoveryCopy);
    WatchView();
    // A change seen while another window was in front, or one the watcher
    // missed, is looked at whenever this window comes to the front.
    connect(this, &QMdiSubWindow::windowStateChanged, this,
            [this](Qt::WindowStates before, Qt::WindowStates now) {
                if (now.testFlag(Qt::WindowActive) && !before.testFlag(Qt::WindowActive))
                    QTimer::singleShot(0, this, &DocumentWindow::CheckFileOnDisk);
            });
}

DocumentWindow::~DocumentWindow() {
    // Closed, saved or not: the copy is not wanted any more.
    if (RecoveryStore* recovery = m_app.Recovery())
        recovery->Remove(m_recoveryId);
    m_app.Documents().UnwatchFile(QFile::decodeName(m_document->GetPathName().c_str()));
    // The document refers to the view; let it go first.
    m_view->SetDocument(nullptr);
    m_document.reset();
}

DocumentWindow::DocCommands::DocCommands(DocumentWindow& frame) {
    Rows()
        .Add(ID_FILE_SAVE, [&frame] { frame.DoSave(false); })
        .Add(ID_FILE_SAVE_AS, [&frame] { frame.DoSave(true); })
        .Add(ID_FILE_CLOSE, [&frame] { frame.close(); });
}

QString NulCutText(unsigned id, const QString& path, const Document::NulCut& cut) {
    // Counted as people count: the first byte is byte 1, the NUL not shown.
    return LoadQString(id).arg(QFileInfo(path).fileName(), QString::number(cut.offset + 1),
                               QString::number(cut.after + 1));
}

bool DocumentWindow::DoSave(bool saveAs) {
    QString path = QFile::decodeName(m_document->GetPathName().c_str());
    // A document without a file, or whose file is gone or may not be
    // replaced (the file, or the folder its replacement is made in, is not
    // the user's to write), is saved under a name the user chooses.
    const std::string& current = m_document->GetPathName();
    const bool exists = !saveAs && !current.empty() && StampOf(current).exists;
    const bool replaceable = exists && !CheckWritable(current);
    // A file that cannot be replaced goes under another name; say why first.
    if (exists && !replaceable)
        ShowMessageBox({this, LoadQString(AFX_IDS_APP_TITLE),
                        LoadQString(IDS_FILE_READ_ONLY).arg(QFileInfo(path).fileName()),
                        QMessageBox::Information, QMessageBox::Ok});
    if (!replaceable) {
        QString name = path.isEmpty() ? ProposedName(QString::fromStdString(m_document->GetTitle()),
                                                     m_template->Extension())
                                      : path;
        if (!m_app.Documents().DoPromptFileName(name, AFX_IDS_SAVEFILE, false, m_template, m_view))
            return false;
        path = name;
    }
    const std::string encoded = QFile::encodeName(path).toStdString();
    // Another program changed the file since it was read or saved here:
    // replacing it loses that change, so ask first, at every save until the
    // file is replaced or read again (keeping the text when asked to reload
    // is no leave to overwrite).
    const bool ownFile = encoded == m_document->GetPathName();
    if (const FileStamp now = StampOf(encoded); ownFile && now.exists && now != m_diskStamp) {
        if (!AskToReplace(LoadQString(IDS_FILE_CHANGED_SAVE).arg(QFileInfo(path).fileName())))
            return false;
    }
    // The file holds bytes after a NUL that the text never showed: replacing
    // it loses them, so ask first.
    if (const auto& cut = m_document->CutAtNul(); cut && encoded == m_document->GetPathName()) {
        if (!AskToReplace(NulCutText(IDS_NUL_CUT_SAVE, path, *cut)))
            return false;
    }
    if (!m_document->OnSaveDocument(encoded))
        return false;
    WriteRecoveryCopy(); // saved: the copy goes
    if (!ownFile)
        m_app.Documents().UnwatchFile(QFile::decodeName(m_document->GetPathName().c_str()));
    m_document->SetPathName(encoded);
    // Under a name of another kind the document becomes that kind, as it
    // would be when the file is opened again.
    if (!ownFile)
        ChangeKind(m_app.TemplateFor(DocKindFromPath(encoded)));
    m_app.AddToRecentFileList(path);
    UpdateTitle();
    NoteFileOnDisk();
    return true;
}

bool DocumentWindow::AskToReplace(const QString& question) {
    // Replace or not, nothing between; Return and Escape keep the file.
    MessageBoxRequest request{this, LoadQString(AFX_IDS_APP_TITLE), question, QMessageBox::Warning,
                              QMessageBox::Yes | QMessageBox::Cancel};
    request.defaultButton = QMessageBox::Cancel;
    request.escapeButton = QMessageBox::Cancel;
    return ShowMessageBox(request) == QMessageBox::Yes;
}

void DocumentWindow::NoteFileOnDisk() {
    const std::string& path = m_document->GetPathName();
    if (path.empty())
        return;
    m_diskStamp = StampOf(path);
    m_answeredStamp = {};
    // A file replaced by renaming (a save here is one) is a new file to the
    // watcher.
    m_app.Documents().RewatchFile(QFile::decodeName(path.c_str()));
}

void DocumentWindow::CheckFileOnDisk() {
    const std::string& path = m_document->GetPathName();
    if (path.empty() || m_checkingDisk)
        return;
    const FileStamp now = StampOf(path);
    if (now == m_diskStamp || now == m_answeredStamp)
        return;
    const QString name = QFileInfo(QFile::decodeName(path.c_str())).fileName();
    m_checkingDisk = true;
    if (!now.exists) {
        ShowMessageBox({this, LoadQString(AFX_IDS_APP_TITLE), LoadQString(IDS_FILE_GONE).arg(name),
                        QMessageBox::Information, QMessageBox::Ok});
        m_answeredStamp = now;
    } else {
        m_app.Documents().WatchFile(QFile::decodeName(path.c_str()));
        const bool modified = m_document->IsModified();
        MessageBoxRequest request{
            this, LoadQString(AFX_IDS_APP_TITLE),
            LoadQString(modified ? IDS_FILE_CHANGED_MODIFIED : IDS_FILE_CHANGED_RELOAD).arg(name),
            QMessageBox::Question, QMessageBox::Yes | QMessageBox::No};
        // Return and Escape keep the user's work; an unmodified text has none
        // to lose, and Return reloads it.
        request.defaultButton = modified ? QMessageBox::No : QMessageBox::Yes;
        request.escapeButton = QMessageBox::No;
        if (ShowMessageBox(request) != QMessageBox::Yes || !Reload())
            m_answeredStamp = now;
    }
    m_checkingDisk = false;
}

void DocumentWindow::FileChangedOnDisk() {
    // A question about a window the user is not looking at would be about
    // the wrong file: it waits until the window comes to the front.
    const MainWindow* main = m_app.Window();
    if (main && main->isActiveWindow() && main->ActiveChild() == this)
        CheckFileOnDisk();
}

void DocumentWindow::ScheduleRecoveryCopy() {
    if (!m_recoveryPending.isValid())
        m_recoveryPending.start();
    if (m_recoveryPending.elapsed() >= kRecoveryLongestWaitMs)
        WriteRecoveryCopy();
    else
        m_recoveryTimer->start(m_app.RecoveryDelay());
}

void DocumentWindow::WriteRecoveryCopy() {
    m_recoveryTimer->stop();
    m_recoveryPending.invalidate();
    RecoveryStore* recovery = m_app.Recovery();
    if (!recovery)
        return;
    if (!m_document->IsModified() && !m_view->IsModified()) {
        recovery->Remove(m_recoveryId);
        return;
    }
    RecoveryCopy copy;
    copy.kind = m_template->Kind();
    copy.path = m_document->GetPathName();
    copy.title = m_document->GetTitle();
    copy.lineNumOutput = m_view->GetLineNumOutput();
    if (const auto* numbered = dynamic_cast<const NumberedDocument*>(m_document.get()))
        copy.fileLineEnd = numbered->FileLineEnd();
    copy.utf8 = m_document->FileEncoding() == TextEncoding::Utf8;
    copy.byteOrderMark = m_document->FileByteOrderMark();
    copy.bytes = m_view->GetText();
    if (const FileError error = recovery->Write(m_recoveryId, copy))
        m_app.RecoveryWriteFailed(error.Reason());
}

bool DocumentWindow::Reload() {
    const std::string path = m_document->GetPathName();
    // Read as opening reads, into a document of the same kind; then the whole
    // text goes into the editor in one step.
    MemoryEditBuffer scratch;
    const std::unique_ptr<Document> fresh =
        CreateDocument(m_template->Kind(), scratch, *m_messages, m_app.Settings());
    if (!fresh->OnOpenDocument(path))
        return false;
    if (!m_view->ReplaceText(scratch.GetText())) {
        m_messages->ShowMessage(IDS_NO_MEMORY);
        return false;
    }
    m_document->AdoptFileState(*fresh);
    m_document->SetModifiedFlag(false);
    m_view->SetModified(false);
    NoteFileOnDisk();
    if (const auto& cut = m_document->CutAtNul())
        ShowMessageBox({this, LoadQString(AFX_IDS_APP_TITLE),
                        NulCutText(IDS_NUL_CUT_OPENED, QFile::decodeName(path.c_str()), *cut),
                        QMessageBox::Warning, QMessageBox::Ok});
    return true;
}

QStringList DocumentWindow::FileNoteSentences(bool& offerTidy) const {
    QStringList sentences;
    offerTidy = false;
    if (m_document->FileEncoding() == TextEncoding::Utf8) {
        sentences.append(LoadQString(IDS_NOTE_READ_UTF8));
    } else if (const auto& refused = m_document->Utf8Refused()) {
        sentences.append(
            LoadQString(IDS_NOTE_UTF8_NOT_READ)
                .arg(refused->line + 1)
                .arg(QString::fromStdString(cp932::NameCharacter(refused->character))));
    }
    const auto* numbered = dynamic_cast<const NumberedDocument*>(m_document.get());
    if (!numbered)
        return sentences;
    const FileShape shape = FindFileShape(numbered->TextWithoutAddedNumbers());
    if (!shape.numbersMissed && !shape.TidyMends())
        return sentences;
    const TidyResult& tidy = shape.tidy;
    const auto counted = [&sentences](unsigned id, std::size_t count, std::size_t first) {
        if (count != 0)
            sentences.append(LoadQString(id).arg(count).arg(first + 1));
    };
    counted(IDS_NOTE_BLANK_LINES, tidy.blankLines, tidy.firstBlank);
    counted(IDS_NOTE_INDENTED, tidy.indentedNumbers, tidy.firstIndented);
    if (tidy.droppedEndMark)
        sentences.append(LoadQString(IDS_NOTE_END_MARK));
    counted(IDS_NOTE_NO_NUMBER, tidy.linesWithoutNumber.size(), tidy.line);
    sentences.append(
        LoadQString(shape.numbersMissed ? IDS_NOTE_TAKEN_UNNUMBERED : IDS_NOTE_REFUSED_LINES));
    offerTidy = true;
    return sentences;
}

void DocumentWindow::ShowFileNote() {
    bool offerTidy = false;
    const QStringList sentences = FileNoteSentences(offerTidy);
    if (sentences.isEmpty()) {
        m_note->hide();
        return;
    }
    // Sentences run on in Japanese, with a blank between them in English.
    m_noteText->setText(
        sentences.join(CurrentLanguage() == Language::English ? QStringLiteral(" ") : QString()));
    m_noteTidy->setVisible(offerTidy);
    m_note->show();
}

QString DocumentWindow::FileNote() const {
    return m_note->isHidden() ? QString() : m_noteText->text();
}

bool DocumentWindow::SaveModified() {
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

void DocumentWindow::WatchView() {
    connect(m_view, &QPlainTextEdit::textChanged, this, &DocumentWindow::ScheduleRecoveryCopy);
    connect(m_view, &QPlainTextEdit::modificationChanged, this,
            &DocumentWindow::ScheduleRecoveryCopy);
    connect(m_view, &QPlainTextEdit::modificationChanged, this, &QWidget::setWindowModified);
    // The note says what the text is now: a tidy, or an edit that mends
    // what it names (once the problems are read again after the pause),
    // takes that sentence away.
    const auto renote = [this] {
        if (!m_note->isHidden())
            ShowFileNote();
    };
    if (auto* numbered = qobject_cast<NumberedEditorView*>(m_view))
        connect(numbered, &NumberedEditorView::Tidied, this, renote);
    connect(&m_view->Problems(), &ProblemMarks::Changed, this, renote);
}

bool DocumentWindow::ChangeKind(DocumentType& docTemplate) {
    const DocKind kind = docTemplate.Kind();
    if (kind == m_template->Kind())
        return true;
    std::unique_ptr<Document> document;
    std::unique_ptr<EditorView> view;
    if (IsLineNumbered(kind) == IsLineNumbered(m_template->Kind())) {
        document = CreateDocument(kind, *m_view, *m_messages, m_app.Settings());
        document->TakeStateOf(*m_document);
    } else {
        // DATA has no line numbers: the file is read as opening reads it,
        // into a view of the new kind.
        const std::string path = m_document->GetPathName();
        if (path.empty())
            return false;
        view.reset(MakeView(m_app, kind));
        document = CreateDocument(kind, *view, *m_messages, m_app.Settings());
        view->SetDocument(document.get());
        view->OnInitialUpdate();
        if (!document->OnOpenDocument(path))
            return false;
        document->SetPathName(path);
        view->Printing().SetPageSetup(m_view->Printing().GetPageSetup());
    }
    m_view->SetDocument(nullptr);
    std::unique_ptr<Document> old = std::exchange(m_document, std::move(document));
    if (view) {
        EditorView* oldView = std::exchange(m_view, view.release());
        const bool focused = oldView->hasFocus();
        // The layout's item for the old view is ours to delete.
        delete widget()->layout()->replaceWidget(oldView, m_view);
        widget()->setFocusProxy(m_view);
        m_view->show(); // the layout would show it only from the event loop
        WatchView();
        oldView->hide();
        oldView->deleteLater();
        if (focused)
            m_view->setFocus();
    }
    m_view->SetDocument(m_document.get());
    m_view->SetSourceKind(kind);
    old.reset();
    m_template = &docTemplate;
    setWindowIcon(DocumentIcon(kind));
    if (m_document->GetPathName().empty())
        m_document->SetTitle(docTemplate.NextUntitledTitle().toStdString());
    UpdateTitle();
    if (!m_note->isHidden())
        ShowFileNote();
    // The copy of unsaved work names the new kind.
    WriteRecoveryCopy();
    m_app.ScheduleCommandUpdate();
    return true;
}

void DocumentWindow::UpdateTitle() {
    // "[*]" is where the toolkit puts the mark of a modified document; one
    // in the name itself is written twice, and shows as it is.
    QString title = QString::fromStdString(m_document->GetTitle());
    title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    setWindowTitle(title + QStringLiteral("[*]"));
    setWindowModified(m_document->IsModified());
}

QString DocumentWindow::ShownTitle() const {
    return QString::fromStdString(m_document->GetTitle()) +
           (isWindowModified() ? QStringLiteral("*") : QString());
}

void DocumentWindow::CloseDocument() {
    m_askToSave = false;
    close();
}

void DocumentWindow::closeEvent(QCloseEvent* event) {
    if (m_askToSave && !SaveModified()) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
}

} // namespace tessel
