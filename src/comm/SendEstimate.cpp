#include "comm/SendEstimate.h"

#include "settings/ComSettings.h"

#include <algorithm>

namespace tessel {

SendEstimate::SendEstimate(const ComSettings& settings, std::string_view bytes) {
    const std::size_t end = bytes.find(static_cast<char>(settings.EndCode()));
    m_total = end == std::string_view::npos ? bytes.size() : end + 1;

    // A parity bit goes with every byte whenever the line has a parity;
    // fParity only says whether received bytes have theirs checked.
    const LineConfiguration& line = settings.LineConfig;
    m_bitsPerByte = 1u + line.ByteSize + (line.Parity != kNoParity ? 1u : 0u) +
                    (line.StopBits == kTwoStopBits ? 2u : 1u);
    m_baud = std::max(1u, line.BaudRate);
    m_charDelayMs = std::min(settings.CharDelay, kMaxPacingDelay);
    m_lineDelayMs = std::min(settings.LineDelay, kMaxPacingDelay);

    // The port pauses after the byte that ends a line on the wire: CR when
    // the device separates lines with CR alone, else LF.
    const char lineEnd = settings.EndOfLine == 0 ? '\r' : '\n';
    for (std::size_t i = 0; i < m_total; ++i)
        if (bytes[i] == lineEnd)
            m_lineEnds.push_back(i);
}

std::chrono::milliseconds SendEstimate::Remaining(std::size_t sent) const {
    if (sent >= m_total)
        return std::chrono::milliseconds(0);
    const std::uint64_t bytesLeft = m_total - sent;
    const auto linesLeft = static_cast<std::uint64_t>(
        m_lineEnds.end() - std::lower_bound(m_lineEnds.begin(), m_lineEnds.end(), sent));
    // Whole milliseconds of pauses, and the line time rounded up.
    const std::uint64_t lineMs = (bytesLeft * m_bitsPerByte * 1000 + m_baud - 1) / m_baud;
    const std::uint64_t ms = lineMs + bytesLeft * m_charDelayMs + linesLeft * m_lineDelayMs;
    return std::chrono::milliseconds(static_cast<long long>(ms));
}

} // namespace tessel
