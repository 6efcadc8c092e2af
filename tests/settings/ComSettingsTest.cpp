#include "settings/ComSettings.h"

#include "settings/ProfileStore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tessel {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

class ComSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.ok()); }

    ComSettings LoadFrom(const std::string& comportLines) {
        WriteBytes(path, "[COMPORT]\r\n" + comportLines);
        ComSettings settings;
        settings.Load(ProfileStore(path));
        return settings;
    }

    TempDir dir;
    std::string path = dir.file("tessel.INI");
};

// The record as loading no file gives it, with the flow control chosen.
LineConfiguration Expected(std::uint32_t flowControl) {
    LineConfiguration c;
    c.BaudRate = 1200;
    c.ByteSize = 8;
    c.fBinary = 1;
    switch (flowControl) {
    case kFlowXonXoff:
        c.fOutxCtsFlow = 1;
        c.fDtrControl = kDtrEnable;
        c.fTXContinueOnXoff = 1;
        c.fOutX = 1;
        c.fInX = 1;
        c.fRtsControl = kRtsEnable;
        c.XonChar = 0x11;
        c.XoffChar = 0x13;
        c.XonLim = 1000;
        c.XoffLim = 1000;
        break;
    case kFlowRtsCts:
        c.fOutxCtsFlow = 1;
        c.fRtsControl = kRtsEnable;
        break;
    default:
        break;
    }
    return c;
}

TEST_F(ComSettingsTest, OutOfRangeValuesTakeTheirDefaults) {
    const ComSettings settings = LoadFrom("BaudRate=9\r\nCOMPort=4\r\nDataBit=2\r\nEndOfLine=3\r\n"
                                          "FlowControl=7\r\nParity=3\r\nStopBit=2\r\n");
    const ComSettings defaults;
    EXPECT_EQ(settings.BaudRate, 2u);
    EXPECT_EQ(settings.COMPort, 0u);
    EXPECT_EQ(settings.DataBit, 1u);
    EXPECT_EQ(settings.EndOfLine, 2u);
    EXPECT_EQ(settings.FlowControl, 1u);
    EXPECT_EQ(settings.Parity, 0u);
    EXPECT_EQ(settings.StopBit, 0u);
    EXPECT_EQ(settings.LineConfig, defaults.LineConfig);
    // Negative numbers are huge unsigned ones.
    EXPECT_EQ(LoadFrom("BaudRate=-1\r\n").BaudRate, 2u);

    // The last index of each list is in range.
    const ComSettings top = LoadFrom("BaudRate=5\r\nCOMPort=3\r\nDataBit=0\r\nEndOfLine=0\r\n"
                                     "FlowControl=2\r\nParity=2\r\nStopBit=1\r\n");
    EXPECT_EQ(top.PortName, "COM4");
    EXPECT_EQ(top.LineConfig.BaudRate, 9600u);
    EXPECT_EQ(top.LineConfig.ByteSize, 7);
    EXPECT_EQ(top.LineConfig.StopBits, kTwoStopBits);
    EXPECT_EQ(top.LineConfig.Parity, kOddParity);
    EXPECT_EQ(top.EndOfLine, 0u);
    EXPECT_EQ(top.FlowControl, kFlowNone);
}

TEST_F(ComSettingsTest, EndOfFileTextIsLowerCaseHexOrOneAWhenReplaced) {
    const std::tuple<const char*, std::uint32_t, const char*> cases[] = {
        {"255", 255, "ff"}, {"10", 10, "a"},   {"0", 0, "0"},    {"", 26, "1a"},
        {"256", 26, "1A"},  {"300", 26, "1A"}, {"-1", 26, "1A"},
    };
    for (const auto& [stored, value, text] : cases) {
        const ComSettings settings = LoadFrom(std::string("EndOfFile=") + stored + "\r\n");
        EXPECT_EQ(settings.EndOfFile, value) << stored;
        EXPECT_EQ(settings.EndOfFileText, text) << stored;
    }
}

TEST_F(ComSettingsTest, WriteStoresTheEightKeysInOrderAndLoadsBack) {
    ComSettings written;
    written.BaudRate = 5;
    written.COMPort = 3;
    written.DataBit = 0;
    written.EndOfLine = 1;
    written.FlowControl = kFlowXonXoff;
    written.Parity = 1;
    written.StopBit = 1;
    written.EndOfFile = 13;
    written.BuildLineConfig();
    {
        ProfileStore store(path);
        ASSERT_TRUE(written.Write(store));
    }
    EXPECT_EQ(ReadBytes(path),
              "[COMPORT]\r\nBaudRate=5\r\nCOMPort=3\r\nDataBit=0\r\nEndOfLine=1\r\n"
              "FlowControl=0\r\nParity=1\r\nStopBit=1\r\nEndOfFile=13\r\n");

    ComSettings loaded;
    loaded.Load(ProfileStore(path));
    EXPECT_EQ(loaded.PortName, "COM4");
    EXPECT_EQ(loaded.EndOfLine, 1u);
    EXPECT_EQ(loaded.EndOfFile, 13u);
    EXPECT_EQ(loaded.EndOfFileText, "d");
    EXPECT_EQ(loaded.LineConfig, written.LineConfig);

    ProfileStore nowhere(dir.file("missing/tessel.INI"));
    EXPECT_FALSE(written.Write(nowhere));
}

