#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tessel {

struct ComSettings;

// How long the rest of a send takes: each byte's own time on the line (start
// bit, data bits, parity bit and stop bits at the line speed) plus the pacing
// pauses after each byte and after each line end. Flow control holding the
// line up is not foreseen.
class SendEstimate {
public:
    SendEstimate() = default;
    SendEstimate(const ComSettings& settings, std::string_view bytes);

    // The bytes the send puts on the line: up to and including the first
    // end-of-text code (all of them when there is none).
    std::size_t Total() const { return m_total; }
    // The time the bytes from `sent` on still take, rounded up.
    std::chrono::milliseconds Remaining(std::size_t sent) const;

private:
    std::size_t m_total = 0;
    std::uint64_t m_bitsPerByte = 10;
    std::uint64_t m_baud = 1;
    std::uint64_t m_charDelayMs = 0;
    std::uint64_t m_lineDelayMs = 0;
    std::vector<std::size_t> m_lineEnds; // positions below m_total, ascending
};

} // namespace tessel
