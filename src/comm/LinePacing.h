#pragma once

// How fast the serial port of either system feeds the line: the bytes the
// line carries a second, how far output may run ahead of it, and the pauses
// the device asks for after each character and each line.

#include "settings/ComSettings.h"

namespace tessel {

struct LinePacing {
    unsigned bytesPerSecond = 120;
    // Output may run this many bytes (a quarter of a second) ahead of the
    // line; once it is further ahead, a write waits until the queue is down
    // to half of that.
    unsigned aheadLimit = 30;
    unsigned charDelayMs = 0;
    unsigned lineDelayMs = 0;
    char lineEnd = '\n'; // the last byte of the device's line end

    // The pacing of a line opened with `settings` (its line configuration
    // built); the pauses are bounded by kMaxPacingDelay.
    static LinePacing For(const ComSettings& settings);

    // With pauses, bytes go one at a time, each after the pause of the last.
    bool Paced() const { return charDelayMs != 0 || lineDelayMs != 0; }
    // The pause the device asks for after `byte`, in milliseconds.
    unsigned PauseAfter(char byte) const;
    // How long to wait for `excess` queued bytes to leave: the time the line
    // takes for them, but at least 5 ms (no spinning while flow control
    // holds the output) and at most 250 ms (the line is followed closely).
    long QueueWaitMs(long excess) const;
};

} // namespace tessel
