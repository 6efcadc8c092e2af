#include "cli/CliConsole.h"

#include "encoding/Cp932.h"
#include "sys/Platform.h"

#include <cerrno>
#include <optional>
#include <utility>

namespace tessel::cli {

FileError FdOutput::Write(std::string_view bytes) {
    if (!sys::IsWideConsole(m_fd))
        return WriteAll(m_fd, bytes);
    if (!sys::WriteConsoleText(m_fd, ConsoleText(bytes)))
        return FileError::FromErrno(errno);
    return {};
}

bool FdOutput::IsTerminal() const {
    return sys::IsTerminal(m_fd);
}

namespace {

// `bytes` as UTF-16 when they are valid UTF-8.
std::optional<std::u16string> FromUtf8(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const cp932::Utf8Char c = cp932::ReadUtf8(bytes, i);
        if (c.length == 0)
            return std::nullopt;
        if (c.value >= 0x10000) {
            text += static_cast<char16_t>(0xD800 + ((c.value - 0x10000) >> 10));
            text += static_cast<char16_t>(0xDC00 + ((c.value - 0x10000) & 0x3FF));
        } else {
            text += static_cast<char16_t>(c.value);
        }
        i += c.length;
    }
    return text;
}

} // namespace

std::u16string ConsoleText(std::string_view bytes) {
    if (std::optional<std::u16string> text = FromUtf8(bytes))
        return std::move(*text);
    // The editor's marks for control bytes and line ends go back to what
    // they stand for; the console has its own ways of showing them.
    std::u16string text;
    for (const char16_t unit : cp932::Decode(bytes)) {
        if (unit == u'\n')
            text += u"\r\n";
        else if (unit >= 0x2400 && unit < 0x2420)
            text += static_cast<char16_t>(unit - 0x2400);
        else if (unit == 0x2421)
            text += u'\x7f';
        else
            text += cp932::StandsFor(unit);
    }
    return text;
}

} // namespace tessel::cli
