#pragma once

#include "res/StringTable.h"
#include "settings/LineNumberRange.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tessel {

// One line of a line-numbered text: its number and what follows it. The
// record views its line, which the line table keeps.
class CLineWithNum {
public:
    // Fills the record from one line that ends in CR LF and outlives the
    // record. IDS_NONE, or IDS_LINE_NO_NUMBER (no leading digit) or
    // IDS_LINE_OUT_OF_RANGE (number 0 or above 65279).
    StringId SetLine(std::string_view line);

    std::string_view m_strLine;    // the line, number included, ending in CR LF
    std::string_view m_strBody;    // the line without its leading digits
    std::string_view m_strNewBody; // the body with rewritten references, if any
    std::uint32_t m_nLineNum = 0;
    std::uint32_t m_nNewLineNum = 0;
    // Where the line stood in the text the table was built from (0-based).
    std::uint32_t m_nTextLine = 0;
};

// The lines of one text, in ascending number order once built. The table owns
// its records and the text they view (every line ending in CR LF), so the
// whole table goes at once, on every path.
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
    // Keeps the text that rewritten bodies (m_strNewBody) view.
    std::string_view KeepNewText(std::string text) {
        m_newText = std::make_unique<const std::string>(std::move(text));
        return *m_newText;
    }
    void clear() {
        m_records.clear();
        m_text.clear();
        m_newText.reset();
    }

    std::vector<CLineWithNum>& Records() { return m_records; }
    const std::vector<CLineWithNum>& Records() const { return m_records; }
    std::size_t size() const { return m_records.size(); }
    bool empty() const { return m_records.empty(); }
    CLineWithNum& operator[](std::size_t i) { return m_records[i]; }
    const CLineWithNum& operator[](std::size_t i) const { return m_records[i]; }
    auto begin() { return m_records.begin(); }
    auto end() { return m_records.end(); }
    auto begin() const { return m_records.begin(); }
    auto end() const { return m_records.end(); }

private:
    std::vector<char> m_text; // not a string: a short string's bytes would move with it
    std::vector<CLineWithNum> m_records;
    std::unique_ptr<const std::string> m_newText; // held apart: a short string would move
};

// The value of the digit run at the start of `text` and its length. A run too
// long for 32 bits gives a value above kMaxLineNum.
struct DigitRun {
    std::uint32_t value = 0;
    std::size_t length = 0;
};
DigitRun ParseDigitRun(std::string_view text);

inline bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace tessel
