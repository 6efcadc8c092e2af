#include "sys/FileIo.h"
#include "res/StringTable.h"
#include "support/SysCallFaults.h"
#include "support/TempDir.h"
#include "sys/Platform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tessel {
namespace {

using test::FileFaults;
using test::ScopedFileFaults;

// Bytes no two places of which look alike, so a lost or repeated piece shows.
std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>('a' + (i * 7 + i / 26) % 26);
    return bytes;
}

int Entries(const std::string& folder) {
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++entries;
    return entries;
}

TEST(ReadDocumentFile, StopsAtNulAndPastTheLimit) {
    test::TempDir dir;
    const std::string path = dir.file("f");
    test::WriteBytes(path, std::string("ab\0cd", 5));
    DocumentFile file;
    ASSERT_FALSE(ReadDocumentFile(path, 100, file));
    EXPECT_EQ(file.bytes, "ab");
    EXPECT_EQ(file.length, 5u);
    EXPECT_FALSE(file.shortRead);

    EXPECT_TRUE(file.cutAtNul);
    EXPECT_EQ(file.nulOffset, 2u);
    EXPECT_EQ(file.bytesAfterNul, 2u);

    // What follows the first NUL decides whether the text is cut: NULs alone
    // are padding; anything else is counted, however far it is.
    const struct {
        std::string bytes;
        bool cut;
        std::uint64_t offset, after;
    } nuls[] = {
        {std::string("ab\0\0\0", 5), false, 0, 0},
        {std::string("\0x", 2), true, 0, 1},
        {std::string("ab\0", 3) + std::string(100000, '\0') + "z", true, 2, 100001},
        {std::string("ab\0", 3) + std::string(100000, 'y'), true, 2, 100000},
    };
    for (const auto& c : nuls) {
        test::WriteBytes(path, c.bytes);
        ASSERT_FALSE(ReadDocumentFile(path, 100, file));
        EXPECT_EQ(file.cutAtNul, c.cut) << c.bytes.size();
        EXPECT_EQ(file.nulOffset, c.offset) << c.bytes.size();
        EXPECT_EQ(file.bytesAfterNul, c.after) << c.bytes.size();
        EXPECT_FALSE(file.shortRead);
    }
#if !defined(_WIN32)
    // Through a pipe, which says nothing of its length, the same count.
    const std::string fifo = dir.file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::thread writer([&] { test::WriteBytes(fifo, std::string("10 A\0\0B\0", 8)); });
    ASSERT_FALSE(ReadDocumentFile(fifo, 100, file));
    writer.join();
    EXPECT_EQ(file.bytes, "10 A");
    EXPECT_TRUE(file.cutAtNul);
    EXPECT_EQ(file.nulOffset, 4u);
    EXPECT_EQ(file.bytesAfterNul, 3u);
#endif

    test::WriteBytes(path, std::string(300000, 'x'));
    ASSERT_FALSE(ReadDocumentFile(path, 1000, file));
    EXPECT_GT(file.bytes.size(), 1000u);
    EXPECT_LT(file.bytes.size(), 300000u); // a huge file is not read whole
    EXPECT_FALSE(file.shortRead);

    const FileError error = ReadDocumentFile(dir.path(), 1000, file);
    EXPECT_EQ(error.Reason(), SystemReason(EISDIR));
    EXPECT_FALSE(error.IsNotFound());
    EXPECT_TRUE(ReadDocumentFile(dir.file("missing"), 1000, file).IsNotFound());
}

