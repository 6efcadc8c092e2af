#pragma once

// What names the place a refusal about a line points at, for a person
// reading the message: a message of its own and its arguments, put into words
// (DescribeProblem) below the refusal's own sentence where it is shown.
// Arguments count lines and columns from 0; the words count them from 1, as
// a person does. A line's number is the line number it begins with.

#include "res/Problem.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tessel {

// A line without a number: line `line` of the text, whose content (code
// page 932, without its line end) is `content`; named by how it begins.
Problem NoNumberPlace(std::size_t line, std::string_view content);
// A line that refers to a line that does not exist: the line `number`
// names `target` (its digits as the line writes them).
Problem ReferencePlace(std::uint32_t number, std::string_view target);
// A line whose number (`digits`, as written) is out of range.
Problem OutOfRangePlace(std::string_view digits, std::size_t line);
// Renumbering that would put the lines from `oldStart` before `before`.
Problem OrderPlace(std::uint32_t before, std::uint32_t oldStart);
// Two lines of the text, `first` and `second`, with the number `number`.
Problem DuplicatePlace(std::uint32_t number, std::size_t first, std::size_t second);
// A line `length` characters long: line `line` of the text, or the line
// `number` where it has one (0: none).
Problem LongLinePlace(std::size_t line, std::uint32_t number, std::size_t length);
// A renumbering from `oldStart`, which no line has.
Problem NoLinePlace(std::uint32_t oldStart);
// The end-of-text code at `column` of line `line` of the text, or of the
// line `number` where it has one (0: none).
Problem EndCodePlace(std::size_t line, std::uint32_t number, std::size_t column);

} // namespace tessel
