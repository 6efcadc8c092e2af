#pragma once

#include "res/StringTable.h"
#include "settings/LineNumberRange.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace tessel {

// One line of a line-numbered text: its number and what follows it. The
// record views its line, which the line table keeps.
class NumberedLine {
public:
    // Fills the record from one line that ends in CR LF and outlives the
    // record. IDS_NONE, or IDS_LINE_NO_NUMBER (no leading digit) or
    // IDS_LINE_OUT_OF_RANGE (number 0 or above 65279).
    StringId SetLine(std::string_view line);

    std::string_view text; // the line, number included, ending in CR LF
    std::string_view body; // the line without its leading digits
    std::uint32_t number = 0;
    std::uint32_t newNumber = 0;
    // Where the line stood in the text the table was built from (0-based).
    std::uint32_t textLine = 0;
};

inline bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
// The blanks that may stand before a line's number, between the words of a
// line, or fill a blank line: spaces and tabs.
inline bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The value of the digit run at the start of `text` and its length. A run too
// long for 32 bits gives a value above kMaxLineNum.
struct DigitRun {
    std::uint32_t value = 0;
    std::size_t length = 0;
};
inline DigitRun ParseDigitRun(std::string_view text) {
    std::uint64_t value = 0;
    std::size_t n = 0;
    // Nine digits always fit in 32 bits.
    for (const std::size_t fit = std::min<std::size_t>(text.size(), 9); n < fit; ++n) {
        const auto digit = static_cast<unsigned>(static_cast<unsigned char>(text[n]) - '0');
        if (digit > 9)
            return {static_cast<std::uint32_t>(value), n};
        value = value * 10 + digit;
    }
    // Past them the value is held at 2^32, so it can never wrap.
    constexpr std::uint64_t kPast = std::uint64_t{1} << 32;
    for (; n < text.size() && IsDigit(text[n]); ++n)
        value = std::min(value * 10 + static_cast<std::uint64_t>(text[n] - '0'), kPast);
    // Any value too long for 32 bits is out of range; the largest one says so.
    return {value >= kPast ? std::numeric_limits<std::uint32_t>::max()
                           : static_cast<std::uint32_t>(value),
            n};
}

// Writes `number`, which has at most five digits, in decimal from `out` on
// and returns the end of what it wrote.
inline char* WriteLineNumber(char* out, std::uint32_t number) {
    const std::size_t length = number < 10      ? 1
                               : number < 100   ? 2
                               : number < 1000  ? 3
                               : number < 10000 ? 4
                                                : 5;
    for (std::size_t i = length; i > 0; --i, number /= 10)
        out[i - 1] = static_cast<char>('0' + number % 10);
    return out + length;
}

// Where the line content that starts at `p` ends: the first CR or LF at or
// after `p`, or `end`. The same line ends as NextLine finds (doc/TextOps.h),
// looked for eight bytes at a time.
inline const char* FindLineEnd(const char* p, const char* end) {
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t kOnes = 0x0101010101010101u;
        constexpr std::uint64_t kHigh = 0x8080808080808080u;
        while (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, sizeof word);
            // A byte of `x` is zero where the word holds CR (or LF): the
            // lowest flagged byte is exact, which is the one wanted.
            const std::uint64_t cr = word ^ (kOnes * '\r');
            const std::uint64_t lf = word ^ (kOnes * '\n');
            const std::uint64_t hit = ((cr - kOnes) & ~cr & kHigh) | ((lf - kOnes) & ~lf & kHigh);
            if (hit != 0)
                return p + std::countr_zero(hit) / 8;
            p += 8;
        }
    }
    while (p != end && *p != '\r' && *p != '\n')
        ++p;
    return p;
}

} // namespace tessel
