// The desktop program's hot paths, through the real widgets (off screen):
// opening the largest program, renumbering it through its view, typing at
// the end of a 1 MiB text, the memory ten open programs take, and what a
// hover over a reference and the list of who refers to a line cost.
#include "BasicProgram.h"

#include "app/ChildFrame.h"
#include "app/DocManager.h"
#include "app/KivaApp.h"
#include "app/MainFrame.h"
#include "app/ReferencesDock.h"
#include "engine/DocWithLineNum.h"
#include "view/FindReplaceDlg.h"
#include "view/KivaView.h"
#include "view/ViewWithLineNum.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <fstream>

namespace tessel {
namespace {

struct Program {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("bench.bas"));
    Program() {
        const std::string text = bench::MakeBasicProgram();
        std::ofstream(path.toStdString(), std::ios::binary) << text;
    }
};

CKivaApp& App() {
    static QTemporaryDir dir;
    static CKivaApp app(dir.filePath(QStringLiteral("tessel.INI")).toStdString());
    static const bool started = [] {
        // Copies of unsaved work stay in the measurement's own folder.
        qputenv("XDG_STATE_HOME", dir.filePath(QStringLiteral("state")).toUtf8());
        app.SetSplashTime(0);
        return app.InitInstance({});
    }();
    (void)started;
    return app;
}

void CloseAll() {
    for (CChildFrame* child : App().MainFrame()->Children()) {
        child->GetDocument()->SetModifiedFlag(false);
        child->close();
    }
    QApplication::processEvents();
}

void BM_OpenProgram(benchmark::State& state) {
    Program program;
    App().MainFrame()->show();
    for (auto _ : state) {
        CChildFrame* frame = App().DocManager().OpenDocumentFile(program.path);
        frame->GetActiveView()->repaint(); // until it is on screen
        state.PauseTiming();
        CloseAll();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenProgram)->Unit(benchmark::kMillisecond);

void BM_RenumberThroughView(benchmark::State& state) {
    Program program;
    CChildFrame* frame = App().DocManager().OpenDocumentFile(program.path);
    auto* document = static_cast<CDocWithLineNum*>(frame->GetDocument());
    unsigned start = 10;
    for (auto _ : state) {
        // Each round gives new numbers, so the text really changes.
        start = start == 10 ? 20 : 10;
        document->Renumber(start, start == 10 ? 20 : 10, 10);
        frame->GetActiveView()->repaint();
    }
    CloseAll();
}
BENCHMARK(BM_RenumberThroughView)->Unit(benchmark::kMillisecond);

void BM_TypeAtEndOfOneMebibyte(benchmark::State& state) {
    App().DocManager().CreateNewDocument(*App().m_pTemplateData);
    CKivaView* view = App().MainFrame()->ActiveChild()->GetActiveView();
    std::string text;
    while (text.size() < 1024 * 1024 - 4096)
        text += "DATA \x83\x66\x81\x5b\x83\x5e 1,2,3,4,5,6,7,8,9\r\n";
    view->ReplaceText(text);
    view->moveCursor(QTextCursor::End);
    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QApplication::sendEvent(view, &press);
        state.PauseTiming();
        view->textCursor().deletePreviousChar();
        state.ResumeTiming();
    }
    CloseAll();
}
BENCHMARK(BM_TypeAtEndOfOneMebibyte)->Unit(benchmark::kMicrosecond);

void BM_ReplaceAllOnOneMebibyte(benchmark::State& state) {
    App().DocManager().CreateNewDocument(*App().m_pTemplateText);
    CKivaView* view = App().MainFrame()->ActiveChild()->GetActiveView();
    std::string text;
    const std::string line = "10 PRINT \x91\x53\x8a\x70 X,Y\r\n";
    while (text.size() + line.size() <= (1u << 20))
        text += line;
    App().MainFrame()->OpenFindReplace(FindDialogMode::Replace);
    CFindReplaceDlg* dialog = App().MainFrame()->FindReplaceDialog();
    for (auto _ : state) {
        state.PauseTiming();
        view->ReplaceText(text);
        dialog->findChild<QLineEdit*>(QStringLiteral("findText"))->setText(QStringLiteral("X"));
        dialog->findChild<QLineEdit*>(QStringLiteral("replaceText"))->setText(QStringLiteral("Z"));
        state.ResumeTiming();
        benchmark::DoNotOptimize(dialog->ReplaceAll());
    }
    dialog->close();
    CloseAll();
}
BENCHMARK(BM_ReplaceAllOnOneMebibyte)->Unit(benchmark::kMillisecond);

void BM_TenProgramsOpen(benchmark::State& state) {
    Program program;
    for (auto _ : state) {
        for (int i = 0; i < 10; ++i) {
            const QString copy = program.dir.filePath(QStringLiteral("p%1.bas").arg(i));
            QFile::copy(program.path, copy);
            App().DocManager().OpenDocumentFile(copy);
        }
        QApplication::processEvents();
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        state.counters["peak_rss_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
        state.PauseTiming();
        CloseAll();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_TenProgramsOpen)->Iterations(1)->Unit(benchmark::kMillisecond);

// What a hover over a reference in the middle of the largest program costs
// (the same as the link Ctrl shows while the mouse moves), and listing who
// refers to its line (Shift+F12): each reads the text as it is then.
void BM_HoverOverAReference(benchmark::State& state) {
    Program program;
    CChildFrame* frame = App().DocManager().OpenDocumentFile(program.path);
    auto& view = static_cast<CViewWithLineNum&>(*frame->GetActiveView());
    const std::string text = view.GetText();
    const std::size_t at = text.find(" GOSUB ", text.size() / 2) + 7;
    for (auto _ : state)
        benchmark::DoNotOptimize(view.HoverText(at));
    CloseAll();
}
BENCHMARK(BM_HoverOverAReference)->Unit(benchmark::kMicrosecond);

void BM_WhoRefersToALine(benchmark::State& state) {
    Program program;
    CChildFrame* frame = App().DocManager().OpenDocumentFile(program.path);
    CKivaView& view = *frame->GetActiveView();
    const std::string text = view.GetText();
    view.SetCaret(text.find(" GOSUB ", text.size() / 2) + 7);
    for (auto _ : state)
        App().MainFrame()->References()->ListAt(view);
    CloseAll();
}
BENCHMARK(BM_WhoRefersToALine)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace tessel

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
