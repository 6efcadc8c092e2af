#include "comm/DcbConfig.h"

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

// A DCB as a port might have been left: every option on.
DCB Everything() {
    DCB dcb;
    std::memset(&dcb, 0xFF, sizeof dcb);
    return dcb;
}

TEST(DcbConfigTest, TheLineGoesOverAsTheSettingsBuildIt) {
    for (const std::uint32_t flow : {kFlowXonXoff, kFlowRtsCts, kFlowNone}) {
        const LineConfiguration config = ConfigFor(flow, 2, 0, 1);
        DCB dcb = Everything();
        ASSERT_TRUE(ApplyLineConfig(config, dcb)) << flow;
        EXPECT_EQ(dcb.DCBlength, sizeof(DCB));
        EXPECT_EQ(dcb.BaudRate, config.BaudRate);
        EXPECT_EQ(dcb.ByteSize, 7);
        EXPECT_EQ(dcb.Parity, config.Parity);
        EXPECT_EQ(dcb.StopBits, TWOSTOPBITS);
        EXPECT_EQ(dcb.fParity, config.fParity);
        EXPECT_EQ(dcb.fOutxCtsFlow, config.fOutxCtsFlow) << flow;
        EXPECT_EQ(dcb.fOutX, config.fOutX) << flow;
        EXPECT_EQ(dcb.fInX, config.fInX) << flow;
        EXPECT_EQ(dcb.fDtrControl, config.fDtrControl);
        EXPECT_EQ(dcb.fRtsControl, config.fRtsControl);
        EXPECT_EQ(dcb.XonChar, config.XonChar);
        EXPECT_EQ(dcb.XoffChar, config.XoffChar);
        // Every byte arrives as it was sent.
        EXPECT_EQ(dcb.fBinary, 1u);
        EXPECT_EQ(dcb.fNull, 0u);
        EXPECT_EQ(dcb.fErrorChar, 0u);
        EXPECT_EQ(dcb.fAbortOnError, 0u);
    }
    EXPECT_EQ(ConfigFor(kFlowRtsCts).fOutxCtsFlow, 1u);
}

TEST(DcbConfigTest, WhatTheLinuxPortRefusesIsRefusedAndLeavesTheDcbAlone) {
    const auto refused = [](void (*change)(LineConfiguration&)) {
        LineConfiguration config = ConfigFor(kFlowNone);
        change(config);
        DCB dcb = Everything();
        const bool applied = ApplyLineConfig(config, dcb);
        const DCB untouched = Everything();
        return !applied && std::memcmp(&dcb, &untouched, sizeof dcb) == 0;
    };
    EXPECT_TRUE(refused([](LineConfiguration& c) { c.BaudRate = 115200; }));
    EXPECT_TRUE(refused([](LineConfiguration& c) { c.ByteSize = 6; }));
    EXPECT_TRUE(refused([](LineConfiguration& c) { c.StopBits = kOne5StopBits; }));
    EXPECT_TRUE(refused([](LineConfiguration& c) { c.Parity = 3; })); // mark
}

} // namespace
} // namespace tessel
