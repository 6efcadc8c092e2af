#include "print/PrintLayout.h"

#include "encoding/Cp932.h"

#include <gtest/gtest.h>

#include <climits>

namespace tessel {
namespace {

// The printed lines of a document's bytes, as text, decoded as the editor
// shows them.
std::vector<std::u16string> Lines(std::string_view bytes) {
    const std::u16string text = cp932::Decode(bytes);
    std::vector<std::u16string> lines;
    for (const PrintLine& line : SplitPrintLines(text))
        lines.push_back(text.substr(line.start, line.length));
    return lines;
}

TEST(PrintLayout, MarginsBecomeDevicePixels) {
    EXPECT_EQ(MarginToMils(2000), 787);
    EXPECT_EQ(MarginToMils(2500), 984);
    EXPECT_EQ(MarginToMils(2), 0); // 0.79 truncated
    EXPECT_EQ(MarginToMils(2540), 1000);

    // At 600 pixels per inch the default margins are 472 and 590 pixels.
    const DeviceRect printable{0, 0, 4800, 6800};
    EXPECT_EQ(BodyRect(printable, PageMargins{}, 600, 600), (DeviceRect{472, 590, 4328, 6210}));
    // Each axis at its own resolution; the printable area need not start at 0.
    EXPECT_EQ(BodyRect({10, 20, 1010, 2020}, {2540, 2540, 0, 1270}, 300, 600),
              (DeviceRect{310, 620, 1010, 1720}));
    // Margins of 0 leave the body the whole printable area.
    EXPECT_EQ(BodyRect(printable, {0, 0, 0, 0}, 600, 600), printable);
}

TEST(PrintLayout, MulDivRoundsToNearestAndNeverOverflows) {
    EXPECT_EQ(MulDiv(600, 787, 1000), 472); // 472.2
    EXPECT_EQ(MulDiv(600, 984, 1000), 590); // 590.4
    EXPECT_EQ(MulDiv(1, 1, 2), 1);          // halves away from zero
    EXPECT_EQ(MulDiv(-1, 1, 2), -1);
    EXPECT_EQ(MulDiv(INT_MAX, INT_MAX, 1), INT_MAX);
    EXPECT_EQ(MulDiv(INT_MIN, INT_MAX, 1), INT_MIN);
    EXPECT_EQ(MulDiv(7, 7, 0), 0);
}

TEST(PrintLayout, PrinterFontSizes) {
    // The page-number font from the editor font's height, either sign.
    EXPECT_EQ(PrinterFontPointTenths(16), 120);
    EXPECT_EQ(PrinterFontPointTenths(-16), 120);
    EXPECT_EQ(PrinterFontPointTenths(13), 90); // 9.75 points truncated to 9
    // A height from a hand-edited settings file does not overflow.
    EXPECT_EQ(PrinterFontPointTenths(INT_MAX), INT_MAX);
    EXPECT_EQ(PrinterFontPointTenths(INT_MIN), INT_MAX);

    EXPECT_EQ(PointFontPixelHeight(120, 600), 100);
    EXPECT_EQ(PointFontPixelHeight(90, 600), 75);
    EXPECT_EQ(PointFontPixelHeight(100, 1200), 166); // 166.7 truncated
    EXPECT_EQ(PointFontPixelHeight(INT_MAX, 1200), INT_MAX);
}

TEST(PrintLayout, PageNumberPositionCountsWholeInches) {
    // 203 × 289 mm at 600 pixels per inch, a font 100 pixels high.
    EXPECT_EQ(WholeInches(203), 7);
    EXPECT_EQ(WholeInches(289), 11);
    EXPECT_EQ(PageNumberPosition(203, 289, 600, 600, 100), (DevicePoint{2100, 6500}));
    // Exactly 10 inches stays 10; an odd number of inches halves truncated.
    EXPECT_EQ(WholeInches(254), 10);
    EXPECT_EQ(PageNumberPosition(254, 279, 301, 300, 50), (DevicePoint{1505, 2950}));
    // An area under an inch high puts the line above the area.
    EXPECT_EQ(PageNumberPosition(25, 25, 600, 600, 100), (DevicePoint{0, -100}));

    // The body stops above the number's line, only where it reaches it.
    const DeviceRect body{472, 590, 4328, 6210};
    EXPECT_EQ(BodyAbovePageNumber(body, {2100, 6500}), body);
    EXPECT_EQ(BodyAbovePageNumber(body, {2100, 5900}), (DeviceRect{472, 590, 4328, 5900}));

    EXPECT_EQ(PageNumberText(1), "- 1 -");
    EXPECT_EQ(PageNumberText(12), "- 12 -");
}

TEST(PrintLayout, LinesEndAtCrAndSkipOneLf) {
    EXPECT_TRUE(Lines("").empty());
    EXPECT_EQ(Lines("AB"), (std::vector<std::u16string>{u"AB"}));
    EXPECT_EQ(Lines("A\r\nB"), (std::vector<std::u16string>{u"A", u"B"}));
    // A line break at the end starts no further line; empty lines between
    // lines each print.
    EXPECT_EQ(Lines("A\r\n"), (std::vector<std::u16string>{u"A"}));
    EXPECT_EQ(Lines("\r\n"), (std::vector<std::u16string>{u""}));
    EXPECT_EQ(Lines("A\r\n\r\n\r\nB\r\n"), (std::vector<std::u16string>{u"A", u"", u"", u"B"}));
    // A lone LF ends nothing: it prints as its mark inside the line.
    EXPECT_EQ(Lines("A\nB\nC"), (std::vector<std::u16string>{u"A\u240AB\u240AC"}));
    // A lone CR ends a line; a run of CRs with one LF is one line end.
    EXPECT_EQ(Lines("A\rB"), (std::vector<std::u16string>{u"A", u"B"}));
    EXPECT_EQ(Lines("A\r\r\r\nB"), (std::vector<std::u16string>{u"A", u"B"}));
    EXPECT_EQ(Lines("A\r\r"), (std::vector<std::u16string>{u"A"}));
    // Only one LF goes with the CRs; a second starts the next line.
    EXPECT_EQ(Lines("A\r\n\nB"), (std::vector<std::u16string>{u"A", u"\u240AB"}));
    // Double-byte characters and other bytes' marks stay as the editor
    // shows them; tabs stay for the painter.
    EXPECT_EQ(Lines("\x82\xa0\t\x01\r\n\x81"),
              (std::vector<std::u16string>{u"\u3042\t\u2401", u"\uF781"}));
}

TEST(PrintLayout, PagesHoldWhatFitsAndAlwaysEnd) {
    EXPECT_EQ(LinesPerPage(5363, 100), 53);
    EXPECT_EQ(LinesPerPage(5300, 100), 53); // the last line may touch the bottom
    // A body lower than one line, or none at all, still takes one line a
    // page, so a job always ends.
    EXPECT_EQ(LinesPerPage(99, 100), 1);
    EXPECT_EQ(LinesPerPage(-500, 100), 1);
    EXPECT_EQ(LinesPerPage(100, 0), 100);

    // Pages split the lines; none outside the pages.
    const PrintLayout three(u"a\nb\nc\nd\ne", 2);
    EXPECT_EQ(three.PageCount(), 3);
    EXPECT_EQ(three.PageLines(3).size(), 1u);
    EXPECT_EQ(three.PageLines(3)[0].start, 8u);
    EXPECT_TRUE(three.PageLines(4).empty());
    EXPECT_EQ(PrintLayout(u"a\nb\nc\nd\n", 2).PageCount(), 2);

    // An empty text prints one empty page.
    const PrintLayout empty(u"", 53);
    EXPECT_EQ(empty.PageCount(), 1);
    EXPECT_TRUE(empty.PageLines(1).empty());
}

TEST(PrintLayout, TabStops) {
    EXPECT_DOUBLE_EQ(NextTabStop(0, 32), 32);
    EXPECT_DOUBLE_EQ(NextTabStop(31.5, 32), 32);
    EXPECT_DOUBLE_EQ(NextTabStop(32, 32), 64); // on a stop: the next one
    EXPECT_DOUBLE_EQ(NextTabStop(3 * 10.1, 10.1), 4 * 10.1);
    EXPECT_DOUBLE_EQ(NextTabStop(5, 0), 6);
}

} // namespace
} // namespace tessel
