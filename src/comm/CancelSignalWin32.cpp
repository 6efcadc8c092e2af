#include "comm/CancelSignal.h"

#include <windows.h>

namespace tessel {

CancelSignal::CancelSignal() : m_event(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

CancelSignal::~CancelSignal() {
    if (m_event != nullptr)
        ::CloseHandle(m_event);
}

void CancelSignal::Raise() noexcept {
    // The flag first, so that whoever the event wakes sees it set.
    m_raised.store(true, std::memory_order_release);
    if (m_event != nullptr)
        ::SetEvent(m_event);
}

} // namespace tessel
