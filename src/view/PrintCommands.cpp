#include "view/PrintCommands.h"

#include "doc/Document.h"
#include "encoding/Cp932.h"
#include "res/StringTable.h"
#include "settings/AppSettings.h"
#include "ui/CommandIds.h"
#include "ui/CommandTarget.h"
#include "ui/MessageBox.h"
#include "view/EditorView.h"
#include "view/PageSetupDialog.h"
#include "view/PrintPreviewDialog.h"
#include "view/TextPrinter.h"
#include "view/ViewShell.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>

namespace tessel {
namespace {

PrintDialogHook& DialogHook() {
    static PrintDialogHook hook;
    return hook;
}

PrinterHook& NewPrinterHook() {
    static PrinterHook hook;
    return hook;
}

// A PDF of the document at `path` (its file, empty for an untitled one, then
// named after its `title`) is proposed beside it, with its name: game.bas
// prints to game.pdf. An untitled one goes to the folder the dialog chose.
QString ProposedPdf(const QString& path, const QString& title, const QString& dialogChoice) {
    if (!path.isEmpty()) {
        const QFileInfo file(path);
        return QDir(file.absolutePath()).filePath(file.completeBaseName() + QStringLiteral(".pdf"));
    }
    QString name = title;
    name.replace(u'/', u'_');
    return QDir(QFileInfo(dialogChoice).absolutePath()).filePath(name + QStringLiteral(".pdf"));
}

bool ExecPrintDialog(QPrinter& printer, const QString& documentPath, QWidget* parent) {
    if (DialogHook())
        return DialogHook()(printer);
    QPrintDialog dialog(&printer, parent);
    // The pages are known only once laid out for the printer chosen here.
    dialog.setOptions(QAbstractPrintDialog::PrintPageRange |
                      QAbstractPrintDialog::PrintCollateCopies | QAbstractPrintDialog::PrintToFile);
    // The dialog's own proposal for printing to a file names no document.
    if (auto* file = dialog.findChild<QLineEdit*>(QStringLiteral("filename")))
        file->setText(ProposedPdf(documentPath, printer.docName(), file->text()));
    return dialog.exec() == QDialog::Accepted;
}

} // namespace

void SetPrintDialogHook(PrintDialogHook hook) {
    DialogHook() = std::move(hook);
}

void SetPrinterHook(PrinterHook hook) {
    NewPrinterHook() = std::move(hook);
}

PrintCommands::PrintCommands(EditorView& view, ViewShell& shell) : m_view(view), m_shell(shell) {}

void PrintCommands::AddCommandRows(CommandRows& rows) {
    rows.Add(ID_FILE_PRINT, [this] { OnFilePrint(true); })
        .Add(ID_FILE_PRINT_DIRECT, [this] { OnFilePrint(false); })
        .Add(ID_FILE_PRINT_PREVIEW, [this] { OnFilePrintPreview(); })
        .Add(ID_PAGE_SETUP, [this] { OnFilePageSetup(); });
}

std::unique_ptr<QPrinter> PrintCommands::MakePrinter() const {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    // The job, and a PDF's title, carry the document's name.
    if (const Document* document = m_view.GetDocument())
        printer->setDocName(QString::fromStdString(document->GetTitle()));
    if (NewPrinterHook())
        NewPrinterHook()(*printer);
    m_pageSetup.ApplyTo(*printer);
    return printer;
}

PrintJob PrintCommands::MakeJob() const {
    // The text as the editor shows it, marks for bytes included.
    const std::u16string text = cp932::Decode(m_view.GetText());
    PrintJob job;
    job.text = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
    job.editFont = m_shell.EditFont();
    job.tabStop = m_shell.Settings().tabStop;
    job.margins = m_pageSetup.margins;
    job.pageNumbers = m_shell.Settings().printPage != 0;
    return job;
}

void PrintCommands::OnFilePrint(bool showDialog) {
    const std::unique_ptr<QPrinter> printer = MakePrinter();
    const Document* document = m_view.GetDocument();
    const QString path = document ? QFile::decodeName(document->GetPathName().c_str()) : QString();
    if (showDialog && !ExecPrintDialog(*printer, path, m_view.window()))
        return;
    if (!TextPrinter::Print(MakeJob(), *printer))
        ShowAppMessage(m_view.window(), AFX_IDP_FAILED_TO_START_PRINT);
}

void PrintCommands::OnFilePrintPreview() {
    const std::unique_ptr<QPrinter> printer = MakePrinter();
    const TextPrinter pages(MakeJob(), *printer);
    PrintPreviewDialog preview(pages, *printer, m_shell.Settings().previewPages, m_view.window());
    const int result = preview.exec();
    m_shell.Settings().previewPages = preview.PagesShown();
    if (result == PrintPreviewDialog::kPrint)
        OnFilePrint(true);
}

void PrintCommands::OnFilePageSetup() {
    const std::unique_ptr<QPrinter> printer = MakePrinter();
    PageSetupDialog dialog(m_pageSetup, CurrentPrinterSettings(*printer),
                           m_shell.Settings().printPage != 0, m_view.window());
    const std::optional<PageSetupChoice> choice = dialog.Choose();
    if (!choice)
        return;
    m_pageSetup = choice->setup;
    m_shell.Settings().printPage = choice->printPage ? 1 : 0;
    m_shell.StoreSettings(SettingGroup::PrintPage);
}

} // namespace tessel
