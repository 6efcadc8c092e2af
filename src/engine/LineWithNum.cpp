#include "engine/LineWithNum.h"

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

} // namespace tessel
