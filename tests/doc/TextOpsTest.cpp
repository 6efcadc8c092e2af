#include "doc/TextOps.h"

#include "doc/LinePlace.h"
#include "res/StringTable.h"

#include <gtest/gtest.h>

#include <random>

namespace tessel {
namespace {

TEST(NextLine, EveryTerminator) {
    EXPECT_EQ(NextLine("AB\r\nC", 0).span, 4u);
    EXPECT_EQ(NextLine("AB\r\nC", 0).length, 2u);
    EXPECT_EQ(NextLine("AB\rC", 0).span, 3u);
    EXPECT_EQ(NextLine("AB\nC", 0).span, 3u);
    EXPECT_EQ(NextLine("A\n\rB", 0).span, 2u); // LF CR is two line ends
    EXPECT_EQ(NextLine("A\n\rB", 2).span, 1u);
    EXPECT_EQ(NextLine("AB", 0).span, 2u);
    EXPECT_EQ(NextLine("AB", 5).span, 0u);
    EXPECT_EQ(ExtractLine("A\r\nB"), "A\r\n");
    EXPECT_EQ(ExtractLine(""), "");
}

TEST(ExpandTabs, ColumnsCountBytes) {
    auto expand = [](std::string text, unsigned width) {
        ExpandTabs(text, width);
        return text;
    };
    EXPECT_EQ(expand("ab\tc", 4), "ab  c");
    EXPECT_EQ(expand("\tc", 4), "    c");
    EXPECT_EQ(expand("\x82\xa0\tc", 4), "\x82\xa0  c"); // a double-byte character is 2 columns
    EXPECT_EQ(expand("abcd\t", 4), "abcd    ");
    EXPECT_EQ(expand("a\tb\r\n\tc\n\td\r\te", 4), "a   b\r\n    c\n    d\r    e");
    EXPECT_EQ(expand("\t\t", 1), "  ");
    EXPECT_EQ(expand("a\tb", 10), "a         b");
    EXPECT_EQ(expand("", 4), "");
}

// The way tabs were always expanded: line by line, replace the first tab,
// then look again from the start.
std::string ExpandTabsSlowly(const std::string& text, unsigned width) {
    std::string result;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::string line(ExtractLine(std::string_view(text).substr(pos)));
        pos += line.size();
        for (std::size_t tab; (tab = line.find('\t')) != std::string::npos;)
            line.replace(tab, 1, width - tab % width, ' ');
        result += line;
    }
    return result;
}

TEST(ExpandTabs, OnePassGivesTheSameResultAsReplacingOneTabAtATime) {
    std::mt19937 rng(99);
    const char alphabet[] = {'\t', '\t', '\r', '\n', 'a', ' ', '\x82', '\xa0'};
    for (int round = 0; round < 2000; ++round) {
        std::string text(rng() % 80, 'x');
        for (char& c : text)
            c = alphabet[rng() % sizeof alphabet];
        const unsigned width = 1 + static_cast<unsigned>(rng() % 10);
        std::string fast = text;
        ExpandTabs(fast, width);
        ASSERT_EQ(fast, ExpandTabsSlowly(text, width)) << width;
    }
}

TEST(ExpandLineTabs, RefusesTheFirstLineLongerThanTheLimitOnceExpandedAndLeavesTheText) {
    std::string ok = "A\r\n" + std::string(254, 'x') + "\r\n";
    EXPECT_FALSE(ExpandLineTabs(ok, 8, kMaxLineLength));
    // 250 bytes and a tab at column 250 reach column 256: too long only once expanded.
    std::string tooLong = "A\r\nB\n" + std::string(250, 'x') + "\tC\r\n" + std::string(300, 'y');
    const std::string before = tooLong;
    const auto refused = ExpandLineTabs(tooLong, 8, kMaxLineLength);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->line, 2u);
    EXPECT_EQ(refused->offset, 5u);
    EXPECT_EQ(refused->expanded, std::string(250, 'x') + "      C");
    EXPECT_EQ(tooLong, before);
    // Without a limit every line is expanded, however long.
    EXPECT_FALSE(ExpandLineTabs(tooLong, 8, std::nullopt));
    EXPECT_EQ(tooLong.substr(5, 257), std::string(250, 'x') + "      C");
}

