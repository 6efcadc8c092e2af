#include "engine/Numbering.h"
#include "doc/LinePlace.h"
#include "doc/TextOps.h"
#include "engine/BasicDocument.h"
#include "engine/FileText.h"
#include "engine/SendText.h"
#include "res/StringTable.h"
#include "support/DocHarness.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

namespace tessel {
namespace {

using test::CrLf;
using test::DocHarness;

TEST(NumberLines, NumbersEveryLineKeepingItsTerminator) {
    EXPECT_EQ(NumberLines("PRINT 1\r\nPRINT 2", 10, 10), "10PRINT 1\r\n20PRINT 2");
    // No extra line after the last terminator.
    EXPECT_EQ(NumberLines("A\n\nB\rC\r\n", 10, 10), "10A\n20\n30B\r40C\r\n");
    EXPECT_EQ(NumberLines("X\r\nY", 5, 3), "5X\r\n8Y");
    EXPECT_EQ(NumberLines("", 10, 10), "");
}

TEST(RemoveLineNumbers, RemovesLeadingDigitsOnly) {
    EXPECT_EQ(RemoveLineNumbers("10 PRINT 1\r\n0020PRINT\n30\r 40X\r\nNONE 5"),
              " PRINT 1\r\nPRINT\n\r 40X\r\nNONE 5");
}

TEST(NumberLines, HugeSettingsDoNotWrapIntoValidNumbers) {
    const std::string text = NumberLines("A\r\nB", 4294967295u, 11);
    EXPECT_EQ(text, "4294967295A\r\n4294967306B");
    LineTable lines;
    EXPECT_EQ(BuildLineTable(text, lines).problem.message, IDS_LINE_OUT_OF_RANGE);
}

TEST(LineNumHelpers, StartInsertDelete) {
    EXPECT_TRUE(StartsWithLineNum("0"));
    EXPECT_FALSE(StartsWithLineNum(" 10"));
    EXPECT_FALSE(StartsWithLineNum(""));
    std::string line = "PRINT\r\n";
    InsertLineNum(line, 65279);
    EXPECT_EQ(line, "65279PRINT\r\n");
    DeleteLineNum(line);
    EXPECT_EQ(line, "PRINT\r\n");
    line = "123";
    DeleteLineNum(line);
    EXPECT_EQ(line, "");
}

TEST(SortLines, SortsAndMarksOnlyRealChanges) {
    DocHarness<NumberedDocument> h;
    h.SetText("20 B\n10 A");
    EXPECT_TRUE(h.doc.SortLines());
    EXPECT_EQ(h.Text(), CrLf({"10 A", "20 B"}));
    EXPECT_TRUE(h.doc.LineNumChanged());

    h.doc.SerializeStore(); // storing clears the flag
    EXPECT_FALSE(h.doc.LineNumChanged());
    EXPECT_TRUE(h.doc.SortLines());
    EXPECT_FALSE(h.doc.LineNumChanged());
    EXPECT_EQ(h.Text(), CrLf({"10 A", "20 B"}));
}

TEST(SortLines, KeepsLeadingZerosAndLineContents) {
    DocHarness<NumberedDocument> h;
    h.SetText("0030 C \x82\xa0\r\n10\tA\r\n020B");
    EXPECT_TRUE(h.doc.SortLines());
    EXPECT_EQ(h.Text(), "10\tA\r\n020B\r\n0030 C \x82\xa0\r\n");
}

TEST(SortLines, ErrorsLeaveTheTextAndPointAtTheLine) {
    struct Case {
        std::string text;
        unsigned message;
        long long caret;
    };
    const Case cases[] = {
        {CrLf({"10 A", "10 B"}), IDS_LINE_DUPLICATE, 0},
        {CrLf({"10 A", "B"}), IDS_LINE_NO_NUMBER, 6},
        {CrLf({"10 A", "20 B", "65280 C"}), IDS_LINE_OUT_OF_RANGE, 12},
    };
    for (const Case& c : cases) {
        DocHarness<NumberedDocument> h;
        h.SetText(c.text);
        EXPECT_FALSE(h.doc.SortLines());
        EXPECT_EQ(h.Text(), c.text);
        EXPECT_FALSE(h.editor.IsModified());
        EXPECT_EQ(h.sink.ids, std::vector<unsigned>{c.message});
        EXPECT_EQ(h.editor.Caret(), c.caret);
    }
}

TEST(SortLines, EditorRefusalRestoresAndClearsTheFlag) {
    DocHarness<NumberedDocument> h;
    h.SetText("20 B\n10 A"); // sorting adds a byte (CR LF for LF, CR LF at the end)
    h.editor.SetLimit(h.Text().size());
    EXPECT_FALSE(h.doc.SortLines());
    EXPECT_EQ(h.Text(), "20 B\n10 A");
    EXPECT_EQ(h.sink.ids, std::vector<unsigned>{IDS_NO_MEMORY});
    EXPECT_FALSE(h.doc.LineNumChanged());
}

TEST(LoadStore, UnnumberedFileIsNumberedAndSavedWithoutNumbers) {
    test::TempDir dir;
    const std::string path = dir.file("prog.bas");
    test::WriteBytes(path, "PRINT 1\r\nPRINT 2\r\n");
    DocHarness<BasicDocument> h;
    ASSERT_TRUE(h.doc.OnOpenDocument(path));
    EXPECT_EQ(h.Text(), "10PRINT 1\r\n20PRINT 2\r\n");
    EXPECT_FALSE(h.doc.GetLineNumOutput());
    EXPECT_FALSE(h.doc.IsModified());
    ASSERT_TRUE(h.doc.OnSaveDocument(path));
    EXPECT_EQ(test::ReadBytes(path), "PRINT 1\r\nPRINT 2\r\n");
}

// Numbers given to a text that had none can always be taken off again, and
// the device reads the number that was meant, whatever a line begins with.
TEST(NumberingUndone, EveryLineComesBackAndNumbersStayApart) {
    struct Case {
        const char* file;     // the file, without numbers
        const char* numbered; // as the editor shows it
        const char* wire;     // sent with the device's CR LF and end code
    };
    const Case cases[] = {
        // Ordinary texts keep what they always gave.
        {"PRINT 1\r\nEND\r\n", "10PRINT 1\r\n20END\r\n", "10PRINT 1\r\n20END\r\n\x1a"},
        {"  A\r\n\r\n", "10  A\r\n20\r\n", "10  A\r\n20\r\n\x1a"},
        // A line of its own that begins with digits, or blanks and digits.
        {"Shopping list\r\n2 eggs\r\n1 milk\r\nbread\r\n",
         "10Shopping list\r\n20 2 eggs\r\n30 1 milk\r\n40bread\r\n",
         "10Shopping list\r\n20 2 eggs\r\n30 1 milk\r\n40bread\r\n\x1a"},
        {"X,Y\r\n123,456\r\n", "10X,Y\r\n20 123,456\r\n", "10X,Y\r\n20 123,456\r\n\x1a"},
        // Tabs go to the device as blanks.
        {"A\r\n 7\r\n\t8 B\r\n 9\r\n", "10A\r\n20  7\r\n30 \t8 B\r\n40  9\r\n",
         "10A\r\n20  7\r\n30  8 B\r\n40  9\r\n\x1a"},
    };
    test::TempDir dir;
    for (const Case& c : cases) {
        const std::string path = dir.file("notes.txt");
        test::WriteBytes(path, c.file);
        DocHarness<NumberedDocument> h;
        ASSERT_TRUE(h.doc.OnOpenDocument(path)) << c.file;
        EXPECT_EQ(h.Text(), c.numbered) << c.file;
        std::string wire;
        ASSERT_TRUE(h.doc.GetSendText(wire, SendNumbers::With)) << c.file;
        EXPECT_EQ(wire, c.wire) << c.file;
        // Sorting and renumbering keep each line's own bytes.
        EXPECT_TRUE(h.doc.SortLines());
        EXPECT_TRUE(h.doc.Renumber(100, 10, 5));
        EXPECT_TRUE(h.doc.Renumber(10, 100, 10));
        EXPECT_EQ(h.Text(), c.numbered) << c.file;
        ASSERT_TRUE(h.doc.OnSaveDocument(path));
        EXPECT_EQ(test::ReadBytes(path), c.file);

        // Received the same way, it is numbered the same way.
        DocHarness<NumberedDocument> received;
        ASSERT_TRUE(received.doc.SetReceivedText(std::string(c.file) + "\x1a",
                                                 ReceiveNumbering::NumberIfMissing));
        EXPECT_EQ(received.doc.SerializeStore(), c.file);
    }

    // Any text: numbering, then removing the numbers, gives it back.
    std::mt19937 rng(11);
    const char alphabet[] = {' ', ' ', '\t', '0', '5', '9', 'A', '\r', '\n'};
    for (int round = 0; round < 2000; ++round) {
        std::string text(rng() % 40, ' ');
        for (char& ch : text)
            ch = alphabet[rng() % sizeof alphabet];
        ASSERT_EQ(RemoveLineNumbers(NumberLines(text, 10, 10)), text) << "round " << round;
    }
}

TEST(LoadStore, NumberedFileKeepsItsNumbersUnlessTheFlagIsCleared) {
    test::TempDir dir;
    const std::string path = dir.file("prog.bas");
    test::WriteBytes(path, "10 PRINT\n5 END");
    DocHarness<BasicDocument> h;
    ASSERT_TRUE(h.doc.OnOpenDocument(path));
    EXPECT_EQ(h.Text(), "10 PRINT\r\n5 END"); // shown as lines, saved with LF
    EXPECT_TRUE(h.doc.GetLineNumOutput());
    EXPECT_EQ(h.doc.SerializeStore(), "10 PRINT\n5 END");
    h.doc.SetLineNumOutput(false);
    EXPECT_EQ(h.doc.SerializeStore(), " PRINT\n END");
    EXPECT_EQ(h.Text(), "10 PRINT\r\n5 END"); // the editor keeps them
}

TEST(LoadStore, FirstByteDecidesAndLaterLinesMayLackNumbers) {
    test::TempDir dir;
    const std::string path = dir.file("p.txt");
    test::WriteBytes(path, "10 A\r\nB\r\n\r\n");
    DocHarness<NumberedDocument> h;
    ASSERT_TRUE(h.doc.OnOpenDocument(path));
    EXPECT_EQ(h.Text(), "10 A\r\nB\r\n\r\n");
    EXPECT_FALSE(h.doc.SortLines());
    EXPECT_EQ(h.editor.Caret(), 6);
    EXPECT_EQ(h.sink.ids, std::vector<unsigned>{IDS_LINE_NO_NUMBER});
}

TEST(LoadStore, EmptyAndOversizedFiles) {
    test::TempDir dir;
    {
        const std::string path = dir.file("empty.bas");
        test::WriteBytes(path, "");
        DocHarness<BasicDocument> h;
        h.doc.SetLineNumOutput(true);
        ASSERT_TRUE(h.doc.OnOpenDocument(path));
        EXPECT_EQ(h.Text(), "");
        EXPECT_TRUE(h.doc.GetLineNumOutput());
        EXPECT_FALSE(h.doc.IsModified());
    }
    {
        const std::string path = dir.file("big.bas");
        test::WriteBytes(path, "1" + std::string(65535, 'A'));
        DocHarness<BasicDocument> h;
        EXPECT_FALSE(h.doc.OnOpenDocument(path));
        EXPECT_EQ(h.sink.ids, std::vector<unsigned>{IDS_FILE_TOO_LARGE});
        // Nothing of the failure stays behind: the next open works.
        const std::string small = dir.file("small.bas");
        test::WriteBytes(small, "10 A\r\n");
        EXPECT_TRUE(h.doc.OnOpenDocument(small));
    }
    {
        // Fits as it is, grows past the limit once numbered.
        std::string text;
        while (text.size() < 65000)
            text += "PRINT\r\n";
        const std::string path = dir.file("grows.bas");
        test::WriteBytes(path, text);
        DocHarness<BasicDocument> h;
        EXPECT_FALSE(h.doc.OnOpenDocument(path));
        EXPECT_EQ(h.sink.ids, std::vector<unsigned>{IDS_FILE_TOO_LARGE});
    }
    {
        const std::string path = dir.file("exact.bas");
        test::WriteBytes(path, "1" + std::string(65534, 'A'));
        DocHarness<BasicDocument> h;
        EXPECT_TRUE(h.doc.OnOpenDocument(path));
        EXPECT_EQ(h.editor.GetLength(), 65535u);
    }
}

TEST(LoadStore, EditorThatRefusesTheTextAbandonsTheOpen) {
    test::TempDir dir;
    const std::string path = dir.file("p.bas");
    test::WriteBytes(path, "A\r\n");
    DocHarness<BasicDocument> h;
    h.editor.SetLimit(3);
    EXPECT_FALSE(h.doc.OnOpenDocument(path));
    EXPECT_EQ(h.sink.ids, std::vector<unsigned>{IDS_NO_MEMORY});
}

TEST(ReceivedText, NumberedOnlyWhenItComesWithoutNumbers) {
    {
        DocHarness<NumberedDocument> h;
        h.settings.m_comSettings.EndOfLine = kEolLf;
        EXPECT_TRUE(h.doc.SetReceivedText("PRINT\nEND\n\x1a", ReceiveNumbering::NumberIfMissing));
        EXPECT_EQ(h.Text(), "10PRINT\r\n20END\r\n");
        EXPECT_FALSE(h.doc.GetLineNumOutput());
        EXPECT_TRUE(h.editor.IsModified());
    }
    {
        DocHarness<NumberedDocument> h;
        EXPECT_TRUE(h.doc.SetReceivedText("10 PRINT\r\n\x1a", ReceiveNumbering::NumberIfMissing));
        EXPECT_EQ(h.Text(), "10 PRINT\r\n");
        EXPECT_TRUE(h.doc.GetLineNumOutput());
    }
    {
        DocHarness<NumberedDocument> h;
        h.editor.SetLimit(4);
        EXPECT_FALSE(h.doc.SetReceivedText("10 PRINT\r\n", ReceiveNumbering::NumberIfMissing));
        EXPECT_EQ(h.sink.ids, std::vector<unsigned>{IDS_RECEIVE_TOO_LARGE});
    }
}

// A file's bytes as the editor shows them, and stored again: the same bytes.
TEST(FileText, LoadingThenStoringGivesTheFileBack) {
    const struct {
        std::string file;
        const char* shown; // nullptr: the bytes go in as they are
        bool numbered;
        EndOfLineCode lineEnd;
    } cases[] = {
        {"10 A\r\n20 B\r\n", nullptr, true, kEolCrLf},
        {"10 A\n20 B\n", "10 A\r\n20 B\r\n", true, kEolLf},
        {"10 A\r20 B", "10 A\r\n20 B", true, kEolCr},
        // Mixed line ends stay as they are, in the editor and in the file.
        {"10 A\r\n20 B\n30\r", nullptr, true, kEolCrLf},
        {"PRINT\n2 eggs\n", "10PRINT\r\n20 2 eggs\r\n", false, kEolLf},
        {"\r\nA", "10\r\n20A", false, kEolCrLf},
        // A blank first byte: no numbers, whatever follows it.
        {" 10 A\r\n", "10  10 A\r\n", false, kEolCrLf},
        {"A", "10A", false, kEolCrLf},
    };
    for (const auto& c : cases) {
        const LoadedText loaded = LoadFileText(c.file, {10, 10});
        ASSERT_TRUE(loaded.Ok()) << c.file;
        EXPECT_EQ(loaded.changed.has_value(), c.shown != nullptr) << c.file;
        EXPECT_EQ(loaded.Text(c.file), c.shown ? c.shown : c.file) << c.file;
        EXPECT_EQ(loaded.numbered, c.numbered) << c.file;
        EXPECT_EQ(loaded.lineEnd, c.lineEnd) << c.file;
        EXPECT_EQ(StoredText(std::string(loaded.Text(c.file)), loaded.numbered, loaded.lineEnd),
                  c.file);
    }
    // Stored with numbers, a text loaded without them keeps those it was given.
    EXPECT_EQ(StoredText("10A\r\n20B\r\n", true, kEolLf), "10A\n20B\n");
}

TEST(FileText, AFileTheEditorCannotHoldOnceLoadedIsRefused) {
    EXPECT_TRUE(LoadFileText("1" + std::string(kMaxTextSize - 1, 'A'), {10, 10}).Ok());
    EXPECT_TRUE(LoadFileText("1" + std::string(kMaxTextSize / 2, '\n'), {10, 10}).Ok());
    const std::string tooLarge[] = {
        "1" + std::string(kMaxTextSize, 'A'),
        // Within the limit as read; past it once numbered, or with CR LF.
        std::string(kMaxTextSize / 2, '\n'),
        "1" + std::string(kMaxTextSize / 2 + 1, '\n'),
    };
    for (const std::string& file : tooLarge) {
        const LoadedText loaded = LoadFileText(file, {10, 10});
        EXPECT_EQ(loaded.problem.message, IDS_FILE_TOO_LARGE) << file.size();
        EXPECT_FALSE(loaded.problem.HasLine());
        EXPECT_FALSE(loaded.changed);
    }
}

TEST(FileText, ReceivedBytesLoseTheEndCodeAndAreNumberedWhenAsked) {
    const struct {
        std::string received;
        ReceiveNumbering receive;
        int endOfLine;
        std::string text;
        bool numbered;
    } cases[] = {
        {"PRINT\nEND\n\x1a", ReceiveNumbering::NumberIfMissing, kEolLf, "10PRINT\r\n20END\r\n",
         false},
        {"10 PRINT\r\x1a", ReceiveNumbering::NumberIfMissing, kEolCr, "10 PRINT\r\n", true},
        {"PRINT\n\x1a", ReceiveNumbering::AsReceived, kEolLf, "PRINT\r\n", true},
        // The code is only taken off the end.
        {"10 A\x1a"
         "B",
         ReceiveNumbering::NumberIfMissing, kEolCrLf,
         "10 A\x1a"
         "B",
         true},
        {"", ReceiveNumbering::NumberIfMissing, kEolCrLf, "", false},
    };
    for (const auto& c : cases) {
        const ReceivedText received =
            ReceiveText(c.received, c.receive, c.endOfLine, 0x1a, {10, 10});
        EXPECT_EQ(received.text, c.text) << c.received;
        EXPECT_EQ(received.numbered, c.numbered) << c.received;
    }
    EXPECT_EQ(
        ReceiveText("A\r\nB\x04", ReceiveNumbering::NumberIfMissing, kEolCrLf, 0x04, {5, 3}).text,
        "5A\r\n8B");
}

TEST(SendText, InNumberOrderWithDeviceLineEnds) {
    DocHarness<BasicDocument> h;
    h.settings.m_comSettings.EndOfLine = kEolCr;
    const std::string text = "20 B\r\n10\tA\r\n";
    h.SetText(text);
    std::string out = "stale";
    ASSERT_TRUE(h.doc.GetSendText(out, SendNumbers::With));
    EXPECT_EQ(out, "10  A\r20 B\r\x1a");
    EXPECT_EQ(h.Text(), text); // the editor is untouched
    EXPECT_FALSE(h.doc.LineNumChanged());

    ASSERT_TRUE(h.doc.GetSendText(out, SendNumbers::Without));
    EXPECT_EQ(out, "  A\r B\r\x1a");
}

// The same over a text alone: the bytes, or the problem with its place in
// the text given, tabs unexpanded.
TEST(SendText, OfATextAloneGivesTheBytesOrTheProblemAtItsPlace) {
    SendOptions options;
    options.endOfLine = kEolCr;
    EXPECT_EQ(SendText("20 B\r\n10\tA", options).bytes, "10  A\r20 B\r\x1a");
    options.numbers = SendNumbers::Without;
    EXPECT_EQ(SendText("20 B\r\n10\tA", options).bytes, "  A\r B\r\x1a");
    const SendResult empty = SendText("", options);
    EXPECT_FALSE(empty.Ok());
    EXPECT_TRUE(empty.problem.Ok());

    options = {};
    options.tabStop = 8;
    const SendResult tooLong = SendText("10 A\r\n20\t" + std::string(247, 'X'), options);
    EXPECT_EQ(tooLong.bytes, "");
    EXPECT_EQ(tooLong.problem.message, IDS_LINE_TOO_LONG);
    EXPECT_EQ(tooLong.problem.line, 1u);
    EXPECT_EQ(tooLong.problem.offset, 6u);
    EXPECT_EQ(DescribeProblem(tooLong.place), DescribeProblem(LongLinePlace(1, 20, 255)));

    const SendResult noNumber = SendText("10 A\tX\r\n B\r\n", options);
    EXPECT_EQ(noNumber.problem.message, IDS_LINE_NO_NUMBER);
    EXPECT_EQ(noNumber.problem.offset, 8u);
    EXPECT_EQ(DescribeProblem(noNumber.place), DescribeProblem(NoNumberPlace(1, " B")));
}

TEST(SendText, RefusesLongLinesAndBadNumbers) {
    {
        DocHarness<BasicDocument> h;
        h.SetText("10 A\r\n20 " + std::string(252, 'X') + "\r\n"); // 255 bytes
        std::string out = "stale";
        EXPECT_FALSE(h.doc.GetSendText(out, SendNumbers::With));
        EXPECT_EQ(out, "");
        EXPECT_EQ(h.editor.Caret(), 6);
        EXPECT_EQ(h.sink.ids, std::vector<unsigned>{IDS_LINE_TOO_LONG});
        EXPECT_EQ(h.sink.places,
                  std::vector<std::string>{DescribeProblem(LongLinePlace(1, 20, 255))});
    }
    {
        DocHarness<BasicDocument> h;
        h.SetText("10 A\r\n20 " + std::string(251, 'X') + "\r\n"); // 254 bytes
        std::string out;
        EXPECT_TRUE(h.doc.GetSendText(out, SendNumbers::With));
    }
    {
        // 250 bytes, but a tab expands past 254.
        DocHarness<BasicDocument> h;
        h.settings.tabStop = 8;
        h.SetText("1\t\t" + std::string(247, 'X'));
        std::string out;
        EXPECT_FALSE(h.doc.GetSendText(out, SendNumbers::With));
        EXPECT_EQ(h.sink.ids, std::vector<unsigned>{IDS_LINE_TOO_LONG});
    }
    {
        DocHarness<BasicDocument> h;
        h.SetText("20 A\r\n20 B\r\n");
        std::string out;
        EXPECT_FALSE(h.doc.GetSendText(out, SendNumbers::With));
        EXPECT_EQ(h.sink.ids, std::vector<unsigned>{IDS_LINE_DUPLICATE});
        EXPECT_EQ(h.sink.lines, std::vector<std::size_t>{0});
        EXPECT_EQ(h.sink.places,
                  std::vector<std::string>{DescribeProblem(DuplicatePlace(20, 0, 1))});
    }
    {
        // The caret goes to the line at fault in the editor's text, where
        // the tab before it is one byte.
        DocHarness<BasicDocument> h;
        h.SetText("10 A\tX\r\n B\r\n");
        std::string out;
        EXPECT_FALSE(h.doc.GetSendText(out, SendNumbers::With));
        EXPECT_EQ(h.sink.ids, std::vector<unsigned>{IDS_LINE_NO_NUMBER});
        EXPECT_EQ(h.editor.Caret(), 8);
        EXPECT_EQ(h.sink.places, std::vector<std::string>{DescribeProblem(NoNumberPlace(1, " B"))});
    }
    {
        DocHarness<BasicDocument> h;
        std::string out;
        EXPECT_FALSE(h.doc.GetSendText(out, SendNumbers::With));
        EXPECT_TRUE(h.sink.ids.empty());
    }
}

// The end-of-text code is looked for in the bytes as they go out: in
// number order, tabs as blanks, every line end the device's; it is named
// where it stands in the editor's text.
TEST(SendText, RefusesAnEndCodeThatWouldStopTheDeviceBeforeTheEnd) {
    const struct {
        std::string text;
        std::uint32_t code;
        int endOfLine;
        std::size_t caret; // where the code stands; npos: sent
        std::size_t line = 0;
        std::size_t column = 0;
    } cases[] = {
        {"10 A\x1a"
         "B\r\n20 C\r\n",
         0x1a, kEolCrLf, 4, 0, 4},
        // Last in the editor, but first of the two to go out.
        {"20 B\r\n10 A\x1a", 0x1a, kEolCrLf, 10, 1, 4},
        // At the very end of what goes out: where it belongs.
        {"10 A\r\n20 B\x1a\r\n", 0x1a, kEolCrLf, std::string::npos},
        // A line end that carries the code: the first line sent ends there.
        {"20 B\r\n10 A\r\n", '\n', kEolCrLf, 10, 1, 4},
        // Tabs go out as blanks.
        {"10 A\tB\r\n", '\t', kEolCrLf, std::string::npos},
        {"20 B\r\n10\tA\r\n", ' ', kEolCrLf, 8, 1, 2},
        {"10\tA\x1a"
         "B\r\n",
         0x1a, kEolCrLf, 4, 0, 4},
    };
    for (const auto& c : cases) {
        DocHarness<BasicDocument> h;
        h.settings.m_comSettings.EndOfFile = c.code;
        h.settings.m_comSettings.EndOfLine = static_cast<std::uint32_t>(c.endOfLine);
        h.SetText(c.text);
        std::string out;
        if (c.caret == std::string::npos) {
            EXPECT_TRUE(h.doc.GetSendText(out, SendNumbers::With)) << c.text;
            EXPECT_TRUE(h.sink.ids.empty()) << c.text;
            continue;
        }
        EXPECT_FALSE(h.doc.GetSendText(out, SendNumbers::With)) << c.text;
        EXPECT_EQ(h.sink.ids, std::vector<unsigned>{IDS_END_CODE_INSIDE}) << c.text;
        EXPECT_EQ(h.editor.Caret(), static_cast<long long>(c.caret)) << c.text;
        EXPECT_EQ(h.sink.lines, std::vector<std::size_t>{c.line}) << c.text;
        EXPECT_EQ(h.sink.columns, std::vector<std::size_t>{c.column}) << c.text;
        // The text alone says the same.
        const SendResult sent = SendText(c.text, SendOptions::For(h.settings, SendNumbers::With));
        EXPECT_EQ(sent.problem.offset, c.caret) << c.text;
        EXPECT_EQ(sent.problem.line, c.line) << c.text;
        EXPECT_EQ(sent.problem.column, c.column) << c.text;
        EXPECT_EQ(DescribeProblem(sent.place), h.sink.places.at(0)) << c.text;
    }
}

// Any byte string without NUL, stored from a line-numbered document whose
// output flag is on, comes back byte for byte.
TEST(StoreProperty, NumberedDocumentsStoreTheirBytesUnchanged) {
    std::mt19937 rng(7);
    for (int round = 0; round < 500; ++round) {
        std::string text(rng() % 300, '\0');
        for (char& c : text) {
            const auto pick = rng() % 8;
            c = pick == 0 ? '\r' : pick == 1 ? '\n' : static_cast<char>(1 + rng() % 255);
        }
        DocHarness<BasicDocument> h;
        h.SetText(text);
        h.doc.SetLineNumOutput(true);
        ASSERT_EQ(h.doc.SerializeStore(), text);
    }
}

} // namespace
} // namespace tessel
