// The language server's work on each keystroke: the text of a change into the
// document (code page 932 held, lines indexed again) and positions for what is
// found in it, on the largest program the device holds, in UTF-8 as editors
// keep it, with Japanese strings and comments.

#include "BasicProgram.h"
#include "lsp/DocumentModel.h"
#include "lsp/DocumentStore.h"
#include "lsp/Rewrites.h"
#include "lsp/SemanticTokens.h"
#include "lsp/SourceCode.h"

#include <benchmark/benchmark.h>

#include <string>

namespace tessel {
namespace {

// The 65,535-byte program with every fifth line ending in a Japanese comment,
// as the editor sends it.
const std::string& ProgramUtf8() {
    static const std::string text = [] {
        const std::string ascii = bench::MakeBasicProgram();
        std::string utf8;
        std::size_t line = 0;
        for (std::size_t at = 0; at < ascii.size();) {
            const std::size_t end = ascii.find("\r\n", at);
            const std::size_t stop = end == std::string::npos ? ascii.size() : end;
            utf8.append(ascii, at, stop - at);
            if (++line % 5 == 0)
                utf8 += ":' 計算をするｶﾅ";
            if (end == std::string::npos)
                break;
            utf8 += "\r\n";
            at = end + 2;
        }
        return utf8;
    }();
    return text;
}

void BM_LspOpenDocument(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(lsp::SourceText(ProgramUtf8()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * ProgramUtf8().size()));
}
BENCHMARK(BM_LspOpenDocument)->Unit(benchmark::kMicrosecond);

// One character typed in the middle: a new snapshot of the document.
void BM_LspTypeOneCharacter(benchmark::State& state) {
    lsp::DocumentStore store;
    store.Open({"file:///bench.bas", "basic", 1, ProgramUtf8()});
    const std::vector<lsp::TextDocumentContentChangeEvent> change = {
        {lsp::Range{{1500, 3}, {1500, 3}}, "漢"}};
    std::int32_t version = 1;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            store.Change({"file:///bench.bas", ++version}, change, lsp::PositionEncoding::Utf16));
}
BENCHMARK(BM_LspTypeOneCharacter)->Unit(benchmark::kMicrosecond);

// A position for the end of every line, as problems or tokens of the whole
// program need them (one line in five not ASCII).
void BM_LspPositionOfEveryLineEnd(benchmark::State& state) {
    const lsp::SourceText text(ProgramUtf8());
    for (auto _ : state)
        for (std::size_t line = 0; line < text.LineCount(); ++line)
            benchmark::DoNotOptimize(
                text.PositionOf(text.LineEnd(line), lsp::PositionEncoding::Utf16));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * text.LineCount()));
}
BENCHMARK(BM_LspPositionOfEveryLineEnd)->Unit(benchmark::kMicrosecond);

// The colours of the whole program, as an editor asks for them after each
// change: the model built from the text, every line lexed, every token's
// position in UTF-16.
void BM_LspSemanticTokensOfTheWholeProgram(benchmark::State& state) {
    const lsp::Document document{"file:///bench.bas", "basic", 1, lsp::SourceText(ProgramUtf8())};
    for (auto _ : state)
        benchmark::DoNotOptimize(
            lsp::Highlighting(lsp::DocumentModel(document), lsp::PositionEncoding::Utf16));
}
BENCHMARK(BM_LspSemanticTokensOfTheWholeProgram)->Unit(benchmark::kMicrosecond);

// What a request about a place of the program costs before it looks there:
// the model of the whole text, built afresh.
void BM_LspModelOfTheWholeProgram(benchmark::State& state) {
    const lsp::Document document{"file:///bench.bas", "basic", 1, lsp::SourceText(ProgramUtf8())};
    for (auto _ : state)
        benchmark::DoNotOptimize(lsp::DocumentModel(document));
}
BENCHMARK(BM_LspModelOfTheWholeProgram)->Unit(benchmark::kMicrosecond);

// The code actions an editor asks for as the cursor moves: the program
// renumbered twice, sorted and tidied, each compared with the text (the
// 65,535-byte program itself: with the comments above it is more than a
// document holds, and every action is refused at once).
void BM_LspCodeActionsOfTheWholeProgram(benchmark::State& state) {
    const lsp::Document document{"file:///bench.bas", "basic", 1,
                                 lsp::SourceText(bench::MakeBasicProgram())};
    lsp::CodeActionParams params;
    params.textDocument.uri = document.uri;
    params.range = {{1500, 0}, {1500, 0}};
    const AppSettings settings;
    std::size_t offered = 0;
    for (auto _ : state)
        offered = lsp::RewriteActions(document, params, settings, lsp::PositionEncoding::Utf16,
                                      false, true)
                      .size();
    state.counters["actions"] = static_cast<double>(offered);
}
BENCHMARK(BM_LspCodeActionsOfTheWholeProgram)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace tessel
