// The file calls on Windows: UTF-8 paths to the wide-character functions,
// descriptors of the C runtime over Win32 handles, Win32 errors as errno.

#include "sys/SysCalls.h"

#include "sys/CallTable.h"
#include "sys/Win32.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <io.h>

namespace tessel::sys {
namespace win32 {

std::wstring Widen(std::string_view utf8) {
    if (utf8.empty())
        return {};
    const int size = static_cast<int>(std::min<std::size_t>(utf8.size(), INT_MAX));
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), size);
    wide.resize(static_cast<std::size_t>(std::max(n, 0)));
    return wide;
}

std::string Narrow(std::wstring_view wide) {
    if (wide.empty())
        return {};
    const int size = static_cast<int>(std::min<std::size_t>(wide.size(), INT_MAX / 3));
    std::string utf8(static_cast<std::size_t>(size) * 3, '\0');
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(),
                                        static_cast<int>(utf8.size()), nullptr, nullptr);
    utf8.resize(static_cast<std::size_t>(std::max(n, 0)));
    return utf8;
}

int ErrnoFrom(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_NETWORK_ACCESS_DENIED:
        return EACCES;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_BUSY:
        return EBUSY;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_DIR_NOT_EMPTY:
        return ENOTEMPTY;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
        return EPIPE;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    case ERROR_INVALID_HANDLE:
        return EBADF;
    case ERROR_INVALID_PARAMETER:
        return EINVAL;
    default:
        return EIO;
    }
}

std::string SystemMessage(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message(text != nullptr ? text : L"", n);
    if (text != nullptr)
        ::LocalFree(text);
    while (!message.empty() &&
           (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' ' ||
            message.back() == L'.' || message.back() == L'\x3002'))
        message.pop_back();
    if (message.empty())
        return "error " + std::to_string(error);
    return Narrow(message);
}

} // namespace win32

namespace {

using win32::ErrnoFrom;
using win32::Widen;

template <typename Result = int>
Result FailWith(DWORD error, Result result = -1) {
    errno = ErrnoFrom(error);
    return result;
}

HANDLE HandleOf(int fd) {
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

// "/dev/stdin" opens standard input, as on Linux: its own descriptor.
int OpenStandardInput(int flags) {
    HANDLE copy = nullptr;
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    if (input == nullptr || input == INVALID_HANDLE_VALUE ||
        !::DuplicateHandle(::GetCurrentProcess(), input, ::GetCurrentProcess(), &copy, 0, FALSE,
                           DUPLICATE_SAME_ACCESS))
        return FailWith(input == nullptr ? ERROR_INVALID_HANDLE : ::GetLastError());
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(copy), flags & O_APPEND);
    if (fd < 0) {
        ::CloseHandle(copy);
        errno = EMFILE;
    }
    return fd;
}

int OpenFile(const char* path, int flags, mode_t /*mode*/) {
    if (std::strcmp(path, "/dev/stdin") == 0)
        return OpenStandardInput(flags);
    const std::wstring wide = Widen(path);
    const int accessMode = flags & (O_RDONLY | O_WRONLY | O_RDWR);
    const DWORD access = accessMode == O_WRONLY ? GENERIC_WRITE
                         : accessMode == O_RDWR ? GENERIC_READ | GENERIC_WRITE
                                                : GENERIC_READ;
    DWORD disposition = OPEN_EXISTING;
    if ((flags & O_CREAT) != 0 && (flags & O_EXCL) != 0)
        disposition = CREATE_NEW;
    else if ((flags & O_CREAT) != 0)
        disposition = (flags & O_TRUNC) != 0 ? CREATE_ALWAYS : OPEN_ALWAYS;
    else if ((flags & O_TRUNC) != 0)
        disposition = TRUNCATE_EXISTING;
    // Others may read, write, rename and delete the file meanwhile, as on
    // Linux: a file open here never keeps a replacement from its place.
    const HANDLE handle =
        ::CreateFileW(wide.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // A folder cannot be opened as a file.
        const DWORD attributes = ::GetFileAttributesW(wide.c_str());
        if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            errno = EISDIR;
            return -1;
        }
        return FailWith(error);
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), flags & O_APPEND);
    if (fd < 0) {
        ::CloseHandle(handle);
        errno = EMFILE;
    }
    return fd;
}

// Reads and writes go to the handle itself: the C runtime's text mode
// (which standard output has) would change line ends.
ssize_t ReadFd(int fd, void* buffer, std::size_t count) {
    const HANDLE handle = HandleOf(fd);
    if (handle == INVALID_HANDLE_VALUE) {
        errno = EBADF;
        return -1;
    }
    DWORD got = 0;
    const auto asked = static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30));
    if (!::ReadFile(handle, buffer, asked, &got, nullptr)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF)
            return 0; // the writing end is closed: the end of the input
        return FailWith<ssize_t>(error);
    }
    return static_cast<ssize_t>(got);
}

