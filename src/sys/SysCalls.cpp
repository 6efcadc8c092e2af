#include "sys/SysCalls.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace tessel::sys {
namespace {

const Calls kReal = {
    [](const char* path, int flags) { return ::open(path, flags); },
    [](int fd) { return ::close(fd); },
    [](int fd, void* buffer, std::size_t count) { return ::read(fd, buffer, count); },
    [](int fd, const void* buffer, std::size_t count) { return ::write(fd, buffer, count); },
    [](pollfd* fds, nfds_t count, int timeoutMs) { return ::poll(fds, count, timeoutMs); },
    [](int fd, unsigned long request, void* argument) { return ::ioctl(fd, request, argument); },
    [](int fd, termios* tio) { return ::tcgetattr(fd, tio); },
    [](int fd, int when, const termios* tio) { return ::tcsetattr(fd, when, tio); },
    [](int fd, int queue) { return ::tcflush(fd, queue); },
    [](int fd) { return ::tcdrain(fd); },
    [](int fd, int operation) { return ::flock(fd, operation); },
};

std::atomic<const Calls*> g_calls{&kReal};

const Calls& Table() {
    return *g_calls.load(std::memory_order_acquire);
}

// Calls `call` again for as long as it fails with EINTR.
template <typename Call>
auto Retry(Call call) {
    for (;;) {
        const auto result = call();
        if (result != -1 || errno != EINTR)
            return result;
    }
}

} // namespace

const Calls& RealCalls() {
    return kReal;
}

const Calls* InstallCalls(const Calls* calls) {
    const Calls* previous = g_calls.exchange(calls ? calls : &kReal, std::memory_order_acq_rel);
    return previous == &kReal ? nullptr : previous;
}

int Open(const char* path, int flags) {
    return Retry([&] { return Table().open(path, flags); });
}

int Close(int fd) {
    return Table().close(fd);
}

ssize_t Read(int fd, void* buffer, std::size_t count) {
    return Retry([&] { return Table().read(fd, buffer, count); });
}

ssize_t Write(int fd, const void* buffer, std::size_t count) {
    return Retry([&] { return Table().write(fd, buffer, count); });
}

int Poll(pollfd* fds, nfds_t count, int timeoutMs) {
    return Retry([&] { return Table().poll(fds, count, timeoutMs); });
}

int Ioctl(int fd, unsigned long request, void* argument) {
    return Retry([&] { return Table().ioctl(fd, request, argument); });
}

int TcGetAttr(int fd, termios& tio) {
    return Retry([&] { return Table().tcgetattr(fd, &tio); });
}

int TcSetAttr(int fd, int when, const termios& tio) {
    return Retry([&] { return Table().tcsetattr(fd, when, &tio); });
}

int TcFlush(int fd, int queue) {
    return Retry([&] { return Table().tcflush(fd, queue); });
}

int TcDrain(int fd) {
    return Retry([&] { return Table().tcdrain(fd); });
}

int Flock(int fd, int operation) {
    return Retry([&] { return Table().flock(fd, operation); });
}

} // namespace tessel::sys
