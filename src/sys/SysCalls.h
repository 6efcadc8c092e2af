#pragma once

// The system calls of the core, in one place: the serial port's and those on
// files (reading documents and settings, replacing a file safely, the
// command-line tool's output). Every call goes through a table of function
// pointers, so a test can replace any of them to make it fail, and through a
// wrapper that retries it while it fails with EINTR.
//
// The file calls are the same on every system: on Windows (SysCallsWin32.cpp)
// they take UTF-8 paths, call the wide-character functions and report
// failures as errno values; "/dev/stdin" opens standard input there too.
// The terminal calls of the serial port are Linux
// only; the Win32 port (comm/ComPortWin32.cpp) has its own.

#include <cstddef>
#include <sys/stat.h>  // struct stat, mode_t
#include <sys/types.h> // ssize_t
#include <thread>
#if defined(_WIN32)
#include "sys/PosixNames.h"
#else
#include <dirent.h>     // DIR, dirent
#include <poll.h>       // pollfd, nfds_t
#include <pthread.h>    // pthread_t
#include <sys/socket.h> // socklen_t
#include <termios.h>
#endif

namespace tessel::sys {

struct Calls {
    int (*open)(const char* path, int flags, mode_t mode);
    int (*close)(int fd);
    ssize_t (*read)(int fd, void* buffer, std::size_t count);
    ssize_t (*write)(int fd, const void* buffer, std::size_t count);
    int (*flock)(int fd, int operation);
    // Files.
    int (*fstat)(int fd, struct stat* st);
    int (*stat)(const char* path, struct stat* st);
    int (*lstat)(const char* path, struct stat* st);
    int (*access)(const char* path, int mode);
    ssize_t (*readlink)(const char* path, char* buffer, std::size_t size);
    // `resolved` holds PATH_MAX bytes.
    char* (*realpath)(const char* path, char* resolved);
    int (*mkdir)(const char* path, mode_t mode);
    int (*fchmod)(int fd, mode_t mode);
    int (*fchown)(int fd, uid_t owner, gid_t group);
    int (*fsync)(int fd);
    int (*rename)(const char* from, const char* to);
    int (*unlink)(const char* path);
    // Runs `body(context)` on a new thread, which `thread` (not joinable
    // before) then holds: 0, or the error number of the reason the system
    // made none (EAGAIN, ENOMEM).
    int (*startThread)(std::thread& thread, void (*body)(void* context), void* context);
#if !defined(_WIN32)
    // Folders (Windows lists them in FileIoWin32.cpp).
    DIR* (*opendir)(const char* path);
    dirent* (*readdir)(DIR* dir);
    int (*closedir)(DIR* dir);
    // The terminal.
    int (*poll)(pollfd* fds, nfds_t count, int timeoutMs);
    // ioctl with its one argument as a pointer (null when it takes none).
    int (*ioctl)(int fd, unsigned long request, void* argument);
    int (*tcgetattr)(int fd, termios* tio);
    int (*tcsetattr)(int fd, int when, const termios* tio);
    int (*tcflush)(int fd, int queue);
    int (*tcdrain)(int fd);
    // Makes the system call that `thread` is blocked in (or the next one it
    // makes, if the signal comes first) fail with EINTR: SIGURG, whose
    // handler does nothing and which restarts no call, installed on first
    // use. 0, or an error number.
    int (*interrupt)(pthread_t thread);
    // Local sockets: the credentials of the other end (SO_PEERCRED).
    int (*getsockopt)(int fd, int level, int name, void* value, socklen_t* size);
#endif
};

// The system's own calls.
const Calls& RealCalls();

// Puts `calls` in place of the table in use (null: the real calls) and
// returns the one it replaces. For tests; only while no port is in use and no
// file is being read or written.
const Calls* InstallCalls(const Calls* calls);

// The calls through the table in use. Each returns what the system call
// returns, with errno set on failure; EINTR never reaches the caller, but
// for the two calls that say otherwise.
int Open(const char* path, int flags, mode_t mode = 0);
// Not retried: on Linux the descriptor is gone even when close() reports
// EINTR, and a second close could hit a descriptor another thread just got.
int Close(int fd);
ssize_t Read(int fd, void* buffer, std::size_t count);
// May write fewer bytes than asked for; the caller writes the rest.
ssize_t Write(int fd, const void* buffer, std::size_t count);
int Flock(int fd, int operation);

int Fstat(int fd, struct stat& st);
int Stat(const char* path, struct stat& st);
int Lstat(const char* path, struct stat& st);
int Access(const char* path, int mode);
ssize_t ReadLink(const char* path, char* buffer, std::size_t size);
// `resolved` holds PATH_MAX bytes; null on failure.
char* RealPath(const char* path, char* resolved);
int Mkdir(const char* path, mode_t mode);
int Fchmod(int fd, mode_t mode);
int Fchown(int fd, uid_t owner, gid_t group);
int Fsync(int fd);
int Rename(const char* from, const char* to);
int Unlink(const char* path);
// 0, or -1 with errno set.
int StartThread(std::thread& thread, void (*body)(void* context), void* context);

#if !defined(_WIN32)
// Null on failure (errno set); ReadDir gives null at the end too, with errno
// left as it was.
DIR* OpenDir(const char* path);
dirent* ReadDir(DIR* dir);
int CloseDir(DIR* dir);

// An interrupted poll starts again with the whole time-out; callers that
// keep a deadline work out the remaining time themselves.
int Poll(pollfd* fds, nfds_t count, int timeoutMs);
int Ioctl(int fd, unsigned long request, void* argument = nullptr);
int TcGetAttr(int fd, termios& tio);
int TcSetAttr(int fd, int when, const termios& tio);
int TcFlush(int fd, int queue);
// Not retried either: a drain can wait for ever (flow control holding the
// output), and Interrupt() is the one way to end it; the caller decides
// whether to wait again.
int TcDrain(int fd);
// 0, or -1 with errno set.
int Interrupt(pthread_t thread);
int GetSockOpt(int fd, int level, int name, void* value, socklen_t& size);
#endif

} // namespace tessel::sys
