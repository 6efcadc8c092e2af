#include "view/JumpHistory.h"

namespace tessel {

void JumpHistory::Push(std::vector<QTextCursor>& places, const QTextCursor& place) {
    QTextCursor kept(place);
    kept.clearSelection();
    if (!places.empty() && places.back().position() == kept.position())
        return;
    if (places.size() == kLimit)
        places.erase(places.begin());
    places.push_back(kept);
}

void JumpHistory::Jumped(const QTextCursor& from, const QTextCursor& to) {
    if (from.position() == to.position())
        return;
    Push(m_back, from);
    m_forward.clear();
}

std::optional<QTextCursor> JumpHistory::Move(std::vector<QTextCursor>& from,
                                             std::vector<QTextCursor>& to,
                                             const QTextCursor& here) {
    while (!from.empty()) {
        const QTextCursor place = from.back();
        from.pop_back();
        if (place.position() == here.position())
            continue;
        Push(to, here);
        return place;
    }
    return std::nullopt;
}

std::optional<QTextCursor> JumpHistory::Back(const QTextCursor& here) {
    return Move(m_back, m_forward, here);
}

std::optional<QTextCursor> JumpHistory::Forward(const QTextCursor& here) {
    return Move(m_forward, m_back, here);
}

} // namespace tessel
