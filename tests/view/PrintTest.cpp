// Printing through the real commands into PDF files, read back with the
// poppler tools (pdftotext, pdfinfo); the page setup and preview dialogs.

#include "res/StringTable.h"
#include "support/AppHarness.h"
#include "ui/CommandIds.h"
#include "view/PageSetupDialog.h"
#include "view/PrintCommands.h"
#include "view/PrintPreviewDialog.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace tessel {
namespace {

using test::AppHarness;

// Every job of these tests: A4 at 600 pixels per inch, the printer unable
// to reach 10 mm along each edge (a printable area of 190 × 277 mm).
constexpr double kEdgePt = 10 / 25.4 * 72;
constexpr double kPixelPt = 72.0 / 600;

void ConfigurePdf(QPrinter& printer, const std::string& path) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(path));
    printer.setResolution(600);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
}

QString RunTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(QStandardPaths::findExecutable(program), arguments);
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString PdfInfo(const std::string& pdf) {
    return RunTool(QStringLiteral("pdfinfo"), {QString::fromStdString(pdf)});
}

int PdfPages(const std::string& pdf) {
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(PdfInfo(pdf));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// The text of one page as lines, blank lines left out.
QStringList PdfLines(const std::string& pdf, int page) {
    const QString text =
        RunTool(QStringLiteral("pdftotext"),
                {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(page),
                 QStringLiteral("-l"), QString::number(page), QString::fromStdString(pdf),
                 QStringLiteral("-")});
    QStringList lines;
    for (const QString& line : text.split(QLatin1Char('\n')))
        if (!line.trimmed().remove(QLatin1Char('\f')).isEmpty())
            lines.append(line.trimmed());
    return lines;
}

// A word on a page and its box in points from the paper's top left corner.
struct Word {
    QString text;
    double left;
    double top;
    double bottom;
};

std::vector<Word> PdfWords(const std::string& pdf, int page) {
    const QString html = RunTool(
        QStringLiteral("pdftotext"),
        {QStringLiteral("-bbox"), QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
         QString::number(page), QString::fromStdString(pdf), QStringLiteral("-")});
    static const QRegularExpression kWord(
        QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"[0-9.]+\" "
                       "yMax=\"([0-9.]+)\">([^<]*)</word>"));
    std::vector<Word> words;
    for (auto it = kWord.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        words.push_back({match.captured(4), match.captured(1).toDouble(),
                         match.captured(2).toDouble(), match.captured(3).toDouble()});
    }
    return words;
}

std::string Lines(int count, const char* prefix = "L") {
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += prefix + std::to_string(i) + "\r\n";
    return text;
}

QString Label(int line) {
    return QStringLiteral("L%1").arg(line);
}

// The program with its jobs going to PDF files and the print dialog
// answered by the test.
class PrintTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
            GTEST_SKIP() << "pdftotext and pdfinfo (poppler-utils) are needed";
        SetPrinterHook([this](QPrinter& printer) { ConfigurePdf(printer, output); });
        SetPrintDialogHook([this](QPrinter&) {
            ++dialogs;
            return printAnswer;
        });
    }
    void TearDown() override {
        SetPrinterHook({});
        SetPrintDialogHook({});
    }

    // A new window of the DATA type holding `bytes`.
    EditorView* NewWindow(AppHarness& h, const std::string& bytes) {
        h.Execute(ID_NEW_DATA);
        h.View()->ReplaceText(bytes);
        return h.View();
    }

    // Prints the active window (without the dialog) into a new file.
    std::string PrintActive(AppHarness& h) {
        output = h.dir.file("job" + std::to_string(++jobs) + ".pdf");
        h.Execute(ID_FILE_PRINT_DIRECT);
        return output;
    }

    // The page setup of the active window, with `fill` run on its open
    // dialog (which it must close).
    void RunPageSetup(AppHarness& h, std::function<void(PageSetupDialog*)> fill) {
        h.WhenDialogOpens([fill = std::move(fill)](QDialog* dialog) {
            auto* setup = qobject_cast<PageSetupDialog*>(dialog);
            ASSERT_NE(setup, nullptr);
            fill(setup);
        });
        h.Execute(ID_PAGE_SETUP);
    }

    // The job's printer as the tests set it up, and the body font on it:
    // the editor font, 16 pixels high, scaled to 600 pixels per inch.
    struct Metrics {
        int width; // printable area, pixels
        int height;
        int lineHeight; // of the body font, and of the 12-point number font
        double advance; // of every character of the fixed-pitch font
        int perPage;    // lines between the default margins (590 pixels each)
    };
    Metrics Measure(AppHarness& h) {
        QPrinter printer;
        ConfigurePdf(printer, h.dir.file("metrics.pdf"));
        QFont font = h.app->EditFont();
        font.setPixelSize(100);
        const int lineHeight = QFontMetrics(font, &printer).lineSpacing();
        return {printer.width(), printer.height(), lineHeight,
                QFontMetricsF(font, &printer).horizontalAdvance(QLatin1Char('W')),
                (printer.height() - 2 * 590) / lineHeight};
    }

    std::string output;
    int jobs = 0;
    int dialogs = 0;
    bool printAnswer = true;
};

