#pragma once

// The file system as documents use it. What differs between platforms
// (replacing a file in one step, keeping its permissions) stays in here.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tessel {

struct DocumentFile {
    std::string bytes;        // the file's bytes up to its first NUL byte
    std::uint64_t length = 0; // the file's length as the system reports it
    bool shortRead = false;   // fewer bytes arrived than the length promised
};

// Reads a file for loading as a document. Reading stops at the first NUL byte
// and once more than `limit` bytes have arrived (such a text is refused
// anyway), so a huge file costs no memory. False with `error` set when the
// file cannot be opened or read.
bool ReadDocumentFile(const std::string& path, std::size_t limit, DocumentFile& file,
                      std::string& error);

// Reads a whole file. False with `error` set when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error);

// Writes all of `bytes` to a file descriptor, retrying where the system
// allows. Returns 0, or the system's error number.
int WriteAll(int fd, std::string_view bytes);

// Replaces (or creates) a file so that it holds `bytes` or, after a failure,
// what it held before: the bytes go to a temporary file in the same folder,
// which then takes the file's place. An existing file's permissions are kept.
bool ReplaceFile(const std::string& path, const std::string& bytes, std::string& error);

} // namespace tessel
