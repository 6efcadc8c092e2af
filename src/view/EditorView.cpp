#include "view/EditorView.h"

#include "comm/TransferFlows.h"
#include "doc/Document.h"
#include "doc/MemoryEditBuffer.h"
#include "encoding/Cp932.h"
#include "model/ProgramModel.h"
#include "res/StringTable.h"
#include "settings/AppSettings.h"
#include "settings/StateFolder.h"
#include "ui/CommandIds.h"
#include "ui/MessageBox.h"
#include "view/FindReplaceDialog.h"
#include "view/NumberedEditorView.h"
#include "view/PrintCommands.h"
#include "view/ProblemMarks.h"
#include "view/SourceHighlighter.h"
#include "view/TransferDialog.h"
#include "view/ViewShell.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFontMetricsF>
#include <QInputDialog>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace tessel {
namespace {

std::u16string ToU16(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                          static_cast<std::size_t>(text.size()));
}

QString FromU16(const std::u16string& text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// Ctrl+Home and Ctrl+End are the program's commands, not the widget's keys;
// with Shift they stay the widget's (extend the selection). So are the keys
// of Undo and Redo (Ctrl+Y and Ctrl+Shift+Z both redo, whatever the desktop's
// own habit); one the program gives no command still reaches the widget.
bool IsProgramCommandKey(QKeyEvent* event) {
    if (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo))
        return true;
    return event->modifiers() == Qt::ControlModifier &&
           (event->key() == Qt::Key_Home || event->key() == Qt::Key_End);
}

// One transfer of `buffer` under the transfer dialog. A transfer the user
// stopped has no dialog left to say so: the status bar says how far it got.
void RunTransfer(ViewShell& shell, TransferWorker::Mode mode, std::string& buffer) {
    const TransferEnd end =
        TransferDialog::Run(mode, shell.Settings().m_comSettings, buffer, shell.DialogParent());
    if (end.outcome == TransferEnd::Outcome::Cancelled)
        shell.ShowStatusMessage(StoppedText(mode, end.bytes));
}

} // namespace

EditorView::EditorView(ViewShell& shell, QWidget* parent)
    : QPlainTextEdit(parent), m_shell(shell),
      m_printing(std::make_unique<PrintCommands>(*this, shell)) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setWordWrapMode(QTextOption::NoWrap);
    m_highlighter = new SourceHighlighter(document());
    m_problems = std::make_unique<ProblemMarks>(*this, shell);
    // The document is modified while its text differs from the one last
    // read or saved, as the undo history sees it: undoing back to that text
    // leaves it unmodified again.
    connect(document(), &QTextDocument::modificationChanged, this, [this](bool modified) {
        if (m_document)
            m_document->SetModifiedFlag(modified);
    });
    auto update = [this] { m_shell.ScheduleCommandUpdate(); };
    connect(this, &QPlainTextEdit::textChanged, this, update);
    connect(this, &QPlainTextEdit::selectionChanged, this, update);
    connect(this, &QPlainTextEdit::undoAvailable, this, update);
    connect(this, &QPlainTextEdit::redoAvailable, this, update);
    connect(this, &QPlainTextEdit::modificationChanged, this, update);
    AddCommandRows();
}

EditorView::~EditorView() = default;

void EditorView::OnInitialUpdate() {
    ApplyFont(m_shell.EditFont());
    SetColored(m_shell.Settings().colors);
    SetTabStops(m_shell.Settings().tabStop);
}

void EditorView::SetSourceKind(DocKind kind) {
    m_highlighter->SetKind(kind);
    m_problems->SetKind(kind);
}

DocKind EditorView::SourceKind() const {
    return m_highlighter->Kind();
}

void EditorView::ShowOffset(std::size_t offset) {
    SetCaret(offset);
    centerCursor();
    setFocus();
}

void EditorView::JumpTo(std::size_t offset) {
    const QTextCursor from = textCursor();
    ShowOffset(offset);
    m_jumps.Jumped(from, textCursor());
    m_shell.ScheduleCommandUpdate(); // Back and Forward
}

