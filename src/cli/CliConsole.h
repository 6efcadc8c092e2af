#pragma once

// Where tessel-cli's output goes: standard output and standard error behind a
// small interface, so that tests can run the tool in-process, and what a
// Windows console is given to show.

#include "sys/FileIo.h"

#include <string>
#include <string_view>

namespace tessel::cli {

// Where bytes go: standard output or standard error.
class ConsoleOutput {
public:
    virtual ~ConsoleOutput() = default;
    // Writes all of `bytes`; false, or why it failed.
    virtual FileError Write(std::string_view bytes) = 0;
    // Whether a person watches it: a progress line is worth showing.
    virtual bool IsTerminal() const { return false; }
};

// A file descriptor, written with write(2) as it is (no buffering, no
// conversion), retried on EINTR. A Windows console is the exception: it gets
// ConsoleText() of the bytes, so that it shows them whatever its code page.
class FdOutput final : public ConsoleOutput {
public:
    explicit FdOutput(int fd) : m_fd(fd) {}
    FileError Write(std::string_view bytes) override;
    bool IsTerminal() const override;

private:
    int m_fd;
};

// Bytes written to standard output or standard error as a console shows
// them: UTF-8 when they are valid UTF-8 (the tool's own messages), else code
// page 932 (a document's text); line ends as they are, and a byte that
// starts no character as the editor marks it.
std::u16string ConsoleText(std::string_view bytes);

// Collects everything written, for tests; it can pass for a terminal.
class StringOutput final : public ConsoleOutput {
public:
    explicit StringOutput(bool terminal = false) : m_terminal(terminal) {}
    FileError Write(std::string_view bytes) override {
        m_text += bytes;
        return {};
    }
    bool IsTerminal() const override { return m_terminal; }
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
    bool m_terminal;
};

} // namespace tessel::cli