TEST(ReadDocumentFile, InterruptedAndShortReadsGiveTheWholeFile) {
    test::TempDir dir;
    const std::string path = dir.file("f");
    const std::string bytes = Pattern(150000);
    test::WriteBytes(path, bytes);
    for (const FileFaults& faults :
         {FileFaults{.call = "open", .interrupts = 2}, FileFaults{.call = "fstat", .interrupts = 2},
          FileFaults{.call = "read", .interrupts = 3, .chunk = 4099}}) {
        const ScopedFileFaults scoped(faults);
        DocumentFile file;
        ASSERT_FALSE(ReadDocumentFile(path, 200000, file)) << faults.call;
        EXPECT_EQ(file.bytes, bytes) << faults.call;
        EXPECT_FALSE(file.shortRead) << faults.call;
        std::string whole;
        ASSERT_FALSE(ReadWholeFile(path, whole)) << faults.call;
        EXPECT_EQ(whole, bytes) << faults.call;
        EXPECT_GT(scoped.Calls(), faults.interrupts) << faults.call;
    }
    const ScopedFileFaults failing({.call = "read", .passes = 1, .error = EIO, .chunk = 1000});
    DocumentFile file;
    EXPECT_EQ(ReadDocumentFile(path, 200000, file).Reason(), SystemReason(EIO));
    std::string whole;
    EXPECT_EQ(ReadWholeFile(path, whole).Reason(), SystemReason(EIO));
}

#if !defined(_WIN32) // POSIX permissions, owners and links
TEST(ReplaceFile, KeepsPermissionsAndFollowsLinks) {
    test::TempDir dir;
    const std::string path = dir.file("prog.bas");
    test::WriteBytes(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_FALSE(ReplaceFile(path, "new"));
    EXPECT_EQ(test::ReadBytes(path), "new");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    const std::string link = dir.file("link.bas");
    std::filesystem::create_symlink(path, link);
    ASSERT_FALSE(ReplaceFile(link, "via link"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(test::ReadBytes(path), "via link");

    // A link whose file does not exist yet: the file is made, the link kept
    // (a relative target is read from the link's folder).
    const std::string dangling = dir.file("dangling.bas");
    std::filesystem::create_symlink("sub/../made.bas", dangling);
    std::filesystem::create_directory(dir.file("sub"));
    ASSERT_FALSE(ReplaceFile(dangling, "made"));
    EXPECT_TRUE(std::filesystem::is_symlink(dangling));
    EXPECT_EQ(test::ReadBytes(dir.file("made.bas")), "made");
    std::filesystem::remove(dir.file("sub"));

    // Another user's file stays theirs where we may say so (as root here).
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(path.c_str(), 1234, 2345), 0);
        ASSERT_FALSE(ReplaceFile(path, "theirs"));
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, 1234u);
        EXPECT_EQ(st.st_gid, 2345u);
        EXPECT_EQ(st.st_mode & 07777, 0640u);
    }

    // Nothing is left behind in the folder.
    EXPECT_EQ(Entries(dir.path()), 4);
}
#endif

TEST(ReplaceFile, FailuresLeaveTheOldFile) {
    test::TempDir dir;
    const FileError error = ReplaceFile(dir.file("missing/x"), "data");
    EXPECT_EQ(error.Reason(), SystemReason(ENOENT));
    EXPECT_EQ(ReplaceFile(dir.path(), "data").Reason(), SystemReason(EISDIR));
#if !defined(_WIN32)
    // The error holds the fault, not a sentence: it is worded in the
    // language of the moment it is read.
    const FileError device = ReplaceFile("/dev/null", "data");
    EXPECT_EQ(device.Fault(), FileFault::NotRegularFile);
    EXPECT_EQ(device.Reason(), "通常のファイルではありません");
    SetLanguage(Language::English);
    EXPECT_EQ(device.Reason(), "Not a regular file");
    EXPECT_EQ(device.At("/dev").Reason(), "/dev: Not a regular file");
    SetLanguage(Language::Japanese);
#endif
}

#if !defined(_WIN32)
// A tool told where to write writes a device as it is, and asks the folder
// before it replaces a file there.
TEST(WriteOrReplaceFile, WritesDevicesAsTheyAreAndChecksTheFolderFirst) {
    test::TempDir dir;
    EXPECT_FALSE(WriteOrReplaceFile("/dev/null", "data"));
    EXPECT_FALSE(CheckWritable("/dev/null"));
    const std::string path = dir.file("prog.bas");
    EXPECT_FALSE(CheckWritable(path));
    EXPECT_FALSE(WriteOrReplaceFile(path, "10 A\r\n"));
    EXPECT_EQ(test::ReadBytes(path), "10 A\r\n");
    EXPECT_EQ(CheckWritable(dir.path()).Number(), EISDIR);
    EXPECT_TRUE(CheckWritable(dir.file("missing/x")).IsNotFound());
    EXPECT_EQ(CheckWritable(path + "/x").Number(), ENOTDIR);
}
#endif