void EditorView::JumpTo(const QTextCursor& place) {
    const QTextCursor from = textCursor();
    QTextCursor to(place);
    to.clearSelection();
    setTextCursor(to);
    centerCursor();
    setFocus();
    m_jumps.Jumped(from, to);
    m_shell.ScheduleCommandUpdate();
}

void EditorView::OnNavigate(bool back) {
    const std::optional<QTextCursor> place =
        back ? m_jumps.Back(textCursor()) : m_jumps.Forward(textCursor());
    if (!place) {
        m_shell.ShowStatusMessage(
            LoadQString(back ? IDS_NAVIGATE_NO_BACK : IDS_NAVIGATE_NO_FORWARD));
        return;
    }
    setTextCursor(*place);
    centerCursor();
    setFocus();
    m_shell.ScheduleCommandUpdate();
}

void EditorView::OnGoToLine() {
    const bool numbered = IsLineNumbered(SourceKind());
    QInputDialog dialog(m_shell.DialogParent());
    dialog.setObjectName(QStringLiteral("goToLine"));
    dialog.setWindowTitle(LoadQString(IDS_GOTO_LINE_TITLE));
    dialog.setLabelText(LoadQString(numbered ? IDS_GOTO_LINE_NUMBER : IDS_GOTO_LINE_INDEX));
    dialog.setInputMode(QInputDialog::IntInput);
    if (!numbered) {
        // The editor's own lines.
        dialog.setIntRange(1, document()->blockCount());
        dialog.setIntValue(textCursor().blockNumber() + 1);
        if (dialog.exec() != QDialog::Accepted)
            return;
        JumpTo(QTextCursor(document()->findBlockByNumber(dialog.intValue() - 1)));
        return;
    }
    const ProgramModel& model = CurrentModel();
    dialog.setIntRange(1, static_cast<int>(kMaxLineNum));
    if (const std::size_t here = model.LineAt(CaretOffset());
        model.LineCount() > 0 && model.Line(here).HasNumber())
        dialog.setIntValue(static_cast<int>(model.Line(here).number));
    if (dialog.exec() != QDialog::Accepted)
        return;
    const int wanted = dialog.intValue();
    if (const auto line = model.LineWithNumber(static_cast<std::uint32_t>(wanted)))
        JumpTo(model.Line(*line).start);
    else
        m_shell.ShowStatusMessage(
            QString::fromStdString(LoadFormatted(IDS_LSP_NO_SUCH_LINE, {std::to_string(wanted)})));
}

void EditorView::SetColored(bool colored) {
    m_highlighter->SetColored(colored);
}

void EditorView::ApplyFont(const QFont& font) {
    setFont(font);
    document()->setDefaultFont(font);
    SetTabStops(m_tabWidth);
}

void EditorView::SetTabStops(unsigned widthInCharacters) {
    m_tabWidth = widthInCharacters;
    setTabStopDistance(QFontMetricsF(font()).averageCharWidth() * widthInCharacters);
    m_problems->Reread(); // a line's length on the device counts its tabs
}

std::string EditorView::GetText() const {
    std::string bytes;
    if (cp932::Encode(ToU16(document()->toRawText()), bytes))
        bytes = EncodeLeniently();
    return bytes;
}

std::string EditorView::EncodeLeniently() const {
    // Unreachable while every way in checks its text; should something slip
    // through, the rest of the document must still be saved, so each unit
    // that has no code is left out rather than losing the whole text.
    std::u16string text = ToU16(document()->toRawText());
    std::string bytes;
    while (const auto refusal = cp932::Encode(text, bytes))
        text.erase(refusal->position, refusal->length);
    return bytes;
}

std::size_t EditorView::GetLength() const {
    return cp932::ByteOffset(ToU16(document()->toRawText()), std::u16string::npos);
}

bool EditorView::ReplaceText(std::string_view text) {
    if (text.size() > kEditLimit)
        return false;
    const QString decoded = FromU16(cp932::Decode(text));
    if (document()->isEmpty()) {
        setPlainText(decoded);
    } else {
        // One step that Undo takes back.
        QTextCursor cursor(document());
        cursor.beginEditBlock();
        cursor.select(QTextCursor::Document);
        cursor.insertText(decoded);
        cursor.endEditBlock();
    }
    return true;
}

