#include "comm/LinePacing.h"

#include <algorithm>

namespace tessel {
namespace {

constexpr unsigned kAheadDivisor = 4; // a quarter of a second
constexpr long kMinQueueWaitMs = 5;
constexpr long kMaxQueueWaitMs = 250;

} // namespace

LinePacing LinePacing::For(const ComSettings& settings) {
    LinePacing pacing;
    pacing.bytesPerSecond = std::max(1u, settings.LineConfig.BaudRate / 10);
    pacing.aheadLimit = std::max(1u, pacing.bytesPerSecond / kAheadDivisor);
    pacing.charDelayMs = std::min(settings.CharDelay, kMaxPacingDelay);
    pacing.lineDelayMs = std::min(settings.LineDelay, kMaxPacingDelay);
    pacing.lineEnd = settings.EndOfLine == 0 ? '\r' : '\n';
    return pacing;
}

unsigned LinePacing::PauseAfter(char byte) const {
    return charDelayMs + (byte == lineEnd ? lineDelayMs : 0);
}

long LinePacing::QueueWaitMs(long excess) const {
    const long rate = static_cast<long>(bytesPerSecond);
    return std::clamp((excess * 1000 + rate - 1) / rate, kMinQueueWaitMs, kMaxQueueWaitMs);
}

} // namespace tessel
