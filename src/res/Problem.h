#pragma once

// One value for every problem the core reports: what is wrong (a message of
// the string table with its arguments), where (a line of a text and a byte in
// it, or nowhere in particular), and, when the system said why, its error
// number and its own words for it. It holds no sentence: it is put into words
// only where a user reads it (a message box, standard error, a language
// server), by DescribeProblem, in the language of that moment.

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace tessel {

enum StringId : unsigned; // res/StringTable.h

// No line: the problem is about the text as a whole; no column: about the
// whole line.
inline constexpr std::size_t kNoLine = static_cast<std::size_t>(-1);
inline constexpr std::size_t kNoColumn = static_cast<std::size_t>(-1);

struct Problem {
    StringId message{};                 // 0 (IDS_NONE): no problem
    std::vector<std::string> arguments; // for %1, %2, ... of the message
    std::size_t line = kNoLine;         // 0-based line of the text
    std::size_t offset = 0;             // bytes from the start of the text to that line
    std::size_t column = kNoColumn;     // 0-based byte in the line, where it matters
    int systemError = 0;                // errno, or the system's own code on Windows
    std::string systemText;             // the system's words for it, when it gave any

    // A problem with a message and its arguments.
    static Problem Of(StringId message, std::initializer_list<std::string_view> arguments = {});
    // A problem about one line of a text, which starts `offset` bytes in.
    static Problem AtLine(StringId message, std::size_t line, std::size_t offset);
    // A problem the system reported with an error number (and its own words
    // for it, for numbers the string table has no text for).
    static Problem FromSystem(StringId message, int number, std::string systemText = {});

    bool Ok() const { return message == StringId{}; }
    explicit operator bool() const { return !Ok(); }
    bool HasLine() const { return line != kNoLine; }
};

// The problem in the words of the current language: its message with the
// arguments filled in, and, where the system gave a reason, that reason on a
// line of its own (the string table's words for well-known error numbers,
// else the system's). Empty for no problem.
std::string DescribeProblem(const Problem& problem);
// Only the system's reason, as DescribeProblem words it.
std::string DescribeSystemReason(const Problem& problem);

// Why the system could not do something with a file: its error number, or a
// fault it has no number for (sys/FileIo.h's FileError holds one).
enum class FileFault : unsigned char {
    None,
    System,         // the error number says it
    NotRegularFile, // a device or a pipe where a file was to be replaced
    OwnerOnly,      // a folder with the sticky bit: only the owner may replace it
    NoStateFolder,  // neither XDG_STATE_HOME nor HOME is set
};
// The fault in the words of the current language, after "`place`: " when a
// place is given.
std::string DescribeFileFault(FileFault fault, int number, std::string_view place = {});

} // namespace tessel
