#pragma once

#include <QTextCursor>

#include <cstddef>
#include <optional>
#include <vector>

namespace tessel {

// The places an editor view jumped from, for going back and forward through
// them as a browser goes through its pages: a jump drops whatever lay ahead.
// The places are cursors in the view's text, so they keep to their
// characters while the text changes around them.
class JumpHistory {
public:
    // The oldest places go first beyond this many.
    static constexpr std::size_t kLimit = 100;

    // A jump from `from` (the caret before it) to `to`; none when it stays
    // where it was.
    void Jumped(const QTextCursor& from, const QTextCursor& to);
    // The place to go back to from `here`, which becomes the way forward;
    // none when no jump is behind.
    std::optional<QTextCursor> Back(const QTextCursor& here);
    // The place to go forward to from `here`, which becomes a way back; none
    // when nothing is ahead.
    std::optional<QTextCursor> Forward(const QTextCursor& here);
    bool CanGoBack() const { return !m_back.empty(); }
    bool CanGoForward() const { return !m_forward.empty(); }

private:
    // Takes the last of `from` that is not `here` (edits may have moved
    // places onto it) and puts `here` on `to`.
    static std::optional<QTextCursor> Move(std::vector<QTextCursor>& from,
                                           std::vector<QTextCursor>& to, const QTextCursor& here);
    static void Push(std::vector<QTextCursor>& places, const QTextCursor& place);

    std::vector<QTextCursor> m_back;
    std::vector<QTextCursor> m_forward;
};

} // namespace tessel