QLineEdit* Field(QDialog* dialog, const char* name) {
    return dialog->findChild<QLineEdit*>(QString::fromUtf8(name));
}

// The margin fields: left, top, right, bottom.
QStringList Margins(QDialog* dialog) {
    QStringList texts;
    for (const char* name : {"marginLeft", "marginTop", "marginRight", "marginBottom"})
        texts.append(Field(dialog, name)->text());
    return texts;
}

void SetMargins(QDialog* dialog, const char* left, const char* top, const char* right,
                const char* bottom) {
    Field(dialog, "marginLeft")->setText(left);
    Field(dialog, "marginTop")->setText(top);
    Field(dialog, "marginRight")->setText(right);
    Field(dialog, "marginBottom")->setText(bottom);
}

TEST_F(PrintTest, PagesHoldWhatFitsBetweenTheMargins) {
    AppHarness h;
    const int perPage = Measure(h).perPage;
    ASSERT_GT(perPage, 10);

    NewWindow(h, Lines(2 * perPage));
    const std::string two = PrintActive(h);
    EXPECT_EQ(PdfPages(two), 2);

    NewWindow(h, Lines(2 * perPage + 1));
    const std::string three = PrintActive(h);
    ASSERT_EQ(PdfPages(three), 3);
    // Each page goes on where the last one stopped.
    const QStringList first = PdfLines(three, 1);
    ASSERT_EQ(first.size(), perPage);
    EXPECT_EQ(first.front(), Label(1));
    EXPECT_EQ(first.back(), Label(perPage));
    EXPECT_EQ(PdfLines(three, 2).front(), Label(perPage + 1));
    EXPECT_EQ(PdfLines(three, 3), QStringList{Label(2 * perPage + 1)});
    // No page numbers unless asked for.
    EXPECT_FALSE(PdfLines(three, 1).join(u'\n').contains(QStringLiteral("- 1 -")));
}

TEST_F(PrintTest, PageNumbersFollowTheSetting) {
    AppHarness h("[Misc]\r\nPrintPage=1\r\n");
    const int perPage = Measure(h).perPage;
    NewWindow(h, Lines(perPage + 1));
    const std::string pdf = PrintActive(h);
    ASSERT_EQ(PdfPages(pdf), 2);
    EXPECT_EQ(PdfLines(pdf, 1).back(), QStringLiteral("- 1 -"));
    EXPECT_EQ(PdfLines(pdf, 2), (QStringList{Label(perPage + 1), QStringLiteral("- 2 -")}));

    // Halfway across 7 whole inches, one line above the 10th inch down,
    // margins or not: the page-number font is 12 points, 100 pixels, and its
    // lines are as far apart as the body's.
    const int lineHeight = Measure(h).lineHeight;
    int found = 0;
    for (const Word& word : PdfWords(pdf, 2)) {
        if (word.text == QStringLiteral("-") && found++ == 0) {
            EXPECT_NEAR(word.left, kEdgePt + 7 * 600 / 2 * kPixelPt, 1.5);
            EXPECT_NEAR(word.top, kEdgePt + (10 * 600 - lineHeight) * kPixelPt, 1.5);
        }
    }
    EXPECT_EQ(found, 2);

    // A text shorter than a page prints one page, numbered 1.
    NewWindow(h, "one\r\ntwo\r\nthree");
    const std::string one = PrintActive(h);
    EXPECT_EQ(PdfPages(one), 1);
    EXPECT_EQ(PdfLines(one, 1), (QStringList{"one", "two", "three", "- 1 -"}));
}

