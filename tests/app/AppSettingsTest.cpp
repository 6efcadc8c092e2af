#include "app/AppSettings.h"

#include "app/ProfileStore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

namespace tessel {
namespace {

using test::TempDir;
using test::WriteBytes;

class AppSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.ok()); }

    AppSettings LoadFrom(const std::string& bytes) {
        WriteBytes(path, bytes);
        ProfileStore store(path);
        AppSettings settings;
        settings.LoadSettings(store);
        settings.LoadLineNumberSettings(store);
        return settings;
    }

    TempDir dir;
    std::string path = dir.file("tessel.INI");
};

TEST_F(AppSettingsTest, NoFileGivesTheDefaultsAndWritesNothing) {
    ProfileStore store(path);
    AppSettings settings;
    settings.LoadSettings(store);
    settings.LoadLineNumberSettings(store);
    EXPECT_FALSE(std::filesystem::exists(path));

    const ComSettings& com = settings.m_comSettings;
    EXPECT_EQ(com.PortName, "COM1");
    EXPECT_EQ(com.LineConfig.BaudRate, 1200u);
    EXPECT_EQ(com.LineConfig.ByteSize, 8);
    EXPECT_EQ(com.LineConfig.StopBits, kOneStopBit);
    EXPECT_EQ(com.LineConfig.Parity, kNoParity);
    EXPECT_EQ(com.EndOfLine, 2u);
    EXPECT_EQ(com.FlowControl, kFlowRtsCts);
    EXPECT_EQ(com.EndOfFile, 26u);
    EXPECT_EQ(com.EndOfFileText, "1a");
    EXPECT_EQ(settings.m_nTabStop, 4u);
    EXPECT_EQ(settings.m_nStartLine, 10u);
    EXPECT_EQ(settings.m_nLineStep, 10u);
    EXPECT_EQ(settings.m_nPrintPage, 0);
    EXPECT_EQ(settings.m_strFaceName, kDefaultFaceName);
    EXPECT_EQ(settings.m_nFontSize, 12);
    EXPECT_EQ(EditFontHeight(settings.m_nFontSize), 16);
    EXPECT_EQ(settings.m_nPreviewPages, 0);
    EXPECT_TRUE(settings.m_recentFiles.empty());

    // Documents and the command line may work from defaults with no file at
    // all: those must match what loading gives, line configuration included.
    const AppSettings untouched;
    EXPECT_EQ(untouched.m_comSettings.LineConfig, com.LineConfig);
    EXPECT_EQ(untouched.m_comSettings.PortName, com.PortName);
    EXPECT_EQ(untouched.m_comSettings.EndOfFileText, com.EndOfFileText);
}

TEST_F(AppSettingsTest, StoredValuesAreTaken) {
    const AppSettings settings = LoadFrom("[Recent File List]\r\n"
                                          "File1=/home/u/a.bas\r\n"
                                          "File3=/home/u/c.txt\r\n"
                                          "[Settings]\r\nPreviewPages=2\r\n"
                                          "[COMPORT]\r\nBaudRate=5\r\nCOMPort=1\r\n"
                                          "[Font]\r\nFaceName=Mono\r\nSize=10\r\n"
                                          "[Edit]\r\nTabStop=10\r\n"
                                          "[Misc]\r\nPrintPage=-3\r\n"
                                          "[LineNumber]\r\nStartLine=100\r\nStep=-1\r\n");
    EXPECT_EQ(settings.m_recentFiles, (std::vector<std::string>{"/home/u/a.bas", "/home/u/c.txt"}));
    EXPECT_EQ(settings.m_nPreviewPages, 2);
    EXPECT_EQ(settings.m_comSettings.LineConfig.BaudRate, 9600u);
    EXPECT_EQ(settings.m_comSettings.PortName, "COM2");
    EXPECT_EQ(settings.m_strFaceName, "Mono");
    EXPECT_EQ(settings.m_nFontSize, 10);
    EXPECT_EQ(settings.m_nTabStop, 10u);
    EXPECT_EQ(settings.m_nPrintPage, -3);
    EXPECT_EQ(settings.m_nStartLine, 100u);
    EXPECT_EQ(settings.m_nLineStep, 0xFFFFFFFFu);
}

TEST_F(AppSettingsTest, TabStopOutsideOneToTenBecomesFour) {
    for (const char* stored : {"0", "11", "-1", "abc"})
        EXPECT_EQ(LoadFrom(std::string("[Edit]\nTabStop=") + stored + "\n").m_nTabStop, 4u)
            << stored;
    EXPECT_EQ(LoadFrom("[Edit]\nTabStop=1\n").m_nTabStop, 1u);
}

TEST(EditFontHeightTest, FourThirdsOfThePointSizeCutTowardZero) {
    EXPECT_EQ(EditFontHeight(12), 16);
    EXPECT_EQ(EditFontHeight(10), 13);
    EXPECT_EQ(EditFontHeight(9), 12);
    EXPECT_EQ(EditFontHeight(-10), -13);
    // Any size from the file must not overflow.
    EXPECT_EQ(EditFontHeight(INT_MAX), INT_MAX);
    EXPECT_EQ(EditFontHeight(INT_MIN), INT_MIN);
    EXPECT_EQ(EditFontHeight(1'000'000'000), 1'333'333'333);
}

} // namespace
} // namespace tessel
