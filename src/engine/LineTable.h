#pragma once

// The line table: the lines of a line-numbered text with their numbers, in
// number order. Sorting, renumbering and sending all start from it, and
// building it is where a text is refused for its numbers: a line without a
// number, a number the device does not take (0, or above 65279), a number
// used twice. Building it changes nothing but the table: whether the lines
// had to be put in order is part of what it returns.

#include "engine/NumberedLine.h"
#include "res/Problem.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessel {

// The lines of one text, in ascending number order once built. The table owns
// its records and the text they view (every line ending in CR LF), so the
// whole table goes at once, on every path; only a table built over a text
// its builder keeps alive views that text instead of a copy.
class LineTable {
public:
    LineTable() = default;
    LineTable(const LineTable&) = delete;
    LineTable& operator=(const LineTable&) = delete;
    // Moving keeps the records' views valid: the texts they view move along.
    LineTable(LineTable&&) = default;
    LineTable& operator=(LineTable&&) = default;

    // Room for `lines` lines of `bytes` bytes in all, so appending never moves them.
    void Reserve(std::size_t bytes, std::size_t lines);
    // Appends a record for a line given without its terminator; the table
    // keeps the line with CR LF appended. Returns SetLine's code.
    StringId Append(std::string_view content, std::uint32_t textLine);
    // Keeps a copy of a whole text whose lines all end in CR LF, with CR LF
    // appended when `closeLastLine`, and returns it, for records of its lines
    // added through Records(). Only on an empty table.
    std::string_view KeepText(std::string_view text, bool closeLastLine);
    void clear() {
        m_records.clear();
        m_text.clear();
    }

    std::vector<NumberedLine>& Records() { return m_records; }
    const std::vector<NumberedLine>& Records() const { return m_records; }
    std::size_t size() const { return m_records.size(); }
    bool empty() const { return m_records.empty(); }
    NumberedLine& operator[](std::size_t i) { return m_records[i]; }
    const NumberedLine& operator[](std::size_t i) const { return m_records[i]; }
    auto begin() { return m_records.begin(); }
    auto end() { return m_records.end(); }
    auto begin() const { return m_records.begin(); }
    auto end() const { return m_records.end(); }

private:
    std::vector<char> m_text; // not a string: a short string's bytes would move with it
    std::vector<NumberedLine> m_records;
};

// Whether a line table keeps a copy of the text it is built from, or views
// the text, which then outlives the table.
enum class TextStorage { Copy, View };

// What building a line table found.
struct LineTableResult {
    // None, or IDS_LINE_NO_NUMBER, IDS_LINE_OUT_OF_RANGE or IDS_LINE_DUPLICATE
    // at the offending line of the text (its line and offset; for a
    // duplicate, the first line in the text with that number).
    Problem problem;
    // What names that line for a person (doc/LinePlace.h), said below the
    // problem where it is shown.
    Problem place;
    // The lines were not in number order; the table now is.
    bool reordered = false;

    bool Ok() const { return problem.Ok(); }
};

// Builds an ordered, validated table of `text` into `lines`. On a problem the
// table holds no more than the lines read before it, in text order.
LineTableResult BuildLineTable(std::string_view text, LineTable& lines,
                               TextStorage storage = TextStorage::Copy);
// The first line of `text` whose number the device does not take (no
// number, or one out of range), as BuildLineTable would refuse it, without
// building the table: order and duplicates do not matter here. Ok() when
// every line has a number.
LineTableResult CheckLineNumbers(std::string_view text);
// IDS_NONE when the device takes the number `run` (1 to 65279), else
// IDS_LINE_NO_NUMBER (no digits) or IDS_LINE_OUT_OF_RANGE.
StringId LineNumberCode(const DigitRun& run);
// The number `line` begins with when the device takes it; 0 otherwise.
std::uint32_t DeviceLineNumber(std::string_view line);

// Orders the table by number. When two lines share a number the table is
// left as it was and that number is returned (the one the classic
// last-element quicksort meets first).
std::optional<std::uint32_t> SortLineTable(LineTable& lines);
// Index of the line with that number in an ordered table, or -1.
int FindLine(const LineTable& lines, std::uint32_t number);
// The line starting at `start`, without its terminator; `used` gets the
// bytes it spans, terminator included.
std::string ReadLine(std::string_view text, std::size_t start, std::size_t& used);
// The start of line `index` (0-based) of `text`.
std::size_t LineStart(std::string_view text, std::size_t index);

} // namespace tessel
