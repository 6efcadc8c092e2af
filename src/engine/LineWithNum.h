#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessel {

// Line numbers run from 1 to 65279.
inline constexpr std::uint32_t kMaxLineNum = 65279;

// One line of a line-numbered text: its number and what follows it.
class CLineWithNum {
public:
    // Fills the record from one line that ends in CR LF. Returns 0, or 200 (no
    // leading digit) or 202 (number 0 or above 65279).
    std::uint16_t SetLine(std::string line);

    std::string m_strLine;    // the line, number included, ending in CR LF
    std::string m_strBody;    // the line without its leading digits
    std::string m_strNewBody; // the body with rewritten references, if any
    std::uint32_t m_nLineNum = 0;
    std::uint32_t m_nNewLineNum = 0;
    // Where the line stood in the text the table was built from (0-based).
    std::uint32_t m_nTextLine = 0;
};

// A line table owns its records; it is in ascending number order once built.
using LineTable = std::vector<CLineWithNum>;

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
