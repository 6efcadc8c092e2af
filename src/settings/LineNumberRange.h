#pragma once

#include <cstdint>

namespace tessel {

// Line numbers run from 1 to 65279: the device takes no others.
inline constexpr std::uint32_t kMaxLineNum = 65279;

} // namespace tessel
