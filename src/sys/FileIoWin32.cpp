// Replacing a file and telling its versions apart, on Windows.

#include "sys/FileIo.h"

#include "sys/Win32.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <iterator>
#include <random>

namespace tessel {
namespace {

using sys::win32::Widen;

FileError FromWin32(DWORD error) {
    return FileError::FromErrno(sys::win32::ErrnoFrom(error));
}

std::wstring FolderOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"/\\:");
    if (slash == std::wstring::npos)
        return L".";
    if (path[slash] == L':')
        return path.substr(0, slash + 1) + L".";
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

class Handle {
public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return m_handle; }
    bool ok() const { return m_handle != INVALID_HANDLE_VALUE; }
    bool Close() {
        const bool closed = !ok() || ::CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE m_handle;
};

// A new file beside `path` that no one else has opened, named ".tessel-"
// and a random suffix.
HANDLE CreateTemporaryBeside(const std::wstring& path, std::wstring& temp) {
    std::random_device seed;
    std::mt19937_64 random(seed());
    const std::wstring folder = FolderOf(path);
    for (int attempt = 0; attempt < 100; ++attempt) {
        wchar_t name[32];
        std::swprintf(name, std::size(name), L"\\.tessel-%012llx",
                      static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
        temp = folder + name;
        const HANDLE handle = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                            FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS)
            return handle;
    }
    ::SetLastError(ERROR_FILE_EXISTS);
    return INVALID_HANDLE_VALUE;
}

} // namespace

FileError ListFolder(const std::string& path, std::vector<std::string>& names) {
    names.clear();
    WIN32_FIND_DATAW entry{};
    const HANDLE find = ::FindFirstFileW(Widen(path + "/*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return FromWin32(::GetLastError());
    do {
        const std::string name = sys::win32::Narrow(entry.cFileName);
        if (name != "." && name != "..")
            names.push_back(name);
    } while (::FindNextFileW(find, &entry));
    const DWORD error = ::GetLastError();
    ::FindClose(find);
    if (error != ERROR_NO_MORE_FILES)
        return FromWin32(error);
    std::ranges::sort(names);
    return {};
}

FileStamp StampOf(const std::string& path) {
    const Handle file(::CreateFileW(Widen(path).c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.ok() || !::GetFileInformationByHandle(file.get(), &info))
        return {};
    const auto combine = [](DWORD high, DWORD low) {
        return (static_cast<std::uint64_t>(high) << 32) | low;
    };
    // 100 ns steps since 1601 to nanoseconds since 1970.
    constexpr std::int64_t kEpochSteps = 116444736000000000;
    const auto steps = static_cast<std::int64_t>(
        combine(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime));
    return {true, combine(info.nFileSizeHigh, info.nFileSizeLow), (steps - kEpochSteps) * 100,
            info.dwVolumeSerialNumber, combine(info.nFileIndexHigh, info.nFileIndexLow)};
}

FileError ReplaceFile(const std::string& givenPath, const std::string& bytes) {
    const std::wstring path = Widen(givenPath);
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    const bool existed = attributes != INVALID_FILE_ATTRIBUTES;
    if (!existed && ::GetLastError() != ERROR_FILE_NOT_FOUND)
        return FromWin32(::GetLastError());
    if (existed && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return FileError::FromErrno(EISDIR);
    if (existed && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return FileError::FromErrno(EACCES);

    std::wstring temp;
    Handle file(CreateTemporaryBeside(path, temp));
    if (!file.ok())
        return FromWin32(::GetLastError());
    auto fail = [&](DWORD error) {
        file.Close();
        ::DeleteFileW(temp.c_str());
        return FromWin32(error);
    };
    for (std::size_t done = 0; done < bytes.size();) {
        DWORD put = 0;
        const auto asked = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        if (!::WriteFile(file.get(), bytes.data() + done, asked, &put, nullptr))
            return fail(::GetLastError());
        done += put;
    }
    // The bytes are on the disk before the file takes the old one's place.
    if (!::FlushFileBuffers(file.get()) || !file.Close())
        return fail(::GetLastError());
    // ReplaceFileW keeps what the old file had besides its bytes (its
    // attributes, access control list and creation time); file systems that
    // cannot do that get the file moved into place.
    if (existed && ::ReplaceFileW(path.c_str(), temp.c_str(), nullptr,
                                  REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return {};
    if (!::MoveFileExW(temp.c_str(), path.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return fail(::GetLastError());
    return {};
}

} // namespace tessel
