#include "engine/Tidy.h"

#include "doc/LinePlace.h"
#include "engine/BasicDocument.h"
#include "engine/FileShape.h"
#include "engine/Numbering.h"
#include "res/StringTable.h"
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

// A program as it is shared: a remark without a number first, its numbered
// lines indented below. Loading takes it as having no numbers (its first
// byte is a blank); tidy takes it as the program it is.
const std::string kSharedWithRemark = "      ' Comment line GOTO 123\n"
                                      "   100 GOTO 200\n"
                                      "   200 GOTO A$\n"
                                      "   300 END\n";

TEST(Tidy, DecidesFromTheWholeTextWhetherItHoldsNumbers) {
    const struct {
        std::string text;
        bool numbered;
    } cases[] = {
        // The first line that is not blank decides when it has a number...
        {"10 A\nB\nC\n", true},
        {"\n \t\n  10 A\nB\nC\n", true},
        // ... and otherwise more than half of the lines that are not blank.
        {kSharedWithRemark, true},
        {"REM\n10 A\n\n\n20 B\n", true},
        {"A\n 1\n 2\n", true},
        {"A\nB\n 1\n 2\n", false},
        {"Items\n  2 eggs\n", false},
        {"PRINT\n\n  10 X\n", false},
        {"\x1a\n", false},
        {"\n\n", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsNumberedText(c.text), c.numbered) << c.text;
}

TEST(Tidy, RemovesTheIndentOfASharedProgramAndRefusesEveryLineStillWithoutANumber) {
    Tidied t = TidyOf(kSharedWithRemark);
    EXPECT_TRUE(t.result.numbered);
    EXPECT_TRUE(t.result.lineWithoutNumber);
    EXPECT_EQ(t.result.linesWithoutNumber, std::vector<std::size_t>{0});
    EXPECT_EQ(t.result.line, 0u);
    EXPECT_EQ(t.result.indentedNumbers, 3u);
    EXPECT_EQ(t.result.firstIndented, 1u);
    EXPECT_EQ(t.text, "");
    // Without the remark it is tidied.
    t = TidyOf(kSharedWithRemark.substr(kSharedWithRemark.find('\n') + 1));
    ASSERT_TRUE(t.result.Ok());
    EXPECT_EQ(t.text, "100 GOTO 200\n200 GOTO A$\n300 END\n");

    // Every line without a number is named, and the counts cover the whole
    // text.
    t = TidyOf("REM\n 10 A\n\nX\n 20 B\n 30 C\n 40 D\n\x1a");
    EXPECT_EQ(t.result.linesWithoutNumber, (std::vector<std::size_t>{0, 3}));
    EXPECT_EQ(t.result.blankLines, 1u);
    EXPECT_EQ(t.result.firstBlank, 2u);
    EXPECT_EQ(t.result.indentedNumbers, 4u);
    EXPECT_TRUE(t.result.droppedEndMark);
}

TEST(FileShape, FindsWhatLoadingWouldMisreadAndWhatTidyMends) {
    FileShape shape = FindFileShape(kSharedWithRemark);
    EXPECT_TRUE(shape.numbersMissed);
    EXPECT_FALSE(shape.utf8Line);
    EXPECT_EQ(shape.tidy.indentedNumbers, 3u);
    EXPECT_EQ(shape.tidy.linesWithoutNumber, std::vector<std::size_t>{0});

    // Taken as numbered, as loading takes it: blank lines, indented numbers
    // and the end mark are what Renumber, Sort and Send would refuse.
    for (const std::string text : {"10 A\r\n20 B\r\n\r\n", "10 A\n 20 B\n", "10 A\n\x1a"}) {
        shape = FindFileShape(text);
        EXPECT_FALSE(shape.numbersMissed) << text;
        EXPECT_TRUE(shape.TidyMends()) << text;
    }
    for (const std::string text : {"10 A\r\n20 B\r\n", "10 A\nB\n", "int main()\n", ""}) {
        shape = FindFileShape(text);
        EXPECT_FALSE(shape.numbersMissed) << text;
        EXPECT_FALSE(shape.TidyMends()) << text;
    }
    EXPECT_TRUE(FindFileShape("\n10 A\n").numbersMissed);
    EXPECT_EQ(FindFileShape("10 A\n20 PRINT \"\xE3\x81\x82\"\n").utf8Line, 1u);
    EXPECT_FALSE(FindFileShape("10 A\n20 PRINT \"\x82\xa0\"\n").utf8Line);
    // Only what loading misreads: a text it takes as numbered is not tidied.
    shape = FindFileShape("10 A\n\n20 \xE3\x81\x82\n", ShapeScope::Misread);
    EXPECT_EQ(shape.utf8Line, 2u);
    EXPECT_FALSE(shape.TidyMends());
    EXPECT_TRUE(FindFileShape(kSharedWithRemark, ShapeScope::Misread).numbersMissed);
}

// The text an editor shows, with the numbers loading added or without:
// what is tidied is the text as the file holds it, and a refusal is placed in
// the text shown and named as the file has it.
TEST(TidyShownText, TidiesTheTextAsTheFileHoldsIt) {
    const std::string indented = "   100 GOTO 200\r\n\r\n   200 GOTO 100\r\n";
    const TidiedText tidied = TidyShownText(NumberLines(indented, 10, 10), true);
    ASSERT_TRUE(tidied.Ok());
    EXPECT_EQ(tidied.text, "100 GOTO 200\r\n200 GOTO 100\r\n");
    EXPECT_EQ(tidied.report.indentedNumbers, 2u);
    EXPECT_EQ(tidied.report.blankLines, 1u);

    const std::string remark = "10 A\r\nREM x\r\n20 B\r\n";
    const std::string shown = NumberLines(remark, 100, 10);
    const TidiedText refused = TidyShownText(shown, true);
    EXPECT_EQ(refused.problem.message, IDS_LINE_NO_NUMBER);
    EXPECT_EQ(refused.problem.line, 1u);
    EXPECT_EQ(refused.problem.offset, shown.find("110"));
    EXPECT_EQ(DescribeProblem(refused.place), DescribeProblem(NoNumberPlace(1, "REM x")));
    EXPECT_EQ(refused.text, "");
    // Shown as the file holds it, the same line is refused.
    EXPECT_EQ(TidyShownText(remark, false).problem.offset, 6u);

    // Nothing to change, and a text without numbers: as they were.
    for (const std::string text : {"10 A\r\n20 B\r\n", "int main()\r\n{\r\n}\r\n"}) {
        const TidiedText same = TidyShownText(text, false);
        EXPECT_TRUE(same.Ok()) << text;
        EXPECT_FALSE(same.report.Changed()) << text;
        EXPECT_EQ(same.text, text);
    }
}

// Tidy on a document: on the text as its file holds it, the numbers that
// loading added left out.
TEST(TidyLines, TidiesTheTextAsTheFileHoldsIt) {
    const auto open = [](DocHarness<BasicDocument>& h, const std::string& bytes) {
        DocumentFile file;
        file.bytes = bytes;
        file.length = bytes.size();
        ASSERT_TRUE(h.doc.OpenDocumentFile(file));
    };
    {
        // Indented numbers: their own numbers stay, those loading gave go,
        // and the file holds numbers from now on (with its own line end).
        DocHarness<BasicDocument> h;
        open(h, "   100 GOTO 200\n\n   200 GOTO 100\n");
        ASSERT_FALSE(h.doc.GetLineNumOutput());
        TidyResult result;
        ASSERT_TRUE(h.doc.TidyLines(result));
        EXPECT_EQ(h.Text(), "100 GOTO 200\r\n200 GOTO 100\r\n");
        EXPECT_EQ(result.indentedNumbers, 2u);
        EXPECT_EQ(result.blankLines, 1u);
        EXPECT_TRUE(h.doc.GetLineNumOutput());
        EXPECT_EQ(h.doc.SerializeStore(), "100 GOTO 200\n200 GOTO 100\n");
        EXPECT_TRUE(h.sink.ids.empty());
    }
    {
        // The shared program: refused with the first line without a number,
        // the caret on it, nothing changed.
        DocHarness<BasicDocument> h;
        open(h, kSharedWithRemark);
        const std::string before = h.Text();
        TidyResult result;
        EXPECT_FALSE(h.doc.TidyLines(result));
        EXPECT_EQ(h.sink.ids, std::vector<unsigned>{IDS_LINE_NO_NUMBER});
        EXPECT_EQ(h.sink.lines, std::vector<std::size_t>{0});
        // Named as the file has it, without the numbers loading gave it.
        EXPECT_EQ(h.sink.places,
                  std::vector<std::string>{DescribeProblem(NoNumberPlace(
                      0, kSharedWithRemark.substr(0, kSharedWithRemark.find('\n'))))});
        EXPECT_EQ(h.editor.Caret(), 0);
        EXPECT_EQ(h.Text(), before);
        EXPECT_FALSE(h.doc.GetLineNumOutput());
    }
    {
        // A program that ends with a blank line, which Renumber refuses.
        DocHarness<BasicDocument> h;
        open(h, "10 A\r\n20 B\r\n\r\n");
        TidyResult result;
        ASSERT_TRUE(h.doc.TidyLines(result));
        EXPECT_EQ(h.Text(), "10 A\r\n20 B\r\n");
        EXPECT_EQ(result.blankLines, 1u);
        EXPECT_TRUE(h.doc.Renumber(100, 10, 10));
    }
    // Nothing to change, and a text without numbers: left as they are.
    for (const std::string file : {"10 A\r\n20 B", "int main()\n{\n}\n"}) {
        DocHarness<BasicDocument> h;
        open(h, file);
        const std::string before = h.Text();
        const bool numbers = h.doc.GetLineNumOutput();
        TidyResult result;
        ASSERT_TRUE(h.doc.TidyLines(result));
        EXPECT_FALSE(result.Changed());
        EXPECT_EQ(h.Text(), before);
        EXPECT_EQ(h.doc.GetLineNumOutput(), numbers);
        EXPECT_FALSE(h.editor.IsModified());
    }
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
        DocHarness<BasicDocument> h;
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
        const LineTableResult built = BuildLineTable(h.Text(), lines);
        ASSERT_NE(built.problem.message, IDS_LINE_NO_NUMBER) << input;
        ASSERT_TRUE(built.Ok()) << input << ' ' << built.problem.message;
    }
}

} // namespace
} // namespace tessel
