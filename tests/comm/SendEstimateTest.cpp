#include "comm/SendEstimate.h"

#include "settings/ComSettings.h"

#include <gtest/gtest.h>

namespace tessel {
namespace {

using std::chrono::milliseconds;

ComSettings Line(std::uint32_t baudIndex, std::uint32_t dataBit, std::uint32_t parity,
                 std::uint32_t stopBit) {
    ComSettings settings;
    settings.BaudRate = baudIndex;
    settings.DataBit = dataBit;
    settings.Parity = parity;
    settings.StopBit = stopBit;
    settings.BuildLineConfig();
    return settings;
}

TEST(SendEstimateTest, EachByteTakesItsFrameAtTheLineSpeed) {
    // 9600 bit/s, 8 data bits, no parity, 1 stop bit: ten bits a byte.
    const std::string text(960, 'x');
    const SendEstimate fast(Line(5, 1, 0, 0), text);
    EXPECT_EQ(fast.Total(), 960u);
    EXPECT_EQ(fast.Remaining(0), milliseconds(1000));
    EXPECT_EQ(fast.Remaining(480), milliseconds(500));
    EXPECT_EQ(fast.Remaining(960), milliseconds(0));
    EXPECT_EQ(fast.Remaining(5000), milliseconds(0));

    // 300 bit/s, 7 data bits, even parity, 2 stop bits: eleven bits.
    const SendEstimate slow(Line(0, 0, 1, 1), std::string(3, 'x'));
    EXPECT_EQ(slow.Remaining(0), milliseconds(110));
    EXPECT_EQ(slow.Remaining(2), milliseconds(37)); // 36.7, rounded up

    // The parity bit is on the wire whether or not received parity is
    // checked.
    ComSettings unchecked = Line(0, 0, 1, 1);
    unchecked.LineConfig.fParity = 0;
    EXPECT_EQ(SendEstimate(unchecked, std::string(3, 'x')).Remaining(0), milliseconds(110));
}

TEST(SendEstimateTest, StopsAtTheFirstEndCodeAndAddsThePacing) {
    ComSettings settings = Line(5, 1, 0, 0);
    settings.CharDelay = 5;
    settings.LineDelay = 100;
    // A pause after each LF of CR LF lines; the bytes after the end code
    // are never sent.
    const std::string text = "10 A\r\n20 B\r\n\x1a"
                             "30 C\r\n";
    const SendEstimate paced(settings, text);
    EXPECT_EQ(paced.Total(), 13u);
    EXPECT_EQ(paced.Remaining(0), milliseconds(279)); // 13 x 6.04 + 2 x 100
    EXPECT_EQ(paced.Remaining(5), milliseconds(249)); // 8 x 6.04 + 2 x 100: LF not yet sent
    EXPECT_EQ(paced.Remaining(6), milliseconds(143)); // 7 x 6.04 + 100
    EXPECT_EQ(paced.Remaining(12), milliseconds(7));  // the end code alone

    // Lines that end in CR alone pause after the CR.
    settings.EndOfLine = 0;
    const SendEstimate crLines(settings, "A\rB\r\x1a");
    EXPECT_EQ(crLines.Remaining(1), milliseconds(225)); // 4 x 6.04 + 2 x 100
    EXPECT_EQ(crLines.Remaining(2), milliseconds(119));
}

} // namespace
} // namespace tessel
