#include "engine/LineWithNum.h"

#include <algorithm>
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

StringId CLineWithNum::SetLine(std::string_view line) {
    m_strLine = line;
    const DigitRun run = ParseDigitRun(line);
    m_nLineNum = run.value;
    m_strBody = line.substr(run.length);
    if (run.length == 0)
        return IDS_LINE_NO_NUMBER;
    if (run.value == 0 || run.value > kMaxLineNum)
        return IDS_LINE_OUT_OF_RANGE;
    return IDS_NONE;
}

void LineTable::Reserve(std::size_t bytes, std::size_t lines) {
    m_text.reserve(m_text.size() + bytes);
    m_records.reserve(m_records.size() + lines);
}

StringId LineTable::Append(std::string_view content, std::uint32_t textLine) {
    const std::size_t start = m_text.size();
    const std::size_t needed = start + content.size() + 2;
    if (needed > m_text.capacity()) {
        // More than was reserved: move the text to a bigger buffer and point
        // the records there.
        std::vector<char> bigger;
        bigger.reserve(std::max(needed, 2 * m_text.capacity()));
        bigger.assign(m_text.begin(), m_text.end());
        for (CLineWithNum& record : m_records) {
            const auto offset = static_cast<std::size_t>(record.m_strLine.data() - m_text.data());
            const std::size_t digits = record.m_strLine.size() - record.m_strBody.size();
            record.m_strLine = std::string_view(bigger.data() + offset, record.m_strLine.size());
            record.m_strBody = record.m_strLine.substr(digits);
        }
        m_text.swap(bigger);
    }
    m_text.insert(m_text.end(), content.begin(), content.end());
    m_text.push_back('\r');
    m_text.push_back('\n');
    CLineWithNum& record = m_records.emplace_back();
    record.m_nTextLine = textLine;
    return record.SetLine(std::string_view(m_text.data() + start, needed - start));
}

} // namespace tessel
