#include "settings/ProfileStore.h"

#include "support/SysCallFaults.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

namespace tessel {
namespace {

using test::FileFaults;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

class ProfileStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.ok()); }

    // A store over a file holding `bytes`.
    ProfileStore StoreWith(const std::string& bytes) {
        WriteBytes(path, bytes);
        return ProfileStore(path);
    }

    TempDir dir;
    std::string path = dir.file("tessel.INI");
};

TEST_F(ProfileStoreTest, MissingFileReadsDefaultsAndIsNotCreatedByReading) {
    ProfileStore store(path);
    EXPECT_EQ(store.GetProfileInt("Edit", "TabStop", 4), 4u);
    EXPECT_EQ(store.GetProfileInt("Edit", "TabStop", -1), 0xFFFFFFFFu);
    EXPECT_EQ(store.GetProfileString("Font", "FaceName", "dflt"), "dflt");
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(ProfileStoreTest, NamesCompareWithoutCaseButDoubleByteCharactersExactly) {
    // 0x83 0x41 and 0x83 0x61 are different katakana whose second bytes
    // happen to be "A" and "a".
    ProfileStore store = StoreWith("[comport]\r\nbaudrate=5\r\n\x83\x41=1\r\n");
    EXPECT_EQ(store.GetProfileInt("COMPORT", "BaudRate", 2), 5u);
    EXPECT_EQ(store.GetProfileInt("COMPORT", "Parity", 9), 9u);
    EXPECT_EQ(store.GetProfileInt("Other", "BaudRate", 9), 9u);
    EXPECT_EQ(store.GetProfileInt("ComPort", "\x83\x41", 0), 1u);
    EXPECT_EQ(store.GetProfileInt("ComPort", "\x83\x61", 0), 0u);
}

TEST_F(ProfileStoreTest, IntegersReadAsSignedDecimalReturnedUnsigned) {
    const std::pair<const char*, std::uint32_t> cases[] = {
        {"42", 42},
        {"12abc", 12},
        {"-1", 0xFFFFFFFF},
        {"+7", 7},
        {"abc", 0},
        {"   9   ", 9},
        {"\"33\"", 33},
        {"", 5},
        {"   ", 5}, // empty counts as missing
        // Too large numbers stop at the limit instead of wrapping into range.
        {"99999999999", 0x7FFFFFFF},
        {"-99999999999", 0x80000000},
    };
    std::string file = "[N]\r\n";
    for (std::size_t i = 0; i < std::size(cases); ++i)
        file += "k" + std::to_string(i) + "=" + cases[i].first + "\r\n";
    ProfileStore store = StoreWith(file);
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(store.GetProfileInt("N", "k" + std::to_string(i), 5), cases[i].second)
            << '"' << cases[i].first << '"';
}

TEST_F(ProfileStoreTest, StringsAreTrimmedAndLoseMatchingQuotes) {
    ProfileStore store = StoreWith("[S]\n"
                                   "  spaced  =  two words \t\n"
                                   "quoted=\"  kept  \"\n"
                                   "half=\"open\n"
                                   "empty=\n"
                                   "; commented=1\n"
                                   "equals=a=b\n");
    EXPECT_EQ(store.GetProfileString("S", "spaced", "d"), "two words");
    EXPECT_EQ(store.GetProfileString("S", "quoted", "d"), "  kept  ");
    EXPECT_EQ(store.GetProfileString("S", "half", "d"), "\"open");
    EXPECT_EQ(store.GetProfileString("S", "empty", "d"), "");
    EXPECT_EQ(store.GetProfileString("S", "; commented", "d"), "d");
    EXPECT_EQ(store.GetProfileString("S", "equals", "d"), "a=b");
}

TEST_F(ProfileStoreTest, FirstOccurrenceWins) {
    ProfileStore store = StoreWith("[A]\r\nk=1\r\nk=2\r\n[B]\r\nk=3\r\n[a]\r\nk=4\r\nonly=5\r\n");
    EXPECT_EQ(store.GetProfileInt("A", "k", 0), 1u);
    EXPECT_EQ(store.GetProfileInt("A", "only", 0), 0u);

    ASSERT_TRUE(store.WriteProfileInt("A", "k", 9));
    EXPECT_EQ(ReadBytes(path), "[A]\r\nk=9\r\nk=2\r\n[B]\r\nk=3\r\n[a]\r\nk=4\r\nonly=5\r\n");
}

TEST_F(ProfileStoreTest, LongValuesAreCutAt4095BytesWithoutSplittingACharacter) {
    const std::string longValue(5000, 'x');
    // A double-byte character straddling the limit is dropped whole.
    const std::string straddling = std::string(4094, 'y') + "\x82\xa0" + "zz";
    ProfileStore store = StoreWith("[S]\r\nlong=" + longValue + "\r\nwide=" + straddling + "\r\n");
    EXPECT_EQ(store.GetProfileString("S", "long", ""), std::string(4095, 'x'));
    EXPECT_EQ(store.GetProfileString("S", "wide", ""), std::string(4094, 'y'));
}

TEST_F(ProfileStoreTest, FirstWriteCreatesTheFileWithCrLf) {
    {
        ProfileStore store(path);
        ASSERT_TRUE(store.WriteProfileInt("Edit", "TabStop", -5));
        ASSERT_TRUE(store.WriteProfileString("Font", "FaceName", "Mono"));
        EXPECT_EQ(store.GetProfileInt("Edit", "TabStop", 4), static_cast<std::uint32_t>(-5));
    }
    EXPECT_EQ(ReadBytes(path), "[Edit]\r\nTabStop=-5\r\n\r\n[Font]\r\nFaceName=Mono\r\n");
    ProfileStore reread(path);
    EXPECT_EQ(reread.GetProfileString("Font", "FaceName", ""), "Mono");
}

TEST_F(ProfileStoreTest, WritingAKeyKeepsEveryOtherByte) {
    const std::string before = "; settings\r\n"
                               "\r\n"
                               "[Edit]  ; the editor\r\n"
                               "  tabstop = 8   \r\n"
                               "Other=  keep me  \r\n"
                               "\r\n"
                               "[Misc]\r\n"
                               "PrintPage=1";
    ProfileStore store = StoreWith(before);
    ASSERT_TRUE(store.WriteProfileInt("EDIT", "TabStop", 3));
    EXPECT_EQ(ReadBytes(path), "; settings\r\n"
                               "\r\n"
                               "[Edit]  ; the editor\r\n"
                               "  tabstop = 3\r\n"
                               "Other=  keep me  \r\n"
                               "\r\n"
                               "[Misc]\r\n"
                               "PrintPage=1");
    EXPECT_EQ(store.GetProfileInt("Edit", "TabStop", 0), 3u);
    EXPECT_EQ(store.GetProfileString("Edit", "Other", ""), "keep me");
}

TEST_F(ProfileStoreTest, WritingKeepsChangesMadeToTheFileSinceItWasRead) {
    ProfileStore store = StoreWith("[Edit]\r\nTabStop=4\r\n");
    WriteBytes(path, "[Edit]\r\nTabStop=4\r\n[Font]\r\nSize=9\r\n"); // edited by hand
    ASSERT_TRUE(store.WriteProfileInt("Edit", "TabStop", 8));
    EXPECT_EQ(ReadBytes(path), "[Edit]\r\nTabStop=8\r\n[Font]\r\nSize=9\r\n");
    EXPECT_EQ(store.GetProfileInt("Font", "Size", 12), 9u);
}

TEST_F(ProfileStoreTest, NewKeyGoesAtTheEndOfItsSectionInTheFilesLineEnds) {
    ProfileStore store = StoreWith("[Edit]\nTabStop=4\n\n\n[Misc]\nPrintPage=0\n");
    ASSERT_TRUE(store.WriteProfileString("edit", "Extra", "1"));
    EXPECT_EQ(ReadBytes(path), "[Edit]\nTabStop=4\nExtra=1\n\n\n[Misc]\nPrintPage=0\n");

    // The last section, whose last line has no line end yet.
    ProfileStore last = StoreWith("[Edit]\r\nTabStop=4\r\n[Misc]\r\nPrintPage=0");
    ASSERT_TRUE(last.WriteProfileInt("Misc", "Copies", 2));
    EXPECT_EQ(ReadBytes(path), "[Edit]\r\nTabStop=4\r\n[Misc]\r\nPrintPage=0\r\nCopies=2\r\n");
}

TEST_F(ProfileStoreTest, NewSectionIsAppended) {
    ProfileStore store = StoreWith("[Edit]\nTabStop=4");
    ASSERT_TRUE(store.WriteProfileInt("LineNumber", "Step", 20));
    EXPECT_EQ(ReadBytes(path), "[Edit]\nTabStop=4\n\n[LineNumber]\nStep=20\n");
    EXPECT_EQ(store.GetProfileInt("LineNumber", "Step", 10), 20u);
    EXPECT_EQ(store.GetProfileInt("Edit", "TabStop", 0), 4u);
}

TEST_F(ProfileStoreTest, CodePage932BytesRoundTrip) {
    // "ＭＳ ゴシック" and a path with a trail byte that is "\".
    const std::string face = "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";
    const std::string file = "C:\\\x95\x5c\\a.bas";
    {
        ProfileStore store(path);
        ASSERT_TRUE(store.WriteProfileString("Font", "FaceName", face));
        ASSERT_TRUE(store.WriteProfileString("Recent File List", "File1", file));
    }
    EXPECT_EQ(ReadBytes(path), "[Font]\r\nFaceName=" + face +
                                   "\r\n\r\n[Recent File List]\r\nFile1=" + file + "\r\n");
    ProfileStore reread(path);
    EXPECT_EQ(reread.GetProfileString("Font", "FaceName", ""), face);
    EXPECT_EQ(reread.GetProfileString("Recent File List", "File1", ""), file);
}

TEST_F(ProfileStoreTest, ValuesThatReadingWouldChangeAreWrittenQuoted) {
    ProfileStore store(path);
    for (const std::string value : {" lead", "trail\t", "\"quoted\"", "  "}) {
        ASSERT_TRUE(store.WriteProfileString("S", "k", value));
        EXPECT_EQ(ProfileStore(path).GetProfileString("S", "k", "d"), value);
    }
    ASSERT_TRUE(store.WriteProfileString("S", "k", "a \"b\" c"));
    EXPECT_EQ(ReadBytes(path), "[S]\r\nk=a \"b\" c\r\n");
}

TEST_F(ProfileStoreTest, RefusesNamesAndValuesThatWouldBreakTheFile) {
    ProfileStore store = StoreWith("[S]\r\nk=1\r\n");
    EXPECT_FALSE(store.WriteProfileString("S", "k", "1\r\n[Evil]\r\nx=2"));
    EXPECT_FALSE(store.WriteProfileString("S", "k", std::string("a\0b", 3)));
    EXPECT_FALSE(store.WriteProfileInt("S", "a=b", 1));
    EXPECT_FALSE(store.WriteProfileInt("S", "", 1));
    EXPECT_FALSE(store.WriteProfileInt("S", "[x]", 1));
    EXPECT_FALSE(store.WriteProfileInt("S]", "k", 1));
    EXPECT_FALSE(store.WriteProfileInt("S\n", "k", 1));
    EXPECT_EQ(ReadBytes(path), "[S]\r\nk=1\r\n");
    EXPECT_EQ(store.GetProfileInt("S", "k", 0), 1u);
}

#if !defined(_WIN32) // Windows replaces with its own calls
TEST_F(ProfileStoreTest, WriteFailureReturnsFalse) {
    ProfileStore noFolder(dir.file("missing/tessel.INI"));
    EXPECT_FALSE(noFolder.WriteProfileInt("Edit", "TabStop", 5));
    EXPECT_EQ(noFolder.GetProfileInt("Edit", "TabStop", 4), 4u);

    ProfileStore folder(dir.path());
    EXPECT_FALSE(folder.WriteProfileInt("Edit", "TabStop", 5));
    EXPECT_TRUE(std::filesystem::is_directory(dir.path()));

    ProfileStore store = StoreWith("[Edit]\r\nTabStop=6\r\n");
    const test::ScopedFileFaults faults({.call = "rename", .error = EXDEV});
    EXPECT_FALSE(store.WriteProfileInt("Edit", "TabStop", 5));
    EXPECT_EQ(store.LastError(), std::strerror(EXDEV));
    EXPECT_EQ(store.GetProfileInt("Edit", "TabStop", 4), 6u);
    EXPECT_EQ(ReadBytes(path), "[Edit]\r\nTabStop=6\r\n");
}
#endif

#if !defined(_WIN32) // POSIX permissions
TEST_F(ProfileStoreTest, ReadOnlyFolderMakesWritesFailAndKeepsTheOldValues) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    ProfileStore store = StoreWith("[Edit]\r\nTabStop=6\r\n");
    ASSERT_EQ(::chmod(dir.path().c_str(), 0500), 0);
    EXPECT_FALSE(store.WriteProfileInt("Edit", "TabStop", 5));
    ::chmod(dir.path().c_str(), 0700);
    EXPECT_EQ(store.GetProfileInt("Edit", "TabStop", 4), 6u);
    EXPECT_EQ(ReadBytes(path), "[Edit]\r\nTabStop=6\r\n");
}
#endif

