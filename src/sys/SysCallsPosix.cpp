#include "sys/SysCalls.h"

#include "sys/CallTable.h"

#include <cerrno>
#include <csignal>
#include <cstdio> // rename
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
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
    .flock = [](int fd, int operation) { return ::flock(fd, operation); },
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
    .startThread = detail::StartStdThread,
    .opendir = [](const char* path) { return ::opendir(path); },
    .readdir = [](DIR* dir) { return ::readdir(dir); },
    .closedir = [](DIR* dir) { return ::closedir(dir); },
    .poll = [](pollfd* fds, nfds_t count, int timeoutMs) { return ::poll(fds, count, timeoutMs); },
    .ioctl = [](int fd, unsigned long request,
                void* argument) { return ::ioctl(fd, request, argument); },
    .tcgetattr = [](int fd, termios* tio) { return ::tcgetattr(fd, tio); },
    .tcsetattr = [](int fd, int when, const termios* tio) { return ::tcsetattr(fd, when, tio); },
    .tcflush = [](int fd, int queue) { return ::tcflush(fd, queue); },
    .tcdrain = [](int fd) { return ::tcdrain(fd); },
    .interrupt = InterruptThread,
    .getsockopt = [](int fd, int level, int name, void* value,
                     socklen_t* size) { return ::getsockopt(fd, level, name, value, size); },
};

} // namespace

const Calls& RealCalls() {
    return kReal;
}

using detail::Retry;
using detail::Table;

DIR* OpenDir(const char* path) {
    return Retry([&] { return Table().opendir(path); });
}

dirent* ReadDir(DIR* dir) {
    return Table().readdir(dir);
}

int CloseDir(DIR* dir) {
    return Table().closedir(dir);
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

int Interrupt(pthread_t thread) {
    const int error = Table().interrupt(thread);
    if (error == 0)
        return 0;
    errno = error;
    return -1;
}

int GetSockOpt(int fd, int level, int name, void* value, socklen_t& size) {
    return Retry([&] { return Table().getsockopt(fd, level, name, value, &size); });
}

} // namespace tessel::sys
