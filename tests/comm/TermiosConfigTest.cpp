#include "comm/TermiosConfig.h"

#include "settings/ComSettings.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tessel {
namespace {

LineConfiguration ConfigFor(std::uint32_t flowControl, std::uint32_t parity = 0,
                            std::uint32_t dataBit = 1, std::uint32_t stopBit = 0) {
    ComSettings settings;
    settings.FlowControl = flowControl;
    settings.Parity = parity;
    settings.DataBit = dataBit;
    settings.StopBit = stopBit;
    settings.BuildLineConfig();
    return settings.LineConfig;
}

// A terminal configuration as a port might have been left: cooked, echoing,
// with every option on.
termios Cooked() {
    termios tio;
    std::memset(&tio, 0, sizeof tio);
    tio.c_iflag = ~tcflag_t{0};
    tio.c_oflag = ~tcflag_t{0};
    tio.c_lflag = ~tcflag_t{0};
    tio.c_cflag = ~tcflag_t{0};
    std::memset(tio.c_cc, 0x7F, sizeof tio.c_cc);
    return tio;
}

bool Has(tcflag_t flags, tcflag_t bits) {
    return (flags & bits) == bits;
}

TEST(TermiosConfigTest, RawEightNoneOneWithRtsCts) {
    termios tio = Cooked();
    ASSERT_TRUE(ApplyLineConfig(ConfigFor(kFlowRtsCts), tio));

    EXPECT_EQ(tio.c_iflag & (IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL), 0u);
    EXPECT_EQ(tio.c_iflag & INPCK, 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(tio.c_lflag & (ECHO | ECHONL | ICANON | ISIG | IEXTEN), 0u);
    EXPECT_EQ(tio.c_cflag & CSIZE, tcflag_t{CS8});
    EXPECT_EQ(tio.c_cflag & (CSTOPB | PARENB | PARODD), 0u);
    EXPECT_TRUE(Has(tio.c_cflag, CLOCAL | CREAD));
    EXPECT_TRUE(Has(tio.c_cflag, CRTSCTS));
    EXPECT_EQ(tio.c_cc[VMIN], 1);
    EXPECT_EQ(tio.c_cc[VTIME], 0);
    EXPECT_EQ(cfgetispeed(&tio), speed_t{B1200});
    EXPECT_EQ(cfgetospeed(&tio), speed_t{B1200});
}

TEST(TermiosConfigTest, FlowControlChoices) {
    // Xon/Xoff both ways plus CTS gating output; CTS only; nothing.
    const tcflag_t software[] = {IXON | IXOFF, 0, 0};
    const tcflag_t hardware[] = {CRTSCTS, CRTSCTS, 0};
    for (std::uint32_t flow : {kFlowXonXoff, kFlowRtsCts, kFlowNone}) {
        termios tio = Cooked();
        ASSERT_TRUE(ApplyLineConfig(ConfigFor(flow), tio));
        EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | IXANY), software[flow]) << kFlowControlTexts[flow];
        EXPECT_EQ(tio.c_cflag & CRTSCTS, hardware[flow]) << kFlowControlTexts[flow];
    }
    termios tio = Cooked();
    ASSERT_TRUE(ApplyLineConfig(ConfigFor(kFlowXonXoff), tio));
    EXPECT_EQ(tio.c_cc[VSTART], 0x11);
    EXPECT_EQ(tio.c_cc[VSTOP], 0x13);
}

TEST(TermiosConfigTest, WordLengthStopBitsAndParity) {
    termios tio = Cooked();
    ASSERT_TRUE(ApplyLineConfig(ConfigFor(kFlowNone, 1, 0, 1), tio)); // 7 even 2
    EXPECT_EQ(tio.c_cflag & CSIZE, tcflag_t{CS7});
    EXPECT_TRUE(Has(tio.c_cflag, CSTOPB | PARENB));
    EXPECT_EQ(tio.c_cflag & PARODD, 0u);
    EXPECT_TRUE(Has(tio.c_iflag, INPCK));

    ASSERT_TRUE(ApplyLineConfig(ConfigFor(kFlowNone, 2), tio)); // 8 odd 1
    EXPECT_EQ(tio.c_cflag & CSIZE, tcflag_t{CS8});
    EXPECT_EQ(tio.c_cflag & CSTOPB, 0u);
    EXPECT_TRUE(Has(tio.c_cflag, PARENB | PARODD));
    EXPECT_TRUE(Has(tio.c_iflag, INPCK));

    ASSERT_TRUE(ApplyLineConfig(ConfigFor(kFlowNone, 0), tio)); // back to none
    EXPECT_EQ(tio.c_cflag & (PARENB | PARODD), 0u);
    EXPECT_EQ(tio.c_iflag & INPCK, 0u);
}

TEST(TermiosConfigTest, EverySpeedOfTheList) {
    const speed_t speeds[] = {B300, B600, B1200, B2400, B4800, B9600};
    for (std::size_t i = 0; i < 6; ++i) {
        ComSettings settings;
        settings.BaudRate = static_cast<std::uint32_t>(i);
        settings.BuildLineConfig();
        termios tio = Cooked();
        ASSERT_TRUE(ApplyLineConfig(settings.LineConfig, tio)) << kBaudRateTexts[i];
        EXPECT_EQ(cfgetispeed(&tio), speeds[i]) << kBaudRateTexts[i];
        EXPECT_EQ(cfgetospeed(&tio), speeds[i]) << kBaudRateTexts[i];
    }
}

TEST(TermiosConfigTest, RefusesWhatItCannotSetAndLeavesTheTerminalAlone) {
    const LineConfiguration good = ConfigFor(kFlowRtsCts);
    LineConfiguration bad[5] = {good, good, good, good, good};
    bad[0].BaudRate = 115200;
    bad[1].BaudRate = 0;
    bad[2].ByteSize = 6;
    bad[3].StopBits = kOne5StopBits;
    bad[4].Parity = 3; // mark
    for (const LineConfiguration& config : bad) {
        termios tio = Cooked();
        const termios before = tio;
        EXPECT_FALSE(ApplyLineConfig(config, tio));
        EXPECT_EQ(std::memcmp(&tio, &before, sizeof tio), 0);
    }
}

} // namespace
} // namespace tessel
