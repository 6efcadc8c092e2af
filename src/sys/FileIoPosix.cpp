// Replacing a file and telling its versions apart, on POSIX systems.

#include "sys/Fd.h"
#include "sys/FileIo.h"

#include "sys/SysCalls.h"

#include <algorithm>
#include <cerrno>
#include <climits> // PATH_MAX
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <unistd.h>
#include <utility>

namespace tessel {
namespace {

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

FileError LastError() {
    return FileError::FromErrno(errno);
}

} // namespace

FileError ListFolder(const std::string& path, std::vector<std::string>& names) {
    names.clear();
    DIR* dir = sys::OpenDir(path.c_str());
    if (dir == nullptr)
        return LastError();
    for (;;) {
        errno = 0;
        const dirent* entry = sys::ReadDir(dir);
        if (entry == nullptr) {
            const int error = errno;
            sys::CloseDir(dir);
            if (error != 0)
                return FileError::FromErrno(error);
            break;
        }
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    std::ranges::sort(names);
    return {};
}

FileStamp StampOf(const std::string& path) {
    struct stat st {};
    if (sys::Stat(path.c_str(), st) != 0)
        return {};
    return {true, static_cast<std::uint64_t>(st.st_size),
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec,
            static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

namespace {

// A new file beside `path` that no one else has opened, named ".tessel-"
// and a random suffix, made with the permissions of any new file (0666 less
// the umask, which is never changed: it belongs to the whole process). The
// descriptor, or -1 with errno set.
int CreateTemporaryBeside(const std::string& path, std::string& temp) {
    std::random_device seed;
    std::mt19937_64 random(seed());
    const std::string folder = DirectoryOf(path);
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, "/.tessel-%012llx",
                      static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
        temp = folder + name;
        const int fd = sys::Open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1; // errno is EEXIST
}

} // namespace

FileError ReplaceFile(const std::string& givenPath, const std::string& bytes) {
    // Through a symbolic link, replace the file it points to, not the link;
    // a link whose file does not exist yet gets it made.
    std::string path = givenPath;
    struct stat lst {};
    for (int hops = 0; hops < 40 && sys::Lstat(path.c_str(), lst) == 0 && S_ISLNK(lst.st_mode);
         ++hops) {
        char resolved[PATH_MAX];
        if (sys::RealPath(path.c_str(), resolved) != nullptr) {
            path = resolved;
            break;
        }
        const ssize_t n = sys::ReadLink(path.c_str(), resolved, sizeof resolved);
        if (n <= 0 || static_cast<std::size_t>(n) >= sizeof resolved)
            break;
        const std::string target(resolved, static_cast<std::size_t>(n));
        path = target.front() == '/' ? target : DirectoryOf(path) + "/" + target;
    }
    // Keep the permissions of the file being replaced; a new file gets the
    // usual ones (subject to the umask), as the temporary file is made.
    mode_t mode = 0;
    struct stat st {};
    const bool existed = sys::Stat(path.c_str(), st) == 0;
    if (existed) {
        if (!S_ISREG(st.st_mode))
            return S_ISDIR(st.st_mode) ? FileError::FromErrno(EISDIR)
                                       : FileError::Because(FileFault::NotRegularFile);
        mode = st.st_mode & 07777;
    }

    std::string temp;
    Fd fd(CreateTemporaryBeside(path, temp));
    if (fd.get() < 0)
        return LastError();
    auto fail = [&](int err) {
        sys::Unlink(temp.c_str());
        return FileError::FromErrno(err);
    };
    // The owner and group of the file replaced, where the user may set them:
    // another user's file in a shared folder stays theirs; failing that, its
    // group at least.
    if (existed && sys::Fchown(fd.get(), st.st_uid, st.st_gid) != 0)
        (void)sys::Fchown(fd.get(), static_cast<uid_t>(-1), st.st_gid);
    if (existed && sys::Fchmod(fd.get(), mode) != 0)
        return fail(errno);
    if (FileError error = WriteAll(fd.get(), bytes)) {
        sys::Unlink(temp.c_str());
        return error;
    }
    if (sys::Fsync(fd.get()) != 0)
        return fail(errno);
    // The bytes are safe once fsync is through; an EINTR from close (whose
    // descriptor is gone all the same) costs nothing.
    if (sys::Close(fd.release()) != 0 && errno != EINTR)
        return fail(errno);
    if (sys::Rename(temp.c_str(), path.c_str()) != 0) {
        const int error = errno;
        // A folder with the sticky bit (as /tmp) lets only a file's owner
        // replace it, even where everyone may write the file itself.
        struct stat folder {};
        if (error == EPERM && existed && sys::Stat(DirectoryOf(path).c_str(), folder) == 0 &&
            (folder.st_mode & S_ISVTX) != 0) {
            sys::Unlink(temp.c_str());
            return FileError::Because(FileFault::OwnerOnly, error);
        }
        return fail(error);
    }
    return {};
}

} // namespace tessel
