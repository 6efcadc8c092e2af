#include "BasicProgram.h"

#include "doc/MemoryEditBuffer.h"
#include "doc/MessageSink.h"
#include "engine/BasicDocument.h"
#include "engine/BasicLexer.h"
#include "engine/Keywords.h"
#include "engine/LineTable.h"
#include "engine/Numbering.h"
#include "model/ProgramModel.h"
#include "settings/AppSettings.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string_view>
#include <vector>

namespace tessel {
namespace {

class NullSink final : public MessageSink {
public:
    void ShowMessage(unsigned) override {}
    void ShowFileError(FileAction, const std::string&, const std::string&) override {}
};

struct Fixture {
    AppSettings settings;
    MemoryEditBuffer editor;
    NullSink sink;
    BasicDocument doc{editor, sink, settings};
    std::string program = bench::MakeBasicProgram();
};

// A program whose lines are out of order here and there, as after editing.
std::string NearlyOrdered(const std::string& program) {
    std::string text = program;
    std::size_t a = 0;
    for (int swaps = 0; swaps < 20; ++swaps) {
        a = text.find("\r\n", a + 3001);
        if (a == std::string::npos)
            break;
        const std::size_t b = text.find("\r\n", a + 2);
        const std::size_t c = text.find("\r\n", b + 2);
        if (c == std::string::npos)
            break;
        // swap lines (a+2..b+2) and (b+2..c+2)
        const std::string first = text.substr(a + 2, b - a);
        const std::string second = text.substr(b + 2, c - b);
        text.replace(a + 2, c - a, second + first);
    }
    return text;
}

void BM_BuildLineTable(benchmark::State& state) {
    Fixture f;
    const std::string text = state.range(0) ? NearlyOrdered(f.program) : f.program;
    for (auto _ : state) {
        LineTable lines;
        benchmark::DoNotOptimize(BuildLineTable(text, lines));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_BuildLineTable)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("nearly_ordered")
    ->Unit(benchmark::kMicrosecond);

void BM_SortLines(benchmark::State& state) {
    Fixture f;
    const std::string text = state.range(0) ? NearlyOrdered(f.program) : f.program;
    for (auto _ : state) {
        f.editor.ReplaceText(text);
        benchmark::DoNotOptimize(f.doc.SortLines());
    }
}
BENCHMARK(BM_SortLines)->Arg(0)->Arg(1)->ArgName("nearly_ordered")->Unit(benchmark::kMicrosecond);

void BM_RenumberBasic(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) {
        f.editor.ReplaceText(f.program);
        benchmark::DoNotOptimize(f.doc.Renumber(10, 10, 10));
    }
}
BENCHMARK(BM_RenumberBasic)->Unit(benchmark::kMicrosecond);

void BM_GetSendText(benchmark::State& state) {
    Fixture f;
    f.editor.ReplaceText(f.program);
    std::string out;
    for (auto _ : state)
        benchmark::DoNotOptimize(f.doc.GetSendText(out, SendNumbers::With));
}
BENCHMARK(BM_GetSendText)->Unit(benchmark::kMicrosecond);

void BM_Numbering(benchmark::State& state) {
    Fixture f;
    const std::string unnumbered = bench::MakeBasicProgram(3000, 50000, false);
    const bool number = state.range(0) != 0;
    for (auto _ : state) {
        std::string text = number ? NumberLines(unnumbered, 10, 10) : RemoveLineNumbers(f.program);
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_Numbering)->Arg(1)->Arg(0)->ArgName("mode")->Unit(benchmark::kMicrosecond);

void BM_DuplicateErrorPath(benchmark::State& state) {
    // Worst case of the error path: an ordered table whose duplicate is last.
    Fixture f;
    std::string text = f.program;
    const std::size_t last = text.rfind("\r\n", text.size() - 3) + 2;
    text.replace(last, text.find(' ', last) - last, "10");
    for (auto _ : state) {
        LineTable lines;
        benchmark::DoNotOptimize(BuildLineTable(text, lines));
    }
}
BENCHMARK(BM_DuplicateErrorPath)->Unit(benchmark::kMicrosecond);

// The program model from scratch, with every problem (what a check needs).
void BM_ModelBuild(benchmark::State& state) {
    const std::string program = bench::MakeBasicProgram();
    ProgramModel model;
    for (auto _ : state) {
        model.Build(program);
        if (state.range(0))
            benchmark::DoNotOptimize(model.Problems());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * program.size()));
}
BENCHMARK(BM_ModelBuild)->Arg(0)->Arg(1)->ArgName("problems")->Unit(benchmark::kMicrosecond);

// The model kept up to date after one character typed and taken away again
// (two edits per iteration): in a statement, in a line's number (the index
// by number changes), or a line break (every line after it moves).
void BM_ModelEdit(benchmark::State& state) {
    const std::string program = bench::MakeBasicProgram();
    ProgramModel model;
    model.Build(program);
    // A line in the middle of the program.
    const std::size_t line = program.find("\r\n", program.size() / 2) + 2;
    const std::size_t offset = state.range(0) == 0   ? program.find(' ', line) + 1
                               : state.range(0) == 1 ? line + 1
                                                     : program.find(' ', line);
    const std::string typed = state.range(0) == 2 ? "\r\n" : "7";
    for (auto _ : state) {
        model.Edit(offset, 0, typed);
        model.Edit(offset, typed.size(), "");
    }
    benchmark::DoNotOptimize(model.LineCount());
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * 2));
}
BENCHMARK(BM_ModelEdit)->Arg(0)->Arg(1)->Arg(2)->ArgName("where")->Unit(benchmark::kMicrosecond);

