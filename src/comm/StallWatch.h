#pragma once

// Whether a transfer's line has stood still: reported once when it has not
// moved for a while, and once again when it moves. The same for every
// system's port; the port tells it when bytes move and asks it how long its
// next wait may be.

#include <algorithm>
#include <chrono>
#include <climits>
#include <functional>
#include <utility>

namespace tessel {

class StallWatch {
public:
    using Clock = std::chrono::steady_clock;

    // Report through `report` (true: stalled, false: moving again) once the
    // line has not moved for `after`.
    void Set(std::chrono::milliseconds after, std::function<void(bool stalled)> report) {
        m_after = after;
        m_report = std::move(report);
    }
    // Forgets a transfer's watch, keeping what Set gave.
    void Reset() {
        m_watching = false;
        m_stalled = false;
        m_movedAt = {};
    }
    // The transfer has begun: the time counts from now.
    void Start() {
        if (m_watching || !m_report)
            return;
        m_watching = true;
        m_movedAt = Clock::now();
    }
    // Bytes moved.
    void Moved() {
        if (!m_watching)
            return;
        m_movedAt = std::max(m_movedAt, Clock::now());
        if (m_stalled) {
            m_stalled = false;
            m_report(false);
        }
    }
    // A pause of the program's own, which is no stall.
    void PauseFor(std::chrono::milliseconds pause) {
        m_movedAt = std::max(m_movedAt, Clock::now() + pause);
    }
    // Reports the stall when its time has come; else the milliseconds until
    // it comes, or -1 when none is to come.
    int UntilStall() {
        if (!m_watching || m_stalled)
            return -1;
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(m_movedAt + m_after - Clock::now());
        if (left.count() > 0)
            return static_cast<int>(std::min<long long>(left.count(), INT_MAX));
        m_stalled = true;
        m_report(true);
        return -1;
    }

private:
    std::function<void(bool)> m_report;
    std::chrono::milliseconds m_after{0};
    bool m_watching = false;
    bool m_stalled = false;
    Clock::time_point m_movedAt{};
};

} // namespace tessel
