#pragma once

#include "print/PrintLayout.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QSizeF>
#include <QString>

#include <optional>

namespace tessel {

// The page setup of one editor window: its margins and, once the page setup
// has been confirmed, the printer, paper and orientation chosen there. It
// belongs to the window and goes with it.
struct PageSetup {
    // The printer settings the page setup confirms.
    struct Printer {
        QString name; // empty: the system's default printer
        QPageSize pageSize = QPageSize(QPageSize::A4);
        QPageLayout::Orientation orientation = QPageLayout::Portrait;
        QPrinter::PaperSource paperSource = QPrinter::Auto;
    };

    PageMargins margins; // 20, 25, 20 and 25 mm
    // None until the page setup is confirmed; jobs take the printer's own
    // settings until then.
    std::optional<Printer> printer;

    // Gives a job's printer the confirmed settings, if any. A printer that
    // writes to a file keeps doing so: only a system printer is switched to
    // the printer chosen.
    void ApplyTo(QPrinter& job) const;
};

// The settings a printer has now.
PageSetup::Printer CurrentPrinterSettings(const QPrinter& printer);

// The printable area of a paper on a printer, in millimetres: the paper less
// what the printer cannot reach. The margins are measured from its edges.
QSizeF PrintableAreaMm(const PageSetup::Printer& settings);

} // namespace tessel
