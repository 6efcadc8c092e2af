#include "lsp/LanguageServer.h"

#include "lsp/Completion.h"
#include "lsp/DocumentSymbols.h"
#include "lsp/Hover.h"
#include "lsp/Navigation.h"
#include "lsp/ProgramProblems.h"
#include "lsp/QuickFixes.h"
#include "lsp/Rename.h"
#include "lsp/Rewrites.h"
#include "lsp/SemanticTokens.h"
#include "lsp/Send.h"
#include "lsp/TextProblems.h"
#include "lsp/Transport.h"
#include "res/StringTable.h"
#include "sys/Platform.h"
#include "sys/SysCalls.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tessel::lsp {
namespace {

// Binds a request about one open document: the handler gets the document as
// it is now; one that is not open is the client's mistake, answered so. A
// handler that may refuse returns Expected<Result>: the refusal is the
// answer.
template <typename Params, typename Result, typename Handler>
void BindDocumentRequest(Server& server, std::string method, Handler handler) {
    server.Bind().Request<Params, Result>(
        std::move(method), [&server, handler](const Params& params, Reply<Result> reply) {
            const DocumentSnapshot document = server.Documents().Get(params.textDocument.uri);
            if (!document)
                return reply.Fail(ErrorCode::InvalidParams,
                                  "the document is not open: " + params.textDocument.uri);
            auto answer = handler(*document, params);
            if constexpr (std::is_same_v<decltype(answer), Expected<Result>>) {
                if (!answer.Ok())
                    return reply(answer.Err());
                reply(std::move(answer.Value()));
            } else {
                reply(std::move(answer));
            }
        });
}

} // namespace

