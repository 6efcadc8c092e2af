#include "view/PageSetup.h"

#include <QPrinterInfo>

namespace tessel {

void PageSetup::ApplyTo(QPrinter& job) const {
    if (!printer)
        return;
    if (job.outputFormat() == QPrinter::NativeFormat && !printer->name.isEmpty() &&
        printer->name != job.printerName() &&
        QPrinterInfo::availablePrinterNames().contains(printer->name))
        job.setPrinterName(printer->name);
    job.setPageSize(printer->pageSize);
    job.setPageOrientation(printer->orientation);
    job.setPaperSource(printer->paperSource);
}

PageSetup::Printer CurrentPrinterSettings(const QPrinter& printer) {
    const QPageLayout layout = printer.pageLayout();
    return {printer.outputFormat() == QPrinter::NativeFormat ? printer.printerName() : QString(),
            layout.pageSize(), layout.orientation(), printer.paperSource()};
}

QSizeF PrintableAreaMm(const PageSetup::Printer& settings) {
    QPrinter printer(QPrinter::HighResolution);
    PageSetup{{}, settings}.ApplyTo(printer);
    return printer.pageRect(QPrinter::Millimeter).size();
}

} // namespace tessel
