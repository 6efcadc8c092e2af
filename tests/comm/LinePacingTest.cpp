#include "comm/LinePacing.h"

#include <gtest/gtest.h>

namespace tessel {
namespace {

TEST(LinePacing, FollowsTheSettingsWithinTheirBounds) {
    ComSettings settings;
    settings.BaudRate = 0; // 300 bit/s: 30 bytes a second
    settings.CharDelay = 20;
    settings.LineDelay = 5000; // more than the settings allow
    settings.EndOfLine = 0;    // CR
    settings.BuildLineConfig();
    const LinePacing slow = LinePacing::For(settings);
    EXPECT_EQ(slow.bytesPerSecond, 30u);
    EXPECT_EQ(slow.aheadLimit, 7u); // a quarter of a second
    EXPECT_EQ(slow.lineDelayMs, kMaxPacingDelay);
    EXPECT_TRUE(slow.Paced());
    EXPECT_EQ(slow.PauseAfter('A'), 20u);
    EXPECT_EQ(slow.PauseAfter('\r'), 20u + kMaxPacingDelay);
    EXPECT_EQ(slow.PauseAfter('\n'), 20u);

    settings.BaudRate = 5; // 9600 bit/s
    settings.CharDelay = settings.LineDelay = 0;
    settings.EndOfLine = 2; // CR LF: the line ends at LF
    settings.BuildLineConfig();
    const LinePacing fast = LinePacing::For(settings);
    EXPECT_EQ(fast.bytesPerSecond, 960u);
    EXPECT_EQ(fast.aheadLimit, 240u);
    EXPECT_FALSE(fast.Paced());
    EXPECT_EQ(fast.PauseAfter('\n'), 0u);
    EXPECT_EQ(fast.lineEnd, '\n');

    // A wait for the queue follows the line, but neither spins nor lags.
    EXPECT_EQ(fast.QueueWaitMs(96), 100);
    EXPECT_EQ(fast.QueueWaitMs(1), 5);
    EXPECT_EQ(fast.QueueWaitMs(100000), 250);
    EXPECT_EQ(slow.QueueWaitMs(3), 100);
}

} // namespace
} // namespace tessel
