#pragma once

#include "view/PageSetup.h"

#include <functional>
#include <memory>

class QPrinter;

namespace tessel {

class EditorView;
class ViewShell;
class CommandRows;
struct PrintJob;

// The printing commands of one editor window, and the window's page setup:
// print (57607, with the print dialog), print without the dialog (57608),
// print preview (57609) and page setup (32800).
class PrintCommands {
public:
    PrintCommands(EditorView& view, ViewShell& shell);

    // The four commands, as rows of the view's `rows`.
    void AddCommandRows(CommandRows& rows);

    void OnFilePrint(bool showDialog);
    void OnFilePrintPreview();
    void OnFilePageSetup();

    const PageSetup& GetPageSetup() const { return m_pageSetup; }
    // The page setup of the window this one takes the place of.
    void SetPageSetup(const PageSetup& pageSetup) { m_pageSetup = pageSetup; }

private:
    // A printer for a job of this window: the system's, with the settings
    // of this window's page setup.
    std::unique_ptr<QPrinter> MakePrinter() const;
    PrintJob MakeJob() const;

    EditorView& m_view;
    ViewShell& m_shell;
    PageSetup m_pageSetup;
};

// Seams for tests. The print dialog: true to print (the printer as it was
// left), false when cancelled. Empty: the real dialog.
using PrintDialogHook = std::function<bool(QPrinter& printer)>;
void SetPrintDialogHook(PrintDialogHook hook);
// Sees every printer a job or preview makes, before the page setup applies
// (tests send the output to a file). Empty: nothing.
using PrinterHook = std::function<void(QPrinter& printer)>;
void SetPrinterHook(PrinterHook hook);

} // namespace tessel