// The problems of an edited model, as an editor asks for them after typing.
void BM_ModelProblems(benchmark::State& state) {
    ProgramModel model;
    model.Build(bench::MakeBasicProgram());
    for (auto _ : state)
        benchmark::DoNotOptimize(model.Problems());
}
BENCHMARK(BM_ModelProblems)->Unit(benchmark::kMicrosecond);

// Every token of every line, as a highlighter asks for them line by line,
// and the labels and variables of the whole program.
void BM_ModelTokens(benchmark::State& state) {
    ProgramModel model;
    model.Build(bench::MakeBasicProgram());
    std::vector<Token> tokens;
    for (auto _ : state)
        for (std::size_t i = 0; i < model.LineCount(); ++i) {
            model.Tokens(i, tokens);
            benchmark::DoNotOptimize(tokens.data());
        }
}
BENCHMARK(BM_ModelTokens)->Unit(benchmark::kMicrosecond);

void BM_ModelSymbols(benchmark::State& state) {
    const std::string program = bench::MakeBasicProgram();
    ProgramModel model;
    for (auto _ : state) {
        model.Build(program);
        benchmark::DoNotOptimize(model.Symbols());
    }
}
BENCHMARK(BM_ModelSymbols)->Unit(benchmark::kMicrosecond);

// The references of the whole program through the lexer, as renumbering
// would read them.
void BM_LexerReferences(benchmark::State& state) {
    const std::string program = bench::MakeBasicProgram();
    for (auto _ : state) {
        std::size_t count = 0;
        for (std::size_t pos = 0; pos < program.size();) {
            const std::size_t end = program.find("\r\n", pos);
            BasicLexer lexer(std::string_view(program).substr(pos, end - pos));
            for (BasicToken token; lexer.NextReference(token);)
                ++count;
            pos = end + 2;
        }
        benchmark::DoNotOptimize(count);
    }
}
BENCHMARK(BM_LexerReferences)->Unit(benchmark::kMicrosecond);

// The keyword lookup on every word of the program (the lexer asks it at
// every word it meets), with names that are no keyword or only start with one
// among them.
void BM_FindKeyword(benchmark::State& state) {
    const std::string program = bench::MakeBasicProgram();
    static constexpr std::string_view kNames[] = {"COUNT", "TOTAL", "X1",    "NAME$",
                                                  "ENDX",  "LIMIT", "GOTOX", "HEIGHT"};
    std::vector<std::string_view> words;
    const auto isWordByte = [](char c) { return (c >= 'A' && c <= 'Z') || c == '$'; };
    for (std::size_t pos = 0; pos < program.size();) {
        if (!isWordByte(program[pos])) {
            ++pos;
            continue;
        }
        std::size_t end = pos;
        while (end < program.size() && isWordByte(program[end]))
            ++end;
        words.push_back(std::string_view(program).substr(pos, end - pos));
        words.push_back(kNames[words.size() % std::size(kNames)]);
        pos = end;
    }
    for (auto _ : state) {
        std::size_t length = 0;
        for (const std::string_view word : words)
            length += FindKeyword(word).length;
        benchmark::DoNotOptimize(length);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * words.size()));
}
BENCHMARK(BM_FindKeyword)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace tessel

BENCHMARK_MAIN();
