#include "engine/NumberedLine.h"

namespace tessel {

StringId NumberedLine::SetLine(std::string_view line) {
    text = line;
    const DigitRun run = ParseDigitRun(line);
    number = run.value;
    body = line.substr(run.length);
    if (run.length == 0)
        return IDS_LINE_NO_NUMBER;
    if (run.value == 0 || run.value > kMaxLineNum)
        return IDS_LINE_OUT_OF_RANGE;
    return IDS_NONE;
}

} // namespace tessel
