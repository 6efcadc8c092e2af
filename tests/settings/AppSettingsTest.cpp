#include "settings/AppSettings.h"

#include "res/Language.h"
#include "settings/ProfileStore.h"
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
    EXPECT_EQ(settings.tabStop, 4u);
    EXPECT_EQ(settings.startLine, 10u);
    EXPECT_EQ(settings.lineStep, 10u);
    EXPECT_EQ(settings.printPage, 0);
    EXPECT_EQ(settings.faceName, kDefaultFaceName);
    EXPECT_EQ(settings.fontSize, 12);
    EXPECT_EQ(EditFontHeight(settings.fontSize), 16);
    EXPECT_EQ(settings.previewPages, 0);
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
                                          "[LineNumber]\r\nStartLine=100\r\nStep=65278\r\n");
    EXPECT_EQ(settings.m_recentFiles, (std::vector<std::string>{"/home/u/a.bas", "/home/u/c.txt"}));
    EXPECT_EQ(settings.previewPages, 2);
    EXPECT_EQ(settings.m_comSettings.LineConfig.BaudRate, 9600u);
    EXPECT_EQ(settings.m_comSettings.PortName, "COM2");
    EXPECT_EQ(settings.faceName, "Mono");
    EXPECT_EQ(settings.fontSize, 10);
    EXPECT_EQ(settings.tabStop, 10u);
    EXPECT_EQ(settings.printPage, -3);
    EXPECT_EQ(settings.startLine, 100u);
    EXPECT_EQ(settings.lineStep, 65278u);
}

TEST_F(AppSettingsTest, TabStopOutsideOneToTenBecomesFour) {
    for (const char* stored : {"0", "11", "-1", "abc"})
        EXPECT_EQ(LoadFrom(std::string("[Edit]\nTabStop=") + stored + "\n").tabStop, 4u) << stored;
    EXPECT_EQ(LoadFrom("[Edit]\nTabStop=1\n").tabStop, 1u);
}

// A number outside its range counts as absent, and each one is named.
TEST_F(AppSettingsTest, ValuesOutOfRangeAreIgnoredAndNamed) {
    SetLanguage(Language::English);
    struct Case {
        const char* file;
        std::string ignored;
    };
    const Case cases[] = {
        {"[LineNumber]\nStartLine=0\n", "[LineNumber] StartLine=0 is not 1 to 65279; 10 is used"},
        {"[LineNumber]\nStartLine=abc\n", "[LineNumber] StartLine=0 is not 1 to 65279; 10 is used"},
        {"[LineNumber]\nStartLine=99999\n",
         "[LineNumber] StartLine=99999 is not 1 to 65279; 10 is used"},
        {"[LineNumber]\nStep=0\n", "[LineNumber] Step=0 is not 1 to 65278; 10 is used"},
        {"[Edit]\nTabStop=11\n", "[Edit] TabStop=11 is not 1 to 10; 4 is used"},
        {"[COMPORT]\nEndOfLine=7\n", "[COMPORT] EndOfLine=7 is not 0 to 2; 2 is used"},
        {"[COMPORT]\nBaudRate=-1\n", "[COMPORT] BaudRate=-1 is not 0 to 5; 2 is used"},
        {"[COMPORT]\nEndOfFile=300\n", "[COMPORT] EndOfFile=300 is not 0 to 255; 26 is used"},
        {"[COMPORT]\nCharDelay=1001\n", "[COMPORT] CharDelay=1001 is not 0 to 1000; 0 is used"},
    };
    for (const Case& c : cases) {
        WriteBytes(path, c.file);
        const ProfileStore store(path);
        AppSettings settings;
        std::vector<std::string> ignored;
        settings.LoadSettings(store, &ignored);
        settings.LoadLineNumberSettings(store, &ignored);
        EXPECT_EQ(ignored, std::vector<std::string>{c.ignored}) << c.file;
        const AppSettings defaults;
        EXPECT_EQ(settings.startLine, defaults.startLine) << c.file;
        EXPECT_EQ(settings.lineStep, defaults.lineStep) << c.file;
        EXPECT_EQ(settings.tabStop, defaults.tabStop) << c.file;
        EXPECT_EQ(settings.m_comSettings.EndOfLine, defaults.m_comSettings.EndOfLine) << c.file;
        EXPECT_EQ(settings.m_comSettings.LineConfig, defaults.m_comSettings.LineConfig) << c.file;
        EXPECT_EQ(settings.m_comSettings.EndOfFile, defaults.m_comSettings.EndOfFile) << c.file;
    }
    // The limits themselves are taken.
    const AppSettings edge = LoadFrom("[LineNumber]\nStartLine=65279\nStep=1\n");
    EXPECT_EQ(edge.startLine, 65279u);
    EXPECT_EQ(edge.lineStep, 1u);
    SetLanguage(Language::Japanese);
}

