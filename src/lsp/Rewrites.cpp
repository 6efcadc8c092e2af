#include "lsp/Rewrites.h"

#include "comm/TransferFlows.h"
#include "doc/FirstMessage.h"
#include "doc/MemoryEditBuffer.h"
#include "encoding/Cp932.h"
#include "engine/DocFactory.h"
#include "engine/NumberedDocument.h"
#include "engine/NumberedLine.h"
#include "engine/Tidy.h"
#include "lsp/ProgramProblems.h"
#include "res/StringTable.h"
#include "sys/FileIo.h"

#include <algorithm>

namespace tessel::lsp {

std::string ShownName(std::string_view uri) {
    if (const std::size_t query = uri.find_first_of("?#"); query != std::string_view::npos)
        uri = uri.substr(0, query);
    if (const std::size_t slash = uri.rfind('/'); slash != std::string_view::npos)
        uri = uri.substr(slash + 1);
    std::string name;
    for (std::size_t k = 0; k < uri.size(); ++k) {
        const auto hex = [](char c) {
            return c >= '0' && c <= '9'   ? c - '0'
                   : c >= 'a' && c <= 'f' ? c - 'a' + 10
                   : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                          : -1;
        };
        if (uri[k] == '%' && k + 2 < uri.size() && hex(uri[k + 1]) >= 0 && hex(uri[k + 2]) >= 0) {
            name += static_cast<char>(hex(uri[k + 1]) * 16 + hex(uri[k + 2]));
            k += 2;
        } else {
            name += uri[k];
        }
    }
    return name;
}

namespace {

Rewritten Refusal(std::string why) {
    return {{}, std::move(why)};
}

// What the command line refuses a file for before any operation sees it: a
// character the text cannot hold in code page 932 (the client has it, a
// file in code page 932 could not), a NUL byte with more after it. The
// file's bytes as reading it gives them otherwise: up to the first NUL.
std::optional<std::string> RefusedAsFile(const Document& document, std::string_view name,
                                         DocumentFile& file) {
    const std::string& bytes = document.text.Bytes();
    if (const auto foreign = document.text.Foreign(); !foreign.empty()) {
        const std::size_t line = document.text.LineOf(foreign[0].offset);
        const char32_t c = foreign[0].character;
        return std::string(name) + ':' + std::to_string(line + 1) + ": " +
               LoadFormatted(c == 0xA5 ? IDS_CLI_YEN_NOT_IN_CP932 : IDS_CLI_NOT_IN_CP932,
                             {cp932::NameCharacter(c)});
    }
    const std::size_t nul = bytes.find('\0');
    if (nul != std::string::npos && bytes.find_first_not_of('\0', nul) != std::string::npos)
        return std::string(name) + ": " +
               LoadFormatted(IDS_CLI_CUT_AT_NUL,
                             {std::to_string(nul), std::to_string(bytes.size() - nul - 1)});
    file.bytes = bytes.substr(0, nul);
    file.length = bytes.size();
    return std::nullopt;
}

// The document's text loaded as the command line loads a file, into a
// document of its kind; `refusal` says why it could not be.
struct Loaded {
    std::string name;
    MemoryEditBuffer editor;
    FirstMessage messages;
    std::unique_ptr<tessel::Document> doc; // the core's document, not the client's
    std::string refusal;
};

void Load(const Document& document, const AppSettings& settings, Loaded& loaded) {
    loaded.name = ShownName(document.uri);
    DocumentFile file;
    if (auto refused = RefusedAsFile(document, loaded.name, file)) {
        loaded.refusal = std::move(*refused);
        return;
    }
    loaded.doc = CreateDocument(DocumentKind(document), loaded.editor, loaded.messages, settings);
    if (!loaded.doc->OpenDocumentFile(file))
        loaded.refusal = loaded.messages.Said(loaded.name, IDS_CLI_READ_INCOMPLETE);
}

// Loads the document's text, runs `operation` on it and stores it again;
// `fallback` says a refusal that came without a message.
template <typename Operation>
Rewritten Numbered(const Document& document, const AppSettings& settings, unsigned fallback,
                   Operation operation) {
    Loaded loaded;
    Load(document, settings, loaded);
    if (!loaded.refusal.empty())
        return Refusal(std::move(loaded.refusal));
    auto* numbered = dynamic_cast<NumberedDocument*>(loaded.doc.get());
    if (numbered == nullptr)
        return Refusal(loaded.name + ": " +
                       LoadFormatted(IDS_CLI_LINE_NUMBERED_ONLY, {"tessel-cli"}));
    if (!operation(*numbered))
        return Refusal(loaded.messages.Said(loaded.name, fallback));
    return {loaded.doc->SerializeStore(), {}};
}

// The number a line of the text begins with, when the device takes it.
std::optional<unsigned> NumberOfLine(const SourceText& text, std::size_t line) {
    if (line >= text.LineCount())
        return std::nullopt;
    const std::size_t start = text.LineStart(line);
    const DigitRun run =
        ParseDigitRun(std::string_view(text.Bytes()).substr(start, text.LineEnd(line) - start));
    if (run.length == 0 || run.value < 1 || run.value > kMaxLineNum)
        return std::nullopt;
    return run.value;
}

} // namespace

Rewritten RenumberDocument(const Document& document, const AppSettings& settings, unsigned newStart,
                           std::optional<unsigned> oldStart, unsigned step) {
    return Numbered(document, settings, IDS_CLI_NOT_RENUMBERED, [&](NumberedDocument& numbered) {
        // The whole program from its first line; a text without a first
        // line is refused by the renumbering, whatever it starts from.
        const unsigned old = oldStart.value_or(numbered.LowestLineNumber().value_or(newStart));
        return numbered.Renumber(newStart, old, step);
    });
}

Rewritten SortDocument(const Document& document, const AppSettings& settings) {
    return Numbered(document, settings, IDS_CLI_NOT_SORTED,
                    [](NumberedDocument& numbered) { return numbered.SortLines(); });
}

Rewritten SendDocument(const Document& document, const AppSettings& settings) {
    Loaded loaded;
    Load(document, settings, loaded);
    if (!loaded.refusal.empty())
        return Refusal(std::move(loaded.refusal));
    if (loaded.editor.GetLength() == 0)
        return Refusal(loaded.name + ": " + std::string(LoadString(IDS_CLI_NOTHING_TO_SEND)));
    Rewritten sent;
    if (!PrepareSend(*loaded.doc, sent.text))
        return Refusal(loaded.messages.Said(loaded.name, IDS_CLI_CANNOT_BE_SENT));
    return sent;
}

Rewritten TidyDocument(const Document& document) {
    const std::string name = ShownName(document.uri);
    DocumentFile file;
    if (auto refused = RefusedAsFile(document, name, file))
        return Refusal(std::move(*refused));
    if (file.bytes.size() > kMaxTidySize)
        return Refusal(name + ": " + std::string(LoadString(IDS_CLI_TOO_LARGE_TO_TIDY)));
    Rewritten tidied;
    // Read as code page 932, as the document is held: nothing to convert.
    const TidyResult result = Tidy(file.bytes, TextEncoding::Cp932, tidied.text);
    if (result.lineWithoutNumber) {
        // Each line the command line names, one a line.
        for (const std::size_t line : result.linesWithoutNumber)
            tidied.refusal += (tidied.refusal.empty() ? "" : "\n") + name + ':' +
                              std::to_string(line + 1) + ": " +
                              std::string(LoadString(IDS_LINE_NO_NUMBER));
        tidied.text.clear();
    }
    return tidied;
}

std::vector<TextEdit> EditsBetween(const SourceText& before, std::string_view after,
                                   PositionEncoding encoding) {
    const std::string_view old = before.Bytes();
    if (old == after)
        return {};
    // The lines alike at the start, and at the end: a line start is a
    // character's start in both texts, as neither CR nor LF is ever the
    // second byte of a character.
    const std::size_t same =
        static_cast<std::size_t>(std::ranges::mismatch(old, after).in1 - old.begin());
    const std::size_t begin = before.LineStart(before.LineOf(same));
    std::size_t tail = 0;
    const std::size_t most = std::min(old.size(), after.size()) - begin;
    while (tail < most && old[old.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    // The end alike from the first line start whose line end is part of it
    // (so the byte before is a line end in both texts), or the text's end.
    std::size_t end = old.size();
    if (tail > 0 && end - tail > begin) {
        const std::size_t line = before.LineOf(end - tail) + 1;
        if (line < before.LineCount())
            end = std::max(before.LineStart(line), end - tail);
    }
    const std::size_t afterEnd = after.size() - (old.size() - end);
    std::string text;
    if (cp932::ToUtf8(after.substr(begin, afterEnd - begin), text))
        return {};
    return {{before.RangeOf(begin, end, encoding), std::move(text)}};
}

std::vector<CodeAction> RewriteActions(const Document& document, const CodeActionParams& params,
                                       const AppSettings& settings, PositionEncoding encoding,
                                       bool versioned, bool disabled) {
    std::vector<CodeAction> actions;
    if (!IsLineNumbered(DocumentKind(document)) || document.text.Bytes().empty())
        return actions;
    const auto offer = [&](std::string title, std::string_view kind, const Rewritten& made) {
        if (!made.Ok() && !disabled)
            return;
        CodeAction action;
        action.title = std::move(title);
        action.kind = std::string(kind);
        if (made.Ok()) {
            std::vector<TextEdit> edits = EditsBetween(document.text, made.text, encoding);
            if (edits.empty())
                return; // nothing would change
            action.edit = DocumentEdit(document, std::move(edits), versioned);
        } else {
            action.disabled = made.refusal;
        }
        actions.push_back(std::move(action));
    };
    const unsigned start = settings.startLine;
    const unsigned step = settings.lineStep;
    if (KindWanted(params.context.only, kSource)) {
        offer(
            LoadFormatted(IDS_LSP_RENUMBER_PROGRAM, {std::to_string(start), std::to_string(step)}),
            kSource, RenumberDocument(document, settings, start, std::nullopt, step));
    }
    if (KindWanted(params.context.only, kRefactorRewrite)) {
        const std::size_t line =
            document.text.LineOf(document.text.OffsetOf(params.range.start, encoding));
        if (const std::optional<unsigned> number = NumberOfLine(document.text, line))
            offer(LoadFormatted(IDS_LSP_RENUMBER_FROM_LINE,
                                {std::to_string(*number), std::to_string(step)}),
                  kRefactorRewrite, RenumberDocument(document, settings, *number, *number, step));
    }
    if (KindWanted(params.context.only, kSource)) {
        offer(std::string(LoadString(IDS_LSP_SORT_LINES)), kSource,
              SortDocument(document, settings));
        offer(std::string(LoadString(IDS_LSP_TIDY)), kSource, TidyDocument(document));
    }
    return actions;
}

Expected<std::vector<TextEdit>> FormatDocument(const Document& document,
                                               PositionEncoding encoding) {
    if (!IsLineNumbered(DocumentKind(document)))
        return std::vector<TextEdit>{};
    const Rewritten tidied = TidyDocument(document);
    if (!tidied.Ok())
        return Error{ErrorCode::RequestFailed, tidied.refusal};
    return EditsBetween(document.text, tidied.text, encoding);
}

} // namespace tessel::lsp
