#include "sys/Platform.h"

#include "sys/FileIo.h"
#include "sys/SysCalls.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <iterator>
#include <pthread.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessel::sys {
namespace {

constexpr int kInterrupts[] = {SIGINT, SIGTERM};
struct sigaction g_previous[std::size(kInterrupts)];
bool g_caught = false;

} // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::string ExecutablePath() {
#if defined(__linux__)
    std::string path(256, '\0');
    for (;;) {
        const ssize_t n = ReadLink("/proc/self/exe", path.data(), path.size());
        if (n < 0)
            return {};
        if (static_cast<std::size_t>(n) < path.size()) {
            path.resize(static_cast<std::size_t>(n));
            return path;
        }
        if (path.size() >= 65536)
            return {};
        path.resize(path.size() * 2);
    }
#else
    return {};
#endif
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string UserConfigFolder() {
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/')
        return config;
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/')
        return std::string(home) + "/.config";
    return {};
}

std::string NativeSeparators(std::string path) {
    return path;
}

std::string UserStateFolder() {
    if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && state[0] == '/')
        return std::string(state) + "/tessel";
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0')
        return std::string(home) + "/.local/state/tessel";
    return {};
}

unsigned UserId() {
    return ::getuid();
}

bool IsPrivateFolder(const std::string& path) {
    struct stat st {};
    return Lstat(path.c_str(), st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

std::string PrivateRuntimeFolder() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        runtime != nullptr && runtime[0] == '/' && IsPrivateFolder(runtime))
        return runtime;
    const std::string state = UserStateFolder();
    if (state.empty())
        return {};
    const std::string run = state + "/run";
    if (MakeFolders(run, 0700) || !IsPrivateFolder(run))
        return {};
    return run;
}

bool PeerIsThisUser(int fd) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return GetSockOpt(fd, SOL_SOCKET, SO_PEERCRED, &peer, size) == 0 && size == sizeof peer &&
           peer.uid == ::getuid();
}

const char* LocaleVariable(const char* name) {
    return std::getenv(name);
}

bool LocalTime(std::time_t time, std::tm& local) {
    return ::localtime_r(&time, &local) != nullptr;
}

bool IsTerminal(int fd) {
    return ::isatty(fd) == 1;
}

bool IsWideConsole(int /*fd*/) {
    return false;
}

bool WriteConsoleText(int /*fd*/, std::u16string_view /*text*/) {
    errno = ENOTSUP;
    return false;
}

void CatchInterrupts(InterruptHandler handler) {
    if (handler == nullptr) {
        if (g_caught)
            for (std::size_t i = 0; i < std::size(kInterrupts); ++i)
                sigaction(kInterrupts[i], &g_previous[i], nullptr);
        g_caught = false;
        return;
    }
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(kInterrupts); ++i)
        sigaction(kInterrupts[i], &action, g_caught ? nullptr : &g_previous[i]);
    g_caught = true;
}

bool StartWithoutInterrupts(bool (*start)(void* context), void* context) {
    sigset_t blocked;
    sigset_t previous;
    sigemptyset(&blocked);
    for (const int signal : kInterrupts)
        sigaddset(&blocked, signal);
    pthread_sigmask(SIG_BLOCK, &blocked, &previous);
    const bool started = start(context);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return started;
}

void SetBinaryMode(int /*fd*/) {}

} // namespace tessel::sys