TEST_F(ProfileStoreTest, AWriteThatCannotReadTheFileKeepsTheCopyRead) {
    ProfileStore store = StoreWith("[Edit]\r\nTabStop=6\r\n");
    // Something that cannot be read takes the file's place.
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    EXPECT_FALSE(store.WriteProfileInt("Misc", "PrintPage", 1));
    EXPECT_FALSE(store.LastError().empty());
    EXPECT_EQ(store.GetProfileInt("Edit", "TabStop", 4), 6u);
}

#if !defined(_WIN32) // POSIX permissions
TEST_F(ProfileStoreTest, UnreadableFileIsNeverOverwritten) {
    const std::string before = "[Edit]\r\nTabStop=6\r\n";
    WriteBytes(path, before);
    const struct {
        FileFaults faults;
        bool readable;
    } cases[] = {
        {{.call = "open", .interrupts = 2}, true},
        {{.call = "read", .interrupts = 2, .chunk = 3}, true},
        {{.call = "open", .error = EACCES}, false},
        {{.call = "read", .error = EIO}, false},
    };
    for (const auto& c : cases) {
        const test::ScopedFileFaults scoped(c.faults);
        ProfileStore store(path);
        EXPECT_EQ(store.GetProfileInt("Edit", "TabStop", 4), c.readable ? 6u : 4u) << c.faults.call;
        if (!c.readable) {
            EXPECT_FALSE(store.WriteProfileInt("Misc", "PrintPage", 1)) << c.faults.call;
            EXPECT_EQ(ReadBytes(path), before);
        }
    }

    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads any file";
    ASSERT_EQ(::chmod(path.c_str(), 0200), 0);
    ProfileStore store(path);
    EXPECT_EQ(store.GetProfileInt("Edit", "TabStop", 4), 4u);
    EXPECT_FALSE(store.WriteProfileInt("Misc", "PrintPage", 1));
    ::chmod(path.c_str(), 0600);
    EXPECT_EQ(ReadBytes(path), "[Edit]\r\nTabStop=6\r\n");
}
#endif