void EditorView::SetCaret(std::size_t offset) {
    const std::size_t position = cp932::Position(ToU16(document()->toRawText()), offset);
    QTextCursor cursor = textCursor();
    cursor.setPosition(static_cast<int>(position));
    setTextCursor(cursor);
    ensureCursorVisible();
}

std::size_t EditorView::CaretOffset() const {
    return cp932::ByteOffset(ToU16(document()->toRawText()),
                             static_cast<std::size_t>(textCursor().position()));
}

const ProgramModel& EditorView::CurrentModel() const {
    if (const ProgramModel* kept = m_problems->Model())
        return *kept;
    m_scratchModel =
        std::make_unique<ProgramModel>(ModelOptions::For(SourceKind(), m_shell.Settings()));
    m_scratchModel->Build(GetText());
    return *m_scratchModel;
}

bool EditorView::IsModified() const {
    return document()->isModified();
}

void EditorView::SetModified(bool modified) {
    document()->setModified(modified);
}

bool EditorView::HoldsText() const {
    return !document()->isEmpty();
}

void EditorView::OnDataSend() {
    DoSend();
}

void EditorView::DoSend() {
    if (!m_document || !PrepareSend(*m_document, m_transfer))
        return;
    RunTransfer(m_shell, TransferWorker::Mode::Send, m_transfer);
}

bool EditorView::DoReceive() {
    m_transfer.clear();
    RunTransfer(m_shell, TransferWorker::Mode::Receive, m_transfer);
    // A cancelled or broken-off receive keeps what came.
    if (!m_document || AcceptReceived(*m_document, m_transfer))
        return m_document != nullptr;
    // The editor could not hold it (its message has said so): the bytes
    // that came are kept as they came, and the user is told where.
    if (!m_transfer.empty()) {
        std::string kept;
        const bool isData = !dynamic_cast<const NumberedEditorView*>(this);
        const FileError error =
            KeepReceivedInStateFolder(m_transfer, isData ? ".dat" : ".txt", kept);
        ShowMessageBox({m_shell.DialogParent(), LoadQString(AFX_IDS_APP_TITLE),
                        error ? LoadQString(IDS_RECEIVED_NOT_KEPT)
                                    .arg(QString::fromLocal8Bit(error.Reason().c_str()))
                              : LoadQString(IDS_RECEIVED_KEPT).arg(QFile::decodeName(kept.c_str())),
                        error ? QMessageBox::Warning : QMessageBox::Information, QMessageBox::Ok});
    }
    return false;
}

void EditorView::AddCommandRows() {
    const auto hasSelection = [this] { return textCursor().hasSelection(); };
    // Cut and Delete keep a character whole, as typing does.
    const auto removeSelection = [this](bool cut) {
        if (!KeepsCharactersApart(textCursor().selectionStart(), textCursor().selectionEnd(), {},
                                  EditSource::Inserted))
            return;
        if (cut)
            this->cut();
        else
            textCursor().removeSelectedText();
    };
    Rows()
        .Add(
            ID_DATA_SEND, [this] { OnDataSend(); }, [this] { return HoldsText(); })
        .Add(
            ID_GOTO_LINE, [this] { OnGoToLine(); }, [this] { return GetLength() > 0; })
        .Add(
            ID_NAVIGATE_BACK, [this] { OnNavigate(true); }, [this] { return m_jumps.CanGoBack(); })
        .Add(
            ID_NAVIGATE_FORWARD, [this] { OnNavigate(false); },
            [this] { return m_jumps.CanGoForward(); })
        // Only BASIC refers to its lines (NumberedEditorView).
        .Add(ID_GOTO_DEFINITION, {}, [] { return false; })
        .Add(ID_CARET_TOP, [this] { SetCaret(0); })
        .Add(ID_CARET_END, [this] { SetCaret(GetLength()); })
        .Add(
            ID_EDIT_UNDO, [this] { undo(); }, [this] { return document()->isUndoAvailable(); })
        .Add(
            ID_EDIT_REDO, [this] { redo(); }, [this] { return document()->isRedoAvailable(); })
        .Add(
            ID_EDIT_CUT, [removeSelection] { removeSelection(true); }, hasSelection)
        .Add(
            ID_EDIT_COPY, [this] { copy(); }, hasSelection)
        .Add(
            ID_EDIT_CLEAR, [removeSelection] { removeSelection(false); }, hasSelection)
        .Add(
            ID_EDIT_PASTE, [this] { paste(); }, [this] { return canPaste(); })
        .Add(ID_EDIT_FIND, [this] { m_shell.OpenFindReplace(FindDialogMode::Find); })
        .Add(ID_EDIT_REPLACE, [this] { m_shell.OpenFindReplace(FindDialogMode::Replace); })
        .Add(ID_EDIT_REPEAT, [this] { m_shell.FindAgain(); })
        .Add(ID_EDIT_SELECT_ALL, [this] { selectAll(); });
    m_problems->AddCommandRows(Rows());
    m_printing->AddCommandRows(Rows());
}