TEST_F(AppSettingsTest, EveryGroupWrittenReadsBackThroughAFreshStore) {
    AppSettings written;
    written.m_comSettings.BaudRate = 5;
    written.m_comSettings.EndOfFile = 0x0a;
    written.m_comSettings.CharDelay = 3;
    written.m_comSettings.Device[1] = "/dev/ttyACM0";
    written.m_comSettings.BuildLineConfig();
    written.startLine = 100;
    written.lineStep = 5;
    written.tabStop = 8;
    written.printPage = 1;
    written.faceName = "\x82\x6c\x82\x72 Mono";
    written.fontSize = 9;
    written.previewPages = 2;
    written.m_recentFiles = {"/home/u/b.bas", "/home/u/a.bas"};
    written.windowPos = "0,3,-1,-1,-1,-1,30,40,630,520";
    {
        ProfileStore store(path);
        for (SettingGroup group :
             {SettingGroup::ComPort, SettingGroup::Font, SettingGroup::TabStop,
              SettingGroup::LineNumbers, SettingGroup::PrintPage, SettingGroup::PreviewPages,
              SettingGroup::RecentFiles, SettingGroup::WindowPos})
            EXPECT_TRUE(written.Write(store, group)) << static_cast<int>(group);
    }
    // Where the window reads it, in the section and form files have always
    // had it.
    EXPECT_NE(test::ReadBytes(path).find("[Settings]"), std::string::npos);
    EXPECT_EQ(WindowPosSetting(ProfileStore(path)), written.windowPos);
    const AppSettings read = LoadFrom(test::ReadBytes(path));
    EXPECT_EQ(read.m_comSettings.LineConfig, written.m_comSettings.LineConfig);
    EXPECT_EQ(read.m_comSettings.EndOfFile, 0x0au);
    EXPECT_EQ(read.m_comSettings.CharDelay, 3u);
    EXPECT_EQ(read.m_comSettings.Device[1], "/dev/ttyACM0");
    EXPECT_EQ(read.startLine, 100u);
    EXPECT_EQ(read.lineStep, 5u);
    EXPECT_EQ(read.tabStop, 8u);
    EXPECT_EQ(read.printPage, 1);
    EXPECT_EQ(read.faceName, written.faceName);
    EXPECT_EQ(read.fontSize, 9);
    EXPECT_EQ(read.previewPages, 2);
    EXPECT_EQ(read.m_recentFiles, written.m_recentFiles);

    // A shorter list removes the keys past its end; a preview setting of 0,
    // and no placement, leave the stored ones alone.
    written.m_recentFiles.pop_back();
    written.previewPages = 0;
    written.windowPos.clear();
    ProfileStore store(path);
    EXPECT_TRUE(written.Write(store, SettingGroup::RecentFiles));
    EXPECT_TRUE(written.Write(store, SettingGroup::PreviewPages));
    EXPECT_TRUE(written.Write(store, SettingGroup::WindowPos));
    const AppSettings again = LoadFrom(test::ReadBytes(path));
    EXPECT_EQ(again.m_recentFiles, written.m_recentFiles);
    EXPECT_EQ(again.previewPages, 2);
    EXPECT_EQ(WindowPosSetting(ProfileStore(path)), "0,3,-1,-1,-1,-1,30,40,630,520");
}

TEST_F(AppSettingsTest, AFailedWriteSaysWhy) {
    std::filesystem::create_directory(path); // a folder where the file should be
    ProfileStore store(path);
    EXPECT_FALSE(AppSettings().Write(store, SettingGroup::TabStop));
    EXPECT_FALSE(store.LastError().empty());
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
