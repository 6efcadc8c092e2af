#pragma once

// The arithmetic of a printed page, free of any drawing: margins to device
// pixels, the printer fonts' sizes, where the page number goes, how the text
// falls into printed lines and the lines into pages. The painter
// (TextPrinter) measures fonts and draws; everything it positions comes
// from here.
//
// Units: margins are hundredths of a millimetre, as the page setup holds
// them; positions are device pixels, origin at the top left corner of the
// printable area.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessel {

// Page margins in hundredths of a millimetre.
struct PageMargins {
    int left = 2000;
    int top = 2500;
    int right = 2000;
    int bottom = 2500;

    friend bool operator==(const PageMargins&, const PageMargins&) = default;
};

// A rectangle in device pixels; right and bottom are exclusive.
struct DeviceRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    friend bool operator==(const DeviceRect&, const DeviceRect&) = default;
};

struct DevicePoint {
    int x = 0;
    int y = 0;

    friend bool operator==(const DevicePoint&, const DevicePoint&) = default;
};

// number × numerator / denominator, rounded to the nearest integer (halves
// away from zero), computed wide and held within int. 0 when denominator is 0.
int MulDiv(int number, int numerator, int denominator);

// A margin in thousandths of an inch: hundredths of a millimetre / 2.54,
// truncated toward zero (2000 gives 787, 2500 gives 984).
int MarginToMils(int hundredthsOfMm);

// The printable area less the margins, at the device's pixels per inch.
DeviceRect BodyRect(const DeviceRect& printable, const PageMargins& margins, int dpiX, int dpiY);

// The page-number font's size in tenths of a point from the editor font's
// height (positive: cell height, negative: character height, in pixels at
// 96 per inch): |trunc(height × 3 / 4) × 10|. 16 and -16 give 120, 13 gives 90.
int PrinterFontPointTenths(int editFontHeight);

// The character height in device pixels of a font of `pointTenths` tenths
// of a point: dpiY × pointTenths / 720, truncated.
int PointFontPixelHeight(int pointTenths, int dpiY);

// Whole inches in a length in millimetres, truncated (203 gives 7).
int WholeInches(int millimetres);

// Where the page number's top left corner goes, for a printable area of
// widthMm × heightMm and a page-number font whose lines are `lineHeight`
// pixels apart: x halfway across the printable width counted in whole
// inches, y one line above the last whole inch of its height, whatever the
// margins.
DevicePoint PageNumberPosition(int widthMm, int heightMm, int dpiX, int dpiY, int lineHeight);

// "- 12 -" for page 12.
std::string PageNumberText(int page);

// The body, ending above the page number's line where that line would
// otherwise fall among the body's lines (with a small bottom margin, or a
// printable height just short of a whole inch): the number never prints
// over the text.
DeviceRect BodyAbovePageNumber(const DeviceRect& body, const DevicePoint& pageNumber);

// One printed line: a range of the text, without its line end.
struct PrintLine {
    std::size_t start = 0;
    std::size_t length = 0;

    friend bool operator==(const PrintLine&, const PrintLine&) = default;
};

// The printed lines of an editor text (UTF-16, as the editor shows it: '\n'
// for CR LF, U+240D for a lone CR, U+240A for a lone LF). A line ends at a
// CR; the next begins after the run of CRs and the one LF that follow, so a
// lone LF stays inside its line (shown by its mark) and a lone CR ends one.
// The text's end ends the last line: a text ending in a line break has no
// empty line after it, and an empty text has no lines.
std::vector<PrintLine> SplitPrintLines(std::u16string_view text);

// How many lines of `lineHeight` fit one under the other in `bodyHeight`;
// at least one, so that every page takes a line and printing always ends.
int LinesPerPage(int bodyHeight, int lineHeight);

// Where a tab at `x` pixels from the line's start moves to: the next stop
// of every `tabWidth` pixels (a tab on a stop goes to the next one). A tab
// width below 1 counts as 1.
double NextTabStop(double x, double tabWidth);

// The pages of one job: which printed lines each page holds. Always at least
// one page, empty for an empty text.
class PrintLayout {
public:
    PrintLayout(std::u16string_view text, int linesPerPage);

    int PageCount() const { return m_pageCount; }
    // The lines of page `page` (1 for the first); none outside the pages.
    std::span<const PrintLine> PageLines(int page) const;
    const std::vector<PrintLine>& Lines() const { return m_lines; }

private:
    std::vector<PrintLine> m_lines;
    int m_linesPerPage;
    int m_pageCount;
};

} // namespace tessel