bool EditorView::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride &&
        IsProgramCommandKey(static_cast<QKeyEvent*>(event))) {
        event->ignore(); // let the command's shortcut have it
        return true;
    }
    return QPlainTextEdit::event(event);
}

bool EditorView::AcceptInput(const QString& text, EditSource source) {
    return AcceptInput(
        text, 1,
        [this] {
            return cp932::ByteOffset(ToU16(textCursor().selectedText()), std::u16string::npos);
        },
        source);
}

bool EditorView::AcceptInput(const QString& text, std::size_t copies,
                             const std::function<std::size_t()>& removedBytes, EditSource source) {
    const std::u16string units = ToU16(text);
    if (const auto refusal = cp932::CheckInput(units)) {
        Refuse(LoadQString(refusal->reason == cp932::RefusalReason::NulByte
                               ? IDS_INPUT_NUL_BYTE
                               : IDS_INPUT_NOT_IN_CP932)
                   .arg(QString::fromStdString(cp932::NameCharacter(refusal->character))),
               source);
        return false;
    }
    // The editor holds at most kEditLimit bytes. Every unit is one or two
    // bytes, so the exact count is needed only near the limit.
    const auto unitsNow = static_cast<std::size_t>(document()->characterCount());
    if ((unitsNow + units.size() * copies) * 2 > kEditLimit) {
        const std::size_t now = GetLength();
        const std::size_t removing = removedBytes();
        const std::size_t adding = cp932::ByteOffset(units, std::u16string::npos) * copies;
        if (now - std::min(now, removing) + adding > kEditLimit) {
            QApplication::beep();
            return false;
        }
    }
    return true;
}

void EditorView::Refuse(const QString& message, EditSource source) {
    if (source == EditSource::Typed) {
        QApplication::beep();
        m_shell.ShowStatusMessage(message);
    } else {
        ShowMessageBox(
            {this, LoadQString(AFX_IDS_APP_TITLE), message, QMessageBox::Warning, QMessageBox::Ok});
    }
}

bool EditorView::KeepsCharactersApart(int from, int to, const QString& replacement,
                                      EditSource source) {
    // The units on either side of the edit are all that can join with it.
    QString piece;
    const int end = document()->characterCount() - 1; // without the final break
    for (int i = std::max(0, from - 2); i < from; ++i)
        piece += document()->characterAt(i);
    piece += replacement;
    for (int i = to; i < std::min(end, to + 2); ++i)
        piece += document()->characterAt(i);
    if (cp932::KeepsApart(ToU16(piece)))
        return true;
    Refuse(LoadQString(IDS_EDIT_JOINS_CHARACTERS), source);
    return false;
}

