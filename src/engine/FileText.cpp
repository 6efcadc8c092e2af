#include "engine/FileText.h"

#include "engine/Numbering.h"
#include "res/StringTable.h"
#include "settings/AppSettings.h"

#include <utility>

namespace tessel {

NumberingOptions NumberingOptions::For(const AppSettings& settings) {
    return {settings.startLine, settings.lineStep};
}

LoadedText LoadFileText(std::string_view bytes, NumberingOptions numbering) {
    LoadedText loaded;
    loaded.lineEnd = UniformLineEnd(bytes);
    // Only the first byte decides whether the file holds numbers.
    loaded.numbered = StartsWithLineNum(bytes);
    if (loaded.lineEnd != kEolCrLf || !loaded.numbered) {
        std::string converted(bytes);
        FromDeviceLineEnds(converted, loaded.lineEnd);
        if (!loaded.numbered)
            converted = NumberLines(converted, numbering.start, numbering.step);
        loaded.changed = std::move(converted);
    }
    if (!CheckTextSize(loaded.Text(bytes))) {
        loaded.changed.reset();
        loaded.problem = Problem::Of(IDS_FILE_TOO_LARGE);
    }
    return loaded;
}

ReceivedText ReceiveText(std::string received, ReceiveNumbering receive, int endOfLine,
                         std::uint8_t endCode, NumberingOptions numbering) {
    ReceivedText result;
    RemoveEndCode(received, endCode);
    if (receive == ReceiveNumbering::NumberIfMissing && !StartsWithLineNum(received)) {
        result.numbered = false;
        received = NumberLines(received, numbering.start, numbering.step);
    }
    result.text = ReceivedDataText(std::move(received), endOfLine, endCode);
    return result;
}

} // namespace tessel