TEST_F(PrintTest, LongLinesAreCutAtTheRightMargin) {
    AppHarness h;
    NewWindow(h, std::string(300, 'W') + "\r\nNEXT\r\n");
    const std::string pdf = PrintActive(h);
    ASSERT_EQ(PdfPages(pdf), 1);
    const QStringList lines = PdfLines(pdf, 1);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[1], QStringLiteral("NEXT"));
    // As many characters as start left of the margin: the body is 190 mm
    // less twice 472 pixels wide; a W of the 100-pixel font is 50 wide.
    const Metrics metrics = Measure(h);
    const int fit = static_cast<int>(std::ceil((metrics.width - 2 * 472) / metrics.advance));
    EXPECT_EQ(lines[0], QString(fit, QLatin1Char('W')));

    // Lines that end in LF alone are one line to the printer, cut the same.
    NewWindow(h, "AAA\nBBB\n" + std::string(300, 'C') + "\nDDD");
    const QStringList joined = PdfLines(PrintActive(h), 1);
    ASSERT_EQ(joined.size(), 1);
    EXPECT_TRUE(joined[0].startsWith(QStringLiteral("AAA")));
    EXPECT_TRUE(joined[0].contains(QStringLiteral("BBB")));
    EXPECT_FALSE(joined[0].contains(QStringLiteral("DDD")));
}

TEST_F(PrintTest, TabsStopEveryTabWidthOfAverageCharacters) {
    AppHarness h("[Edit]\r\nTabStop=8\r\n");
    NewWindow(h, "A\tB\r\nABCDEFGH\tC\r\n");
    const std::string pdf = PrintActive(h);
    double b = 0;
    double c = 0;
    for (const Word& word : PdfWords(pdf, 1)) {
        if (word.text.endsWith(QLatin1Char('B')))
            b = word.left;
        if (word.text == QStringLiteral("C"))
            c = word.left;
    }
    // Stops 8 and 16 characters of 50 pixels in from the body's left edge.
    const double body = kEdgePt + 472 * kPixelPt;
    EXPECT_NEAR(b, body + 8 * 50 * kPixelPt, 1.5);
    EXPECT_NEAR(c, body + 16 * 50 * kPixelPt, 1.5);
}

TEST_F(PrintTest, MarginsBelongToTheirWindow) {
    AppHarness h;
    NewWindow(h, Lines(200));
    EditorView* zero = h.View();
    RunPageSetup(h, [](PageSetupDialog* dialog) {
        SetMargins(dialog, "0", "0", "0", "0");
        dialog->findChild<QCheckBox*>(QStringLiteral("printPage"))->setChecked(true);
        dialog->accept();
    });
    EXPECT_EQ(zero->Printing().GetPageSetup().margins, (PageMargins{0, 0, 0, 0}));
    EXPECT_NE(test::ReadBytes(h.iniPath).find("[Misc]\r\nPrintPage=1"), std::string::npos);
    // Margins of 0: the body starts at the printable area's top left corner,
    // and stops above the page number's line (one line above the last whole
    // inch) instead of running on under it.
    std::vector<Word> words = PdfWords(PrintActive(h), 1);
    ASSERT_FALSE(words.empty());
    EXPECT_NEAR(words[0].left, kEdgePt, 1.0);
    EXPECT_NEAR(words[0].top, kEdgePt, 1.0);
    double lowestText = 0;
    double number = 0;
    for (const Word& word : words) {
        if (word.text.startsWith(QLatin1Char('L')))
            lowestText = std::max(lowestText, word.bottom);
        else if (word.text == QStringLiteral("-"))
            number = word.top;
    }
    ASSERT_GT(number, 0);
    EXPECT_LE(lowestText, number);
    EXPECT_GT(lowestText, number - 100 * kPixelPt * 1.5); // but fills the page to there

    // A new window starts with 20, 25, 20 and 25 mm: 472 and 590 pixels.
    NewWindow(h, "second\r\n");
    EXPECT_EQ(h.View()->Printing().GetPageSetup().margins, PageMargins{});
    words = PdfWords(PrintActive(h), 1);
    ASSERT_FALSE(words.empty());
    EXPECT_NEAR(words[0].left, kEdgePt + 472 * kPixelPt, 1.0);
    EXPECT_NEAR(words[0].top, kEdgePt + 590 * kPixelPt, 1.0);

    // The first window kept its own.
    h.Frame().MdiArea()->setActiveSubWindow(h.Frame().Children().front());
    ASSERT_EQ(h.View(), zero);
    words = PdfWords(PrintActive(h), 1);
    ASSERT_FALSE(words.empty());
    EXPECT_NEAR(words[0].left, kEdgePt, 1.0);
}

