#include "sys/SysCalls.h"

#include "sys/CallTable.h"

#include <atomic>
#include <cerrno>
#include <new>
#include <system_error>

namespace tessel::sys {
namespace {

std::atomic<const Calls*> g_calls{nullptr}; // null: the real calls

} // namespace

namespace detail {

const Calls& Table() {
    const Calls* calls = g_calls.load(std::memory_order_acquire);
    return calls != nullptr ? *calls : RealCalls();
}

int StartStdThread(std::thread& thread, void (*body)(void* context), void* context) {
    try {
        thread = std::thread(body, context);
        return 0;
    } catch (const std::system_error& error) {
        // The system's own number (EAGAIN: no thread to be had).
        return error.code().value() != 0 ? error.code().value() : EAGAIN;
    } catch (const std::bad_alloc&) {
        return ENOMEM;
    }
}

} // namespace detail

using detail::Retry;
using detail::Table;

const Calls* InstallCalls(const Calls* calls) {
    if (calls == &RealCalls())
        calls = nullptr;
    return g_calls.exchange(calls, std::memory_order_acq_rel);
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

int Flock(int fd, int operation) {
    return Retry([&] { return Table().flock(fd, operation); });
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

int StartThread(std::thread& thread, void (*body)(void* context), void* context) {
    const int error = Table().startThread(thread, body, context);
    if (error == 0)
        return 0;
    errno = error;
    return -1;
}

} // namespace tessel::sys
