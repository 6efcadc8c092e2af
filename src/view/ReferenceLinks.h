#pragma once

#include <QObject>
#include <QPoint>

#include <cstddef>
#include <optional>
#include <utility>

namespace tessel {

class NumberedEditorView;

// The references of a program view as links: while Ctrl is held over a line
// reference or a label's reference it is underlined as a link, and
// Ctrl+click follows it as F12 does; resting the mouse on one shows the
// line it names (or that the line is not there) in a tooltip. Made by the
// view, as its child.
class ReferenceLinks : public QObject {
    Q_OBJECT

public:
    explicit ReferenceLinks(NumberedEditorView& view);

    // The reference under `point` of the view's viewport, as the positions
    // of the editor's characters from and to; none elsewhere.
    std::optional<std::pair<int, int>> ReferenceAt(QPoint point) const;
    // Whether a reference shows as a link now.
    bool LinkShown() const { return m_link.has_value(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The editor's position of the character under `point`; none past a
    // line's end or below the last line.
    std::optional<int> CharacterAt(QPoint point) const;
    std::size_t ByteOffsetOf(int position) const;
    // The link under `point` while `control` is held; none else.
    void UpdateLink(QPoint point, bool control);
    void ShowLink(std::optional<std::pair<int, int>> link);
    bool FollowLink(QPoint point);
    bool ShowHover(QPoint point, QPoint global);

    NumberedEditorView& m_view;
    std::optional<std::pair<int, int>> m_link;
    QPoint m_mouse{-1, -1}; // the last place of the mouse over the viewport
    bool m_swallowRelease = false;
};

} // namespace tessel
