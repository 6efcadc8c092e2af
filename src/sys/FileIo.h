#pragma once

// The file system as documents, settings and the command-line tool use it,
// over the system calls of sys/SysCalls.h. What differs between platforms
// (replacing a file in one step, keeping its permissions, telling versions
// of a file apart) is in FileIoPosix.cpp and FileIoWin32.cpp.
//
// Every function reports a failure the same way: it returns a FileError,
// which is false when nothing went wrong and otherwise says why: an error
// number or a fault, put into words only where the user reads it.

#include "res/Problem.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessel {

class FileError {
public:
    // No error.
    FileError() = default;
    // The system's error number (an errno value).
    static FileError FromErrno(int number);
    // A fault the system has no error number for, or gives one inside
    // (`number`, for FileFault::OwnerOnly).
    static FileError Because(FileFault fault, int number = 0);
    // The same fault at `place` (a folder, say), which its words name first.
    FileError At(std::string place) const;

    explicit operator bool() const { return m_fault != FileFault::None; }
    FileFault Fault() const { return m_fault; }
    int Number() const { return m_number; }
    // Why, in the words of the current language: the error holds no
    // sentence, so it is worded where the user reads it.
    std::string Reason() const { return DescribeFileFault(m_fault, m_number, m_place); }
    // The file, or a folder on its path, does not exist.
    bool IsNotFound() const;

private:
    FileFault m_fault = FileFault::None;
    int m_number = 0;
    std::string m_place;
};

struct DocumentFile {
    std::string bytes;        // the file's bytes up to its first NUL byte
    std::uint64_t length = 0; // the file's length as the system reports it
    bool shortRead = false;   // fewer bytes arrived than the length promised
    // When something other than NUL bytes follows the first NUL byte (so
    // that stopping there cuts the text): the NUL's offset and how many bytes
    // follow it. NUL bytes alone at the end (padding) cut nothing.
    bool cutAtNul = false;
    std::uint64_t nulOffset = 0;
    std::uint64_t bytesAfterNul = 0;
};

// Reads a file for loading as a document. Reading stops at the first NUL byte
// and once more than `limit` bytes have arrived (such a text is refused
// anyway), so a huge file costs no memory. A folder is refused.
[[nodiscard]] FileError ReadDocumentFile(const std::string& path, std::size_t limit,
                                         DocumentFile& file);

// Reads a whole file.
[[nodiscard]] FileError ReadWholeFile(const std::string& path, std::string& bytes);

// The names in a folder, sorted bytewise, without "." and "..".
[[nodiscard]] FileError ListFolder(const std::string& path, std::vector<std::string>& names);

// Writes all of `bytes` to a file descriptor, however many calls it takes.
[[nodiscard]] FileError WriteAll(int fd, std::string_view bytes);

// Replaces (or creates) a file so that it holds `bytes` or, after a failure,
// what it held before: the bytes go to a temporary file in the same folder,
// which then takes the file's place; a failure leaves no temporary file
// behind. An existing file's permissions are kept; through a symbolic link,
// the file it points to is replaced.
[[nodiscard]] FileError ReplaceFile(const std::string& path, const std::string& bytes);

// Writes `bytes` to `path` as a tool that is told where to write does: a
// device or a pipe is written to as it is (it cannot be replaced); a file the
// user may not write is refused, never replaced behind their back; any other
// file is replaced (ReplaceFile) or made.
[[nodiscard]] FileError WriteOrReplaceFile(const std::string& path, const std::string& bytes);
// Whether WriteOrReplaceFile could write `path`, as far as the file system
// tells without writing (the file, and the folder its replacement is made
// in). A full disk shows only when the bytes go.
[[nodiscard]] FileError CheckWritable(const std::string& path);

// What tells one version of a file from another: whether it is there, its
// size and modification time, and which file it is (a replacement by
// renaming makes a new one, whatever its time).
struct FileStamp {
    bool exists = false;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileStamp&) const = default;
};
// The stamp of the file at `path` now (through a symbolic link, of its target).
FileStamp StampOf(const std::string& path);

// Makes the folder `path` and every missing folder above it, each with
// `mode` (less the umask); folders that exist already are fine.
[[nodiscard]] FileError MakeFolders(const std::string& path, unsigned mode);

// Writes `bytes` to a new file in `folder` named `stem` and `extension`
// (with its dot), or `stem`-2, -3, ... before the extension when that name
// is taken: no file is ever replaced. `path` gets the file's path. After a
// failure no file is left behind.
[[nodiscard]] FileError WriteNewFile(const std::string& folder, std::string_view stem,
                                     std::string_view extension, std::string_view bytes,
                                     std::string& path);

} // namespace tessel
