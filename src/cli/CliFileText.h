#pragma once

// What tessel-cli says about a file's text: a conversion that failed, what
// tidy changed, and the warnings for a person about to send a file. Each
// text names the file as messages show it (ShownName) and, where a line is
// at fault, the line from 1.

#include "encoding/Cp932.h"
#include "engine/FileShape.h"
#include "engine/Tidy.h"

#include <string>
#include <string_view>

namespace tessel::cli {

// "FILE:LINE: ..." for a conversion of `text` that failed: bytes that are no
// UTF-8, a character code page 932 cannot hold, a byte that cannot be written
// as UTF-8.
std::string ConversionMessage(const std::string& name, std::string_view text,
                              const cp932::ConversionError& error);

// One line for each kind of change tidy made ("removed 14 blank lines\n"),
// empty when it made none.
std::string TidyReport(const TidyResult& result);

// How tidy is typed to mend `file`: "'tessel-cli tidy --encoding utf-8 -i
// game.bas'" (`options` may be empty; standard input is "-").
std::string TidyCommand(std::string_view options, std::string_view file);

// "FILE:LINE: warning: ..." when the file, read as code page 932, looks like
// UTF-8; empty otherwise.
std::string Utf8Warning(const std::string& name, const FileShape& shape, std::string_view file);

// "FILE:LINE: warning: ..." when the file, which loading takes as having no
// line numbers, is a numbered program all the same (its numbers indented,
// after a blank first line, or below a first line without one): one for
// that, and one for each line that would still have no number. Empty
// otherwise.
std::string NumbersWarning(const std::string& name, const FileShape& shape, std::string_view file);

// A second line after message 200 for line `line` (0-based) of `text`, when
// that line is blank, its number indented or it is the end-of-file mark ^Z
// after the last line: tidy mends it. Empty otherwise.
std::string NoNumberHint(const std::string& name, std::string_view text, std::size_t line,
                         std::string_view file);

} // namespace tessel::cli
