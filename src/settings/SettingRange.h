#pragma once

#include "res/StringTable.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tessel {

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
