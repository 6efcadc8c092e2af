#include "engine/LineWithNum.h"

#include <algorithm>
#include <functional>

namespace tessel {

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

std::string_view LineTable::KeepText(std::string_view text, bool closeLastLine) {
    m_text.reserve(text.size() + 2);
    m_text.assign(text.begin(), text.end());
    if (closeLastLine) {
        m_text.push_back('\r');
        m_text.push_back('\n');
    }
    return {m_text.data(), m_text.size()};
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
        // the records there (not those that view another text).
        std::vector<char> bigger;
        bigger.reserve(std::max(needed, 2 * m_text.capacity()));
        bigger.assign(m_text.begin(), m_text.end());
        const auto kept = [&](const char* p) {
            return std::less_equal<>()(m_text.data(), p) &&
                   std::less<>()(p, m_text.data() + m_text.size());
        };
        for (CLineWithNum& record : m_records) {
            if (!kept(record.m_strLine.data()))
                continue;
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