TEST_F(PrintTest, PrintCommandsInEveryEditorWindow) {
    AppHarness h;
    const int commands[] = {ID_FILE_PRINT, ID_FILE_PRINT_DIRECT, ID_FILE_PRINT_PREVIEW,
                            ID_PAGE_SETUP};
    for (int id : commands)
        EXPECT_FALSE(h.State(id).enabled) << id;
    for (int kind : {ID_NEW_BASIC, ID_NEW_TEXT, ID_NEW_DATA}) {
        h.Execute(kind);
        for (int id : commands)
            EXPECT_TRUE(h.State(id).enabled) << id;
    }
    // Even an empty text prints: one empty page.
    EXPECT_EQ(PdfPages(PrintActive(h)), 1);

    // Print asks first and prints nothing when cancelled; printing without
    // the dialog does not ask.
    h.View()->ReplaceText("text\r\n");
    output = h.dir.file("dialog.pdf");
    printAnswer = false;
    h.Execute(ID_FILE_PRINT);
    EXPECT_EQ(dialogs, 1);
    EXPECT_FALSE(std::filesystem::exists(output));
    printAnswer = true;
    h.Execute(ID_FILE_PRINT);
    EXPECT_EQ(dialogs, 2);
    EXPECT_EQ(PdfLines(output, 1), QStringList{"text"});
    EXPECT_EQ(PdfLines(PrintActive(h), 1), QStringList{"text"});
    EXPECT_EQ(dialogs, 2);
    EXPECT_TRUE(h.messages.empty());

    // A job that cannot start says so.
    SetPrinterHook(
        [&h](QPrinter& printer) { ConfigurePdf(printer, h.dir.file("no such folder/job.pdf")); });
    h.Execute(ID_FILE_PRINT_DIRECT);
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_EQ(h.messages[0].text, QStringLiteral("印刷ｼﾞｮﾌﾞを開始できませんでした。"));
    EXPECT_EQ(h.messages[0].caption, LoadQString(AFX_IDS_APP_TITLE));
}

// What pdfinfo says a PDF's title is.
QString PdfTitle(const std::string& pdf) {
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("(?m)^Title:\\s+(.*)$")).match(PdfInfo(pdf));
    return match.hasMatch() ? match.captured(1) : QString();
}

TEST_F(PrintTest, APdfIsNamedAfterItsDocumentAndCarriesItsTitle) {
    AppHarness h;
    const std::string prog = h.dir.file("prog.bas");
    test::WriteBytes(prog, "10 PRINT\r\n");
    ASSERT_NE(h.app->Documents().OpenDocumentFile(QString::fromStdString(prog)), nullptr);

    // The real print dialog: printing to a file proposes prog.pdf beside
    // prog.bas, and takes it.
    SetPrintDialogHook({});
    SetPrinterHook({});
    QString proposed;
    h.WhenDialogOpens([&proposed](QDialog* dialog) {
        proposed = dialog->findChild<QLineEdit*>(QStringLiteral("filename"))->text();
        auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("printers"));
        printers->setCurrentIndex(printers->count() - 1); // "Print to File (PDF)"
        dialog->accept();
    });
    h.Execute(ID_FILE_PRINT);
    const std::string pdf = h.dir.file("prog.pdf");
    EXPECT_EQ(proposed, QString::fromStdString(pdf));
    EXPECT_EQ(PdfLines(pdf, 1), QStringList{"10 PRINT"});
    EXPECT_EQ(PdfTitle(pdf), QStringLiteral("prog.bas"));

    // An untitled document: its title names the file, in the folder the
    // dialog would have taken.
    h.Execute(ID_NEW_BASIC);
    h.WhenDialogOpens([&proposed](QDialog* dialog) {
        proposed = dialog->findChild<QLineEdit*>(QStringLiteral("filename"))->text();
        dialog->reject();
    });
    h.Execute(ID_FILE_PRINT);
    EXPECT_EQ(QFileInfo(proposed).fileName(), QStringLiteral("BASIC：無題1.pdf"));
    EXPECT_TRUE(QFileInfo(proposed).isAbsolute());

    // Printed without the dialog, the title is there too.
    SetPrinterHook([this](QPrinter& printer) { ConfigurePdf(printer, output); });
    EXPECT_EQ(PdfTitle(PrintActive(h)), QStringLiteral("BASIC：無題1"));
}

