#include "view/ReferenceLinks.h"

#include "encoding/Cp932.h"
#include "model/ProgramModel.h"
#include "model/ProgramPlaces.h"
#include "view/NumberedEditorView.h"
#include "view/ProblemMarks.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTextBlock>
#include <QToolTip>

namespace tessel {
namespace {

// Marks the extra selection that shows the link, among any others.
constexpr int kLinkProperty = QTextFormat::UserProperty + 0x4C4B;

std::u16string_view Units(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

} // namespace

ReferenceLinks::ReferenceLinks(NumberedEditorView& view) : QObject(&view), m_view(view) {
    view.installEventFilter(this);
    view.viewport()->installEventFilter(this);
    view.viewport()->setMouseTracking(true);
    // An edit under a link moves or ends it: it is found again at the next move.
    connect(view.document(), &QTextDocument::contentsChanged, this, [this] { ShowLink({}); });
}

std::optional<int> ReferenceLinks::CharacterAt(QPoint point) const {
    const QTextCursor cursor = m_view.cursorForPosition(point);
    const QRect caret = m_view.cursorRect(cursor);
    if (point.y() < caret.top() || point.y() > caret.bottom())
        return std::nullopt;
    const QTextBlock block = cursor.block();
    // The boundary nearest the point has the character under it on its left
    // or on its right.
    const int position = point.x() < caret.left() ? cursor.position() - 1 : cursor.position();
    if (position < block.position() || position >= block.position() + block.length() - 1)
        return std::nullopt;
    return position;
}

std::size_t ReferenceLinks::ByteOffsetOf(int position) const {
    return cp932::ByteOffset(Units(m_view.document()->toRawText()),
                             static_cast<std::size_t>(position));
}

std::optional<std::pair<int, int>> ReferenceLinks::ReferenceAt(QPoint point) const {
    const std::optional<int> character = CharacterAt(point);
    if (!character || m_view.SourceKind() != DocKind::Basic)
        return std::nullopt;
    const ProgramModel& model = m_view.CurrentModel();
    const ProgramPlace place = PlaceAt(model, ByteOffsetOf(*character), false);
    if (place.kind != PlaceKind::LineReference && place.kind != PlaceKind::LabelReference)
        return std::nullopt;
    const QString raw = m_view.document()->toRawText();
    return std::pair(static_cast<int>(cp932::Position(Units(raw), place.begin)),
                     static_cast<int>(cp932::Position(Units(raw), place.end)));
}

void ReferenceLinks::ShowLink(std::optional<std::pair<int, int>> link) {
    if (link == m_link)
        return;
    m_link = link;
    QList<QTextEdit::ExtraSelection> selections = m_view.extraSelections();
    selections.removeIf([](const QTextEdit::ExtraSelection& selection) {
        return selection.format.hasProperty(kLinkProperty);
    });
    if (m_link) {
        QTextEdit::ExtraSelection selection;
        selection.cursor = QTextCursor(m_view.document());
        selection.cursor.setPosition(m_link->first);
        selection.cursor.setPosition(m_link->second, QTextCursor::KeepAnchor);
        selection.format.setFontUnderline(true);
        selection.format.setForeground(m_view.palette().color(QPalette::Link));
        selection.format.setProperty(kLinkProperty, true);
        selections.append(selection);
        m_view.viewport()->setCursor(Qt::PointingHandCursor);
    } else {
        m_view.viewport()->setCursor(Qt::IBeamCursor);
    }
    m_view.setExtraSelections(selections);
}

void ReferenceLinks::UpdateLink(QPoint point, bool control) {
    ShowLink(control && m_view.viewport()->rect().contains(point) ? ReferenceAt(point)
                                                                  : std::nullopt);
}

bool ReferenceLinks::FollowLink(QPoint point) {
    const std::optional<std::pair<int, int>> link = ReferenceAt(point);
    if (!link)
        return false;
    QTextCursor cursor = m_view.textCursor();
    cursor.setPosition(*CharacterAt(point));
    m_view.setTextCursor(cursor);
    ShowLink({});
    m_view.OnGoToDefinition();
    return true;
}

bool ReferenceLinks::ShowHover(QPoint point, QPoint global) {
    // The problems marked there first, then the line a reference there names.
    const QStringList problems = m_view.Problems().ToolTipLines(point);
    const std::optional<int> character = CharacterAt(point);
    bool missing = false;
    QString text = character ? m_view.HoverText(ByteOffsetOf(*character), &missing) : QString();
    // A problem about the missing line says already that it is missing.
    if (missing && !problems.isEmpty())
        text.clear();
    if (text.isEmpty() && problems.isEmpty()) {
        QToolTip::hideText();
        return false;
    }
    if (text.isEmpty()) {
        QToolTip::showText(global, problems.join(u'\n'), m_view.viewport());
        return true;
    }
    // As written: neither a message nor a line of the program is markup.
    QString tip;
    for (const QString& line : problems)
        tip += line.toHtmlEscaped() + QStringLiteral("<br>");
    tip += QStringLiteral("<pre>%1</pre>").arg(text.toHtmlEscaped());
    QToolTip::showText(global, tip, m_view.viewport());
    return true;
}

bool ReferenceLinks::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_view) {
        // Ctrl pressed or let go with the mouse resting over the text.
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Control)
                UpdateLink(m_mouse, event->type() == QEvent::KeyPress);
        } else if (event->type() == QEvent::FocusOut) {
            ShowLink({});
        }
        return false;
    }
    switch (event->type()) {
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        m_mouse = mouse->position().toPoint();
        UpdateLink(m_mouse, mouse->modifiers() & Qt::ControlModifier);
        return false;
    }
    case QEvent::Leave:
        m_mouse = {-1, -1};
        ShowLink({});
        return false;
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton || mouse->modifiers() != Qt::ControlModifier)
            return false;
        m_swallowRelease = FollowLink(mouse->position().toPoint());
        return m_swallowRelease;
    }
    case QEvent::MouseButtonRelease:
        if (!m_swallowRelease)
            return false;
        m_swallowRelease = false;
        return true;
    case QEvent::ToolTip: {
        const auto* help = static_cast<QHelpEvent*>(event);
        return ShowHover(help->pos(), help->globalPos());
    }
    default:
        return false;
    }
}

} // namespace tessel
