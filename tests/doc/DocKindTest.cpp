#include "doc/DocKind.h"

#include <gtest/gtest.h>

namespace tessel {
namespace {

TEST(DocKind, FromTheFileNamesExtensionWithoutCase) {
    EXPECT_EQ(DocKindFromPath("prog.BAS"), DocKind::Basic);
    EXPECT_EQ(DocKindFromPath("/home/u/main.c"), DocKind::C);
    EXPECT_EQ(DocKindFromPath("x.Asm"), DocKind::Asm);
    EXPECT_EQ(DocKindFromPath("x.cas"), DocKind::Casl);
    EXPECT_EQ(DocKindFromPath("notes.TXT"), DocKind::Text);
    EXPECT_EQ(DocKindFromPath("data.dat"), DocKind::Data);
    // Anything else opens as BASIC, as the desktop program opens it.
    EXPECT_EQ(DocKindFromPath("notes.doc"), DocKind::Basic);
    EXPECT_EQ(DocKindFromPath("Makefile"), DocKind::Basic);
    EXPECT_EQ(DocKindFromPath("prog.dat.bak"), DocKind::Basic);
    EXPECT_EQ(DocKindFromPath("old.dat/prog"), DocKind::Basic); // a dot in a folder name
    EXPECT_EQ(DocKindFromPath("prog."), DocKind::Basic);
    EXPECT_EQ(DocKindExtension(DocKind::Casl), ".cas");
}

TEST(DocKind, FromItsName) {
    DocKind kind = DocKind::Basic;
    EXPECT_TRUE(DocKindFromName("DATA", kind));
    EXPECT_EQ(kind, DocKind::Data);
    EXPECT_TRUE(DocKindFromName("casl", kind));
    EXPECT_EQ(kind, DocKind::Casl);
    EXPECT_FALSE(DocKindFromName("bas", kind));
    EXPECT_FALSE(DocKindFromName("", kind));
}

} // namespace
} // namespace tessel