TEST(BuildLineConfigTest, FlagsFollowTheFlowControlChoice) {
    for (std::uint32_t flow : {kFlowXonXoff, kFlowRtsCts, kFlowNone}) {
        ComSettings settings;
        settings.FlowControl = flow;
        settings.BuildLineConfig();
        EXPECT_EQ(settings.LineConfig, Expected(flow)) << kFlowControlTexts[flow];
    }
}

TEST(BuildLineConfigTest, LeavingXonXoffKeepsItsCharactersAndLimits) {
    ComSettings settings;
    settings.LineConfig.fDummy2 = 0x1FFFF; // spare bits are never touched
    settings.FlowControl = kFlowXonXoff;
    settings.BuildLineConfig();
    settings.FlowControl = kFlowNone;
    settings.BuildLineConfig();

    LineConfiguration expected = Expected(kFlowNone);
    expected.fDummy2 = 0x1FFFF;
    expected.XonChar = 0x11;
    expected.XoffChar = 0x13;
    expected.XonLim = 1000;
    expected.XoffLim = 1000;
    EXPECT_EQ(settings.LineConfig, expected);
}

TEST(BuildLineConfigTest, EvenThenNoneClearsParity) {
    ComSettings settings;
    settings.Parity = 1;
    settings.FlowControl = kFlowNone;
    settings.BuildLineConfig();
    EXPECT_EQ(settings.LineConfig.Parity, kEvenParity);
    EXPECT_EQ(settings.LineConfig.fParity, 1); // the flow-control step keeps it
    settings.Parity = 0;
    settings.BuildLineConfig();
    EXPECT_EQ(settings.LineConfig.Parity, kNoParity);
    EXPECT_EQ(settings.LineConfig.fParity, 0);
}

TEST(BuildLineConfigTest, IndicesOutOfRangeCountAsDefaults) {
    ComSettings settings;
    settings.BaudRate = 6;
    settings.COMPort = 0xFFFFFFFF;
    settings.FlowControl = 3;
    settings.BuildLineConfig();
    EXPECT_EQ(settings.PortName, "COM1");
    EXPECT_EQ(settings.LineConfig, Expected(kFlowRtsCts));
}

TEST(ApplyComSettingsTest, TakesTheDialogsValuesAndRebuilds) {
    ComSettings dialog;
    dialog.BaudRate = 0;
    dialog.COMPort = 2;
    dialog.DataBit = 0;
    dialog.EndOfLine = 0;
    dialog.FlowControl = kFlowXonXoff;
    dialog.Parity = 1;
    dialog.StopBit = 1;
    dialog.EndOfFile = 13;
    dialog.EndOfFileText = "0D";
    dialog.PortName = "stale";
    dialog.CharDelay = 1000;
    dialog.LineDelay = 250;
    dialog.Device[2] = "/dev/ttyS2";

    ComSettings settings;
    settings.ApplyComSettings(dialog);
    EXPECT_EQ(settings.PortName, "COM3");
    EXPECT_EQ(settings.EndOfLine, 0u);
    EXPECT_EQ(settings.EndOfFile, 13u);
    EXPECT_EQ(settings.EndOfFileText, "0D");
    EXPECT_EQ(settings.CharDelay, 1000u);
    EXPECT_EQ(settings.LineDelay, 250u);
    EXPECT_EQ(settings.Device[2], "/dev/ttyS2");
    dialog.BuildLineConfig();
    EXPECT_EQ(settings.LineConfig, dialog.LineConfig);

    // Nothing out of range gets in to be stored later.
    dialog.EndOfLine = 3;
    dialog.EndOfFile = 256;
    dialog.LineDelay = 1001;
    settings.ApplyComSettings(dialog);
    EXPECT_EQ(settings.EndOfLine, 2u);
    EXPECT_EQ(settings.EndOfFile, 26u);
    EXPECT_EQ(settings.EndOfFileText, "1A");
    EXPECT_EQ(settings.LineDelay, 0u);
}

TEST_F(ComSettingsTest, PacingAndDevicesLoadAndAreWrittenOnlyWhenTheyMatter) {
    ComSettings settings = LoadFrom("CharDelay=1000\r\nLineDelay=1001\r\nDevice2=/dev/ttyS0\r\n");
    EXPECT_EQ(settings.CharDelay, 1000u);
    EXPECT_EQ(settings.LineDelay, 0u); // out of range
    EXPECT_EQ(settings.Device[1], "/dev/ttyS0");

    // Keys the file has are kept up to date, back at their defaults too;
    // the others are written only when set.
    settings.CharDelay = 0;
    settings.Device[3] = "/dev/ttyACM0";
    ProfileStore store(path);
    ASSERT_TRUE(settings.Write(store));
    EXPECT_EQ(ReadBytes(path), "[COMPORT]\r\nCharDelay=0\r\nLineDelay=0\r\nDevice2=/dev/ttyS0\r\n"
                               "BaudRate=2\r\nCOMPort=0\r\nDataBit=1\r\nEndOfLine=2\r\n"
                               "FlowControl=1\r\nParity=0\r\nStopBit=0\r\nEndOfFile=26\r\n"
                               "Device4=/dev/ttyACM0\r\n");
}

} // namespace
} // namespace tessel
