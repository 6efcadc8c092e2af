#include "view/TextPrinter.h"

#include <QPaintDevice>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tessel {
namespace {

// The editor font's sizes are pixels of a 96-per-inch screen.
constexpr int kScreenDpi = 96;

std::u16string_view View(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

// A font no taller than the printable area: a larger one (from a
// hand-edited size) could not print a line anyway.
int FontPixels(int pixels, const QPaintDevice& printer) {
    return std::clamp(pixels, 1, std::max(1, printer.height()));
}

QFont MakeBodyFont(const QFont& editFont, const QPaintDevice& printer) {
    const int height = std::abs(TextPrinter::EditFontHeight(editFont));
    QFont font(editFont);
    font.setPixelSize(FontPixels(MulDiv(height, printer.logicalDpiY(), kScreenDpi), printer));
    return font;
}

// A plain font of the editor's face, its size in whole points.
QFont MakeNumberFont(const QFont& editFont, const QPaintDevice& printer) {
    const int tenths = PrinterFontPointTenths(TextPrinter::EditFontHeight(editFont));
    QFont font(editFont);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    font.setPixelSize(FontPixels(PointFontPixelHeight(tenths, printer.logicalDpiY()), printer));
    return font;
}

} // namespace

int TextPrinter::EditFontHeight(const QFont& font) {
    if (font.pixelSize() > 0)
        return font.pixelSize();
    return -static_cast<int>(std::lround(font.pointSizeF() * kScreenDpi / 72));
}

TextPrinter::TextPrinter(PrintJob job, QPaintDevice& printer)
    : m_job(std::move(job)), m_dpiX(printer.logicalDpiX()),
      m_dpiY(printer.logicalDpiY()), m_printable{0, 0, printer.width(), printer.height()},
      m_bodyFont(MakeBodyFont(m_job.editFont, printer)),
      m_numberFont(MakeNumberFont(m_job.editFont, printer)), m_bodyMetrics(m_bodyFont, &printer),
      m_numberMetrics(m_numberFont, &printer),
      m_lineHeight(QFontMetrics(m_bodyFont, &printer).lineSpacing()),
      m_tabWidth(static_cast<double>(m_job.tabStop) *
                 QFontMetrics(m_bodyFont, &printer).averageCharWidth()),
      m_numberAt(PageNumberPosition(printer.widthMM(), printer.heightMM(), m_dpiX, m_dpiY,
                                    m_numberMetrics.lineSpacing())),
      m_body(BodyRect(m_printable, m_job.margins, m_dpiX, m_dpiY)),
      m_layout(View(m_job.text), LinesPerPage(TextHeight(), m_lineHeight)) {}

int TextPrinter::TextHeight() const {
    return (m_job.pageNumbers ? BodyAbovePageNumber(m_body, m_numberAt) : m_body).Height();
}

void TextPrinter::DrawPage(QPainter& painter, int page) const {
    painter.save();
    painter.setPen(Qt::black);
    painter.setBackgroundMode(Qt::TransparentMode);

    // Whatever passes the right margin is cut off there.
    painter.setClipRect(
        QRect(m_body.left, m_printable.top, std::max(0, m_body.Width()), m_printable.Height()));
    painter.setFont(m_bodyFont);
    const int ascent = static_cast<int>(std::lround(m_bodyMetrics.ascent()));
    int top = m_body.top;
    for (const PrintLine& line : m_layout.PageLines(page)) {
        DrawLine(painter,
                 QStringView(m_job.text)
                     .mid(static_cast<qsizetype>(line.start), static_cast<qsizetype>(line.length)),
                 top + ascent);
        top += m_lineHeight;
    }
    painter.setClipping(false);

    if (m_job.pageNumbers) {
        painter.setFont(m_numberFont);
        painter.drawText(QPoint(m_numberAt.x, m_numberAt.y + m_numberMetrics.ascent()),
                         QString::fromStdString(PageNumberText(page)));
    }
    painter.restore();
}

void TextPrinter::DrawLine(QPainter& painter, QStringView line, int baseline) const {
    // Tabs split the line into runs, each drawn where its stop puts it;
    // measuring stops at the right margin, so a long line costs no more
    // than a line that fits.
    const double width = m_body.Width();
    double x = 0;
    double runX = 0;
    qsizetype runStart = 0;
    auto flush = [&](qsizetype end) {
        if (end > runStart)
            painter.drawText(QPointF(m_body.left + runX, baseline),
                             line.mid(runStart, end - runStart).toString());
    };
    qsizetype i = 0;
    for (; i < line.size() && x < width; ++i) {
        const QChar c = line.at(i);
        if (c == u'\t') {
            flush(i);
            x = NextTabStop(x, m_tabWidth);
            runStart = i + 1;
            runX = x;
        } else {
            x += m_bodyMetrics.horizontalAdvance(c);
        }
    }
    flush(i);
}

bool TextPrinter::Print(const PrintJob& job, QPrinter& printer) {
    const TextPrinter pages(job, printer);
    int first = 1;
    int last = pages.PageCount();
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = printer.fromPage();
        if (printer.toPage() >= first)
            last = std::min(last, printer.toPage());
    }
    if (first > last)
        return true; // the range asks for no page there is

    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    for (int page = first; page <= last; ++page) {
        if (page > first && !printer.newPage()) {
            painter.end();
            return false;
        }
        pages.DrawPage(painter, page);
    }
    return painter.end();
}

} // namespace tessel
