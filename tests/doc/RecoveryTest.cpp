#include "doc/Recovery.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tessel {
namespace {

TEST(RecoveryCopy, EveryByteAndFieldComesBack) {
    RecoveryCopy copy;
    copy.kind = DocKind::Casl;
    copy.path = "/home/u/odd\nname.cas";
    copy.title = "odd\nname.cas";
    copy.lineNumOutput = false;
    copy.fileLineEnd = 1;
    copy.bytes = std::string("10 A\r\n\0\x82\xa0\x1a\nkind 9\n", 18);
    const std::string stored = EncodeRecoveryCopy(copy);
    const auto back = DecodeRecoveryCopy(stored);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->kind, copy.kind);
    EXPECT_EQ(back->path, copy.path);
    EXPECT_EQ(back->title, copy.title);
    EXPECT_EQ(back->lineNumOutput, copy.lineNumOutput);
    EXPECT_EQ(back->fileLineEnd, 1);
    EXPECT_EQ(back->bytes, copy.bytes);
    // Anything but a whole copy is no copy.
    for (std::size_t cut : {std::size_t{0}, std::size_t{10}, stored.size() - 1})
        EXPECT_FALSE(DecodeRecoveryCopy(stored.substr(0, cut))) << cut;
    EXPECT_FALSE(DecodeRecoveryCopy(stored + "x"));
    EXPECT_FALSE(DecodeRecoveryCopy("TESSEL RECOVERY 1\nkind 7\n"));

    // A file kept in UTF-8, with its byte order mark or without. Other
    // copies are written as before the encoding was kept.
    EXPECT_EQ(stored.find("utf8"), std::string::npos);
    for (const bool mark : {false, true}) {
        copy.utf8 = true;
        copy.byteOrderMark = mark;
        const auto utf8 = DecodeRecoveryCopy(EncodeRecoveryCopy(copy));
        ASSERT_TRUE(utf8);
        EXPECT_TRUE(utf8->utf8);
        EXPECT_EQ(utf8->byteOrderMark, mark);
        EXPECT_EQ(utf8->bytes, copy.bytes);
    }
    EXPECT_FALSE(back->utf8);
}

TEST(RecoveryStore, CopiesOfARunThatDiedAreFoundAndOnlyThose) {
    test::TempDir dir;
    const std::string folder = dir.file("recovery");
    RecoveryCopy copy;
    copy.title = "BASIC：無題1";
    copy.bytes = "10 PRINT\r\n";

    auto dead = std::make_unique<RecoveryStore>(folder);
    ASSERT_FALSE(dead->Write(1, copy));
    copy.bytes = "20 END\r\n";
    ASSERT_FALSE(dead->Write(2, copy));
    ASSERT_FALSE(dead->Write(2, copy)); // replaced, not added
    dead->Remove(1);

    RecoveryStore running(folder);
    ASSERT_FALSE(running.Write(7, copy));

    // A run still going keeps its copies to itself.
    RecoveryStore next(folder);
    EXPECT_EQ(next.FindLeftBehind().size(), 0u);

    // Once the first run is gone without cleaning up (its lock with it), its
    // one remaining copy is found; the run that still goes keeps its own.
    dead.reset();
    const auto left = next.FindLeftBehind();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].copy.bytes, "20 END\r\n");
    EXPECT_EQ(left[0].copy.title, copy.title);
    RecoveryStore::Discard(left[0]);
    EXPECT_TRUE(next.FindLeftBehind().empty());
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(left[0].file).parent_path()));

    // Found copies are this store's: a program started at the same moment
    // does not find them too.
    copy.bytes = "30 STOP\r\n";
    {
        RecoveryStore another(folder);
        ASSERT_FALSE(another.Write(3, copy));
    }
    const auto mine = next.FindLeftBehind();
    ASSERT_EQ(mine.size(), 1u);
    RecoveryStore sameMoment(folder);
    EXPECT_TRUE(sameMoment.FindLeftBehind().empty());
    RecoveryStore::Discard(mine[0]);

    // A clean end leaves nothing behind.
    running.RemoveAll();
    EXPECT_TRUE(next.FindLeftBehind().empty());
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

TEST(RecoveryStore, AFolderThatCannotBeMadeIsAnErrorNotACrash) {
    test::TempDir dir;
    test::WriteBytes(dir.file("file"), "x");
    RecoveryStore store(dir.file("file/recovery"));
    EXPECT_TRUE(store.Write(1, RecoveryCopy{}));
    EXPECT_TRUE(store.FindLeftBehind().empty());
    store.RemoveAll();
}

} // namespace
} // namespace tessel
