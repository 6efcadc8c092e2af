#include "engine/LineWithNum.h"

#include <limits>

namespace tessel {

DigitRun ParseDigitRun(std::string_view text) {
    std::uint64_t value = 0;
    bool overflow = false;
    std::size_t n = 0;
    while (n < text.size() && IsDigit(text[n])) {
        if (!overflow) {
            value = value * 10 + static_cast<std::uint64_t>(text[n] - '0');
            overflow = value > std::numeric_limits<std::uint32_t>::max();
        }
        ++n;
    }
    // Any value too long for 32 bits is out of range; the largest one says so.
    return {overflow ? std::numeric_limits<std::uint32_t>::max()
                     : static_cast<std::uint32_t>(value),
            n};
}

std::uint16_t CLineWithNum::SetLine(std::string line) {
    m_strLine = std::move(line);
    const DigitRun run = ParseDigitRun(m_strLine);
    m_nLineNum = run.value;
    m_strBody.assign(m_strLine, run.length);
    if (run.length == 0)
        return 200;
    if (run.value == 0 || run.value > kMaxLineNum)
        return 202;
    return 0;
}

} // namespace tessel
