#include "view/ProblemMarks.h"

#include "encoding/Cp932.h"
#include "res/StringTable.h"
#include "settings/AppSettings.h"
#include "ui/CommandIds.h"
#include "ui/MessageBox.h"
#include "view/EditorView.h"
#include "view/Hue.h"
#include "view/ViewShell.h"

#include <QColor>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QMenu>
#include <QPalette>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolTip>

#include <algorithm>

namespace tessel {
namespace {

// Marks the extra selections that are ours among any others of the view.
constexpr int kMarkProperty = QTextFormat::UserProperty + 0x750;

std::u16string_view Units(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

bool SameOptions(const ModelOptions& a, const ModelOptions& b) {
    return a.kind == b.kind && a.tabWidth == b.tabWidth && a.endCode == b.endCode &&
           a.endOfLine == b.endOfLine;
}

constexpr Hue kError{0xE51400, 0xF48771};
constexpr Hue kWarning{0xB88A00, 0xE2C04A};
constexpr Hue kHint{0x7A7A7A, 0x9A9A9A};

} // namespace

ProblemMarks::ProblemMarks(EditorView& view, ViewShell& shell) : m_view(view), m_shell(shell) {
    m_pause.setSingleShot(true);
    m_pause.setInterval(kPauseMs);
    connect(&m_pause, &QTimer::timeout, this, &ProblemMarks::Refresh);
    connect(view.document(), &QTextDocument::contentsChange, this, &ProblemMarks::OnContentsChange);
    view.viewport()->installEventFilter(this);
}

ProblemMarks::~ProblemMarks() = default;

QColor ProblemMarks::ColorOf(Severity severity, const QPalette& palette) {
    const Hue hue = severity == Severity::Error     ? kError
                    : severity == Severity::Warning ? kWarning
                                                    : kHint;
    return hue.For(palette);
}

void ProblemMarks::SetKind(DocKind kind) {
    if (kind == m_kind && Active() == IsLineNumbered(kind))
        return;
    m_kind = kind;
    m_pause.stop();
    if (IsLineNumbered(kind)) {
        Rebuild();
        m_pause.start();
        return;
    }
    m_model.reset();
    m_marks.clear();
    ApplySelections();
    emit Changed();
}

void ProblemMarks::Reread() {
    if (m_model && !SameOptions(m_model->Options(), ModelOptions::For(m_kind, m_shell.Settings())))
        m_pause.start(); // the refresh reads the text again
}

void ProblemMarks::Rebuild() {
    m_model = std::make_unique<ProgramModel>(ModelOptions::For(m_kind, m_shell.Settings()));
    m_model->Build(m_view.GetText());
}

std::size_t ProblemMarks::BlockOffset(int block) const {
    if (block <= 0)
        return 0;
    // Only CR LF breaks the widget's lines; a lone CR or LF is a mark inside
    // one, though the model starts a line after it.
    int breaks = 0;
    for (std::size_t i = 0; i < m_model->LineCount(); ++i) {
        const ProgramLine& line = m_model->Line(i);
        if (line.endLength == 2 && ++breaks == block)
            return line.start + line.Span();
    }
    return m_model->Text().size() + 1; // no such block: the model is behind
}

void ProblemMarks::OnContentsChange(int position, int removed, int added) {
    if (!m_model)
        return;
    m_pause.start();
    QTextDocument* document = m_view.document();
    const int length = document->characterCount() - 1; // without the last block's end
    // The whole text replaced (opened, reloaded) is read afresh; the counts
    // then take in the end of the last block too.
    if (position == 0 && added >= length)
        return Rebuild();
    added = std::min(added, length - position);
    const QTextBlock block = document->findBlock(position);
    const std::size_t start =
        BlockOffset(block.blockNumber()) +
        cp932::ByteOffset(Units(block.text()),
                          static_cast<std::size_t>(position - block.position()));
    const std::string_view before = m_model->Text();
    std::string inserted;
    QTextCursor piece(document);
    piece.setPosition(position);
    piece.setPosition(position + added, QTextCursor::KeepAnchor);
    if (start > before.size() || cp932::Encode(Units(piece.selectedText()), inserted))
        return Rebuild(); // cannot be: the widget takes only text that has codes
    m_model->Edit(start, cp932::UnitsToBytes(before, start, static_cast<std::size_t>(removed)),
                  inserted);
}

void ProblemMarks::Refresh() {
    m_pause.stop();
    m_marks.clear();
    if (m_model) {
        if (!SameOptions(m_model->Options(), ModelOptions::For(m_kind, m_shell.Settings())))
            Rebuild(); // the tab width or the device's end code changed meanwhile
        const std::vector<ProgramProblem> problems = m_model->Problems();
        const QString raw = m_view.document()->toRawText();
        const cp932::OffsetIndex index(Units(raw));
        m_marks.reserve(problems.size());
        for (const ProgramProblem& problem : problems) {
            ProblemMark mark;
            mark.place = QTextCursor(m_view.document());
            const auto from = static_cast<int>(index.Position(problem.begin));
            auto to = static_cast<int>(index.Position(problem.end));
            // A line's mark stops at its end.
            if (to > from && raw.at(to - 1) == QChar::ParagraphSeparator)
                --to;
            mark.place.setPosition(from);
            if (to > from)
                mark.place.setPosition(to, QTextCursor::KeepAnchor);
            mark.severity = problem.severity;
            mark.message = problem.message;
            mark.text = QString::fromStdString(DescribeProblem(problem));
            if (problem.fix)
                mark.fixTitle = LoadQString(problem.fix->title);
            m_marks.push_back(std::move(mark));
        }
    }
    ApplySelections();
    emit Changed();
}

void ProblemMarks::ApplySelections() {
    QList<QTextEdit::ExtraSelection> selections;
    for (const QTextEdit::ExtraSelection& other : m_view.extraSelections())
        if (!other.format.hasProperty(kMarkProperty))
            selections.append(other);
    const QPalette palette = m_view.palette();
    for (const ProblemMark& mark : m_marks) {
        QTextEdit::ExtraSelection selection;
        selection.cursor = mark.place;
        selection.format.setProperty(kMarkProperty, true);
        QColor color = ColorOf(mark.severity, palette);
        if (mark.place.hasSelection()) {
            selection.format.setUnderlineStyle(mark.severity == Severity::Hint
                                                   ? QTextCharFormat::DotLine
                                                   : QTextCharFormat::WaveUnderline);
            selection.format.setUnderlineColor(color);
        } else {
            // Nothing to underline (an empty line): the line is tinted.
            color.setAlpha(48);
            selection.format.setBackground(color);
            selection.format.setProperty(QTextFormat::FullWidthSelection, true);
        }
        selections.append(selection);
    }
    m_view.setExtraSelections(selections);
}

int ProblemMarks::Count(Severity severity) const {
    return static_cast<int>(std::ranges::count(m_marks, severity, &ProblemMark::severity));
}

std::vector<std::size_t> ProblemMarks::MarksAt(int position) const {
    std::vector<std::size_t> found;
    const int line = m_view.document()->findBlock(position).blockNumber();
    // Marks are in text order: those that start after the position end the
    // search.
    const auto end = std::ranges::upper_bound(m_marks, position, {}, &ProblemMark::From);
    for (auto it = m_marks.begin(); it != end; ++it)
        if (position <= it->To() && (it->place.hasSelection() || it->Line() == line))
            found.push_back(static_cast<std::size_t>(it - m_marks.begin()));
    return found;
}

std::vector<std::size_t> ProblemMarks::MarksUnder(const QPoint& point) const {
    std::vector<std::size_t> under;
    const QTextCursor at = m_view.cursorForPosition(point);
    for (const std::size_t i : MarksAt(at.position())) {
        const ProblemMark& mark = m_marks[i];
        QTextCursor from = mark.place;
        from.setPosition(mark.From());
        QTextCursor to = mark.place;
        to.setPosition(mark.To());
        QRect rect = m_view.cursorRect(from).united(m_view.cursorRect(to));
        if (!mark.place.hasSelection()) // the whole line
            rect.setLeft(0), rect.setRight(m_view.viewport()->width());
        if (rect.contains(point))
            under.push_back(i);
    }
    return under;
}

QStringList ProblemMarks::ToolTipLines(const QPoint& point) const {
    QStringList lines;
    for (const std::size_t i : MarksUnder(point)) {
        lines.append(m_marks[i].text);
        if (!m_marks[i].fixTitle.isEmpty())
            lines.append(LoadQString(IDS_PROBLEM_MEND_HINT).arg(m_marks[i].fixTitle));
    }
    return lines;
}

bool ProblemMarks::ShowContextMenu(const QPoint& point, const QPoint& global, bool keyboard) {
    const std::vector<std::size_t> found =
        keyboard ? MarksAt(m_view.textCursor().position()) : MarksUnder(point);
    struct Offer {
        int from;
        StringId message;
        QString title;
    };
    std::vector<Offer> offers;
    for (const std::size_t i : found)
        if (!m_marks[i].fixTitle.isEmpty())
            offers.push_back({m_marks[i].From(), m_marks[i].message, m_marks[i].fixTitle});
    if (offers.empty())
        return false;
    std::unique_ptr<QMenu> menu(m_view.createStandardContextMenu(point));
    QAction* first = menu->actions().value(0);
    for (const Offer& offer : offers) {
        auto* action = new QAction(offer.title, menu.get());
        action->setObjectName(QStringLiteral("mendProblem"));
        connect(action, &QAction::triggered, this,
                [this, offer] { Mend(offer.from, offer.message); });
        menu->insertAction(first, action);
    }
    menu->insertSeparator(first);
    menu->exec(global);
    return true;
}

bool ProblemMarks::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_view.viewport() || m_marks.empty())
        return false;
    switch (event->type()) {
    case QEvent::ContextMenu: {
        const auto* menu = static_cast<QContextMenuEvent*>(event);
        return ShowContextMenu(menu->pos(), menu->globalPos(),
                               menu->reason() == QContextMenuEvent::Keyboard);
    }
    default:
        return false;
    }
}

