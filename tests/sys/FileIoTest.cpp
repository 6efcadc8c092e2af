#include "sys/FileIo.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace tessel {
namespace {

TEST(ReadDocumentFile, StopsAtNulAndPastTheLimit) {
    test::TempDir dir;
    const std::string path = dir.file("f");
    test::WriteBytes(path, std::string("ab\0cd", 5));
    DocumentFile file;
    std::string error;
    ASSERT_TRUE(ReadDocumentFile(path, 100, file, error));
    EXPECT_EQ(file.bytes, "ab");
    EXPECT_EQ(file.length, 5u);
    EXPECT_FALSE(file.shortRead);

    test::WriteBytes(path, std::string(300000, 'x'));
    ASSERT_TRUE(ReadDocumentFile(path, 1000, file, error));
    EXPECT_GT(file.bytes.size(), 1000u);
    EXPECT_LT(file.bytes.size(), 300000u); // a huge file is not read whole
    EXPECT_FALSE(file.shortRead);
}

TEST(ReplaceFile, KeepsPermissionsAndFollowsLinks) {
    test::TempDir dir;
    const std::string path = dir.file("prog.bas");
    test::WriteBytes(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    std::string error;
    ASSERT_TRUE(ReplaceFile(path, "new", error)) << error;
    EXPECT_EQ(test::ReadBytes(path), "new");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    const std::string link = dir.file("link.bas");
    std::filesystem::create_symlink(path, link);
    ASSERT_TRUE(ReplaceFile(link, "via link", error)) << error;
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(test::ReadBytes(path), "via link");

    // Nothing is left behind in the folder.
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 2);
}

TEST(ReplaceFile, FailuresLeaveTheOldFile) {
    test::TempDir dir;
    std::string error;
    EXPECT_FALSE(ReplaceFile(dir.file("missing/x"), "data", error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(ReplaceFile(dir.path(), "data", error));
}

} // namespace
} // namespace tessel