bool EditorView::KeyKeepsCharactersApart(const QKeyEvent* event, const QString& text) {
    QTextCursor cursor = textCursor();
    if (!text.isEmpty())
        return KeepsCharactersApart(cursor.selectionStart(), cursor.selectionEnd(),
                                    FromU16(cp932::PrepareInput(ToU16(text))), EditSource::Typed);
    // What the deleting keys take: the selection, else the character or word
    // before or after the caret.
    QTextCursor::MoveOperation move = QTextCursor::NoMove;
    if (event->matches(QKeySequence::Delete))
        move = QTextCursor::NextCharacter;
    else if (event->matches(QKeySequence::DeleteEndOfWord))
        move = QTextCursor::NextWord;
    else if (event->matches(QKeySequence::DeleteStartOfWord))
        move = QTextCursor::PreviousWord;
    else if (event->matches(QKeySequence::Cut))
        move = QTextCursor::NoMove;
    else if (event->key() == Qt::Key_Backspace && event->modifiers() == Qt::NoModifier)
        move = QTextCursor::PreviousCharacter;
    else
        return true;
    if (!cursor.hasSelection() && move != QTextCursor::NoMove)
        cursor.movePosition(move, QTextCursor::KeepAnchor);
    if (!cursor.hasSelection())
        return true;
    return KeepsCharactersApart(cursor.selectionStart(), cursor.selectionEnd(), {},
                                EditSource::Typed);
}

bool EditorView::InsertText(const QString& text) {
    if (!AcceptInput(text, EditSource::Inserted))
        return false;
    QTextCursor cursor = textCursor();
    if (!KeepsCharactersApart(cursor.selectionStart(), cursor.selectionEnd(),
                              FromU16(cp932::PrepareInput(ToU16(text))), EditSource::Inserted))
        return false;
    cursor.beginEditBlock();
    cursor.insertText(FromU16(cp932::PrepareInput(ToU16(text))));
    cursor.endEditBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
    return true;
}

bool EditorView::ReplaceEach(std::span<const std::size_t> starts, std::size_t length,
                             const QString& text) {
    if (starts.empty())
        return true;
    const auto removedBytes = [this, starts, length] {
        const QString raw = document()->toRawText();
        const cp932::OffsetIndex index(
            {reinterpret_cast<const char16_t*>(raw.utf16()), static_cast<std::size_t>(raw.size())});
        std::size_t bytes = 0;
        for (const std::size_t start : starts)
            bytes += index.ByteOffset(start + length) - index.ByteOffset(start);
        return bytes;
    };
    if (!AcceptInput(text, starts.size(), removedBytes, EditSource::Inserted))
        return false;
    const QString prepared = FromU16(cp932::PrepareInput(ToU16(text)));
    for (const std::size_t start : starts)
        if (!KeepsCharactersApart(static_cast<int>(start), static_cast<int>(start + length),
                                  prepared, EditSource::Inserted))
            return false;
    // From the last to the first, so that the positions still to come stay
    // where they were; the cursor kept at the end of the last replacement
    // moves with the text before it.
    QTextCursor cursor(document());
    QTextCursor end;
    cursor.beginEditBlock();
    for (auto it = starts.rbegin(); it != starts.rend(); ++it) {
        cursor.setPosition(static_cast<int>(*it));
        cursor.setPosition(static_cast<int>(*it + length), QTextCursor::KeepAnchor);
        cursor.insertText(prepared);
        if (end.isNull())
            end = cursor;
    }
    cursor.endEditBlock();
    setTextCursor(end);
    ensureCursorVisible();
    return true;
}

void EditorView::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    // Text the widget would insert: anything but a control character (a
    // character beyond U+FFFF starts with a surrogate, which is no control).
    const bool inserts = !text.isEmpty() && text.at(0).category() != QChar::Other_Control;
    if (inserts) {
        // A key with Alt, Ctrl or Meta that no command took never types: it
        // would change the program without the user seeing why.
        if (event->modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier)) {
            event->ignore();
            return;
        }
        if (!AcceptInput(text, EditSource::Typed))
            return;
    }
    if (!KeyKeepsCharactersApart(event, inserts ? text : QString()))
        return;
    QPlainTextEdit::keyPressEvent(event);
}

void EditorView::inputMethodEvent(QInputMethodEvent* event) {
    if (!event->commitString().isEmpty() &&
        !AcceptInput(event->commitString(), EditSource::Typed)) {
        QInputMethodEvent cancelled;
        QPlainTextEdit::inputMethodEvent(&cancelled);
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void EditorView::insertFromMimeData(const QMimeData* source) {
    if (source->hasText())
        InsertText(source->text());
}

} // namespace tessel
