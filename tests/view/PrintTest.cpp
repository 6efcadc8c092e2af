// Printing through the real commands into PDF files, read back with the
// poppler tools (pdftotext, pdfinfo); the page setup and preview dialogs.

#include "app/CommandIds.h"
#include "res/StringTable.h"
#include "support/AppHarness.h"
#include "view/MyPageSetupDlg.h"
#include "view/PrintCommands.h"
#include "view/PrintPreviewDlg.h"

#include <QAction>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QToolBar>

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

int PdfPages(const std::string& pdf) {
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
            .match(RunTool(QStringLiteral("pdfinfo"), {QString::fromStdString(pdf)}));
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
    CKivaView* NewWindow(AppHarness& h, const std::string& bytes) {
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
    void RunPageSetup(AppHarness& h, std::function<void(CMyPageSetupDlg*)> fill) {
        h.WhenDialogOpens([fill = std::move(fill)](QDialog* dialog) {
            auto* setup = qobject_cast<CMyPageSetupDlg*>(dialog);
            ASSERT_NE(setup, nullptr);
            fill(setup);
        });
        h.Execute(ID_PAGE_SETUP);
    }

    // The body's lines per page, measured as the printer does: the editor
    // font (16 pixels high) scaled to 600 pixels per inch, in a printable
    // area less the default top and bottom margins (590 pixels each).
    int BodyLinesPerPage(AppHarness& h) {
        QPrinter printer;
        ConfigurePdf(printer, h.dir.file("metrics.pdf"));
        QFont font = h.app->EditFont();
        font.setPixelSize(100);
        return (printer.height() - 2 * 590) / QFontMetrics(font, &printer).lineSpacing();
    }

    std::string output;
    int jobs = 0;
    int dialogs = 0;
    bool printAnswer = true;
};

QLineEdit* Field(QDialog* dialog, const char* name) {
    return dialog->findChild<QLineEdit*>(QString::fromUtf8(name));
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
    const int perPage = BodyLinesPerPage(h);
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
    const int perPage = BodyLinesPerPage(h);
    NewWindow(h, Lines(perPage + 1));
    const std::string pdf = PrintActive(h);
    ASSERT_EQ(PdfPages(pdf), 2);
    EXPECT_EQ(PdfLines(pdf, 1).back(), QStringLiteral("- 1 -"));
    EXPECT_EQ(PdfLines(pdf, 2), (QStringList{Label(perPage + 1), QStringLiteral("- 2 -")}));

    // Halfway across 7 whole inches, one line above the 10th inch down,
    // margins or not: the page-number font is 12 points, 100 pixels, and its
    // lines are as far apart as the body's.
    QFont font = h.app->EditFont();
    font.setPixelSize(100);
    QPrinter printer;
    ConfigurePdf(printer, h.dir.file("metrics.pdf"));
    const int lineHeight = QFontMetrics(font, &printer).lineSpacing();
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

TEST_F(PrintTest, PageNumberNeverPrintsOverTheText) {
    // Margins of 0 would run the body past the page number's line, which
    // sits one line above the last whole inch: the body stops above it.
    AppHarness h("[Misc]\r\nPrintPage=1\r\n");
    NewWindow(h, Lines(200));
    RunPageSetup(h, [](CMyPageSetupDlg* dialog) {
        SetMargins(dialog, "0", "0", "0", "0");
        dialog->accept();
    });
    double lowestText = 0;
    double number = 0;
    for (const Word& word : PdfWords(PrintActive(h), 1)) {
        if (word.text.startsWith(QLatin1Char('L')))
            lowestText = std::max(lowestText, word.bottom);
        else if (word.text == QStringLiteral("-"))
            number = word.top;
    }
    ASSERT_GT(number, 0);
    EXPECT_LE(lowestText, number);
    EXPECT_GT(lowestText, number - 100 * kPixelPt * 1.5); // but fills the page to there
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
    QPrinter printer;
    ConfigurePdf(printer, h.dir.file("metrics.pdf"));
    QFont font = h.app->EditFont();
    font.setPixelSize(100);
    const double advance = QFontMetricsF(font, &printer).horizontalAdvance(QLatin1Char('W'));
    const int fit = static_cast<int>(std::ceil((printer.width() - 2 * 472) / advance));
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
    NewWindow(h, "first\r\n");
    CKivaView* zero = h.View();
    RunPageSetup(h, [](CMyPageSetupDlg* dialog) {
        SetMargins(dialog, "0", "0", "0", "0");
        dialog->accept();
    });
    EXPECT_EQ(zero->Printing().GetPageSetup().margins, (PageMargins{0, 0, 0, 0}));
    // Margins of 0: the body starts at the printable area's top left corner.
    std::vector<Word> words = PdfWords(PrintActive(h), 1);
    ASSERT_FALSE(words.empty());
    EXPECT_NEAR(words[0].left, kEdgePt, 1.0);
    EXPECT_NEAR(words[0].top, kEdgePt, 1.0);

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
    for (int id : {ID_FILE_PRINT, ID_FILE_PRINT_DIRECT, ID_FILE_PRINT_PREVIEW, ID_PAGE_SETUP})
        EXPECT_FALSE(h.State(id).enabled) << id;
    for (int kind : {ID_NEW_DATA, ID_NEW_BASIC, ID_NEW_TEXT}) {
        h.Execute(kind);
        for (int id : {ID_FILE_PRINT, ID_FILE_PRINT_DIRECT, ID_FILE_PRINT_PREVIEW, ID_PAGE_SETUP})
            EXPECT_TRUE(h.State(id).enabled) << id;
    }
    // Even an empty text prints: one empty page.
    const std::string pdf = PrintActive(h);
    EXPECT_EQ(PdfPages(pdf), 1);
}

TEST_F(PrintTest, PrintDialogComesOnlyWithPrint) {
    AppHarness h;
    NewWindow(h, "text\r\n");
    output = h.dir.file("dialog.pdf");
    printAnswer = false;
    h.Execute(ID_FILE_PRINT);
    EXPECT_EQ(dialogs, 1);
    EXPECT_FALSE(std::filesystem::exists(output)); // cancelled: nothing printed
    EXPECT_TRUE(h.messages.empty());

    printAnswer = true;
    h.Execute(ID_FILE_PRINT);
    EXPECT_EQ(dialogs, 2);
    EXPECT_EQ(PdfLines(output, 1), QStringList{"text"});

    PrintActive(h);
    EXPECT_EQ(dialogs, 2);
    EXPECT_EQ(PdfPages(output), 1);
}

TEST_F(PrintTest, JobThatCannotStartSaysSo) {
    AppHarness h;
    NewWindow(h, "text\r\n");
    SetPrinterHook(
        [&h](QPrinter& printer) { ConfigurePdf(printer, h.dir.file("no such folder/job.pdf")); });
    h.Execute(ID_FILE_PRINT_DIRECT);
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_EQ(h.messages[0].text, QStringLiteral("印刷ｼﾞｮﾌﾞを開始できませんでした。"));
    EXPECT_EQ(h.messages[0].caption, LoadQString(AFX_IDS_APP_TITLE));
}

TEST_F(PrintTest, PageSetupDialogShowsTheWindowsSetupAndTheSetting) {
    AppHarness h("[Misc]\r\nPrintPage=1\r\n");
    NewWindow(h, "x");
    const std::string before = test::ReadBytes(h.iniPath);
    RunPageSetup(h, [](CMyPageSetupDlg* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("ページの設定"));
        QStringList groups;
        for (QGroupBox* group : dialog->findChildren<QGroupBox*>())
            groups.append(group->title());
        EXPECT_EQ(groups, (QStringList{"印刷の向き", "用紙", "余白（ﾐﾘ）"}));
        QStringList labels;
        for (QLabel* label : dialog->findChildren<QLabel*>())
            labels.append(label->text());
        EXPECT_EQ(labels, (QStringList{"ｻｲｽﾞ(&Z):", "給紙方法(&S)",
                                       "左(&L):", "右(&R):", "上(&T):", "下(&B):"}));
        QStringList buttons;
        for (QPushButton* button : dialog->findChildren<QPushButton*>())
            buttons.append(button->text());
        EXPECT_EQ(buttons, (QStringList{"OK", "ｷｬﾝｾﾙ", "ﾌﾟﾘﾝﾀ(&P)..."}));
        EXPECT_TRUE(dialog->findChild<QRadioButton*>(QStringLiteral("portrait"))->isChecked());
        EXPECT_EQ(dialog->findChild<QRadioButton*>(QStringLiteral("landscape"))->text(),
                  QStringLiteral("横(&A)"));

        EXPECT_EQ(Field(dialog, "marginLeft")->text(), QStringLiteral("20"));
        EXPECT_EQ(Field(dialog, "marginTop")->text(), QStringLiteral("25"));
        EXPECT_EQ(Field(dialog, "marginRight")->text(), QStringLiteral("20"));
        EXPECT_EQ(Field(dialog, "marginBottom")->text(), QStringLiteral("25"));
        auto* box = dialog->findChild<QCheckBox*>(QStringLiteral("printPage"));
        EXPECT_EQ(box->text(), QStringLiteral("ﾍﾟｰｼﾞ番号を印刷する(&L)"));
        EXPECT_TRUE(box->isChecked());
        // Cancel forgets all of this.
        box->setChecked(false);
        SetMargins(dialog, "1", "2", "3", "4");
        dialog->findChild<QRadioButton*>(QStringLiteral("landscape"))->setChecked(true);
        dialog->reject();
    });
    EXPECT_EQ(h.View()->Printing().GetPageSetup().margins, PageMargins{});
    EXPECT_FALSE(h.View()->Printing().GetPageSetup().printer.has_value());
    EXPECT_EQ(h.app->Settings().m_nPrintPage, 1);
    EXPECT_EQ(test::ReadBytes(h.iniPath), before);

    // The box opens with the application's setting again.
    RunPageSetup(h, [](CMyPageSetupDlg* dialog) {
        EXPECT_TRUE(dialog->findChild<QCheckBox*>(QStringLiteral("printPage"))->isChecked());
        EXPECT_EQ(Field(dialog, "marginLeft")->text(), QStringLiteral("20"));
        dialog->reject();
    });
}

TEST_F(PrintTest, PageSetupOkStoresMarginsAndWritesPrintPageAtOnce) {
    AppHarness h;
    NewWindow(h, std::string("L1\r\n"));
    CKivaView* first = h.View();
    NewWindow(h, std::string("L1\r\n"));
    RunPageSetup(h, [](CMyPageSetupDlg* dialog) {
        dialog->findChild<QCheckBox*>(QStringLiteral("printPage"))->setChecked(true);
        dialog->findChild<QRadioButton*>(QStringLiteral("landscape"))->setChecked(true);
        SetMargins(dialog, "12.5", " 0.05", "7.", "30");
        dialog->accept();
    });
    const PageSetup& setup = h.View()->Printing().GetPageSetup();
    EXPECT_EQ(setup.margins, (PageMargins{1250, 5, 700, 3000}));
    ASSERT_TRUE(setup.printer.has_value());
    EXPECT_EQ(setup.printer->orientation, QPageLayout::Landscape);
    EXPECT_EQ(h.app->Settings().m_nPrintPage, 1);
    EXPECT_NE(test::ReadBytes(h.iniPath).find("[Misc]\r\nPrintPage=1"), std::string::npos);

    // Its paper goes to this window's jobs; the setting to every window's.
    const std::string wide = PrintActive(h);
    EXPECT_NE(RunTool(QStringLiteral("pdfinfo"), {QString::fromStdString(wide)})
                  .indexOf(QStringLiteral("842 x 595")),
              -1);
    EXPECT_EQ(PdfLines(wide, 1).back(), QStringLiteral("- 1 -"));
    h.Frame().MdiArea()->setActiveSubWindow(h.Frame().Children().front());
    ASSERT_EQ(h.View(), first);
    const std::string upright = PrintActive(h);
    EXPECT_NE(RunTool(QStringLiteral("pdfinfo"), {QString::fromStdString(upright)})
                  .indexOf(QStringLiteral("595 x 842")),
              -1);
    EXPECT_EQ(PdfLines(upright, 1).back(), QStringLiteral("- 1 -"));

    // Unchecked and confirmed, 0 is written.
    RunPageSetup(h, [](CMyPageSetupDlg* dialog) {
        auto* box = dialog->findChild<QCheckBox*>(QStringLiteral("printPage"));
        EXPECT_TRUE(box->isChecked());
        box->setChecked(false);
        dialog->accept();
    });
    EXPECT_EQ(h.app->Settings().m_nPrintPage, 0);
    EXPECT_NE(test::ReadBytes(h.iniPath).find("PrintPage=0"), std::string::npos);
}

TEST_F(PrintTest, PageSetupRefusesBadMarginsBeforeClosing) {
    AppHarness h;
    NewWindow(h, "x");
    RunPageSetup(h, [&h](CMyPageSetupDlg* dialog) {
        const struct {
            const char* left;
            const char* right;
            const char* top;
            const char* bottom;
        } bad[] = {
            {"abc", "20", "25", "25"},
            {"", "20", "25", "25"},
            {"-1", "20", "25", "25"},
            {"20.125", "20", "25", "25"},
            {"20", "20", "1e3", "25"},
            {"20", "20", "25", "1,5"},
            // Nothing left to print on: A4 is at most 210 mm wide, 297 high.
            {"105", "105", "25", "25"},
            {"20", "20", "150", "150"},
        };
        for (const auto& margins : bad) {
            SetMargins(dialog, margins.left, margins.top, margins.right, margins.bottom);
            const std::size_t before = h.messages.size();
            dialog->accept();
            EXPECT_TRUE(dialog->isVisible()) << margins.left << margins.top;
            ASSERT_EQ(h.messages.size(), before + 1) << margins.left << margins.top;
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

TEST(PageSetupFields, MillimetresBothWays) {
    EXPECT_EQ(FormatMillimetres(2000), QStringLiteral("20"));
    EXPECT_EQ(FormatMillimetres(2050), QStringLiteral("20.5"));
    EXPECT_EQ(FormatMillimetres(2005), QStringLiteral("20.05"));
    EXPECT_EQ(FormatMillimetres(0), QStringLiteral("0"));
    int value = -1;
    EXPECT_TRUE(ParseMillimetres(QStringLiteral("20.05"), value));
    EXPECT_EQ(value, 2005);
    EXPECT_TRUE(ParseMillimetres(QStringLiteral("99999.99"), value));
    EXPECT_EQ(value, 9999999);
    EXPECT_FALSE(ParseMillimetres(QStringLiteral("100000"), value));
    EXPECT_FALSE(ParseMillimetres(QStringLiteral(".5"), value));
}

TEST_F(PrintTest, PreviewShowsTheJobsPagesAndKeepsItsPageCount) {
    AppHarness h("[Settings]\r\nPreviewPages=2\r\n");
    const int perPage = BodyLinesPerPage(h);
    NewWindow(h, Lines(2 * perPage + 1));
    h.WhenDialogOpens([](QDialog* dialog) {
        auto* preview = qobject_cast<CPrintPreviewDlg*>(dialog);
        ASSERT_NE(preview, nullptr);
        QStringList texts;
        for (QAction* action : preview->findChild<QToolBar*>()->actions())
            if (!action->isSeparator() && !action->text().isEmpty())
                texts.append(action->text());
        EXPECT_EQ(texts, (QStringList{"印刷(&P)...", "次ﾍﾟｰｼﾞ(&N)", "前ﾍﾟｰｼﾞ(&V)", "1 ﾍﾟｰｼﾞ(&O)",
                                      "拡大(&I)", "縮小(&O)", "閉じる(&C)"}));
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
        EXPECT_EQ(preview->Zoom(), 0);
        EXPECT_TRUE(action("previewPages")->isEnabled());
        preview->grab();
        action("previewClose")->trigger();
    });
    h.Execute(ID_FILE_PRINT_PREVIEW);
    EXPECT_EQ(dialogs, 0);
    // The choice is kept, and stored at exit.
    EXPECT_EQ(h.app->Settings().m_nPreviewPages, 1);
    h.app->ExitInstance();
    EXPECT_NE(test::ReadBytes(h.iniPath).find("PreviewPages=1"), std::string::npos);
}

TEST_F(PrintTest, PreviewPrintsThroughThePrintDialog) {
    AppHarness h;
    NewWindow(h, "one\r\n");
    output = h.dir.file("from-preview.pdf");
    h.WhenDialogOpens([](QDialog* dialog) {
        auto* preview = qobject_cast<CPrintPreviewDlg*>(dialog);
        ASSERT_NE(preview, nullptr);
        // Without a setting, one page; a one-page text offers no second.
        EXPECT_EQ(preview->PagesShown(), 1);
        EXPECT_FALSE(preview->findChild<QAction*>(QStringLiteral("previewPages"))->isEnabled());
        preview->findChild<QAction*>(QStringLiteral("previewPrint"))->trigger();
    });
    h.Execute(ID_FILE_PRINT_PREVIEW);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(PdfLines(output, 1), QStringList{"one"});
}

} // namespace
} // namespace tessel