TEST_F(PrintTest, PageSetupCancelChangesNothingAndOkStoresAtOnce) {
    AppHarness h("[Misc]\r\nPrintPage=1\r\n");
    EditorView* first = NewWindow(h, "L1\r\n");
    NewWindow(h, "L1\r\n");
    const std::string before = test::ReadBytes(h.iniPath);
    for (int opening = 0; opening < 2; ++opening) {
        // The box opens with the application's setting every time, and
        // Cancel forgets whatever was changed.
        RunPageSetup(h, [](PageSetupDialog* dialog) {
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("ページの設定"));
            EXPECT_TRUE(dialog->findChild<QRadioButton*>(QStringLiteral("portrait"))->isChecked());
            EXPECT_EQ(Margins(dialog), (QStringList{"20", "25", "20", "25"}));
            auto* box = dialog->findChild<QCheckBox*>(QStringLiteral("printPage"));
            EXPECT_EQ(box->text(), QStringLiteral("ﾍﾟｰｼﾞ番号を印刷する(&L)"));
            EXPECT_TRUE(box->isChecked());
            box->setChecked(false);
            SetMargins(dialog, "1", "2", "3", "4");
            dialog->findChild<QRadioButton*>(QStringLiteral("landscape"))->setChecked(true);
            dialog->reject();
        });
    }
    EXPECT_EQ(h.View()->Printing().GetPageSetup().margins, PageMargins{});
    EXPECT_FALSE(h.View()->Printing().GetPageSetup().printer.has_value());
    EXPECT_EQ(h.app->Settings().printPage, 1);
    EXPECT_EQ(test::ReadBytes(h.iniPath), before);

    RunPageSetup(h, [](PageSetupDialog* dialog) {
        dialog->findChild<QCheckBox*>(QStringLiteral("printPage"))->setChecked(false);
        dialog->findChild<QRadioButton*>(QStringLiteral("landscape"))->setChecked(true);
        SetMargins(dialog, "12.5", " 0.05", "7.", "30");
        dialog->accept();
    });
    const PageSetup& setup = h.View()->Printing().GetPageSetup();
    EXPECT_EQ(setup.margins, (PageMargins{1250, 5, 700, 3000}));
    EXPECT_EQ(h.app->Settings().printPage, 0);
    EXPECT_NE(test::ReadBytes(h.iniPath).find("[Misc]\r\nPrintPage=0"), std::string::npos);

    // Its paper goes to this window's jobs; the setting to every window's.
    const std::string wide = PrintActive(h);
    EXPECT_TRUE(PdfInfo(wide).contains(QStringLiteral("Page size:       842 x 595 pts")));
    EXPECT_EQ(PdfLines(wide, 1), QStringList{"L1"});
    h.Frame().MdiArea()->setActiveSubWindow(h.Frame().Children().front());
    ASSERT_EQ(h.View(), first);
    const std::string upright = PrintActive(h);
    EXPECT_TRUE(PdfInfo(upright).contains(QStringLiteral("Page size:       595 x 842 pts")));
    EXPECT_EQ(PdfLines(upright, 1), QStringList{"L1"});
}

