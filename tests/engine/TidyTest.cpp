#include "engine/Tidy.h"

#include "engine/DocBasic.h"
#include "support/DocHarness.h"

#include <gtest/gtest.h>

#include <random>

namespace tessel {
namespace {

using test::DocHarness;

struct Tidied {
    TidyResult result;
    std::string text;
};

Tidied TidyOf(std::string_view input, TextEncoding encoding = TextEncoding::Cp932) {
    Tidied t;
    t.result = Tidy(input, encoding, t.text);
    return t;
}

TEST(Tidy, RemovesBlankLinesAndBlanksBeforeNumbersAndNothingElse) {
    const struct {
        std::string input;
        std::string output;
        std::size_t blankLines;
        std::size_t indented;
    } cases[] = {
        {"10 A\n\n20 B\n", "10 A\n20 B\n", 1, 0},
        // Lines of blanks and tabs are blank too, at the start and at the end
        // (with or without a line end).
        {"\r\n \t\r\n10 A\r\n  \r\n\t", "10 A\r\n", 4, 0},
        {"   10 PRINT\n\t20  GOTO 10 \n", "10 PRINT\n20  GOTO 10 \n", 0, 2},
        // Line ends of every kind stay as they are, and so does every byte
        // inside a line: blanks after the number, tabs, code page 932, the
        // end-of-text code.
        {"10 \x82\xa0\t\r\n\n 20\x1a\r30\n", "10 \x82\xa0\t\r\n20\x1a\r30\n", 1, 1},
        {"10 A", "10 A", 0, 0},
        {"", "", 0, 0},
        // A text without numbers is left as it is: loading numbers its lines,
        // blank ones included.
        {"PRINT\n\n  10 X\n", "PRINT\n\n  10 X\n", 0, 0},
        {"\n\n", "\n\n", 0, 0},
    };
    for (const auto& c : cases) {
        const Tidied t = TidyOf(c.input);
        ASSERT_TRUE(t.result.Ok()) << c.input;
        EXPECT_FALSE(t.result.droppedEndMark) << c.input;
        EXPECT_EQ(t.text, c.output) << c.input;
        EXPECT_EQ(t.result.blankLines, c.blankLines) << c.input;
        EXPECT_EQ(t.result.indentedNumbers, c.indented) << c.input;
        EXPECT_EQ(t.result.Changed(), c.input != c.output) << c.input;
    }
    EXPECT_EQ(TidyOf("10 A\n\n 20 B\n  30 C").result.firstIndented, 2u);
}

TEST(Tidy, RemovesTheEndOfFileMarkAfterTheLastLine) {
    for (const auto& [input, output] :
         {std::pair<std::string, std::string>{"10 A\r\n20 B\r\n\x1a", "10 A\r\n20 B\r\n"},
          {"10 A\n\x1a\n\n", "10 A\n"},
          {" 10 A\r\x1a\x1a", "10 A\r"}}) {
        const Tidied t = TidyOf(input);
        ASSERT_TRUE(t.result.Ok()) << input;
        EXPECT_EQ(t.text, output);
        EXPECT_TRUE(t.result.droppedEndMark);
        EXPECT_TRUE(t.result.Changed());
    }
    // Anywhere else it is a line without a number, and inside a line a byte
    // like any other.
    EXPECT_EQ(TidyOf("10 A\n\x1a\n20 B\n").result.line, 1u);
    EXPECT_FALSE(TidyOf("10 A\x1a\n").result.Changed());
}

TEST(Tidy, RefusesALineThatWouldStillHaveNoNumber) {
    for (const auto& [input, line] : {std::pair<std::string, std::size_t>{"10 A\nB\n", 1},
                                      {"\n 10 A\n\n  PRINT\n", 3},
                                      {"10 A\r\n\x1a B", 1},
                                      {"10 A\r\n\x81\x40"
                                       "20 B\r\n",
                                       1}}) {
        const Tidied t = TidyOf(input);
        EXPECT_FALSE(t.result.Ok()) << input;
        EXPECT_TRUE(t.result.lineWithoutNumber);
        EXPECT_EQ(t.result.line, line) << input;
        EXPECT_EQ(t.text, "");
    }
}

TEST(Tidy, ConvertsUtf8AndSaysWhereItCannot) {
    Tidied t = TidyOf("\xEF\xBB\xBF"
                      "10 PRINT \"\xE3\x81\x82\"\n\n20 REM \xEF\xBD\xB1\\\n30 END\n",
                      TextEncoding::Utf8);
    ASSERT_TRUE(t.result.Ok());
    EXPECT_EQ(t.text, "10 PRINT \"\x82\xa0\"\n20 REM \xb1\\\n30 END\n");
    EXPECT_EQ(t.result.convertedLines, 2u);
    EXPECT_TRUE(t.result.droppedByteOrderMark);
    EXPECT_EQ(t.result.blankLines, 1u);
    // Plain ASCII in UTF-8 is converted to itself: nothing changes.
    t = TidyOf("10 A\n", TextEncoding::Utf8);
    EXPECT_FALSE(t.result.Changed());

    t = TidyOf("10 A\n\n20 \xF0\x9F\x98\x80\n", TextEncoding::Utf8);
    ASSERT_TRUE(t.result.conversion);
    EXPECT_EQ(t.result.conversion->character, 0x1F600u);
    EXPECT_EQ(t.result.line, 2u);
    EXPECT_EQ(t.text, "");
    // Code page 932 read as UTF-8.
    t = TidyOf("10 A\r\n20 \x82\xa0\r\n", TextEncoding::Utf8);
    ASSERT_TRUE(t.result.conversion);
    EXPECT_EQ(t.result.conversion->problem, cp932::ConversionProblem::NotUtf8);
    EXPECT_EQ(t.result.line, 1u);
}

// Programs as they are shared: numbered lines with blank lines, lines of
// blanks and indented numbers mixed in, any line end.
std::string SharedProgram(std::mt19937& rng) {
    static const char* const kEnds[] = {"\r\n", "\n", "\r"};
    static const char* const kBlanks[] = {"", " ", "\t", "  \t "};
    static const char* const kBodies[] = {" PRINT \"\x82\xa0\"", "GOTO 10", " REM  x ", "",
                                          " A=1:\tB=2"};
    const char* const end = kEnds[rng() % 3];
    std::string text;
    const int lines = static_cast<int>(rng() % 12);
    auto number = static_cast<std::uint32_t>(1 + rng() % 50);
    for (int i = 0; i < lines; ++i) {
        if (rng() % 3 == 0)
            text += std::string(kBlanks[rng() % 4]) + (rng() % 4 ? end : kEnds[rng() % 3]);
        text += kBlanks[rng() % 4];
        text += std::to_string(number) + kBodies[rng() % 5];
        text += i + 1 < lines || rng() % 2 ? end : "";
        number += static_cast<std::uint32_t>(1 + rng() % 100);
    }
    if (rng() % 2)
        text += kBlanks[rng() % 4];
    return text;
}

TEST(Tidy, IsIdempotentAndItsResultBuildsALineTable) {
    std::mt19937 rng(12);
    for (int round = 0; round < 3000; ++round) {
        const std::string input = SharedProgram(rng);
        const Tidied once = TidyOf(input);
        ASSERT_TRUE(once.result.Ok()) << input;
        const Tidied twice = TidyOf(once.text);
        ASSERT_TRUE(twice.result.Ok());
        ASSERT_EQ(twice.text, once.text) << input;
        ASSERT_FALSE(twice.result.Changed()) << input;

        // Loaded as a program (numbered, whatever its line ends), every line
        // has its number: no 200.
        DocHarness<CDocBasic> h;
        DocumentFile file;
        file.bytes = once.text;
        file.length = once.text.size();
        ASSERT_TRUE(h.doc.OpenDocumentFile(file));
        // Blank lines alone hold no numbers: they are left as they are.
        if (!once.result.numbered) {
            ASSERT_EQ(once.text, input);
            continue;
        }
        EXPECT_TRUE(h.doc.GetLineNumOutput()) << input;
        LineTable lines;
        const TextResult built = h.doc.MakeLineTable(h.Text(), lines);
        ASSERT_NE(built.code, IDS_LINE_NO_NUMBER) << input;
        ASSERT_TRUE(built.Ok()) << input << ' ' << built.code;
    }
}

} // namespace
} // namespace tessel