#if !defined(_WIN32) // Windows replaces with its own calls
// A save over an existing file while one system call misbehaves: interrupted
// and short calls still give the whole file, with its permissions; a failure
// leaves the old file byte for byte, says why, and leaves no temporary file.
TEST(ReplaceFile, SavingThroughInterruptedShortAndFailingCalls) {
    const std::string before = "10 PRINT \"OLD\"\r\n";
    const std::string after = Pattern(200000);
    struct Case {
        FileFaults faults;
        bool saves;
    };
    const Case cases[] = {
        {{.call = "write", .interrupts = 3}, true},
        {{.call = "write", .chunk = 4093}, true}, // short writes
        {{.call = "write", .interrupts = 2, .chunk = 7}, true},
        {{.call = "fsync", .interrupts = 2}, true},
        {{.call = "rename", .interrupts = 2}, true},
        {{.call = "open", .interrupts = 2}, true}, // the temporary file
        {{.call = "fchmod", .interrupts = 1}, true},
        {{.call = "lstat", .interrupts = 1}, true},
        {{.call = "stat", .interrupts = 1}, true},
        {{.call = "close", .interrupts = 1}, true}, // after fsync it loses nothing
        {{.call = "write", .error = ENOSPC}, false},
        {{.call = "write", .passes = 3, .error = EIO, .chunk = 4093}, false}, // part written
        {{.call = "fsync", .error = EIO}, false},
        {{.call = "close", .error = EIO}, false},
        {{.call = "rename", .error = EXDEV}, false},
        {{.call = "fchmod", .error = EPERM}, false},
        {{.call = "open", .error = EACCES}, false},
    };
    for (const Case& c : cases) {
        const std::string what = std::string(c.faults.call) + " " +
                                 std::to_string(c.faults.interrupts) + " " +
                                 SystemReason(c.faults.error);
        test::TempDir dir;
        const std::string path = dir.file("prog.bas");
        test::WriteBytes(path, before);
        ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
        FileError error;
        int calls = 0;
        {
            const ScopedFileFaults scoped(c.faults);
            error = ReplaceFile(path, after);
            calls = scoped.Calls();
        }
        // Every interrupted call was made again, except close, which never is.
        const int retried = c.faults.call == "close" ? 0 : c.faults.interrupts;
        EXPECT_GT(calls, retried + c.faults.passes) << what;
        EXPECT_EQ(Entries(dir.path()), 1) << what;
        if (c.saves) {
            EXPECT_FALSE(error) << what << ": " << error.Reason();
            EXPECT_TRUE(test::ReadBytes(path) == after) << what;
            struct stat st {};
            ASSERT_EQ(::stat(path.c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 07777, 0640u) << what;
        } else {
            EXPECT_EQ(error.Reason(), SystemReason(c.faults.error)) << what;
            EXPECT_EQ(test::ReadBytes(path), before) << what;
        }
    }
}

// In a folder with the sticky bit (as /tmp) only a file's owner may replace
// it: the reason says so, and the file stays as it was.
TEST(ReplaceFile, AStickyFolderSaysWhoMayReplaceTheFile) {
    test::TempDir dir;
    const std::string path = dir.file("prog.bas");
    test::WriteBytes(path, "10 A\r\n");
    const ScopedFileFaults refused({.call = "rename", .error = EPERM});
    EXPECT_EQ(ReplaceFile(path, "new").Reason(), SystemReason(EPERM));
    ASSERT_EQ(::chmod(dir.path().c_str(), 01777), 0);
    SetLanguage(Language::English);
    EXPECT_EQ(ReplaceFile(path, "new").Reason(),
              "Permission denied (in this folder only the file's owner may replace it; write to "
              "another file)");
    SetLanguage(Language::Japanese);
    EXPECT_EQ(test::ReadBytes(path), "10 A\r\n");
    EXPECT_EQ(Entries(dir.path()), 1);
}
#endif

TEST(WriteNewFile, NeverReplacesAFileAndMakesItsFolders) {
    test::TempDir dir;
    const std::string folder = dir.file("a/b");
    ASSERT_FALSE(MakeFolders(folder, 0700));
    ASSERT_FALSE(MakeFolders(folder + "/", 0700)); // there already
#if !defined(_WIN32) // Windows folders have access control lists instead
    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
#endif
    std::string first, second;
    ASSERT_FALSE(WriteNewFile(folder, "kept", ".txt", "one", first));
    ASSERT_FALSE(WriteNewFile(folder, "kept", ".txt", "two", second));
    EXPECT_EQ(first, folder + "/kept.txt");
    EXPECT_EQ(second, folder + "/kept-2.txt");
    EXPECT_EQ(test::ReadBytes(first), "one");
    EXPECT_EQ(test::ReadBytes(second), "two");

    // A file where a folder should be; a write that fails leaves nothing.
    const std::string below = MakeFolders(first + "/c", 0700).Reason();
    if (sys::kWindows) { // Windows may say that the path is not found
        EXPECT_TRUE(below == SystemReason(ENOTDIR) || below == SystemReason(ENOENT)) << below;
    } else {
        EXPECT_EQ(below, SystemReason(ENOTDIR));
    }
    EXPECT_EQ(MakeFolders(first, 0700).Reason(), SystemReason(ENOTDIR));
    const ScopedFileFaults full({.call = "write", .error = ENOSPC});
    std::string third;
    EXPECT_EQ(WriteNewFile(folder, "kept", ".txt", "three", third).Reason(), SystemReason(ENOSPC));
    EXPECT_EQ(Entries(folder), 2);
}

TEST(FolderOf, TheFolderAFileIsIn) {
    EXPECT_EQ(sys::FolderOf("a/b/c.bas"), "a/b");
    EXPECT_EQ(sys::FolderOf("/c.bas"), "/");
    EXPECT_EQ(sys::FolderOf("c.bas"), ".");
#if defined(_WIN32)
    EXPECT_EQ(sys::FolderOf("C:\\d\\e\\c.bas"), "C:\\d\\e");
    EXPECT_EQ(sys::FolderOf("C:\\c.bas"), "C:\\");
    EXPECT_EQ(sys::FolderOf("C:c.bas"), "C:.");
    EXPECT_EQ(sys::FolderOf("\\\\server\\share\\c.bas"), "\\\\server\\share");
#else
    EXPECT_EQ(sys::FolderOf("a\\b.bas"), "."); // a name like any other
#endif
}

// The language choice reads the locale variables; Windows, which sets none,
// answers for LANG with the language of the user's interface.
TEST(Platform, LocaleVariablesFromTheEnvironmentOrTheWindowsInterface) {
    const test::ScopedEnv all("LC_ALL", "de_DE.UTF-8");
    const test::ScopedEnv lang("LANG", nullptr);
    EXPECT_STREQ(sys::LocaleVariable("LC_ALL"), "de_DE.UTF-8");
    const char* interface = sys::LocaleVariable("LANG");
    if (sys::kWindows) {
        ASSERT_NE(interface, nullptr);
        const std::string name = interface;
        EXPECT_EQ(name.find('-'), std::string::npos) << name;
        EXPECT_GE(name.size(), 2u) << name;
    } else {
        EXPECT_EQ(interface, nullptr);
    }
    const test::ScopedEnv set("LANG", "ja_JP.UTF-8");
    EXPECT_STREQ(sys::LocaleVariable("LANG"), "ja_JP.UTF-8");
}

} // namespace
} // namespace tessel