TEST(ProfilePathTest, SettingsFileSitsBesideTheExecutable) {
    EXPECT_EQ(ProfilePathFor("/opt/x/tessel"), "/opt/x/tessel.INI");
    EXPECT_EQ(ProfilePathFor("/a/Marlo.exe"), "/a/Marlo.INI");
    EXPECT_EQ(ProfilePathFor("/a.d/b.c.exe"), "/a.d/b.c.INI");
    EXPECT_EQ(ProfilePathFor("/a.d/tessel"), "/a.d/tessel.INI");
    EXPECT_EQ(ProfilePathFor("tessel"), "tessel.INI");

    const std::string exe = ExecutablePath();
    ASSERT_FALSE(exe.empty());
    EXPECT_TRUE(std::filesystem::path(exe).is_absolute()) << exe;
    EXPECT_TRUE(std::filesystem::is_regular_file(exe));
#if !defined(_WIN32) // Windows asks GetModuleFileNameW

    // A path longer than the first guess at its length arrives whole.
    static const std::string kLong = "/opt/" + std::string(600, 'd') + "/tessel";
    sys::Calls calls = sys::RealCalls();
    calls.readlink = [](const char*, char* buffer, std::size_t size) -> ssize_t {
        const std::size_t n = std::min(size, kLong.size()); // cut short, as readlink does
        kLong.copy(buffer, n);
        return static_cast<ssize_t>(n);
    };
    const test::ScopedCalls scoped(calls);
    EXPECT_EQ(ExecutablePath(), kLong);
#endif
}

} // namespace
} // namespace tessel
