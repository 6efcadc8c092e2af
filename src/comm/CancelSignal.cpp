#include "comm/CancelSignal.h"

#include <cerrno>
#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace tessel {

CancelSignal::CancelSignal() : m_fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

CancelSignal::~CancelSignal() {
    if (m_fd >= 0)
        ::close(m_fd);
}

void CancelSignal::Raise() noexcept {
    // The flag first, so that whoever the descriptor wakes sees it set.
    m_raised.store(true, std::memory_order_release);
    if (m_fd < 0)
        return;
    const int savedErrno = errno; // a signal handler must leave errno alone
    const std::uint64_t one = 1;
    // Only EINTR is worth a retry: EAGAIN means the counter is already far
    // beyond zero, which is all a waiter looks at.
    while (::write(m_fd, &one, sizeof one) < 0 && errno == EINTR) {
    }
    errno = savedErrno;
}

} // namespace tessel
