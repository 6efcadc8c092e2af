#pragma once

// Windows only (through sys/SysCalls.h): the POSIX names the core uses that
// the MinGW-w64 runtime lacks, with the meaning the Win32 system calls of
// SysCallsWin32.cpp give them.

#include <climits> // PATH_MAX
#include <fcntl.h>
#include <io.h>
#include <unistd.h> // access modes

using uid_t = unsigned;
using gid_t = unsigned;

// Handles are not inherited unless asked for: every descriptor is close-on-exec.
#ifndef O_CLOEXEC
#define O_CLOEXEC 0
#endif
#ifndef O_NOCTTY
#define O_NOCTTY 0
#endif
#ifndef O_NONBLOCK
#define O_NONBLOCK 0
#endif

// Symbolic links are followed by every call; none reports one.
#ifndef S_ISLNK
#define S_ISLNK(mode) 0
#endif

// flock(): LockFileEx over the whole file.
#ifndef LOCK_SH
#define LOCK_SH 1
#define LOCK_EX 2
#define LOCK_NB 4
#define LOCK_UN 8
#endif
