#include "print/PrintLayout.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

namespace tessel {
namespace {

// Every product below is taken wide: sizes and margins can come from a
// hand-edited settings file.
int Saturate(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

constexpr char16_t kLineBreak = u'\n';   // CR LF
constexpr char16_t kLoneCr = u'\u240D';  // a CR without its LF, as the editor shows it
constexpr char16_t kLineSep = u'\u2028'; // breaks the widget itself may hold
constexpr char16_t kParaSep = u'\u2029';

bool IsBreak(char16_t unit) {
    return unit == kLineBreak || unit == kLineSep || unit == kParaSep;
}

} // namespace

int MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0)
        return 0;
    const std::int64_t product = static_cast<std::int64_t>(number) * numerator;
    std::int64_t quotient = product / denominator;
    const std::int64_t remainder = product % denominator;
    if (2 * (remainder < 0 ? -remainder : remainder) >=
        (denominator < 0 ? -static_cast<std::int64_t>(denominator) : denominator))
        quotient += ((product < 0) != (denominator < 0)) ? -1 : 1;
    return Saturate(quotient);
}

int MarginToMils(int hundredthsOfMm) {
    return static_cast<int>(std::trunc(hundredthsOfMm * 0.3937007874015748));
}

DeviceRect BodyRect(const DeviceRect& printable, const PageMargins& margins, int dpiX, int dpiY) {
    auto inset = [](int dpi, int margin) {
        return static_cast<std::int64_t>(MulDiv(dpi, MarginToMils(margin), 1000));
    };
    return {Saturate(printable.left + inset(dpiX, margins.left)),
            Saturate(printable.top + inset(dpiY, margins.top)),
            Saturate(printable.right - inset(dpiX, margins.right)),
            Saturate(printable.bottom - inset(dpiY, margins.bottom))};
}

int PrinterFontPointTenths(int editFontHeight) {
    const std::int64_t points = static_cast<std::int64_t>(editFontHeight) * 3 / 4;
    return Saturate(std::abs(points * 10));
}

int PointFontPixelHeight(int pointTenths, int dpiY) {
    return Saturate(static_cast<std::int64_t>(dpiY) * pointTenths / 720);
}

int WholeInches(int millimetres) {
    return static_cast<int>(std::trunc(millimetres * 0.03937007874015748));
}

DevicePoint PageNumberPosition(int widthMm, int heightMm, int dpiX, int dpiY, int lineHeight) {
    const std::int64_t across = WholeInches(widthMm);
    const std::int64_t down = WholeInches(heightMm);
    return {Saturate(across * dpiX / 2), Saturate(down * dpiY - lineHeight)};
}

std::string PageNumberText(int page) {
    return "- " + std::to_string(page) + " -";
}

DeviceRect BodyAbovePageNumber(const DeviceRect& body, const DevicePoint& pageNumber) {
    DeviceRect above = body;
    above.bottom = std::min(body.bottom, pageNumber.y);
    return above;
}

std::vector<PrintLine> SplitPrintLines(std::u16string_view text) {
    std::vector<PrintLine> lines;
    const std::size_t size = text.size();
    std::size_t start = 0;
    while (start < size) {
        std::size_t end = start;
        while (end < size && text[end] != kLoneCr && !IsBreak(text[end]))
            ++end;
        lines.push_back({start, end - start});
        if (end == size)
            break;
        if (IsBreak(text[end])) {
            start = end + 1;
            continue;
        }
        // A run of CRs, then at most one LF: a CR just before an LF is the
        // editor's line break, which holds that LF.
        while (end < size && text[end] == kLoneCr)
            ++end;
        if (end < size && IsBreak(text[end]))
            ++end;
        start = end;
    }
    return lines;
}

int LinesPerPage(int bodyHeight, int lineHeight) {
    return std::max(1, bodyHeight / std::max(1, lineHeight));
}

double NextTabStop(double x, double tabWidth) {
    const double width = std::max(1.0, tabWidth);
    // A position computed as a multiple of the width is on that stop even
    // when the division comes out a hair short.
    return (std::floor(x / width + 1e-9) + 1) * width;
}

PrintLayout::PrintLayout(std::u16string_view text, int linesPerPage)
    : m_lines(SplitPrintLines(text)), m_linesPerPage(std::max(1, linesPerPage)) {
    const std::size_t perPage = static_cast<std::size_t>(m_linesPerPage);
    m_pageCount =
        static_cast<int>(std::max<std::size_t>(1, (m_lines.size() + perPage - 1) / perPage));
}

std::span<const PrintLine> PrintLayout::PageLines(int page) const {
    if (page < 1 || page > m_pageCount)
        return {};
    const std::size_t perPage = static_cast<std::size_t>(m_linesPerPage);
    const std::size_t first = static_cast<std::size_t>(page - 1) * perPage;
    if (first >= m_lines.size())
        return {};
    return std::span<const PrintLine>(m_lines).subspan(first,
                                                       std::min(perPage, m_lines.size() - first));
}

} // namespace tessel
