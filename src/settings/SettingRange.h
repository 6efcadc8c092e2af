#pragma once

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
    std::string text = "[";
    text.append(section).append("] ").append(key).append("=");
    text += std::to_string(static_cast<std::int32_t>(value));
    text += " is not " + std::to_string(min) + " to " + std::to_string(max) + "; ";
    text += std::to_string(fallback) + " is used";
    return text;
}

} // namespace tessel