ssize_t WriteFd(int fd, const void* buffer, std::size_t count) {
    const HANDLE handle = HandleOf(fd);
    if (handle == INVALID_HANDLE_VALUE) {
        errno = EBADF;
        return -1;
    }
    DWORD put = 0;
    const auto asked = static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30));
    if (!::WriteFile(handle, buffer, asked, &put, nullptr))
        return FailWith<ssize_t>(::GetLastError());
    return static_cast<ssize_t>(put);
}

int LockFd(int fd, int operation) {
    const HANDLE handle = HandleOf(fd);
    OVERLAPPED whole{};
    if ((operation & LOCK_UN) != 0)
        return ::UnlockFileEx(handle, 0, MAXDWORD, MAXDWORD, &whole) ? 0 : FailWith(GetLastError());
    DWORD flags = (operation & LOCK_EX) != 0 ? LOCKFILE_EXCLUSIVE_LOCK : 0;
    if ((operation & LOCK_NB) != 0)
        flags |= LOCKFILE_FAIL_IMMEDIATELY;
    if (::LockFileEx(handle, flags, 0, MAXDWORD, MAXDWORD, &whole))
        return 0;
    const DWORD error = ::GetLastError();
    if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING) {
        errno = EWOULDBLOCK;
        return -1;
    }
    return FailWith(error);
}

void CopyStat(const struct _stat64& from, struct stat* to) {
    *to = {};
    to->st_dev = from.st_dev;
    to->st_ino = from.st_ino;
    to->st_mode = from.st_mode;
    to->st_nlink = from.st_nlink;
    to->st_uid = from.st_uid;
    to->st_gid = from.st_gid;
    to->st_rdev = from.st_rdev;
    to->st_size = from.st_size;
    to->st_atime = from.st_atime;
    to->st_mtime = from.st_mtime;
    to->st_ctime = from.st_ctime;
}

int StatPath(const char* path, struct stat* st) {
    // The C runtime finds no "folder/" (POSIX does); a root keeps its slash.
    std::wstring name = Widen(path);
    while (name.size() > 1 && (name.back() == L'/' || name.back() == L'\\') &&
           name[name.size() - 2] != L':')
        name.pop_back();
    struct _stat64 wide {};
    if (::_wstat64(name.c_str(), &wide) != 0)
        return -1;
    CopyStat(wide, st);
    return 0;
}

char* FullPath(const char* path, char* resolved) {
    const std::wstring wide = Widen(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return FailWith<char*>(::GetLastError(), nullptr);
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n == 0)
            return FailWith<char*>(::GetLastError(), nullptr);
        if (n < full.size()) {
            full.resize(n);
            break;
        }
        full.resize(n);
    }
    const std::string utf8 = win32::Narrow(full);
    if (utf8.size() >= PATH_MAX) {
        errno = ENAMETOOLONG;
        return nullptr;
    }
    std::memcpy(resolved, utf8.c_str(), utf8.size() + 1);
    return resolved;
}

int Win32Result(BOOL ok) {
    return ok ? 0 : FailWith(::GetLastError());
}

const Calls kReal = {
    .open = OpenFile,
    .close = [](int fd) { return ::_close(fd); },
    .read = ReadFd,
    .write = WriteFd,
    .flock = LockFd,
    .fstat =
        [](int fd, struct stat* st) {
            struct _stat64 wide {};
            if (::_fstat64(fd, &wide) != 0)
                return -1;
            CopyStat(wide, st);
            return 0;
        },
    .stat = StatPath,
    .lstat = StatPath,
    // Windows knows no "may run" apart from "may read".
    .access = [](const char* path,
                 int mode) { return ::_waccess(Widen(path).c_str(), mode & (R_OK | W_OK)); },
    .readlink = [](const char*, char*, std::size_t) -> ssize_t {
        errno = EINVAL;
        return -1;
    },
    .realpath = FullPath,
    .mkdir = [](const char* path,
                mode_t) { return Win32Result(::CreateDirectoryW(Widen(path).c_str(), nullptr)); },
    // Permissions and owners are the folder's (its access control list).
    .fchmod = [](int, mode_t) { return 0; },
    .fchown = [](int, uid_t, gid_t) { return 0; },
    .fsync = [](int fd) { return Win32Result(::FlushFileBuffers(HandleOf(fd))); },
    .rename =
        [](const char* from, const char* to) {
            return Win32Result(::MoveFileExW(Widen(from).c_str(), Widen(to).c_str(),
                                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
        },
    .unlink = [](const char* path) { return Win32Result(::DeleteFileW(Widen(path).c_str())); },
    .startThread = detail::StartStdThread,
};

} // namespace

const Calls& RealCalls() {
    return kReal;
}

} // namespace tessel::sys
