#include "sys/Platform.h"

#include "sys/Win32.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h> // _O_BINARY
#include <io.h>
#include <shellapi.h> // CommandLineToArgvW

namespace tessel::sys {
namespace {

using win32::Narrow;

std::atomic<InterruptHandler> g_handler{nullptr};

BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE; // closing the console or logging off: the usual end
    if (const InterruptHandler handler = g_handler.load())
        handler(SIGINT);
    return TRUE;
}

HANDLE HandleOf(int fd) {
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

std::string WithSlashes(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

} // namespace

std::vector<std::string> ProgramArguments(int /*argc*/, char** /*argv*/) {
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr)
        return arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(Narrow(wide[i]));
    ::LocalFree(wide);
    return arguments;
}

std::string ExecutablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            return WithSlashes(Narrow(path));
        }
        if (path.size() >= 65536)
            return {};
        path.resize(path.size() * 2);
    }
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\:");
    if (slash == std::string::npos)
        return ".";
    if (path[slash] == ':')
        return path.substr(0, slash + 1) + "."; // "C:x": the current folder of drive C
    // A root ("\\", "C:\\") keeps its separator.
    const bool root = slash == 0 || (slash == 2 && path[1] == ':');
    return path.substr(0, root ? slash + 1 : slash);
}

std::string UserConfigFolder() {
    return {};
}

std::string NativeSeparators(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string UserStateFolder() {
    const wchar_t* local = ::_wgetenv(L"LOCALAPPDATA");
    if (local == nullptr || local[0] == L'\0')
        return {};
    return WithSlashes(Narrow(local)) + "/tessel";
}

const char* LocaleVariable(const char* name) {
    if (const char* value = std::getenv(name); value != nullptr && *value != '\0')
        return value;
    if (std::string_view(name) != "LANG")
        return nullptr;
    static const std::string interfaceLocale = [] {
        wchar_t locale[LOCALE_NAME_MAX_LENGTH] = {};
        const LCID id = MAKELCID(::GetUserDefaultUILanguage(), SORT_DEFAULT);
        if (::LCIDToLocaleName(id, locale, LOCALE_NAME_MAX_LENGTH, 0) == 0)
            return std::string();
        std::string text = win32::Narrow(locale); // "ja-JP"
        std::replace(text.begin(), text.end(), '-', '_');
        return text;
    }();
    return interfaceLocale.empty() ? nullptr : interfaceLocale.c_str();
}

bool LocalTime(std::time_t time, std::tm& local) {
    return ::localtime_s(&local, &time) == 0;
}

bool IsTerminal(int fd) {
    DWORD mode = 0;
    return ::GetConsoleMode(HandleOf(fd), &mode) != 0;
}

bool IsWideConsole(int fd) {
    return IsTerminal(fd);
}

bool WriteConsoleText(int fd, std::u16string_view text) {
    const HANDLE console = HandleOf(fd);
    // The progress line moves its cursor with escape sequences.
    DWORD mode = 0;
    if (::GetConsoleMode(console, &mode) && (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) == 0)
        ::SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    while (!text.empty()) {
        DWORD written = 0;
        const auto count = static_cast<DWORD>(std::min<std::size_t>(text.size(), 8192));
        if (!::WriteConsoleW(console, text.data(), count, &written, nullptr) || written == 0) {
            errno = win32::ErrnoFrom(::GetLastError());
            return false;
        }
        text.remove_prefix(written);
    }
    return true;
}

void CatchInterrupts(InterruptHandler handler) {
    g_handler.store(handler);
    if (handler != nullptr) {
        // A program started in a new process group has Ctrl-C turned off.
        ::SetConsoleCtrlHandler(nullptr, FALSE);
        ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    } else {
        ::SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    }
}

bool StartWithoutInterrupts(bool (*start)(void* context), void* context) {
    // Console events come on a thread of their own and interrupt nothing.
    return start(context);
}

void SetBinaryMode(int fd) {
    ::_setmode(fd, _O_BINARY);
}

} // namespace tessel::sys
