#include "engine/LineTable.h"
#include "doc/TextOps.h"
#include "engine/NumberedDocument.h"
#include "res/StringTable.h"
#include "support/DocHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

namespace tessel {
namespace {

using test::CrLf;
using test::DocHarness;

struct Built {
    unsigned code = 0;
    std::size_t line = kNoLine;
    std::size_t offset = 0;
    bool reordered = false;
    LineTable lines;
};

Built Build(std::string_view text) {
    Built built;
    const LineTableResult result = BuildLineTable(text, built.lines);
    built.code = result.problem.message;
    built.line = result.problem.line;
    built.offset = result.problem.offset;
    built.reordered = result.reordered;
    return built;
}

std::vector<std::uint32_t> Numbers(const LineTable& lines) {
    std::vector<std::uint32_t> numbers;
    for (const NumberedLine& line : lines)
        numbers.push_back(line.number);
    return numbers;
}

TEST(LineRecord, SplitsNumberFromBody) {
    NumberedLine line;
    EXPECT_EQ(line.SetLine("10 PRINT\r\n"), 0);
    EXPECT_EQ(line.number, 10u);
    EXPECT_EQ(line.body, " PRINT\r\n");
    EXPECT_EQ(line.text, "10 PRINT\r\n");

    EXPECT_EQ(line.SetLine("0010PRINT\r\n"), 0);
    EXPECT_EQ(line.number, 10u);
    EXPECT_EQ(line.body, "PRINT\r\n");
}

TEST(LineRecord, RangeAndMissingNumber) {
    NumberedLine line;
    EXPECT_EQ(line.SetLine(" 10 A\r\n"), 200);
    EXPECT_EQ(line.SetLine("\tA\r\n"), 200);
    EXPECT_EQ(line.SetLine("\r\n"), 200);
    EXPECT_EQ(line.SetLine("0 A\r\n"), 202);
    EXPECT_EQ(line.SetLine("65280 A\r\n"), 202);
    EXPECT_EQ(line.SetLine("65279 A\r\n"), 0);
    EXPECT_EQ(line.SetLine("1 A\r\n"), 0);
    // Digit runs too long for 32 bits never wrap into the valid range.
    EXPECT_EQ(line.SetLine("12345678901 A\r\n"), 202);
    EXPECT_EQ(line.SetLine("4294967306 A\r\n"), 202); // 2^32 + 10
    EXPECT_EQ(line.SetLine("00000000000000000000010 A\r\n"), 0);
    EXPECT_EQ(line.number, 10u);
}

TEST(LineTable, RecordsStayValidWhenTheTableGrowsPastItsReserve) {
    LineTable lines;
    lines.Reserve(8, 1);
    for (std::uint32_t i = 1; i <= 500; ++i)
        ASSERT_EQ(lines.Append(std::to_string(i) + " X" + std::string(i % 40, 'y'), i - 1), 0);
    for (std::uint32_t i = 1; i <= 500; ++i) {
        const NumberedLine& line = lines[i - 1];
        EXPECT_EQ(line.text, std::to_string(i) + " X" + std::string(i % 40, 'y') + "\r\n");
        EXPECT_EQ(line.body, " X" + std::string(i % 40, 'y') + "\r\n");
        EXPECT_EQ(line.number, i);
    }
    LineTable moved = std::move(lines);
    EXPECT_EQ(moved[0].text, "1 Xy\r\n");
}

TEST(ReadLine, TerminatorsAndEnd) {
    std::size_t used = 0;
    EXPECT_EQ(ReadLine("AB\r\nC", 0, used), "AB");
    EXPECT_EQ(used, 4u);
    EXPECT_EQ(ReadLine("AB\rC", 0, used), "AB");
    EXPECT_EQ(used, 3u);
    EXPECT_EQ(ReadLine("AB\nC", 0, used), "AB");
    EXPECT_EQ(used, 3u);
    // LF CR: the LF ends this line, the CR ends an empty next one.
    EXPECT_EQ(ReadLine("A\n\rB", 0, used), "A");
    EXPECT_EQ(used, 2u);
    EXPECT_EQ(ReadLine("A\n\rB", 2, used), "");
    EXPECT_EQ(used, 1u);
    EXPECT_EQ(ReadLine("AB", 0, used), "AB");
    EXPECT_EQ(used, 2u);
    EXPECT_EQ(ReadLine("AB", 2, used), "");
    EXPECT_EQ(used, 0u);
}

// The line table finds line ends eight bytes at a time; everything else
// goes by NextLine. Both must end the same lines, wherever a line starts
// and however long it is (a word, a part of one, the bytes after the last).
TEST(FindLineEnd, EndsTheLinesNextLineEnds) {
    std::mt19937 random(5);
    const char bytes[] = {'A', '1', ' ', '\r', '\n', '\x8d', '\x8a', '\0'};
    for (int round = 0; round < 300; ++round) {
        std::string text(random() % 40, 'A');
        for (char& c : text)
            c = bytes[random() % (random() % 4 == 0 ? std::size(bytes) : 3)];
        const char* const end = text.data() + text.size();
        for (std::size_t start = 0; start < text.size(); ++start)
            ASSERT_EQ(static_cast<std::size_t>(FindLineEnd(text.data() + start, end) - text.data()),
                      start + NextLine(text, start).length)
                << "round " << round << " start " << start;
    }
}

TEST(BuildLineTable, EmptyTextIsAnEmptyTable) {
    const Built built = Build("");
    EXPECT_EQ(built.code, 0);
    EXPECT_TRUE(built.lines.empty());
}

TEST(BuildLineTable, LastLineWithoutTerminatorEndsInCrLf) {
    const Built built = Build("10 A\r\n20 B");
    ASSERT_EQ(built.code, 0);
    ASSERT_EQ(built.lines.size(), 2u);
    EXPECT_EQ(built.lines[1].text, "20 B\r\n");
}

TEST(BuildLineTable, BadLinesReportTheirStart) {
    struct Case {
        std::string text;
        unsigned code;
        std::size_t pos;
        std::size_t line;
    };
    const Case cases[] = {
        {" 10 A\r\n", 200, 0, 0},
        {"10 A\r\n\r\n20 B\r\n", 200, 6, 1},  // empty line between two lines
        {"10 A\r\n20 B\r\n\r\n", 200, 12, 2}, // a second CR LF at the end
        {"10 A\r\n0 B\r\n", 202, 6, 1},
        {"10 A\n20 B\n65280 C\n", 202, 10, 2}, // offsets count real bytes
        {"10 A\r\nX\r\n0 C\r\n", 200, 6, 1},   // the first bad line wins
        {"10 A\r\n20 B\r\n10 C\r\n", 204, 0, 0},
    };
    for (const Case& c : cases) {
        const Built built = Build(c.text);
        EXPECT_EQ(built.code, c.code) << c.text;
        EXPECT_EQ(built.offset, c.pos) << c.text;
        EXPECT_EQ(built.line, c.line) << c.text;
    }
}

// Below the message, a sentence names the line at fault for a person: by
// its place in the text and how it begins, or by its number.
TEST(BuildLineTable, RefusalsNameTheirLine) {
    const struct {
        std::string text;
        std::string place;
    } cases[] = {
        {"10 A\r\n PRINT X\r\n", "テキストの 2 行目（「 PRINT X」で始まる行）です。"},
        {"10 A\r\n\r\n20 B\r\n", "テキストの 2 行目（空白行）です。"},
        {"10 A\n \t\n", "テキストの 2 行目（空白行）です。"},
        // Sixteen characters and a mark where the line goes on; a tab shows
        // as a blank, a control byte as the editor shows it.
        {"\x82\xa0\x82\xa2\x82\xa4\x82\xa6\x82\xa8\tABCDEFGHIJKLMNOP",
         "テキストの 1 行目（「あいうえお ABCDEFGHIJ…」で始まる行）です。"},
        {"X\x01Y\r\n", "テキストの 1 行目（「X\u2401Y」で始まる行）です。"},
        {"10 A\r\n0 B\r\n", "行番号 0 の行は、テキストの 2 行目です。"},
        {"10 A\n99999999999 B\n", "行番号 99999999999 の行は、テキストの 2 行目です。"},
        {CrLf({"30 A", "10 B", "20 C", "30 D"}),
         "行番号 30 は、テキストの 1 行目と 4 行目にあります。"},
    };
    for (const auto& c : cases) {
        LineTable lines;
        EXPECT_EQ(DescribeProblem(BuildLineTable(c.text, lines).place), c.place) << c.text;
    }
}

TEST(BuildLineTable, DuplicateCaretGoesToFirstLineWithThatNumber) {
    const Built built = Build(CrLf({"30 A", "10 B", "30 C"}));
    EXPECT_EQ(built.code, 204);
    EXPECT_EQ(built.offset, 0u);

    // With LF line ends the caret still lands on the start of the line.
    const Built lfBuilt = Build("5 X\n30 A\n10 B\n30 C\n");
    EXPECT_EQ(lfBuilt.code, 204);
    EXPECT_EQ(lfBuilt.offset, 4u);
    EXPECT_EQ(lfBuilt.line, 1u);
}

TEST(BuildLineTable, OrdersLinesAndSaysSo) {
    const Built built = Build(CrLf({"20 B", "10 A"}));
    ASSERT_EQ(built.code, 0);
    EXPECT_EQ(Numbers(built.lines), (std::vector<std::uint32_t>{10, 20}));
    EXPECT_TRUE(built.reordered);

    const Built ordered = Build(CrLf({"10 A", "20 B"}));
    EXPECT_EQ(ordered.code, 0);
    EXPECT_FALSE(ordered.reordered);
    // Lines with lone line ends, already in order, come back the same.
    EXPECT_FALSE(Build("10 A\n20 B").reordered);
}

TEST(BuildLineTable, LoneLineEndsBuildTheSameTable) {
    const Built crlf = Build("20 B\r\n10 A\r\n30 C\r\n");
    const Built lf = Build("20 B\n10 A\n30 C\n");
    const Built cr = Build("20 B\r10 A\r30 C");
    ASSERT_EQ(crlf.code, 0);
    ASSERT_EQ(lf.code, 0);
    ASSERT_EQ(cr.code, 0);
    for (std::size_t i = 0; i < crlf.lines.size(); ++i) {
        EXPECT_EQ(lf.lines[i].text, crlf.lines[i].text);
        EXPECT_EQ(cr.lines[i].text, crlf.lines[i].text);
        EXPECT_EQ(lf.lines[i].body, crlf.lines[i].body);
    }
}

TEST(FindLine, BinarySearch) {
    const Built built = Build(CrLf({"30 C", "10 A", "20 B", "65279 Z"}));
    ASSERT_EQ(built.code, 0);
    EXPECT_EQ(FindLine(built.lines, 10), 0);
    EXPECT_EQ(FindLine(built.lines, 30), 2);
    EXPECT_EQ(FindLine(built.lines, 65279), 3);
    EXPECT_EQ(FindLine(built.lines, 25), -1);
    EXPECT_EQ(FindLine(built.lines, 0), -1);
    EXPECT_EQ(FindLine({}, 10), -1);
}

// The ordering procedure exactly as the program has always run it: quicksort
// with the last element as pivot and duplicate detection in the partition.
// Returns the duplicated number it meets first, or -1.
int ReferenceQuicksort(std::vector<std::uint32_t>& a, std::ptrdiff_t lo, std::ptrdiff_t hi) {
    if (hi - lo < 1)
        return -1;
    const std::uint32_t pivot = a[hi];
    std::ptrdiff_t i = lo - 1, j = hi;
    for (;;) {
        while (a[++i] < pivot) {
        }
        if (i != hi && a[i] == pivot)
            return static_cast<int>(pivot);
        if (i >= j)
            break;
        bool end = false;
        for (;;) {
            --j;
            if (a[j] > pivot) {
                if (i >= j) {
                    end = true;
                    break;
                }
            } else if (a[j] == pivot) {
                return static_cast<int>(pivot);
            } else {
                end = i >= j;
                break;
            }
        }
        if (end)
            break;
        std::swap(a[i], a[j]);
    }
    std::swap(a[i], a[hi]);
    if (const int dup = ReferenceQuicksort(a, lo, i - 1); dup >= 0)
        return dup;
    return ReferenceQuicksort(a, i + 1, hi);
}

LineTable TableOf(const std::vector<std::uint32_t>& numbers) {
    LineTable lines;
    lines.Records().resize(numbers.size());
    for (std::size_t i = 0; i < numbers.size(); ++i)
        lines[i].number = numbers[i];
    return lines;
}

TEST(SortLineTable, ReportsTheSameDuplicateAsTheReferenceProcedure) {
    std::mt19937 rng(12345);
    auto below = [&](std::uint32_t bound) { return static_cast<std::uint32_t>(rng() % bound); };
    for (int round = 0; round < 3000; ++round) {
        const std::size_t n = 2 + below(60);
        const std::uint32_t range = 1 + below(round % 3 == 0 ? 10 : 200);
        std::vector<std::uint32_t> numbers(n);
        for (auto& v : numbers)
            v = 1 + below(range);
        if (round % 4 == 0)
            std::ranges::sort(numbers); // ordered tables are the usual case
        if (round % 8 == 1)
            std::ranges::sort(numbers, std::greater<>());

        std::vector<std::uint32_t> reference = numbers;
        const int expected =
            ReferenceQuicksort(reference, 0, static_cast<std::ptrdiff_t>(reference.size()) - 1);

        LineTable lines = TableOf(numbers);
        const std::optional<std::uint32_t> duplicate = SortLineTable(lines);
        ASSERT_EQ(!duplicate, expected < 0) << "round " << round;
        if (!duplicate) {
            std::vector<std::uint32_t> sorted = numbers;
            std::ranges::sort(sorted);
            EXPECT_EQ(Numbers(lines), sorted);
        } else {
            EXPECT_EQ(*duplicate, static_cast<std::uint32_t>(expected)) << "round " << round;
        }
    }
}

TEST(SortLineTable, SeveralDuplicatesReportTheFirstMet) {
    // The pivot 20 meets its twin before 10 is ever looked at twice.
    LineTable lines = TableOf({10, 20, 10, 5, 20});
    EXPECT_EQ(SortLineTable(lines), 20u);
}

TEST(SortLineTable, LongOrderedTableWithLateDuplicate) {
    // Deep on an ordered table: must neither overflow the stack nor miss it.
    std::vector<std::uint32_t> numbers(20000);
    for (std::size_t i = 0; i < numbers.size(); ++i)
        numbers[i] = static_cast<std::uint32_t>(i + 1);
    numbers.back() = 3;
    LineTable lines = TableOf(numbers);
    EXPECT_EQ(SortLineTable(lines), 3u);
}

// What a table of `text` must be, worked out line by line from the line ends
// and the record rules alone: the first bad line, else the first duplicate
// the reference procedure meets, else the records in number order.
struct Expected {
    unsigned code = 0;
    std::size_t line = kNoLine;
    std::size_t offset = 0;
    std::vector<std::string> lines; // text of the records, in number order
};

Expected Model(std::string_view text) {
    Expected expected;
    struct Line {
        std::uint32_t number;
        std::string text;
        std::size_t start;
    };
    std::vector<Line> lines;
    for (std::size_t pos = 0; pos < text.size();) {
        const LineSpan span = NextLine(text, pos);
        Line line{0, std::string(text.substr(pos, span.length)) + "\r\n", pos};
        NumberedLine record;
        if (const StringId code = record.SetLine(line.text)) {
            expected.code = code;
            expected.line = lines.size();
            expected.offset = pos;
            return expected;
        }
        line.number = record.number;
        lines.push_back(line);
        pos += span.span;
    }
    std::vector<std::uint32_t> numbers;
    for (const Line& line : lines)
        numbers.push_back(line.number);
    if (const int dup =
            ReferenceQuicksort(numbers, 0, static_cast<std::ptrdiff_t>(numbers.size()) - 1);
        dup >= 0) {
        const auto first = std::ranges::find(lines, static_cast<std::uint32_t>(dup), &Line::number);
        expected.code = IDS_LINE_DUPLICATE;
        expected.line = static_cast<std::size_t>(first - lines.begin());
        expected.offset = first->start;
        return expected;
    }
    std::ranges::sort(lines, {}, &Line::number);
    for (const Line& line : lines)
        expected.lines.push_back(line.text);
    return expected;
}

// Tables are built in one pass when every line ends in CR LF and line by
// line otherwise: either way, and whether the table copies the text or views
// it (as sorting does), they come out as the rules say.
TEST(BuildLineTable, AgreesWithALineByLineModel) {
    std::mt19937 rng(77);
    auto below = [&](std::size_t bound) { return static_cast<std::size_t>(rng() % bound); };
    const char* numbers[] = {"10", "20", "0030", "65279", "65280", "0", "", " 5", "X", "7"};
    const char* bodies[] = {" A", "", " \x82\xa0", " 1", "\tB", "9"};
    const char* ends[] = {"\r\n", "\r\n", "\r\n", "\r\n", "\n", "\r"};
    for (int round = 0; round < 4000; ++round) {
        std::string text;
        const std::size_t n = below(8);
        const bool lone = below(3) == 0; // otherwise every line ends in CR LF
        for (std::size_t i = 0; i < n; ++i) {
            // Mostly good, distinct numbers: errors should not always come first.
            text += below(4) != 0 ? std::to_string(1 + i * 10 + below(10))
                                  : numbers[below(std::size(numbers))];
            text += bodies[below(std::size(bodies))];
            if (i + 1 < n || below(3) != 0)
                text += lone ? ends[below(std::size(ends))] : "\r\n";
        }
        const Expected expected = Model(text);

        const Built built = Build(text);
        ASSERT_EQ(built.code, expected.code) << testing::PrintToString(text);
        if (expected.code != 0) {
            EXPECT_EQ(built.line, expected.line) << testing::PrintToString(text);
            EXPECT_EQ(built.offset, expected.offset) << testing::PrintToString(text);
        } else {
            ASSERT_EQ(built.lines.size(), expected.lines.size());
            for (std::size_t i = 0; i < expected.lines.size(); ++i) {
                EXPECT_EQ(built.lines[i].text, expected.lines[i]) << testing::PrintToString(text);
                EXPECT_EQ(built.lines[i].body,
                          built.lines[i].text.substr(ParseDigitRun(expected.lines[i]).length));
            }
        }

        // Sorting builds its table over the editor text itself.
        DocHarness<NumberedDocument> sorted;
        sorted.SetText(text);
        EXPECT_EQ(sorted.doc.SortLines(), expected.code == 0);
        if (expected.code == 0) {
            std::string joined;
            for (const std::string& line : expected.lines)
                joined += line;
            EXPECT_EQ(sorted.Text(), joined) << testing::PrintToString(text);
        } else {
            EXPECT_EQ(sorted.Text(), text);
            EXPECT_EQ(sorted.sink.lines, std::vector<std::size_t>{expected.line});
            EXPECT_EQ(sorted.editor.Caret(), static_cast<long long>(expected.offset));
        }

        // Checking the numbers sees the same first bad line.
        DocHarness<NumberedDocument> checked;
        checked.SetText(text);
        const bool badLine =
            expected.code == IDS_LINE_NO_NUMBER || expected.code == IDS_LINE_OUT_OF_RANGE;
        EXPECT_EQ(checked.doc.CheckLineNumbers(), !badLine);
        if (badLine) {
            EXPECT_EQ(checked.sink.lines, std::vector<std::size_t>{expected.line});
        }
    }
}

// Long texts of short lines, where line ends are many to a block of the
// text: one lone CR or LF among them is found wherever it stands.
TEST(BuildLineTable, FindsALoneLineEndAmongManyShortLines) {
    std::mt19937 rng(5);
    for (int round = 0; round < 60; ++round) {
        std::string text;
        for (int i = 1; i <= 1500; ++i)
            text += std::to_string(i) + "\r\n";
        if (round % 3 != 0) {
            const std::size_t at = text.find("\r\n", rng() % text.size());
            if (at != std::string::npos)
                text.erase(at + (round % 3 == 1 ? 1 : 0), 1); // a lone CR or a lone LF
        }
        const Expected expected = Model(text);
        const Built built = Build(text);
        ASSERT_EQ(built.code, expected.code);
        ASSERT_EQ(built.lines.size(), expected.lines.size());
        for (std::size_t i = 0; i < expected.lines.size(); ++i)
            ASSERT_EQ(built.lines[i].text, expected.lines[i]);
    }
}

} // namespace
} // namespace tessel