void ProblemMarks::GoTo(std::size_t index) {
    if (index >= m_marks.size())
        return;
    QTextCursor caret = m_view.textCursor();
    caret.setPosition(m_marks[index].From());
    m_view.setTextCursor(caret);
    // A problem off the screen comes to its middle; one on it stays put.
    if (m_view.viewport()->rect().contains(m_view.cursorRect()))
        m_view.ensureCursorVisible();
    else
        m_view.centerCursor();
    m_shell.ShowStatusMessage(m_marks[index].text);
}

void ProblemMarks::GoToNext(bool forward) {
    if (Pending())
        Refresh();
    if (m_marks.empty()) {
        m_shell.ShowStatusMessage(LoadQString(IDS_PROBLEMS_NONE));
        return;
    }
    const int caret = m_view.textCursor().position();
    std::size_t index = 0;
    if (forward) {
        const auto next = std::ranges::upper_bound(m_marks, caret, {}, &ProblemMark::From);
        index = next == m_marks.end() ? 0 : static_cast<std::size_t>(next - m_marks.begin());
    } else {
        const auto next = std::ranges::lower_bound(m_marks, caret, {}, &ProblemMark::From);
        index = next == m_marks.begin() ? m_marks.size() - 1
                                        : static_cast<std::size_t>(next - m_marks.begin()) - 1;
    }
    GoTo(index);
}

