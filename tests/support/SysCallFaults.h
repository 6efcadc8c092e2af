#pragma once

// Faults put into the system calls through the table of sys/SysCalls.h: a
// scoped replacement of the table, and a file-call table that makes one named
// call misbehave on request while the others go to the system.

#include "sys/SysCalls.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tessel::test {

// A test's system-call table, in place while the object lives.
class ScopedCalls {
public:
    explicit ScopedCalls(const sys::Calls& calls) : m_previous(sys::InstallCalls(&calls)) {}
    ~ScopedCalls() { sys::InstallCalls(m_previous); }
    ScopedCalls(const ScopedCalls&) = delete;
    ScopedCalls& operator=(const ScopedCalls&) = delete;

private:
    const sys::Calls* m_previous;
};

// The calls named `call` ("open", "write", "fsync", ...) first fail
// `interrupts` times with EINTR, then `passes` of them go through, then each
// fails with `error` (or goes through while that is 0). A close is made before
// it fails, as Linux does. Reads and writes take at most `chunk` bytes a call.
struct FileFaults {
    std::string_view call;
    int interrupts = 0;
    int passes = 0;
    int error = 0;
    std::size_t chunk = SIZE_MAX;
    int calls = 0; // how often `call` was made, including the failed tries
};

inline FileFaults g_fileFaults;

// Whether this call of `call` is to fail; errno is set if so.
inline bool FailsNow(std::string_view call) {
    FileFaults& faults = g_fileFaults;
    if (call != faults.call)
        return false;
    ++faults.calls;
    if (faults.interrupts > 0) {
        --faults.interrupts;
        errno = EINTR;
        return true;
    }
    if (faults.passes > 0) {
        --faults.passes;
        return false;
    }
    errno = faults.error;
    return faults.error != 0;
}

inline sys::Calls FaultyFileCalls() {
    using sys::RealCalls;
    sys::Calls calls = RealCalls();
    calls.open = [](const char* path, int flags, mode_t mode) {
        return FailsNow("open") ? -1 : RealCalls().open(path, flags, mode);
    };
    calls.close = [](int fd) {
        const int result = RealCalls().close(fd);
        return FailsNow("close") ? -1 : result;
    };
    calls.read = [](int fd, void* buffer, std::size_t count) -> ssize_t {
        if (FailsNow("read"))
            return -1;
        return RealCalls().read(fd, buffer, std::min(count, g_fileFaults.chunk));
    };
    calls.write = [](int fd, const void* buffer, std::size_t count) -> ssize_t {
        if (FailsNow("write"))
            return -1;
        return RealCalls().write(fd, buffer, std::min(count, g_fileFaults.chunk));
    };
    calls.fstat = [](int fd, struct stat* st) {
        return FailsNow("fstat") ? -1 : RealCalls().fstat(fd, st);
    };
    calls.stat = [](const char* path, struct stat* st) {
        return FailsNow("stat") ? -1 : RealCalls().stat(path, st);
    };
    calls.lstat = [](const char* path, struct stat* st) {
        return FailsNow("lstat") ? -1 : RealCalls().lstat(path, st);
    };
    calls.access = [](const char* path, int mode) {
        return FailsNow("access") ? -1 : RealCalls().access(path, mode);
    };
    calls.realpath = [](const char* path, char* resolved) {
        return FailsNow("realpath") ? nullptr : RealCalls().realpath(path, resolved);
    };
    calls.fchown = [](int fd, uid_t owner, gid_t group) {
        return FailsNow("fchown") ? -1 : RealCalls().fchown(fd, owner, group);
    };
    calls.fchmod = [](int fd, mode_t mode) {
        return FailsNow("fchmod") ? -1 : RealCalls().fchmod(fd, mode);
    };
    calls.fsync = [](int fd) { return FailsNow("fsync") ? -1 : RealCalls().fsync(fd); };
    calls.rename = [](const char* from, const char* to) {
        return FailsNow("rename") ? -1 : RealCalls().rename(from, to);
    };
    return calls;
}

// The faulty file calls in place, with `faults` set, while the object lives.
class ScopedFileFaults {
public:
    explicit ScopedFileFaults(const FileFaults& faults) { g_fileFaults = faults; }
    ~ScopedFileFaults() { g_fileFaults = {}; }
    ScopedFileFaults(const ScopedFileFaults&) = delete;
    ScopedFileFaults& operator=(const ScopedFileFaults&) = delete;

    int Calls() const { return g_fileFaults.calls; }

private:
    const sys::Calls m_calls = FaultyFileCalls();
    ScopedCalls m_scoped{m_calls};
};

} // namespace tessel::test
