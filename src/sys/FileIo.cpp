#include "sys/FileIo.h"
#include "sys/Fd.h"

#include "sys/Platform.h"
#include "sys/SysCalls.h"

#include <algorithm>
#include <cerrno>
#include <climits> // PATH_MAX
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h> // W_OK, X_OK
#include <utility>

namespace tessel {
namespace {

FileError LastError() {
    return FileError::FromErrno(errno);
}

} // namespace

FileError FileError::FromErrno(int number) {
    return Because(FileFault::System, number);
}

FileError FileError::Because(FileFault fault, int number) {
    FileError error;
    error.m_fault = fault;
    error.m_number = number;
    return error;
}

FileError FileError::At(std::string place) const {
    FileError error = *this;
    error.m_place = std::move(place);
    return error;
}

bool FileError::IsNotFound() const {
    return m_fault == FileFault::System && (m_number == ENOENT || m_number == ENOTDIR);
}

FileError WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = sys::Write(fd, bytes.data(), bytes.size());
        if (n < 0)
            return LastError();
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
}

FileError WriteOrReplaceFile(const std::string& path, const std::string& bytes) {
    struct stat st {};
    const bool exists = sys::Stat(path.c_str(), st) == 0;
    if (exists && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
        Fd fd(sys::Open(path.c_str(), O_WRONLY | O_CLOEXEC));
        if (fd.get() < 0)
            return LastError();
        FileError error = WriteAll(fd.get(), bytes);
        if (sys::Close(fd.release()) != 0 && !error && errno != EINTR)
            error = LastError();
        return error;
    }
    if (exists && S_ISREG(st.st_mode) && sys::Access(path.c_str(), W_OK) != 0)
        return LastError();
    return ReplaceFile(path, bytes);
}

FileError CheckWritable(const std::string& path) {
    struct stat st {};
    std::string folder;
    if (sys::Stat(path.c_str(), st) == 0) {
        if (S_ISDIR(st.st_mode))
            return FileError::FromErrno(EISDIR);
        if (sys::Access(path.c_str(), W_OK) != 0)
            return LastError();
        if (!S_ISREG(st.st_mode))
            return {}; // a device or a pipe, written to as it is
        // Replaced through a temporary file beside it, or beside the file
        // a link points to.
        char resolved[PATH_MAX];
        folder = sys::FolderOf(sys::RealPath(path.c_str(), resolved) ? resolved : path);
    } else if (errno == ENOENT) {
        folder = sys::FolderOf(path);
    } else {
        return LastError();
    }
    if (sys::Stat(folder.c_str(), st) != 0)
        return LastError();
    if (!S_ISDIR(st.st_mode))
        return FileError::FromErrno(ENOTDIR);
    if (sys::Access(folder.c_str(), W_OK | X_OK) != 0)
        return LastError();
    return {};
}

FileError ReadDocumentFile(const std::string& path, std::size_t limit, DocumentFile& file) {
    file = {};
    Fd fd(sys::Open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return LastError();
    struct stat st {};
    if (sys::Fstat(fd.get(), st) != 0)
        return LastError();
    if (S_ISDIR(st.st_mode))
        return FileError::FromErrno(EISDIR);
    file.length = static_cast<std::uint64_t>(st.st_size);

    std::uint64_t received = 0;
    bool atNul = false; // reading the bytes after the first NUL
    char buffer[65536];
    for (;;) {
        const ssize_t n = sys::Read(fd.get(), buffer, sizeof buffer);
        if (n < 0)
            return LastError();
        if (n == 0)
            break;
        const auto count = static_cast<std::size_t>(n);
        std::size_t from = 0;
        if (!atNul) {
            const char* nul = static_cast<const char*>(std::memchr(buffer, 0, count));
            const std::size_t keep = nul ? static_cast<std::size_t>(nul - buffer) : count;
            file.bytes.append(buffer, keep);
            if (!nul && file.bytes.size() > limit)
                return {};
            if (nul) {
                atNul = true;
                file.nulOffset = received + keep;
                from = keep + 1;
            }
        }
        received += static_cast<std::uint64_t>(n);
        if (atNul && !file.cutAtNul &&
            std::any_of(buffer + from, buffer + count, [](char c) { return c != '\0'; }))
            file.cutAtNul = true;
        // A regular file says how much follows; anything else is read to its end.
        if (file.cutAtNul && S_ISREG(st.st_mode) && file.length > file.nulOffset) {
            file.bytesAfterNul = file.length - file.nulOffset - 1;
            return {};
        }
    }
    if (file.cutAtNul)
        file.bytesAfterNul = received - file.nulOffset - 1;
    else
        file.nulOffset = 0; // padding only: nothing was cut
    // Only a file read to its end can turn out short; regular files report
    // their length, other files (pipes, devices) report 0.
    file.shortRead = S_ISREG(st.st_mode) && received < file.length;
    return {};
}

FileError ReadWholeFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    Fd fd(sys::Open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return LastError();
    char buffer[65536];
    for (;;) {
        const ssize_t n = sys::Read(fd.get(), buffer, sizeof buffer);
        if (n < 0)
            return LastError();
        if (n == 0)
            return {};
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

FileError MakeFolders(const std::string& path, unsigned mode) {
    // Each folder from the top down; one that exists already (or that
    // another program makes meanwhile) is fine as long as it is a folder.
    for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
        const std::string folder = path.substr(0, end);
        if (!folder.empty() && folder.back() != '/' &&
            sys::Mkdir(folder.c_str(), static_cast<mode_t>(mode)) != 0 && errno != EEXIST)
            return LastError();
        if (end == std::string::npos)
            break;
    }
    struct stat st {};
    if (sys::Stat(path.c_str(), st) != 0)
        return LastError();
    return S_ISDIR(st.st_mode) ? FileError() : FileError::FromErrno(ENOTDIR);
}

FileError WriteNewFile(const std::string& folder, std::string_view stem, std::string_view extension,
                       std::string_view bytes, std::string& path) {
    int created = -1;
    for (int number = 1; created < 0; ++number) {
        path = folder + '/';
        path += stem;
        if (number > 1)
            path += '-' + std::to_string(number);
        path += extension;
        created = sys::Open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (created < 0 && (errno != EEXIST || number == 1000))
            return LastError();
    }
    Fd fd(created);
    auto fail = [&](FileError error) {
        sys::Unlink(path.c_str());
        return error;
    };
    if (FileError error = WriteAll(fd.get(), bytes))
        return fail(error);
    if (sys::Fsync(fd.get()) != 0)
        return fail(LastError());
    if (sys::Close(fd.release()) != 0 && errno != EINTR)
        return fail(LastError());
    return {};
}

} // namespace tessel
