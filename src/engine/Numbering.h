#pragma once

// Line numbers put in front of the lines of a text that has none, and taken
// off again.
//
// Numbers are put right before a line's text, with nothing between, except
// where the text itself begins with a digit, or with blanks and a digit:
// then one blank goes between ("2 eggs" becomes "20 2 eggs", not "202
// eggs"), so the device and the line table read the number that was meant.
// Removing the numbers takes a line's leading digits and, where that blank
// is followed by blanks and a digit, the blank too. So removing gives back
// exactly the text that numbering was given, whatever its lines begin with.
// Every line keeps its own line end.

#include <cstdint>
#include <string>
#include <string_view>

namespace tessel {

// `text` with a number before every line: `start` for the first, then
// `step` apart. Numbers past what the device takes are written as they are
// (the line table refuses them), never wrapped round.
std::string NumberLines(std::string_view text, std::uint64_t start, std::uint64_t step);
// `text` without the number of each line (and the blank after it, as above).
std::string RemoveLineNumbers(std::string_view text);
// One line without its number, as RemoveLineNumbers takes it off.
std::string_view WithoutNumber(std::string_view line);

// Whether the text begins with a digit: how loading and receiving tell a
// numbered text from one without numbers.
bool StartsWithLineNum(std::string_view text);
// Puts `number` in front of one line, as NumberLines does.
void InsertLineNum(std::string& line, std::uint64_t number);
// Takes the number off one line, as RemoveLineNumbers does.
void DeleteLineNum(std::string& line);

} // namespace tessel
