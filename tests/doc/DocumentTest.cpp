#include "doc/Document.h"
#include "doc/LinePlace.h"
#include "doc/TextOps.h"
#include "res/StringTable.h"
#include "support/DocHarness.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sys/stat.h>

namespace tessel {
namespace {

using test::DocHarness;

TEST(DataDocument, OpensFilesAsTheyStand) {
    test::TempDir dir;
    struct Case {
        std::string bytes;
        bool opens;
        std::string text;
    };
    const std::string big(65535, 'x');
    std::string withNul(70000, 'y');
    withNul[100] = '\0';
    const Case cases[] = {
        {"", true, ""},
        {"A\nB\rC\r\n\x1a\x01\xff", true, "A\nB\rC\r\n\x1a\x01\xff"},
        {std::string("0123456789\0tail", 15), true, "0123456789"},
        {big, true, big},
        {big + "x", false, ""},
        {withNul, true, std::string(100, 'y')},
    };
    for (const Case& c : cases) {
        const std::string path = dir.file("f.dat");
        test::WriteBytes(path, c.bytes);
        DocHarness<Document> h;
        EXPECT_EQ(h.doc.OnOpenDocument(path), c.opens) << c.bytes.size();
        if (c.opens) {
            EXPECT_EQ(h.Text(), c.text);
            EXPECT_FALSE(h.doc.IsModified());
            EXPECT_TRUE(h.sink.ids.empty());
        } else {
            EXPECT_EQ(h.sink.ids, std::vector<unsigned>{IDS_FILE_TOO_LARGE});
            // Nothing of the failure stays behind: the next open works.
            const std::string small = dir.file("small.dat");
            test::WriteBytes(small, "A");
            EXPECT_TRUE(h.doc.OnOpenDocument(small));
        }
    }
}

TEST(DataDocument, LoadAndSaveKeepEveryByte) {
    test::TempDir dir;
    const std::string path = dir.file("lf.dat");
    const std::string bytes = "line 1\nline 2\n\x82\xa0\x1a\r";
    test::WriteBytes(path, bytes);
    DocHarness<Document> h;
    ASSERT_TRUE(h.doc.OnOpenDocument(path));
    ASSERT_TRUE(h.doc.OnSaveDocument(path));
    EXPECT_EQ(test::ReadBytes(path), bytes);
}

// A file that reads as UTF-8 is kept in UTF-8: shown in code page 932 and
// written back as it came.
TEST(DataDocument, AFileThatLooksLikeUtf8IsReadAndSavedAsUtf8) {
    test::TempDir dir;
    const std::string path = dir.file("u.dat");
    // Half-width katakana are three bytes each in UTF-8 and one in the
    // editor: a file three times the largest text still opens.
    std::string katakana;
    for (std::size_t i = 0; i < 65535; ++i)
        katakana += "\xEF\xBD\xB1"; // U+FF71
    const struct {
        std::string file;
        std::string text;
        bool mark;
    } cases[] = {
        {"A \xE3\x81\x82\nB\n", "A \x82\xa0\nB\n", false},
        {"\xEF\xBB\xBF"
         "10 PRINT \"\xEF\xBD\xB1\"\r\n",
         "10 PRINT \"\xb1\"\r\n", true},
        {katakana, std::string(65535, '\xb1'), false},
    };
    for (const auto& c : cases) {
        test::WriteBytes(path, c.file);
        DocHarness<Document> h;
        ASSERT_TRUE(h.doc.OnOpenDocument(path)) << c.file.size();
        EXPECT_EQ(h.Text(), c.text);
        EXPECT_EQ(h.doc.FileEncoding(), TextEncoding::Utf8);
        EXPECT_EQ(h.doc.FileByteOrderMark(), c.mark);
        EXPECT_FALSE(h.doc.IsModified());
        ASSERT_TRUE(h.doc.OnSaveDocument(path));
        EXPECT_EQ(test::ReadBytes(path), c.file);
    }

    // A character code page 932 cannot hold: read as code page 932 bytes,
    // as any other file, and the character is named.
    const std::string emoji = "A\nB \xF0\x9F\x98\x80\n";
    test::WriteBytes(path, emoji);
    DocHarness<Document> h;
    ASSERT_TRUE(h.doc.OnOpenDocument(path));
    EXPECT_EQ(h.Text(), emoji);
    EXPECT_EQ(h.doc.FileEncoding(), TextEncoding::Cp932);
    ASSERT_TRUE(h.doc.Utf8Refused());
    EXPECT_EQ(h.doc.Utf8Refused()->character, 0x1F600u);
    EXPECT_EQ(h.doc.Utf8Refused()->line, 1u);
    ASSERT_TRUE(h.doc.OnSaveDocument(path));
    EXPECT_EQ(test::ReadBytes(path), emoji);

    // Code page 932 text, and ASCII, stay code page 932.
    for (const std::string file : {"A \x82\xa0\n", "plain\n"}) {
        test::WriteBytes(path, file);
        ASSERT_TRUE(h.doc.OnOpenDocument(path));
        EXPECT_EQ(h.doc.FileEncoding(), TextEncoding::Cp932) << file;
        EXPECT_FALSE(h.doc.Utf8Refused());
    }

    // A byte that is no character cannot be written as UTF-8: the save is
    // refused, naming the line, and the file stays as it was.
    h.SetText("A\r\nB \x80\r\n");
    h.doc.SetFileEncoding(TextEncoding::Utf8);
    EXPECT_FALSE(h.doc.OnSaveDocument(path));
    ASSERT_EQ(h.sink.fileErrors.size(), 1u);
    EXPECT_EQ(h.sink.fileErrors[0], path + ": " + LoadFormatted(IDS_SAVE_NOT_UTF8, {"2", "80"}));
    EXPECT_EQ(test::ReadBytes(path), "plain\n");
    // Back to code page 932, it is saved as it is.
    h.doc.SetFileEncoding(TextEncoding::Cp932);
    EXPECT_TRUE(h.doc.OnSaveDocument(path));
    EXPECT_EQ(test::ReadBytes(path), "A\r\nB \x80\r\n");
}

TEST(DataDocument, FileErrorsAreReported) {
    test::TempDir dir;
    DocHarness<Document> h;
    EXPECT_FALSE(h.doc.OnOpenDocument(dir.file("missing.dat")));
    EXPECT_FALSE(h.doc.OnOpenDocument(dir.path()));
    ASSERT_EQ(h.sink.fileErrors.size(), 2u);
    EXPECT_NE(h.sink.fileErrors[0].find("missing.dat"), std::string::npos);

    h.SetText("abc");
    h.doc.SetModifiedFlag(true);
    EXPECT_FALSE(h.doc.OnSaveDocument(dir.file("no/such/dir.dat")));
    EXPECT_TRUE(h.doc.IsModified());
    EXPECT_EQ(h.sink.fileErrors.size(), 3u);
}

TEST(DataDocument, ReceiveConvertsLineEndsAndDropsTheEndCode) {
    struct Case {
        std::uint32_t endOfLine;
        std::string received;
        std::string text;
    };
    const Case cases[] = {
        {kEolLf, "A\nB\n\x1a", "A\r\nB\r\n"},
        {kEolCr, "A\r\n", "A\r\n\n"},
        {kEolCrLf,
         "A\x1a"
         "B",
         "A\x1a"
         "B"}, // the code stays unless it is last
        {kEolCr, "A\rB\r\x1a\x1a", "A\r\nB\r\n\x1a"},
    };
    for (const Case& c : cases) {
        DocHarness<Document> h;
        h.settings.m_comSettings.EndOfLine = c.endOfLine;
        EXPECT_TRUE(h.doc.SetReceivedText(c.received, ReceiveNumbering::NumberIfMissing));
        EXPECT_EQ(h.Text(), c.text);
    }
    DocHarness<Document> full;
    full.editor.SetLimit(2);
    EXPECT_FALSE(full.doc.SetReceivedText("ABC", ReceiveNumbering::NumberIfMissing));
    EXPECT_EQ(full.sink.ids, std::vector<unsigned>{IDS_RECEIVE_TOO_LARGE});
}

TEST(DataDocument, SendExpandsTabsAndEndsWithOneEndCode) {
    DocHarness<Document> h;
    h.SetText("ab\tc\r\n\x82\xa0\td\r\nX");
    std::string out;
    ASSERT_TRUE(h.doc.GetSendText(out, SendNumbers::With));
    EXPECT_EQ(out, "ab  c\r\n\x82\xa0  d\r\nX\x1a");

    h.SetText("X\r\n\x1a");
    ASSERT_TRUE(h.doc.GetSendText(out, SendNumbers::With));
    EXPECT_EQ(out, "X\r\n\x1a");

    h.settings.m_comSettings.EndOfLine = kEolLf;
    h.settings.m_comSettings.EndOfFile = 0x04;
    h.SetText("A\r\nB\r\n");
    ASSERT_TRUE(h.doc.GetSendText(out, SendNumbers::With));
    EXPECT_EQ(out, "A\nB\n\x04");

    // Long lines are the device's business for DATA: no check.
    h.SetText(std::string(1000, 'z'));
    EXPECT_TRUE(h.doc.GetSendText(out, SendNumbers::With));

    out = "kept";
    h.SetText("");
    EXPECT_FALSE(h.doc.GetSendText(out, SendNumbers::With));
    EXPECT_EQ(out, "kept");
    EXPECT_TRUE(h.sink.ids.empty());
}

// A DATA file goes with its own lone CRs and LFs: the end code is looked for
// in the bytes as they go out, and named where it stands in the text.
TEST(DataDocument, SendRefusesAnEndCodeThatWouldStopTheDeviceBeforeTheEnd) {
    const struct {
        std::string text;
        std::uint32_t code;
        int endOfLine;
        std::size_t caret; // where the code stands; npos: sent
        std::size_t line = 0;
        std::size_t column = 0;
    } cases[] = {
        {"A\rB", '\r', kEolLf, 1, 0, 1},
        {"A\nB", '\n', kEolCr, 1, 0, 1},
        // The CR LF goes as CR LF; the lone CR is no LF.
        {"A\rC\r\nD", '\n', kEolCrLf, 3, 1, 1},
        {"AB\x1a\r\n", 0x1a, kEolCrLf, std::string::npos},
        // Tabs go out as blanks.
        {"A\tB", '\t', kEolCrLf, std::string::npos},
        {"A\r\n\tB", ' ', kEolCrLf, 3, 1, 0},
        {"\tA\x1a"
         "B",
         0x1a, kEolCrLf, 2, 0, 2},
    };
    for (const auto& c : cases) {
        DocHarness<Document> h;
        h.settings.m_comSettings.EndOfFile = c.code;
        h.settings.m_comSettings.EndOfLine = static_cast<std::uint32_t>(c.endOfLine);
        h.SetText(c.text);
        std::string out;
        if (c.caret == std::string::npos) {
            EXPECT_TRUE(h.doc.GetSendText(out, SendNumbers::With)) << c.text;
            EXPECT_TRUE(h.sink.ids.empty()) << c.text;
            continue;
        }
        out = "kept";
        EXPECT_FALSE(h.doc.GetSendText(out, SendNumbers::With)) << c.text;
        EXPECT_EQ(out, "kept");
        EXPECT_EQ(h.sink.ids, std::vector<unsigned>{IDS_END_CODE_INSIDE}) << c.text;
        EXPECT_EQ(h.editor.Caret(), static_cast<long long>(c.caret)) << c.text;
        EXPECT_EQ(h.sink.lines, std::vector<std::size_t>{c.line}) << c.text;
        EXPECT_EQ(h.sink.columns, std::vector<std::size_t>{c.column}) << c.text;
        EXPECT_EQ(h.sink.places,
                  std::vector<std::string>{DescribeProblem(EndCodePlace(c.line, 0, c.column))});
    }
}

TEST(EditText, PartialTakeIsAFailure) {
    DocHarness<Document> h;
    EXPECT_TRUE(h.doc.SetEditText("abc"));
    EXPECT_TRUE(h.editor.IsModified());
    h.editor.SetModified(false);
    h.editor.SetLimit(2);
    EXPECT_FALSE(h.doc.SetEditText("abc"));
    EXPECT_FALSE(h.editor.IsModified());
    h.editor.SetRefuse(true);
    EXPECT_FALSE(h.doc.SetEditText(""));
}

// Any byte string without NUL, loaded into a DATA document and stored, comes
// back byte for byte.
TEST(StoreProperty, DataDocumentsStoreTheirBytesUnchanged) {
    test::TempDir dir;
    std::mt19937 rng(11);
    for (int round = 0; round < 200; ++round) {
        std::string bytes(rng() % 2000, '\0');
        for (char& c : bytes)
            c = static_cast<char>(1 + rng() % 255);
        const std::string path = dir.file("p.dat");
        test::WriteBytes(path, bytes);
        DocHarness<Document> h;
        ASSERT_TRUE(h.doc.OnOpenDocument(path));
        ASSERT_TRUE(h.doc.OnSaveDocument(path));
        ASSERT_EQ(test::ReadBytes(path), bytes);
    }
}

} // namespace
} // namespace tessel