TEST_F(PrintTest, PageSetupRefusesBadMarginsBeforeClosing) {
    AppHarness h;
    NewWindow(h, "x");
    RunPageSetup(h, [&h](PageSetupDialog* dialog) {
        // Left, top, right, bottom; the last two leave nothing to print on
        // (A4 is at most 210 mm wide and 297 high).
        const char* bad[][4] = {{"abc", "25", "20", "25"},  {"", "25", "20", "25"},
                                {"-1", "25", "20", "25"},   {"20.125", "25", "20", "25"},
                                {"20", "1e3", "20", "25"},  {"20", "25", "20", "1,5"},
                                {"105", "25", "105", "25"}, {"20", "150", "20", "150"}};
        for (const auto& margins : bad) {
            SetMargins(dialog, margins[0], margins[1], margins[2], margins[3]);
            const std::size_t before = h.messages.size();
            dialog->accept();
            EXPECT_TRUE(dialog->isVisible()) << margins[0] << margins[1];
            ASSERT_EQ(h.messages.size(), before + 1) << margins[0] << margins[1];
            EXPECT_EQ(h.messages.back().caption, QStringLiteral("ページの設定"));
        }
        dialog->reject();
    });
    EXPECT_EQ(h.messages[0].text,
              QStringLiteral("余白には 0 以上の数値をﾐﾘ単位で入力してください。"));
    EXPECT_EQ(h.messages.back().text,
              QStringLiteral("余白が大きすぎます。印刷できる範囲が残るように小さくしてください。"));
    EXPECT_EQ(h.View()->Printing().GetPageSetup().margins, PageMargins{});
}

TEST_F(PrintTest, PreviewShowsTheJobsPagesAndPrintsThem) {
    AppHarness h("[Settings]\r\nPreviewPages=2\r\n");
    const int perPage = Measure(h).perPage;
    NewWindow(h, Lines(2 * perPage + 1));
    h.WhenDialogOpens([](QDialog* dialog) {
        auto* preview = qobject_cast<PrintPreviewDialog*>(dialog);
        ASSERT_NE(preview, nullptr);
        auto action = [preview](const char* name) {
            return preview->findChild<QAction*>(QString::fromUtf8(name));
        };
        auto page = [preview] {
            return preview->findChild<QLabel*>(QStringLiteral("previewPage"))->text();
        };
        EXPECT_EQ(preview->PageCount(), 3);
        EXPECT_EQ(preview->PagesShown(), 2);
        EXPECT_EQ(page(), QStringLiteral("ﾍﾟｰｼﾞ 1-2"));
        EXPECT_FALSE(action("previewPrevious")->isEnabled());
        action("previewNext")->trigger();
        EXPECT_EQ(page(), QStringLiteral("ﾍﾟｰｼﾞ 2-3"));
        EXPECT_FALSE(action("previewNext")->isEnabled());
        EXPECT_TRUE(action("previewPrevious")->isEnabled());

        action("previewPages")->trigger();
        EXPECT_EQ(preview->PagesShown(), 1);
        EXPECT_EQ(action("previewPages")->text(), QStringLiteral("2 ﾍﾟｰｼﾞ(&T)"));
        EXPECT_TRUE(action("previewNext")->isEnabled());

        // Zoomed in: one page, no choice of two; twice, then no further.
        EXPECT_FALSE(action("previewZoomOut")->isEnabled());
        action("previewZoomIn")->trigger();
        EXPECT_FALSE(action("previewPages")->isEnabled());
        action("previewZoomIn")->trigger();
        EXPECT_EQ(preview->Zoom(), 2);
        EXPECT_FALSE(action("previewZoomIn")->isEnabled());
        preview->grab(); // draws the pages
        action("previewZoomOut")->trigger();
        action("previewZoomOut")->trigger();
        EXPECT_TRUE(action("previewPages")->isEnabled());
        // Print closes the preview and prints through the print dialog.
        action("previewPrint")->trigger();
    });
    output = h.dir.file("from-preview.pdf");
    h.Execute(ID_FILE_PRINT_PREVIEW);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(PdfPages(output), 3);
    // The choice is kept, and stored at exit.
    EXPECT_EQ(h.app->Settings().previewPages, 1);
    h.app->ExitInstance();
    EXPECT_NE(test::ReadBytes(h.iniPath).find("PreviewPages=1"), std::string::npos);
}

} // namespace
} // namespace tessel
