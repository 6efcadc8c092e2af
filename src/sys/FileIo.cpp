#include "sys/FileIo.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <utility>

namespace tessel {
namespace {

std::string SystemError(int err) {
    return std::strerror(err);
}

class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

// read() that retries on EINTR; returns bytes read, 0 at end, -1 on error.
ssize_t ReadSome(int fd, char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(fd, buffer, size);
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

} // namespace

int WriteAll(int fd, std::string_view bytes) {
    const char* data = bytes.data();
    std::size_t size = bytes.size();
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}

bool ReadDocumentFile(const std::string& path, std::size_t limit, DocumentFile& file,
                      std::string& error) {
    file = {};
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        error = SystemError(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        error = SystemError(errno);
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        error = SystemError(EISDIR);
        return false;
    }
    file.length = static_cast<std::uint64_t>(st.st_size);

    std::uint64_t received = 0;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ReadSome(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            error = SystemError(errno);
            return false;
        }
        if (n == 0)
            break;
        received += static_cast<std::uint64_t>(n);
        const char* nul =
            static_cast<const char*>(std::memchr(buffer, 0, static_cast<std::size_t>(n)));
        const std::size_t keep =
            nul ? static_cast<std::size_t>(nul - buffer) : static_cast<std::size_t>(n);
        file.bytes.append(buffer, keep);
        if (nul || file.bytes.size() > limit)
            return true;
    }
    // Only a file read to its end can turn out short; regular files report
    // their length, other files (pipes, devices) report 0.
    file.shortRead = S_ISREG(st.st_mode) && received < file.length;
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error) {
    bytes.clear();
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        error = SystemError(errno);
        return false;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = ReadSome(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            error = SystemError(errno);
            return false;
        }
        if (n == 0)
            return true;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

bool ReplaceFile(const std::string& givenPath, const std::string& bytes, std::string& error) {
    // Through a symbolic link, replace the file it points to, not the link.
    std::string path = givenPath;
    struct stat lst {};
    if (::lstat(givenPath.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(givenPath.c_str(), resolved) != nullptr)
            path = resolved;
    }
    // Keep the permissions of the file being replaced; a new file gets the
    // usual ones (subject to the umask).
    mode_t mode = 0666;
    struct stat st {};
    bool existed = ::stat(path.c_str(), &st) == 0;
    if (existed) {
        if (!S_ISREG(st.st_mode)) {
            error = S_ISDIR(st.st_mode) ? SystemError(EISDIR) : "not a regular file";
            return false;
        }
        mode = st.st_mode & 07777;
    }

    std::string temp = DirectoryOf(path) + "/.tessel-XXXXXX";
    Fd fd(::mkstemp(temp.data()));
    if (fd.get() < 0) {
        error = SystemError(errno);
        return false;
    }
    auto fail = [&](int err) {
        error = SystemError(err);
        ::unlink(temp.c_str());
        return false;
    };
    if (existed) {
        if (::fchmod(fd.get(), mode) != 0)
            return fail(errno);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        if (::fchmod(fd.get(), mode & ~mask) != 0)
            return fail(errno);
    }
    if (const int err = WriteAll(fd.get(), bytes))
        return fail(err);
    if (::fsync(fd.get()) != 0)
        return fail(errno);
    if (::close(fd.release()) != 0)
        return fail(errno);
    if (::rename(temp.c_str(), path.c_str()) != 0)
        return fail(errno);
    return true;
}

} // namespace tessel
