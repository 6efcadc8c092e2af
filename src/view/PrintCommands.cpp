#include "view/PrintCommands.h"

#include "doc/KivaDoc.h"
#include "encoding/Cp932.h"
#include "res/StringTable.h"
#include "settings/AppSettings.h"
#include "ui/CommandIds.h"
#include "ui/CommandTarget.h"
#include "ui/MessageBox.h"
#include "view/KivaView.h"
#include "view/MyPageSetupDlg.h"
#include "view/PrintPreviewDlg.h"
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

CPrintCommands::CPrintCommands(CKivaView& view, IViewShell& shell) : m_view(view), m_shell(shell) {}

bool CPrintCommands::OnCmdMsg(int id, CmdUI* ui) {
    switch (id) {
    case ID_FILE_PRINT:
    case ID_FILE_PRINT_DIRECT:
        if (!ui)
            OnFilePrint(id == ID_FILE_PRINT);
        return true;
    case ID_FILE_PRINT_PREVIEW:
        if (!ui)
            OnFilePrintPreview();
        return true;
    case ID_PAGE_SETUP:
        if (!ui)
            OnFilePageSetup();
        return true;
    default:
        return false;
    }
}

std::unique_ptr<QPrinter> CPrintCommands::MakePrinter() const {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    // The job, and a PDF's title, carry the document's name.
    if (const CKivaDoc* document = m_view.GetDocument())
        printer->setDocName(QString::fromStdString(document->GetTitle()));
    if (NewPrinterHook())
        NewPrinterHook()(*printer);
    m_pageSetup.ApplyTo(*printer);
    return printer;
}

PrintJob CPrintCommands::MakeJob() const {
    // The text as the editor shows it, marks for bytes included.
    const std::u16string text = cp932::Decode(m_view.GetText());
    PrintJob job;
    job.text = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
    job.editFont = m_shell.EditFont();
    job.tabStop = m_shell.Settings().m_nTabStop;
    job.margins = m_pageSetup.margins;
    job.pageNumbers = m_shell.Settings().m_nPrintPage != 0;
    return job;
}

void CPrintCommands::OnFilePrint(bool showDialog) {
    const std::unique_ptr<QPrinter> printer = MakePrinter();
    const CKivaDoc* document = m_view.GetDocument();
    const QString path = document ? QFile::decodeName(document->GetPathName().c_str()) : QString();
    if (showDialog && !ExecPrintDialog(*printer, path, m_view.window()))
        return;
    if (!CTextPrinter::Print(MakeJob(), *printer))
        ShowAppMessage(m_view.window(), AFX_IDP_FAILED_TO_START_PRINT);
}

void CPrintCommands::OnFilePrintPreview() {
    const std::unique_ptr<QPrinter> printer = MakePrinter();
    const CTextPrinter pages(MakeJob(), *printer);
    CPrintPreviewDlg preview(pages, *printer, m_shell.Settings().m_nPreviewPages, m_view.window());
    const int result = preview.exec();
    m_shell.Settings().m_nPreviewPages = preview.PagesShown();
    if (result == CPrintPreviewDlg::kPrint)
        OnFilePrint(true);
}

void CPrintCommands::OnFilePageSetup() {
    const std::unique_ptr<QPrinter> printer = MakePrinter();
    CMyPageSetupDlg dialog(m_pageSetup, CurrentPrinterSettings(*printer),
                           m_shell.Settings().m_nPrintPage != 0, m_view.window());
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_pageSetup = dialog.m_setup;
    m_shell.Settings().m_nPrintPage = dialog.m_bPrintPage ? 1 : 0;
    m_shell.StoreSettings(SettingGroup::PrintPage);
}

} // namespace tessel
