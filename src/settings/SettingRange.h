#pragma once

#include "res/StringTable.h"
#include "settings/LineNumberRange.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tessel {

// A number the settings file keeps: its section and key, its default, and
// the values it may take. The dialogs and the command-line options that set
// the same value take the same range.
struct NumberSetting {
    const char* section;
    const char* key;
    int fallback;
    std::uint32_t min;
    std::uint32_t max;

    bool Holds(std::uint32_t value) const { return value >= min && value <= max; }
};

inline constexpr std::uint32_t kAnyNumber = 0xFFFFFFFF;

// The tab width, in blanks.
inline constexpr NumberSetting kTabStopSetting{"Edit", "TabStop", 4, 1, 10};
// The first number and the step of line numbering.
inline constexpr NumberSetting kStartLineSetting{"LineNumber", "StartLine", 10, 1, kMaxLineNum};
inline constexpr NumberSetting kLineStepSetting{"LineNumber", "Step", 10, 1, kMaxLineNum - 1};

// Says that the stored value of a key was outside `min` to `max` and that
// `fallback` is used instead: "[LineNumber] StartLine=0 is not 1 to 65279;
// 10 is used". The value as the file holds it, read as a signed number.
inline std::string DescribeIgnored(std::string_view section, std::string_view key,
                                   std::uint32_t value, std::uint32_t min, std::uint32_t max,
                                   std::uint32_t fallback) {
    return LoadFormatted(IDS_SETTING_OUT_OF_RANGE,
                         {section, key, std::to_string(static_cast<std::int32_t>(value)),
                          std::to_string(min), std::to_string(max), std::to_string(fallback)});
}

} // namespace tessel