TEST(IsLineWithin, TerminatorDoesNotCount) {
    EXPECT_TRUE(IsLineWithin(std::string(254, 'x') + "\r\n", 254));
    EXPECT_FALSE(IsLineWithin(std::string(255, 'x') + "\r\n", 254));
    EXPECT_TRUE(IsLineWithin(std::string(254, 'x') + "\n", 254));
    EXPECT_TRUE(IsLineWithin(std::string(254, 'x') + "\r", 254));
    EXPECT_TRUE(IsLineWithin(std::string(254, 'x'), 254));
    EXPECT_FALSE(IsLineWithin(std::string(255, 'x'), 254));
}

TEST(LineEnds, ToAndFromTheDevice) {
    std::string text = "A\r\nB\rC\nD\r\n";
    ToDeviceLineEnds(text, kEolCr);
    EXPECT_EQ(text, "A\rB\rC\nD\r");
    text = "A\r\nB\rC\nD\r\n";
    ToDeviceLineEnds(text, kEolLf);
    EXPECT_EQ(text, "A\nB\rC\nD\n");
    text = "A\r\nB";
    ToDeviceLineEnds(text, kEolCrLf);
    EXPECT_EQ(text, "A\r\nB");

    text = "A\nB\n";
    FromDeviceLineEnds(text, kEolLf);
    EXPECT_EQ(text, "A\r\nB\r\n");
    text = "A\r\n";
    FromDeviceLineEnds(text, kEolCr); // a plain substitution
    EXPECT_EQ(text, "A\r\n\n");
    text = "A\rB\n";
    FromDeviceLineEnds(text, kEolCrLf);
    EXPECT_EQ(text, "A\rB\n");
}

TEST(EndCode, OnlyTheLastByteCounts) {
    std::string text = "A\x1a";
    RemoveEndCode(text, 0x1a);
    EXPECT_EQ(text, "A");
    text = "A\x1a"
           "B";
    RemoveEndCode(text, 0x1a);
    EXPECT_EQ(text, "A\x1a"
                    "B");
    text = "";
    RemoveEndCode(text, 0x1a);
    EXPECT_EQ(text, "");

    text = "A";
    AppendEndCode(text, 0x1a);
    EXPECT_EQ(text, "A\x1a");
    AppendEndCode(text, 0x1a);
    EXPECT_EQ(text, "A\x1a");
    text = "";
    AppendEndCode(text, 0xff);
    EXPECT_EQ(text, "\xff");
}

TEST(DataText, ReceivedBytesTakeTheEditorsLineEndsAndLoseTheEndCode) {
    EXPECT_EQ(ReceivedDataText("A\rB\r\x1a", kEolCr, 0x1a), "A\r\nB\r\n");
    EXPECT_EQ(ReceivedDataText("A\nB\x04", kEolLf, 0x04), "A\r\nB");
    // One code goes, from the end only; a lone CR stays with CR LF.
    EXPECT_EQ(ReceivedDataText("A\x1a\rB\x1a\x1a", kEolCrLf, 0x1a), "A\x1a\rB\x1a");
    EXPECT_EQ(ReceivedDataText("", kEolCr, 0x1a), "");
}

TEST(DataText, SendGivesTheBytesOrTheEndCodeAtItsPlaceInTheText) {
    SendResult sent = DataSendText("a\tb\r\nc\r", 4, kEolCr, 0x1a);
    EXPECT_TRUE(sent.Ok());
    EXPECT_EQ(sent.bytes, "a   b\rc\r\x1a");

    sent = DataSendText("", 4, kEolCrLf, 0x1a);
    EXPECT_FALSE(sent.Ok());
    EXPECT_TRUE(sent.problem.Ok());

    // The code is found in the bytes sent (tabs expanded, CR LF as one CR)
    // and named at its byte of the text.
    sent = DataSendText("\tA\r\nB\tC\x1a"
                        "D\r\n",
                        8, kEolCr, 0x1a);
    EXPECT_TRUE(sent.bytes.empty());
    EXPECT_EQ(sent.problem.message, IDS_END_CODE_INSIDE);
    EXPECT_EQ(sent.problem.line, 1u);
    EXPECT_EQ(sent.problem.column, 3u);
    EXPECT_EQ(sent.problem.offset, 7u);
    EXPECT_EQ(DescribeProblem(sent.place), DescribeProblem(EndCodePlace(1, 0, 3)));

    // A line end that carries the code: where the line end starts.
    sent = DataSendText("AB\r\nC", 4, kEolCrLf, '\n');
    EXPECT_EQ(sent.problem.offset, 2u);
    EXPECT_EQ(sent.problem.line, 0u);
}

} // namespace
} // namespace tessel
