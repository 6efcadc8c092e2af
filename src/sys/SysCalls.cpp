#include "sys/SysCalls.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <type_traits>
#include <unistd.h>

namespace tessel::sys {
namespace {

// It is there only to make a blocked call return.
void IgnoreInterrupt(int /*signal*/) {}

int InterruptThread(pthread_t thread) {
    // SIGURG is ignored unless handled, so one that comes from elsewhere
    // before the handler is in place does no harm.
    static const int installed = [] {
        struct sigaction action {};
        action.sa_handler = IgnoreInterrupt;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0; // no SA_RESTART: the blocked call fails with EINTR
        return ::sigaction(SIGURG, &action, nullptr) == 0 ? 0 : errno;
    }();
    return installed != 0 ? installed : ::pthread_kill(thread, SIGURG);
}

const Calls kReal = {
    .open = [](const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); },
    .close = [](int fd) { return ::close(fd); },
    .read = [](int fd, void* buffer, std::size_t count) { return ::read(fd, buffer, count); },
    .write = [](int fd, const void* buffer,
                std::size_t count) { return ::write(fd, buffer, count); },
    .poll = [](pollfd* fds, nfds_t count, int timeoutMs) { return ::poll(fds, count, timeoutMs); },
    .ioctl = [](int fd, unsigned long request,
                void* argument) { return ::ioctl(fd, request, argument); },
    .tcgetattr = [](int fd, termios* tio) { return ::tcgetattr(fd, tio); },
    .tcsetattr = [](int fd, int when, const termios* tio) { return ::tcsetattr(fd, when, tio); },
    .tcflush = [](int fd, int queue) { return ::tcflush(fd, queue); },
    .tcdrain = [](int fd) { return ::tcdrain(fd); },
    .flock = [](int fd, int operation) { return ::flock(fd, operation); },
    .interrupt = InterruptThread,
    .fstat = [](int fd, struct stat* st) { return ::fstat(fd, st); },
    .stat = [](const char* path, struct stat* st) { return ::stat(path, st); },
    .lstat = [](const char* path, struct stat* st) { return ::lstat(path, st); },
    .access = [](const char* path, int mode) { return ::access(path, mode); },
    .readlink = [](const char* path, char* buffer,
                   std::size_t size) { return ::readlink(path, buffer, size); },
    .realpath = [](const char* path, char* resolved) { return ::realpath(path, resolved); },
    .mkdir = [](const char* path, mode_t mode) { return ::mkdir(path, mode); },
    .fchmod = [](int fd, mode_t mode) { return ::fchmod(fd, mode); },
    .fchown = [](int fd, uid_t owner, gid_t group) { return ::fchown(fd, owner, group); },
    .fsync = [](int fd) { return ::fsync(fd); },
    .rename = [](const char* from, const char* to) { return ::rename(from, to); },
    .unlink = [](const char* path) { return ::unlink(path); },
    .opendir = [](const char* path) { return ::opendir(path); },
    .readdir = [](DIR* dir) { return ::readdir(dir); },
    .closedir = [](DIR* dir) { return ::closedir(dir); },
};

std::atomic<const Calls*> g_calls{&kReal};

const Calls& Table() {
    return *g_calls.load(std::memory_order_acquire);
}

template <typename Result>
bool Failed(Result result) {
    if constexpr (std::is_pointer_v<Result>)
        return result == nullptr;
    else
        return result == -1;
}

// Calls `call` again for as long as it fails with EINTR.
template <typename Call>
auto Retry(Call call) {
    for (;;) {
        const auto result = call();
        if (!Failed(result) || errno != EINTR)
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

int Open(const char* path, int flags, mode_t mode) {
    return Retry([&] { return Table().open(path, flags, mode); });
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
    return Table().tcdrain(fd);
}

int Flock(int fd, int operation) {
    return Retry([&] { return Table().flock(fd, operation); });
}

int Interrupt(pthread_t thread) {
    const int error = Table().interrupt(thread);
    if (error == 0)
        return 0;
    errno = error;
    return -1;
}

int Fstat(int fd, struct stat& st) {
    return Retry([&] { return Table().fstat(fd, &st); });
}

int Stat(const char* path, struct stat& st) {
    return Retry([&] { return Table().stat(path, &st); });
}

int Lstat(const char* path, struct stat& st) {
    return Retry([&] { return Table().lstat(path, &st); });
}

int Access(const char* path, int mode) {
    return Retry([&] { return Table().access(path, mode); });
}

ssize_t ReadLink(const char* path, char* buffer, std::size_t size) {
    return Retry([&] { return Table().readlink(path, buffer, size); });
}

char* RealPath(const char* path, char* resolved) {
    return Retry([&] { return Table().realpath(path, resolved); });
}

int Mkdir(const char* path, mode_t mode) {
    return Retry([&] { return Table().mkdir(path, mode); });
}

int Fchmod(int fd, mode_t mode) {
    return Retry([&] { return Table().fchmod(fd, mode); });
}

int Fchown(int fd, uid_t owner, gid_t group) {
    return Retry([&] { return Table().fchown(fd, owner, group); });
}

int Fsync(int fd) {
    return Retry([&] { return Table().fsync(fd); });
}

int Rename(const char* from, const char* to) {
    return Retry([&] { return Table().rename(from, to); });
}

int Unlink(const char* path) {
    return Retry([&] { return Table().unlink(path); });
}

DIR* OpenDir(const char* path) {
    return Retry([&] { return Table().opendir(path); });
}

dirent* ReadDir(DIR* dir) {
    return Table().readdir(dir);
}

int CloseDir(DIR* dir) {
    return Table().closedir(dir);
}

} // namespace tessel::sys
