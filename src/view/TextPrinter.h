#pragma once

#include "print/PrintLayout.h"

#include <QFont>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QString>

class QPainter;
class QPaintDevice;
class QPrinter;

namespace tessel {

// What one print job prints, taken from its window as the job starts.
struct PrintJob {
    QString text;         // the editor's text as it shows it ('\n' between lines)
    QFont editFont;       // the editor font
    unsigned tabStop = 4; // tab width in average character widths
    PageMargins margins;  // the window's page setup
    bool pageNumbers = false;
};

// The pages of a job laid out for one printer, and the drawing of them.
// The body is one column in the body font (the editor font scaled from the
// screen's 96 pixels per inch to the printer's), lines cut at the right
// margin, never wrapped; the page number "- n -" goes in the page-number
// font (the editor font's size in whole points, made for the printer), and
// the body's lines stop above it.
//
// Every measure comes from the printer: its printable area in pixels (the
// painter's origin is that area's top left corner) and in millimetres, its
// pixels per inch, and its font metrics. A preview draws the same pages
// with a painter scaled to the screen.
class TextPrinter {
public:
    TextPrinter(PrintJob job, QPaintDevice& printer);

    int PageCount() const { return m_layout.PageCount(); }
    const DeviceRect& Body() const { return m_body; }
    const QFont& BodyFont() const { return m_bodyFont; }
    const QFont& PageNumberFont() const { return m_numberFont; }

    // Draws page `page` (1 for the first) with a painter whose unit is one
    // printer pixel, origin at the printable area's top left corner.
    void DrawPage(QPainter& painter, int page) const;

    // Prints the pages the printer's range asks for (all by default). False
    // when the job could not be started or a page could not be begun.
    static bool Print(const PrintJob& job, QPrinter& printer);

    // The editor font's height in pixels at 96 per inch: its pixel size,
    // or the character height of its point size as a negative number.
    static int EditFontHeight(const QFont& font);

private:
    // The height the body's lines may fill: above the page number, if any.
    int TextHeight() const;
    void DrawLine(QPainter& painter, QStringView line, int baseline) const;

    PrintJob m_job;
    int m_dpiX;
    int m_dpiY;
    DeviceRect m_printable;
    QFont m_bodyFont;
    QFont m_numberFont;
    QFontMetricsF m_bodyMetrics;
    QFontMetrics m_numberMetrics;
    int m_lineHeight;
    double m_tabWidth;
    DevicePoint m_numberAt; // the page number's top left corner
    DeviceRect m_body;
    PrintLayout m_layout;
};

} // namespace tessel
