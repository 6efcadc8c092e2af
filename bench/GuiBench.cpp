// The desktop program's hot paths, through the real widgets (off screen):
// opening the largest program, renumbering it through its view, typing at
// the end of a 1 MiB text, the memory ten open programs take, what a hover
// over a reference and the list of who refers to a line cost, and the
// program's problems in the editor: opening with colours and marks, a key
// typed in its middle, and the marks made after the pause.
#include "BasicProgram.h"

#include "app/Application.h"
#include "app/DocumentManager.h"
#include "app/DocumentWindow.h"
#include "app/MainWindow.h"
#include "app/ReferencesDock.h"
#include "engine/NumberedDocument.h"
#include "settings/AppSettings.h"
#include "view/EditorView.h"
#include "view/FindReplaceDialog.h"
#include "view/NumberedEditorView.h"
#include "view/ProblemMarks.h"

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
    // `broken`: every GOSUB names a line that is not there (about 500
    // warnings), the size unchanged.
    explicit Program(bool broken = false) {
        std::string text = bench::MakeBasicProgram();
        for (std::size_t at = text.find("GOSUB "); broken && at != std::string::npos;
             at = text.find("GOSUB ", at + 1)) {
            const std::size_t end = text.find_first_not_of("0123456789", at + 6);
            text[end - 1] = '1';
        }
        std::ofstream(path.toStdString(), std::ios::binary) << text;
    }
};

Application& App() {
    static QTemporaryDir dir;
    static Application app(dir.filePath(QStringLiteral("tessel.INI")).toStdString());
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
    for (DocumentWindow* child : App().Window()->Children()) {
        child->GetDocument()->SetModifiedFlag(false);
        child->close();
    }
    QApplication::processEvents();
}

void BM_OpenProgram(benchmark::State& state) {
    Program program;
    App().Window()->show();
    for (auto _ : state) {
        DocumentWindow* frame = App().Documents().OpenDocumentFile(program.path);
        frame->GetActiveView()->repaint(); // until it is on screen
        state.PauseTiming();
        CloseAll();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenProgram)->Unit(benchmark::kMillisecond);

void BM_RenumberThroughView(benchmark::State& state) {
    Program program;
    DocumentWindow* frame = App().Documents().OpenDocumentFile(program.path);
    auto* document = static_cast<NumberedDocument*>(frame->GetDocument());
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
    App().Documents().CreateNewDocument(*App().m_dataType);
    EditorView* view = App().Window()->ActiveChild()->GetActiveView();
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
    App().Documents().CreateNewDocument(*App().m_textType);
    EditorView* view = App().Window()->ActiveChild()->GetActiveView();
    std::string text;
    const std::string line = "10 PRINT \x91\x53\x8a\x70 X,Y\r\n";
    while (text.size() + line.size() <= (1u << 20))
        text += line;
    App().Window()->OpenFindReplace(FindDialogMode::Replace);
    FindReplaceDialog* dialog = App().Window()->FindReplace();
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
            App().Documents().OpenDocumentFile(copy);
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
    DocumentWindow* frame = App().Documents().OpenDocumentFile(program.path);
    auto& view = static_cast<NumberedEditorView&>(*frame->GetActiveView());
    const std::string text = view.GetText();
    const std::size_t at = text.find(" GOSUB ", text.size() / 2) + 7;
    for (auto _ : state)
        benchmark::DoNotOptimize(view.HoverText(at));
    CloseAll();
}
BENCHMARK(BM_HoverOverAReference)->Unit(benchmark::kMicrosecond);

void BM_WhoRefersToALine(benchmark::State& state) {
    Program program;
    DocumentWindow* frame = App().Documents().OpenDocumentFile(program.path);
    EditorView& view = *frame->GetActiveView();
    const std::string text = view.GetText();
    view.SetCaret(text.find(" GOSUB ", text.size() / 2) + 7);
    for (auto _ : state)
        App().Window()->References()->ListAt(view);
    CloseAll();
}
BENCHMARK(BM_WhoRefersToALine)->Unit(benchmark::kMicrosecond);
// Colours on (1) or off (0) in every view from now on.
void SetColors(bool colored) {
    App().Settings().colors = colored;
}

// Opening the program with its colours and its problems marked at once
// (without waiting for the pause), until it is on screen; arg 0: colours
// off; arg 1: problems in the program.
void BM_OpenProgramWithProblems(benchmark::State& state) {
    Program program(state.range(1) != 0);
    SetColors(state.range(0) != 0);
    App().Window()->show();
    for (auto _ : state) {
        DocumentWindow* frame = App().Documents().OpenDocumentFile(program.path);
        EditorView* view = frame->GetActiveView();
        view->Problems().Refresh();
        view->repaint();
        state.counters["marks"] = static_cast<double>(view->Problems().Marks().size());
        state.PauseTiming();
        CloseAll();
        state.ResumeTiming();
    }
    SetColors(true);
}
BENCHMARK(BM_OpenProgramWithProblems)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"colors", "broken"})
    ->Unit(benchmark::kMillisecond);

// A key typed in the middle of the program until it is drawn: the line
// coloured again, the model updated for the edit; the marks wait for the
// pause. Arg: colours on or off.
void BM_TypeInTheMiddleOfTheProgram(benchmark::State& state) {
    Program program(true);
    SetColors(state.range(0) != 0);
    App().Window()->show();
    EditorView* view = App().Documents().OpenDocumentFile(program.path)->GetActiveView();
    view->Problems().Refresh();
    view->SetCaret(view->GetLength() / 2);
    view->centerCursor();
    view->repaint();
    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QApplication::sendEvent(view, &press);
        view->repaint();
        state.PauseTiming();
        view->textCursor().deletePreviousChar();
        state.ResumeTiming();
    }
    CloseAll();
    SetColors(true);
}
BENCHMARK(BM_TypeInTheMiddleOfTheProgram)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("colors")
    ->Unit(benchmark::kMicrosecond);

// What the pause costs: the problems of the whole program marked again and
// drawn. Arg: problems in the program.
void BM_MarksAfterThePause(benchmark::State& state) {
    Program program(state.range(0) != 0);
    App().Window()->show();
    EditorView* view = App().Documents().OpenDocumentFile(program.path)->GetActiveView();
    view->SetCaret(view->GetLength() / 2);
    view->centerCursor();
    for (auto _ : state) {
        view->Problems().Refresh();
        view->repaint();
    }
    CloseAll();
}
BENCHMARK(BM_MarksAfterThePause)->Arg(0)->Arg(1)->ArgName("broken")->Unit(benchmark::kMicrosecond);

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
