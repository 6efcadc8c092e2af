#pragma once

// What the programs ask of the system beyond files and the serial port: the
// arguments, the executable's place, the user's state folder, the console
// and Ctrl-C. PlatformPosix.cpp and PlatformWin32.cpp answer for each system.

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace tessel::sys {

// Whether this is the Windows build, for the few texts that differ (its COM
// ports, its folders, Ctrl-Break for SIGTERM).
#if defined(_WIN32)
inline constexpr bool kWindows = true;
#else
inline constexpr bool kWindows = false;
#endif

// The arguments after the program's name, in UTF-8. On Windows they come
// from the wide command line, so any character survives whatever the code
// page; elsewhere they are argv as it is.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// The running executable's path, '/' between folders on every system; empty
// when the system does not say.
std::string ExecutablePath();

// The folder `path` names a file in: "." when it names none, the root with
// its separator. On Windows '\\' separates folders too, and "C:" is a drive.
std::string FolderOf(const std::string& path);

// The folder of the user's own settings, without the final '/':
// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config. Empty on
// Windows, where the settings are beside the executable only, and when the
// environment names no such folder.
std::string UserConfigFolder();

// `path` as the system writes paths for a person to read: on Windows '\\'
// between folders ("C:\\Users\\me\\tessel.INI"); elsewhere as it is.
std::string NativeSeparators(std::string path);

// The folder where the programs keep what has no other place (received
// texts, copies of unsaved work), without the final '/': on Linux
// $XDG_STATE_HOME/tessel or ~/.local/state/tessel, on Windows
// %LOCALAPPDATA%/tessel. Empty when the environment names no such folder.
std::string UserStateFolder();

#if !defined(_WIN32)
// What the desktop program, which is Linux only, asks of the system to hand
// a later start's files to the one that runs, and to no one else.

// The user the program runs as.
unsigned UserId();
// Whether `path` is a folder that only this user can reach: a folder, not a
// link to one, owned by the user and closed to everyone else (no access for
// group or others).
bool IsPrivateFolder(const std::string& path);
// A private folder for what no other user may reach, without the final
// '/': $XDG_RUNTIME_DIR when it is an absolute path to such a folder, else
// the folder "run" of UserStateFolder(), made when missing. Empty when
// neither is private (a run folder that someone opened up is not used).
std::string PrivateRuntimeFolder();
// Whether the program at the other end of the connected local socket `fd`
// runs as this user (its credentials, as the system took them when it
// connected or began listening).
bool PeerIsThisUser(int fd);
#endif

// The locale variable `name` (LANGUAGE, LC_ALL, LC_MESSAGES, LANG) as the
// language choice reads it: the environment's value, or null when it is not
// set. Windows sets none of them: there an unset LANG stands for the
// language of the user's Windows interface, as a locale name ("ja_JP",
// "en_US"), so that the programs speak it as other Windows programs do.
const char* LocaleVariable(const char* name);

// The local time of `time`, safe from any thread; false when the system
// cannot say.
bool LocalTime(std::time_t time, std::tm& local);

// Whether a person watches the output `fd` (1 or 2): a terminal, or on
// Windows a console.
bool IsTerminal(int fd);
// Whether `fd` is a Windows console, which shows text written as UTF-16
// (WriteConsoleText) whatever its code page; bytes written to it would be
// read in the console's code page. Never on Linux: its terminals take bytes.
bool IsWideConsole(int fd);
// Writes `text` to the console `fd`; false, with errno set, on failure.
bool WriteConsoleText(int fd, std::u16string_view text);

// While installed, Ctrl-C (Linux: SIGINT and SIGTERM; Windows: Ctrl-C and
// Ctrl-Break, both reported as SIGINT) no longer ends the process:
// `handler` gets the signal's number instead. It runs in a signal handler or
// the console's own thread, so it may only touch lock-free atomics and raise
// cancel signals. Null puts back what was there before.
using InterruptHandler = void (*)(int signal);
void CatchInterrupts(InterruptHandler handler);
// Runs `start`, which starts a thread, so that the new thread takes none of
// those signals and they all come to the calling thread (on Linux a signal
// would otherwise interrupt the new thread's system calls).
bool StartWithoutInterrupts(bool (*start)(void* context), void* context);

// Makes the C runtime pass the bytes of `fd` (0, 1 or 2) as they are: on
// Windows a standard stream starts in text mode, which would change line
// ends and stop reading at a ^Z. Nothing to do elsewhere.
void SetBinaryMode(int fd);

} // namespace tessel::sys