void AddFeatures(Server& server, const AppSettings& settings) {
    // Kept for the handlers, which outlive the caller's settings.
    const auto kept = std::make_shared<const AppSettings>(settings);
    server.AddProblemSource(
        [](const Document& document, PositionEncoding encoding, std::vector<Diagnostic>& problems) {
            auto found = ForeignCharacterProblems(document.text, encoding);
            problems.insert(problems.end(), found.begin(), found.end());
        });
    server.AddProblemSource([kept](const Document& document, PositionEncoding encoding,
                                   std::vector<Diagnostic>& problems) {
        auto found = ProgramProblems(document, encoding, *kept);
        problems.insert(problems.end(), found.begin(), found.end());
    });
    BindDocumentRequest<CodeActionParams, std::vector<CodeAction>>(
        server, "textDocument/codeAction",
        [&server, kept](const Document& document, const CodeActionParams& params) {
            // A client that takes no code action literals takes only
            // commands, and these actions are none.
            const ClientCapabilities& client = server.Client();
            if (!client.codeActionLiterals)
                return std::vector<CodeAction>{};
            std::vector<CodeAction> actions =
                QuickFixes(document, params, server.Encoding(), client.documentChanges);
            std::vector<CodeAction> rewrites =
                RewriteActions(document, params, *kept, server.Encoding(), client.documentChanges,
                               client.codeActionDisabled);
            actions.insert(actions.end(), std::make_move_iterator(rewrites.begin()),
                           std::make_move_iterator(rewrites.end()));
            // Sending, for an editor that runs commands only from actions.
            if (KindWanted(params.context.only, kSource) && !document.text.Bytes().empty()) {
                CodeAction send;
                send.title = std::string(LoadString(IDS_LSP_SEND_ACTION));
                send.kind = std::string(kSource);
                send.command = Command{send.title, std::string(kSendCommand), {document.uri}};
                actions.push_back(std::move(send));
            }
            return actions;
        });
    BindDocumentRequest<DocumentFormattingParams, std::optional<std::vector<TextEdit>>>(
        server, "textDocument/formatting",
        [&server](const Document& document, const DocumentFormattingParams&) {
            Expected<std::vector<TextEdit>> edits = FormatDocument(document, server.Encoding());
            // Refused: the person formatting is told why, and nothing changes.
            if (!edits.Ok()) {
                server.Notify("window/showMessage",
                              ShowMessageParams{MessageType::Error, edits.Err().message});
                return std::optional<std::vector<TextEdit>>();
            }
            return std::optional<std::vector<TextEdit>>(std::move(edits.Value()));
        });

    AddSend(server, kept);

    // Options only for a client that asks before it renames.
    server.SetCapability("renameProvider", [](const ClientCapabilities& client) {
        return client.prepareRename ? Json{{"prepareProvider", true}} : Json(true);
    });
    BindDocumentRequest<TextDocumentPositionParams, std::optional<Range>>(
        server, "textDocument/prepareRename",
        [&server](const Document& document, const TextDocumentPositionParams& params) {
            return PrepareRename(DocumentModel(document), params.position, server.Encoding());
        });
    BindDocumentRequest<RenameParams, std::optional<WorkspaceEdit>>(
        server, "textDocument/rename",
        [&server](const Document& document,
                  const RenameParams& params) -> Expected<std::optional<WorkspaceEdit>> {
            Expected<std::vector<TextEdit>> edits = RenameLine(
                DocumentModel(document), params.position, params.newName, server.Encoding());
            if (!edits.Ok())
                return edits.Err();
            return std::optional<WorkspaceEdit>(
                DocumentEdit(document, std::move(edits.Value()), server.Client().documentChanges));
        });

    BindDocumentRequest<TextDocumentPositionParams, std::optional<Location>>(
        server, "textDocument/definition",
        [&server](const Document& document, const TextDocumentPositionParams& params) {
            return Definition(DocumentModel(document), params.position, server.Encoding());
        });
    BindDocumentRequest<ReferenceParams, std::vector<Location>>(
        server, "textDocument/references",
        [&server](const Document& document, const ReferenceParams& params) {
            return References(DocumentModel(document), params.position, params.includeDeclaration,
                              server.Encoding());
        });
    BindDocumentRequest<TextDocumentPositionParams, std::vector<DocumentHighlight>>(
        server, "textDocument/documentHighlight",
        [&server](const Document& document, const TextDocumentPositionParams& params) {
            return Highlights(DocumentModel(document), params.position, server.Encoding());
        });
    BindDocumentRequest<TextDocumentPositionParams, std::optional<Hover>>(
        server, "textDocument/hover",
        [&server](const Document& document, const TextDocumentPositionParams& params) {
            const std::vector<std::string>& kinds = server.Client().markupKinds;
            const bool markdown = std::ranges::find(kinds, "markdown") != kinds.end();
            return HoverAt(DocumentModel(document), params.position, server.Encoding(), markdown);
        });
    BindDocumentRequest<DocumentSymbolParams, DocumentSymbols>(
        server, "textDocument/documentSymbol",
        [&server](const Document& document, const DocumentSymbolParams&) {
            return Outline(DocumentModel(document), server.Encoding(),
                           server.Client().hierarchicalDocumentSymbols);
        });

    server.SetCapability("semanticTokensProvider",
                         SemanticTokensOptions{TokenLegend(), true, true});
    BindDocumentRequest<SemanticTokensParams, SemanticTokens>(
        server, "textDocument/semanticTokens/full",
        [&server](const Document& document, const SemanticTokensParams&) {
            return Highlighting(DocumentModel(document), server.Encoding());
        });
    BindDocumentRequest<SemanticTokensRangeParams, SemanticTokens>(
        server, "textDocument/semanticTokens/range",
        [&server](const Document& document, const SemanticTokensRangeParams& params) {
            return Highlighting(DocumentModel(document), server.Encoding(), params.range);
        });

    server.SetCapability("completionProvider", CompletionOptions{{std::begin(kCompletionTriggers),
                                                                  std::end(kCompletionTriggers)}});
    BindDocumentRequest<CompletionParams, CompletionList>(
        server, "textDocument/completion",
        [&server](const Document& document, const CompletionParams& params) {
            return Complete(DocumentModel(document), params.position, server.Encoding(),
                            params.triggerCharacter);
        });
}

int ServeStandardStreams(const std::string& version, const AppSettings& settings) {
    for (const int fd : {0, 1, 2})
        sys::SetBinaryMode(fd);
    // One line a write, so that lines from several threads stay whole.
    std::mutex logLock;
    const LogSink log = [&logLock](std::string_view line) {
        std::string text = "tessel-cli lsp: ";
        text.append(line).append("\n");
        const std::lock_guard lock(logLock);
        std::string_view rest = text;
        while (!rest.empty()) {
            const ssize_t n = sys::Write(2, rest.data(), rest.size());
            if (n <= 0)
                return;
            rest.remove_prefix(static_cast<std::size_t>(n));
        }
    };
    FdChannel channel(0, 1);
    StreamTransport transport(channel, log);
    ServerOptions options;
    options.version = version;
    options.log = log;
    Server server(transport, options);
    AddFeatures(server, settings);
    return server.Run();
}

} // namespace tessel::lsp
