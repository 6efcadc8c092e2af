#include "engine/Renumber.h"
#include "comm/TransferFlows.h"
#include "engine/BasicDocument.h"
#include "engine/Numbering.h"
#include "engine/Sort.h"
#include "res/Language.h"
#include "res/StringTable.h"
#include "support/DocHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <optional>
#include <random>

namespace tessel {
namespace {

using test::CrLf;
using test::DocHarness;

TEST(Renumber, FromTheFirstLine) {
    DocHarness<NumberedDocument> h;
    h.SetText(CrLf({"10 A", "20 B", "30 C"}));
    EXPECT_TRUE(h.doc.Renumber(100, 10, 10));
    EXPECT_EQ(h.Text(), CrLf({"100 A", "110 B", "120 C"}));
    EXPECT_TRUE(h.doc.LineNumChanged());
    EXPECT_TRUE(h.editor.IsModified());
    EXPECT_TRUE(h.sink.ids.empty());
}

TEST(Renumber, FromAMiddleLineAndTheOrderCheck) {
    struct Case {
        unsigned newStart, oldStart, step;
        bool ok;
        std::string result;
        std::vector<unsigned> messages;
    };
    const Case cases[] = {
        {15, 20, 1, true, CrLf({"10 A", "15 B", "16 C"}), {}},
        {10, 20, 1, false, CrLf({"10 A", "20 B", "30 C"}), {IDS_RENUM_ORDER}},
        {5, 20, 1, false, CrLf({"10 A", "20 B", "30 C"}), {IDS_RENUM_ORDER}},
        {5, 10, 1, true, CrLf({"5 A", "6 B", "7 C"}), {}}, // first line: no order check
        {25, 20, 100, true, CrLf({"10 A", "25 B", "125 C"}), {}},
        {10, 25, 10, false, CrLf({"10 A", "20 B", "30 C"}), {IDS_RENUM_OLD_MISSING}},
    };
    for (const Case& c : cases) {
        DocHarness<NumberedDocument> h;
        h.SetText(CrLf({"10 A", "20 B", "30 C"}));
        EXPECT_EQ(h.doc.Renumber(c.newStart, c.oldStart, c.step), c.ok) << c.newStart;
        EXPECT_EQ(h.Text(), c.result) << c.newStart;
        EXPECT_EQ(h.sink.ids, c.messages) << c.newStart;
        EXPECT_EQ(h.editor.CaretMoves(), 0);
    }
}

// The operations are functions over a text: numbering, sorting and
// renumbering need no document, editor or message sink, and give back the
// new text or the problem with its line.
TEST(TextOperations, NumberSortAndRenumberWithoutADocument) {
    EXPECT_EQ(NumberLines("PRINT 1\r\nGOTO 10\r\nEND", 10, 10), "10PRINT 1\r\n20GOTO 10\r\n30END");

    const SortResult sorted = SortLines("30 END\r\n10 PRINT\n20 GOTO 10");
    ASSERT_TRUE(sorted.Ok());
    EXPECT_TRUE(sorted.reordered);
    EXPECT_EQ(sorted.text, CrLf({"10 PRINT", "20 GOTO 10", "30 END"}));

    const RenumberResult basic = Renumber(sorted.text, {100, 10, 10, References::Rewrite});
    ASSERT_TRUE(basic.Ok());
    EXPECT_TRUE(basic.renumbered);
    EXPECT_FALSE(basic.reordered);
    EXPECT_EQ(basic.text, CrLf({"100 PRINT", "110 GOTO 100", "120 END"}));
    const RenumberResult plain = Renumber(sorted.text, {100, 20, 10, References::Keep});
    EXPECT_EQ(plain.text, CrLf({"10 PRINT", "100 GOTO 10", "110 END"}));
    EXPECT_EQ(RemoveLineNumbers(basic.text), CrLf({" PRINT", " GOTO 100", " END"}));
    EXPECT_FALSE(Renumber(basic.text, {100, 100, 10, References::Rewrite}).renumbered);

    // A reference to a missing line: its line of the text given, its offset
    // in the text in number order, which comes back with its old numbers.
    const RenumberResult missing =
        Renumber(CrLf({"30 PRINT", "20 END", "10 GOTO 99"}), {100, 10, 10, References::Rewrite});
    EXPECT_EQ(missing.problem.message, IDS_LINE_REF_MISSING);
    EXPECT_EQ(missing.problem.line, 2u);
    EXPECT_EQ(missing.problem.offset, 0u);
    EXPECT_EQ(DescribeProblem(missing.place), "行番号 10 の行が、行番号 99 を参照しています。");
    EXPECT_TRUE(missing.reordered);
    EXPECT_FALSE(missing.renumbered);
    EXPECT_EQ(missing.text, CrLf({"10 GOTO 99", "20 END", "30 PRINT"}));
    // Read as anything but BASIC, the same text has no references.
    EXPECT_TRUE(Renumber(CrLf({"10 GOTO 99"}), {100, 10, 10, References::Keep}).Ok());

    // Problems about no line, and texts whose table cannot be built.
    const RenumberResult overflow = Renumber(CrLf({"10 A", "20 B"}), {65270, 10, 10});
    EXPECT_EQ(overflow.problem.message, IDS_RENUM_OVERFLOW);
    EXPECT_FALSE(overflow.problem.HasLine());
    EXPECT_EQ(overflow.text, CrLf({"10 A", "20 B"}));
    EXPECT_EQ(Renumber(CrLf({"10 A"}), {100, 15, 10}).problem.message, IDS_RENUM_OLD_MISSING);
    const SortResult duplicate = SortLines(CrLf({"10 A", "10 B"}));
    EXPECT_EQ(duplicate.problem.message, IDS_LINE_DUPLICATE);
    EXPECT_EQ(duplicate.problem.line, 0u);
    EXPECT_TRUE(duplicate.text.empty());
    const RenumberResult unnumbered = Renumber("10 A\r\nPRINT\r\n", {});
    EXPECT_EQ(unnumbered.problem.message, IDS_LINE_NO_NUMBER);
    EXPECT_EQ(unnumbered.problem.offset, 6u);
    EXPECT_TRUE(unnumbered.text.empty());
}

// A failed operation leaves the text byte for byte and every modified flag
// as it was, whatever stopped it.
TEST(FailedOperations, LeaveTheTextAndTheModifiedFlags) {
    struct Case {
        const char* what;
        std::string text;
        std::function<bool(BasicDocument&)> run;
        unsigned message;
    };
    std::string out;
    const std::string ordered = CrLf({"10 A", "20 GOTO 10", "30 C"});
    const Case cases[] = {
        {"renumber 203", ordered, [](BasicDocument& d) { return d.Renumber(10, 20, 10); },
         IDS_RENUM_ORDER},
        {"renumber 207", ordered, [](BasicDocument& d) { return d.Renumber(65270, 10, 10); },
         IDS_RENUM_OVERFLOW},
        {"renumber 213", ordered, [](BasicDocument& d) { return d.Renumber(100, 15, 10); },
         IDS_RENUM_OLD_MISSING},
        {"renumber 201", CrLf({"10 GOTO 99", "20 END"}),
         [](BasicDocument& d) { return d.Renumber(100, 10, 10); }, IDS_LINE_REF_MISSING},
        {"sort 204", CrLf({"10 A", "10 B"}), [](BasicDocument& d) { return d.SortLines(); },
         IDS_LINE_DUPLICATE},
        {"send 205", CrLf({"10 A", "20 " + std::string(300, 'B')}),
         [&out](BasicDocument& d) { return d.GetSendText(out, SendNumbers::With); },
         IDS_LINE_TOO_LONG},
        {"send 200", CrLf({"10 A", "B"}),
         [&out](BasicDocument& d) { return d.GetSendText(out, SendNumbers::With); },
         IDS_LINE_NO_NUMBER},
    };
    for (const Case& c : cases) {
        for (const bool modified : {false, true}) {
            DocHarness<BasicDocument> h;
            h.SetText(c.text);
            h.editor.SetModified(modified);
            h.doc.SetModifiedFlag(modified);
            EXPECT_FALSE(c.run(h.doc)) << c.what;
            EXPECT_EQ(h.Text(), c.text) << c.what;
            EXPECT_EQ(h.editor.IsModified(), modified) << c.what;
            EXPECT_EQ(h.doc.IsModified(), modified) << c.what;
            EXPECT_FALSE(h.doc.LineNumChanged()) << c.what;
            EXPECT_EQ(h.sink.ids, std::vector<unsigned>{c.message}) << c.what;
        }
    }
    // A receive the editor cannot hold is refused, and its new document,
    // which is closed again, is not left marked modified.
    DocHarness<NumberedDocument> full;
    full.editor.SetLimit(4);
    EXPECT_FALSE(AcceptReceived(full.doc, "10 PRINT\r\n\x1a"));
    EXPECT_FALSE(full.doc.IsModified());
    EXPECT_EQ(full.sink.ids, std::vector<unsigned>{IDS_RECEIVE_TOO_LARGE});
}

TEST(CaretAfterReorder, StaysOnItsLineAsFarPastTheNumber) {
    struct Case {
        const char* before;
        std::size_t offset;
        const char* after;
        std::size_t expected;
    };
    const Case cases[] = {
        // Renumbered: the same line, the same distance past a longer number.
        {"10 A\r\n20 BCD\r\n", 9, "100 A\r\n110 BCD\r\n", 11},
        // Inside the number: no further than the new number's end.
        {"10 A\r\n20 BCD\r\n", 7, "1 A\r\n2 BCD\r\n", 6},
        // Sorted: the line moved, the caret with it.
        {"30 C\r\n10 A\r\n20 B\r\n", 2, "10 A\r\n20 B\r\n30 C\r\n", 14},
        // At the very end, on a last line without a line end.
        {"20 B\r\n10 AB", 12, "10 AB\r\n20 B\r\n", 5},
        // Lone line ends count as line ends.
        {"20 B\n10 A\n", 9, "10 A\r\n20 B\r\n", 4},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CaretAfterReorder(c.before, c.offset, c.after), c.expected) << c.before;
}

TEST(LowestLineNumber, InAnyOrderAndOnlyWhenEveryLineHasANumber) {
    struct Case {
        std::string text;
        std::optional<std::uint32_t> lowest;
    };
    const Case cases[] = {
        {CrLf({"30 C", "10 A", "20 B"}), 10},
        {"20 B\n15 A\r20 C", 15}, // a duplicate does not hide the lowest
        {CrLf({"10 A", "X"}), std::nullopt},
        {CrLf({"10 A", "65280 B"}), std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        DocHarness<BasicDocument> h;
        h.SetText(c.text);
        EXPECT_EQ(h.doc.LowestLineNumber(), c.lowest) << c.text;
        EXPECT_TRUE(h.sink.ids.empty());
        EXPECT_FALSE(h.doc.LineNumChanged());
        // The table alone says the same.
        LineTable lines;
        const LineTableResult built = BuildLineTable(c.text, lines);
        EXPECT_EQ(LowestLineNumber(lines, built), c.lowest) << c.text;
    }
}

// The table LowestLineNumber builds serves the renumbering that follows,
// and only while the text is the same.
TEST(LowestLineNumber, ThenRenumberOfTheSameOrAnEditedText) {
    DocHarness<BasicDocument> h;
    h.SetText(CrLf({"30 GOTO 10", "10 PRINT", "20 END"}));
    ASSERT_EQ(h.doc.LowestLineNumber(), 10u);
    EXPECT_TRUE(h.doc.Renumber(100, 10, 10));
    EXPECT_EQ(h.Text(), CrLf({"100 PRINT", "110 END", "120 GOTO 100"}));
    EXPECT_TRUE(h.doc.LineNumChanged());

    DocHarness<BasicDocument> edited;
    edited.SetText(CrLf({"10 PRINT", "20 GOTO 10"}));
    ASSERT_EQ(edited.doc.LowestLineNumber(), 10u);
    edited.SetText(CrLf({"10 PRINT", "20 GOTO 30", "30 END"}));
    EXPECT_TRUE(edited.doc.Renumber(1, 10, 1));
    EXPECT_EQ(edited.Text(), CrLf({"1 PRINT", "2 GOTO 3", "3 END"}));

    DocHarness<BasicDocument> duplicate;
    duplicate.SetText(CrLf({"20 A", "20 B"}));
    ASSERT_EQ(duplicate.doc.LowestLineNumber(), 20u);
    EXPECT_FALSE(duplicate.doc.Renumber(100, 20, 10));
    EXPECT_EQ(duplicate.sink.ids, std::vector<unsigned>{IDS_LINE_DUPLICATE});
    EXPECT_EQ(duplicate.Text(), CrLf({"20 A", "20 B"}));
}

TEST(Renumber, TopOfTheRange) {
    DocHarness<NumberedDocument> h;
    h.SetText(CrLf({"10 A", "20 B"}));
    EXPECT_TRUE(h.doc.Renumber(65269, 10, 10));
    EXPECT_EQ(h.Text(), CrLf({"65269 A", "65279 B"}));

    DocHarness<NumberedDocument> over;
    over.SetText(CrLf({"10 A", "20 B"}));
    EXPECT_FALSE(over.doc.Renumber(65270, 10, 10));
    EXPECT_EQ(over.Text(), CrLf({"10 A", "20 B"}));
    EXPECT_EQ(over.sink.ids, std::vector<unsigned>{IDS_RENUM_OVERFLOW});
}

TEST(Renumber, ErrorsGiveTheLinesBackSortedWithTheirOldNumbers) {
    DocHarness<NumberedDocument> h;
    h.SetText("30 C\n0010 A\r20 B");
    EXPECT_FALSE(h.doc.Renumber(100, 25, 10));
    EXPECT_EQ(h.Text(), CrLf({"0010 A", "20 B", "30 C"}));
    EXPECT_EQ(h.sink.ids, std::vector<unsigned>{IDS_RENUM_OLD_MISSING});
    // The text was out of order, so the document counts as changed.
    EXPECT_TRUE(h.doc.LineNumChanged());
}

TEST(Renumber, NothingToChangeLeavesTheFlag) {
    DocHarness<NumberedDocument> h;
    h.SetText(CrLf({"10 A", "20 B", "30 C"}));
    EXPECT_TRUE(h.doc.Renumber(10, 10, 10));
    EXPECT_FALSE(h.doc.LineNumChanged());
    EXPECT_EQ(h.Text(), CrLf({"10 A", "20 B", "30 C"}));
}

TEST(Renumber, BadLinesMoveTheCaretAndChangeNothing) {
    DocHarness<NumberedDocument> h;
    const std::string text = CrLf({"10 A", "20 B", "X", "40 D"});
    h.SetText(text);
    EXPECT_FALSE(h.doc.Renumber(100, 10, 10));
    EXPECT_EQ(h.Text(), text);
    EXPECT_FALSE(h.editor.IsModified());
    EXPECT_EQ(h.editor.Caret(), 12);
    EXPECT_EQ(h.sink.ids, std::vector<unsigned>{IDS_LINE_NO_NUMBER});
}

TEST(Renumber, EditorThatCannotHoldTheResultKeepsTheOldText) {
    const std::string text = CrLf({"1 A", "2 B", "3 C"});
    {
        DocHarness<NumberedDocument> h;
        h.SetText(text);
        h.editor.SetLimit(text.size() + 2); // longer numbers won't fit
        EXPECT_FALSE(h.doc.Renumber(1000, 1, 1000));
        EXPECT_EQ(h.Text(), text);
        EXPECT_EQ(h.sink.ids, std::vector<unsigned>{IDS_NO_MEMORY});
        EXPECT_FALSE(h.doc.LineNumChanged());
    }
    {
        // The BASIC version leaves the flag as the failed attempt left it.
        DocHarness<BasicDocument> h;
        h.SetText(text);
        h.editor.SetLimit(text.size() + 2);
        EXPECT_FALSE(h.doc.Renumber(1000, 1, 1000));
        EXPECT_EQ(h.Text(), text);
        EXPECT_TRUE(h.doc.LineNumChanged());
    }
}

TEST(Renumber, OnlyBasicRewritesReferences) {
    const std::string program = CrLf({"10 GOTO 30", "20 END", "30 PRINT"});
    DocHarness<BasicDocument> basic;
    basic.SetText(program);
    EXPECT_TRUE(basic.doc.Renumber(100, 10, 10));
    EXPECT_EQ(basic.Text(), CrLf({"100 GOTO 120", "110 END", "120 PRINT"}));

    DocHarness<NumberedDocument> other;
    other.SetText(program);
    EXPECT_TRUE(other.doc.Renumber(100, 10, 10));
    EXPECT_EQ(other.Text(), CrLf({"100 GOTO 30", "110 END", "120 PRINT"}));
}

// Renumbers lines 10, 20, 30, ... of `bodies` to 100, 110, ... and returns
// the rewritten bodies (each line's text after its number, without CR LF).
std::vector<std::string> RenumberBodies(const std::vector<std::string>& bodies) {
    DocHarness<BasicDocument> h;
    std::string text;
    for (std::size_t i = 0; i < bodies.size(); ++i)
        text += std::to_string(10 * (i + 1)) + bodies[i] + "\r\n";
    h.SetText(text);
    EXPECT_TRUE(h.doc.Renumber(100, 10, 10)) << text;
    std::vector<std::string> result;
    std::size_t pos = 0;
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        const std::string prefix = std::to_string(100 + 10 * i);
        const std::size_t end = h.Text().find("\r\n", pos);
        EXPECT_EQ(h.Text().compare(pos, prefix.size(), prefix), 0);
        result.push_back(h.Text().substr(pos + prefix.size(), end - pos - prefix.size()));
        pos = end + 2;
    }
    return result;
}

TEST(ReferenceScanner, RewritesTheFlaggedKeywords) {
    // Line numbers 10..50 become 100..140.
    const std::vector<std::string> bodies = {
        " GOTO 30",
        " GOTO30:gosub 40",
        " IF A=1 THEN 50 ELSE 20",
        " ON N GOSUB 10,20, 30:RESTORE\t40",
        " IF A=1 THEN PRINT A",
    };
    const std::vector<std::string> expected = {
        " GOTO 120",
        " GOTO120:gosub 130",
        " IF A=1 THEN 140 ELSE 110",
        " ON N GOSUB 100,110, 120:RESTORE\t130",
        " IF A=1 THEN PRINT A",
    };
    EXPECT_EQ(RenumberBodies(bodies), expected);
}

TEST(ReferenceScanner, LeavesRemarksStringsAndLabelsAlone) {
    const std::vector<std::string> bodies = {
        " REM GOTO 30",
        " PRINT \"GOTO 30\":GOTO 30 ' GOTO 20",
        " GOSUB *SUB1:GOSUB *A1,20:GOTO \"X\",30",
        " REMAIN=1:GOTO 30",
        " PRINT TOTAL:GOTOX 20",
        " GOTO 10 ,20",
        " A$=\"open:GOTO 10",
        " GOTO *1,20:ELSE",
        " GOTO 0010:THEN 00020",
        " PRINT \x83\x53\x83\x56:GOTO 20",
        // A double-byte character is one, even where its second byte is a
        // letter: it starts no GOTO and no REM.
        " PRINT \x83\x47OTO 30",
        " PRINT \x83\x52"
        "EM:GOTO 30",
    };
    const std::vector<std::string> expected = {
        " REM GOTO 30",
        " PRINT \"GOTO 30\":GOTO 120 ' GOTO 20",
        " GOSUB *SUB1:GOSUB *A1,110:GOTO \"X\",120",
        " REMAIN=1:GOTO 30",
        " PRINT TOTAL:GOTOX 20",
        " GOTO 100 ,20",
        " A$=\"open:GOTO 10",
        " GOTO *1,20:ELSE",
        " GOTO 100:THEN 110",
        " PRINT \x83\x53\x83\x56:GOTO 110",
        " PRINT \x83\x47OTO 30",
        " PRINT \x83\x52"
        "EM:GOTO 120",
    };
    EXPECT_EQ(RenumberBodies(bodies), expected);
}

TEST(ReferenceScanner, ReferencesBeforeTheRenumberedRangeLoseLeadingZeros) {
    DocHarness<BasicDocument> h;
    h.SetText(CrLf({"10 GOTO 0010", "20 GOTO 0020"}));
    EXPECT_TRUE(h.doc.Renumber(200, 20, 10));
    EXPECT_EQ(h.Text(), CrLf({"10 GOTO 10", "200 GOTO 200"}));
}

TEST(ReferenceScanner, MissingLineAnywhereIsAnErrorAtThatLine) {
    DocHarness<BasicDocument> h;
    // Out of order on purpose: the caret goes to the line in the sorted text.
    h.SetText(CrLf({"30 PRINT", "10 RESTORE 1000", "20 END"}));
    EXPECT_FALSE(h.doc.Renumber(100, 20, 10));
    EXPECT_EQ(h.Text(), CrLf({"10 RESTORE 1000", "20 END", "30 PRINT"}));
    EXPECT_EQ(h.sink.ids, std::vector<unsigned>{IDS_LINE_REF_MISSING});
    EXPECT_EQ(h.editor.Caret(), 0);
    EXPECT_EQ(h.sink.lines,
              std::vector<std::size_t>{1}); // the second line of the text it started from

    DocHarness<BasicDocument> later;
    later.SetText(CrLf({"10 PRINT", "20 GOTO 99", "30 END"}));
    EXPECT_FALSE(later.doc.Renumber(100, 30, 10));
    EXPECT_EQ(later.editor.Caret(), 10);
    EXPECT_EQ(later.Text(), CrLf({"10 PRINT", "20 GOTO 99", "30 END"}));

    // Numbers too long for 32 bits name no line.
    DocHarness<BasicDocument> huge;
    huge.SetText(CrLf({"10 GOTO 4294967306"}));
    EXPECT_FALSE(huge.doc.Renumber(100, 10, 10));
    EXPECT_EQ(huge.sink.ids, std::vector<unsigned>{IDS_LINE_REF_MISSING});
    EXPECT_EQ(huge.sink.places,
              std::vector<std::string>{"行番号 10 の行が、行番号 4294967306 を参照しています。"});
}

// Below the message, a sentence names the lines: the one that refers to a
// missing line and that line, the old line number that no line has, the
// line that the new numbers would pass.
TEST(Renumber, RefusalsNameTheLines) {
    const struct {
        std::string text;
        unsigned newStart, oldStart;
        std::string place;
    } cases[] = {
        {CrLf({"30 PRINT", "10 RESTORE 01000", "20 END"}), 100, 10,
         "行番号 10 の行が、行番号 01000 を参照しています。"},
        {CrLf({"10 A", "20 B"}), 100, 25, "行番号 25 の行はありません。"},
        {CrLf({"10 A", "20 B", "30 C"}), 10, 20,
         "行番号 20 の前に行番号 10 の行があるため、新行番号は 10 より大きくしてください。"},
    };
    for (const auto& c : cases) {
        DocHarness<BasicDocument> h;
        h.SetText(c.text);
        EXPECT_FALSE(h.doc.Renumber(c.newStart, c.oldStart, 10)) << c.text;
        EXPECT_EQ(h.sink.places, std::vector<std::string>{c.place}) << c.text;
    }
    SetLanguage(Language::English);
    DocHarness<BasicDocument> h;
    h.SetText(CrLf({"10 A", "20 GOTO 99"}));
    EXPECT_FALSE(h.doc.Renumber(100, 10, 10));
    EXPECT_EQ(h.sink.places, std::vector<std::string>{"Line 20 refers to line 99."});
    SetLanguage(Language::Japanese);
}

// Whether a text that is not BASIC has lines that renumbering as BASIC
// would change: the scanner's own rule, numbers only.
TEST(ReferenceScanner, FindsTheFirstReferenceInNumberOrder) {
    const struct {
        std::string text;
        std::optional<std::uint32_t> line;
        std::string target;
    } cases[] = {
        {CrLf({"30 GOSUB 10", "20 IF A THEN 0010", "10 END"}), 20, "0010"},
        {CrLf({"10 PRINT \"GOTO 20\"", "20 REM GOTO 10", "30 GOSUB *SUB:GOTO \"X\""}), std::nullopt,
         ""},
        // A missing line is a reference too: renumbering as BASIC says so.
        {CrLf({"10 GOTO 99"}), 10, "99"},
        {CrLf({"10 A", "10 GOTO 10"}), std::nullopt, ""}, // no line table
        {"", std::nullopt, ""},
    };
    for (const auto& c : cases) {
        DocHarness<NumberedDocument> h;
        h.SetText(c.text);
        const std::optional<FoundReference> reference = h.doc.FirstLineReference();
        EXPECT_EQ(reference.has_value(), c.line.has_value()) << c.text;
        if (reference && c.line) {
            EXPECT_EQ(reference->line, *c.line) << c.text;
            EXPECT_EQ(reference->target, c.target) << c.text;
        }
        EXPECT_TRUE(h.sink.ids.empty());
    }
}

// Any successful renumbering keeps every line's body apart from the numbers
// it refers to, returns the lines in number order, and spaces the new
// numbers by the step from the old start line on.
TEST(RenumberProperty, KeepsBodiesOrdersLinesAndSpacesNumbers) {
    std::mt19937 rng(2024);
    auto below = [&](std::size_t bound) { return static_cast<std::size_t>(rng() % bound); };
    // Body pieces; "#" stands for a reference to a random line.
    const char* pieces[] = {
        " PRINT A", " X=1",       " \x82\xa0 B$",        ":",          " FOR I=1 TO 9",
        " GOTO #",  ":GOSUB #,#", " IF A THEN # ELSE #", " RESTORE #", " PRINT \"GOTO 7\"",
        " goto #"};
    for (int round = 0; round < 300; ++round) {
        const std::size_t n = 1 + below(40);
        std::vector<std::uint32_t> numbers; // ascending, distinct
        std::uint32_t next = 1 + static_cast<std::uint32_t>(below(50));
        for (std::size_t i = 0; i < n; ++i, next += 1 + static_cast<std::uint32_t>(below(30)))
            numbers.push_back(next);

        // Each line's body as pieces of text and references (by line index).
        struct Body {
            std::vector<std::string> text; // text[i] comes before refs[i]
            std::vector<std::size_t> refs;
        };
        std::vector<Body> bodies(n);
        for (Body& body : bodies) {
            std::string piece;
            for (std::size_t k = 1 + below(3); k > 0; --k)
                piece += pieces[below(std::size(pieces))];
            std::string chunk;
            for (char c : piece) {
                if (c == '#') {
                    body.text.push_back(chunk);
                    body.refs.push_back(below(n));
                    chunk.clear();
                } else {
                    chunk += c;
                }
            }
            body.text.push_back(chunk + (below(4) == 0 ? " ' GOTO 3" : ""));
        }
        auto render = [&](std::size_t line, auto numberOf) {
            std::string out = std::to_string(numberOf(line));
            for (std::size_t i = 0; i < bodies[line].refs.size(); ++i)
                out += bodies[line].text[i] + std::to_string(numberOf(bodies[line].refs[i]));
            return out + bodies[line].text.back();
        };

        const std::size_t oldIndex = below(n);
        const std::uint32_t oldStart = numbers[oldIndex];
        const std::uint32_t step = 1 + static_cast<std::uint32_t>(below(20));
        const std::uint32_t newStart = oldStart + static_cast<std::uint32_t>(below(100));
        auto oldNumber = [&](std::size_t i) { return numbers[i]; };
        auto newNumber = [&](std::size_t i) {
            return i < oldIndex ? numbers[i]
                                : newStart + static_cast<std::uint32_t>(i - oldIndex) * step;
        };

        std::vector<std::size_t> textOrder(n);
        for (std::size_t i = 0; i < n; ++i)
            textOrder[i] = i;
        std::ranges::shuffle(textOrder, rng);
        // Mostly CR LF, as in the editor; lone line ends here and there, and
        // sometimes none after the last line.
        const char* ends[] = {"\r\n", "\r\n", "\r\n", "\n", "\r"};
        const bool crLfOnly = below(2) == 0;
        std::string text;
        for (std::size_t i : textOrder)
            text += render(i, oldNumber) + (crLfOnly ? "\r\n" : ends[below(std::size(ends))]);
        if (below(4) == 0)
            text.resize(text.size() - (text.ends_with("\r\n") ? 2 : 1));
        std::string expected;
        for (std::size_t i = 0; i < n; ++i)
            expected += render(i, newNumber) + "\r\n";

        DocHarness<BasicDocument> h;
        h.SetText(text);
        ASSERT_TRUE(h.doc.Renumber(newStart, oldStart, step)) << text;
        ASSERT_EQ(h.Text(), expected) << text;
    }
}

} // namespace
} // namespace tessel