bool ProblemMarks::Mend(int from, StringId message) {
    if (!m_model)
        return false;
    // The mend of the text as it is now, never one found in an older text.
    const QString raw = m_view.document()->toRawText();
    const cp932::OffsetIndex index(Units(raw));
    const std::size_t begin = index.ByteOffset(static_cast<std::size_t>(from));
    for (const ProgramProblem& problem : m_model->Problems()) {
        if (problem.begin != begin || problem.message != message || !problem.fix)
            continue;
        const TextEdit& edit = problem.fix->edit;
        const std::size_t start = index.Position(edit.offset);
        const std::size_t end = index.Position(edit.offset + edit.length);
        const std::u16string text = cp932::Decode(edit.text);
        const std::size_t starts[] = {start};
        if (!m_view.ReplaceEach(
                starts, end - start,
                QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()))))
            return false;
        Refresh();
        return true;
    }
    return false;
}

void ProblemMarks::AddCommandRows(CommandRows& rows) {
    const auto any = [this] { return Active() && (Pending() || !m_marks.empty()); };
    // The first mark at the caret that has a mend.
    const auto mendable = [this]() -> const ProblemMark* {
        for (const std::size_t i : MarksAt(m_view.textCursor().position()))
            if (!m_marks[i].fixTitle.isEmpty())
                return &m_marks[i];
        return nullptr;
    };
    rows.Add(
            ID_NEXT_PROBLEM, [this] { GoToNext(true); }, any)
        .Add(
            ID_PREV_PROBLEM, [this] { GoToNext(false); }, any)
        .Add(
            ID_MEND_PROBLEM,
            [this, mendable] {
                if (Pending())
                    Refresh();
                if (const ProblemMark* mark = mendable())
                    Mend(mark->From(), mark->message);
            },
            [mendable] { return mendable() != nullptr; });
}

} // namespace tessel
