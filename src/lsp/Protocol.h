#pragma once

// The messages of the language server protocol that the server reads and
// writes, as plain structs with their JSON forms (to_json/from_json, found by
// nlohmann through argument-dependent lookup). Reading is strict where a
// wrong value would do harm: a required field missing, a number of the wrong
// kind or out of range throws Json::exception, which the binder answers
// with InvalidParams. Fields the server does not use are not read; optional
// fields that are absent stay empty and are left out when written.
//
// Positions count lines from 0 and characters in the position encoding the
// client and server agreed on (SourceCode.h converts).

#include "lsp/Json.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace tessel::lsp {

// --- Errors ---------------------------------------------------------------

enum class ErrorCode : int {
    ParseError = -32700,
    InvalidRequest = -32600,
    MethodNotFound = -32601,
    InvalidParams = -32602,
    InternalError = -32603,
    ServerNotInitialized = -32002,
    UnknownErrorCode = -32001,
    RequestFailed = -32803,
    ServerCancelled = -32802,
    ContentModified = -32801,
    RequestCancelled = -32800,
};

// An error a request is answered with. The message is for the editor's log:
// English, as the protocol is.
struct Error {
    ErrorCode code = ErrorCode::InternalError;
    std::string message;
};
void to_json(Json& j, const Error& e);
void from_json(const Json& j, Error& e);

// A result or the error a request failed with.
template <typename T>
class Expected {
public:
    Expected(T value) : m_value(std::move(value)) {}
    Expected(Error error) : m_value(std::move(error)) {}
    bool Ok() const { return m_value.index() == 0; }
    T& Value() { return std::get<0>(m_value); }
    const T& Value() const { return std::get<0>(m_value); }
    const Error& Err() const { return std::get<1>(m_value); }

private:
    std::variant<T, Error> m_value;
};

// --- Basic structures -------------------------------------------------------

struct Position {
    std::uint32_t line = 0;
    std::uint32_t character = 0;
    friend bool operator==(const Position&, const Position&) = default;
    friend auto operator<=>(const Position&, const Position&) = default;
};
void to_json(Json& j, const Position& p);
void from_json(const Json& j, Position& p);

struct Range {
    Position start;
    Position end;
    friend bool operator==(const Range&, const Range&) = default;
};
void to_json(Json& j, const Range& r);
void from_json(const Json& j, Range& r);

struct Location {
    std::string uri;
    Range range;
    friend bool operator==(const Location&, const Location&) = default;
};
void to_json(Json& j, const Location& l);
void from_json(const Json& j, Location& l);

struct TextDocumentIdentifier {
    std::string uri;
};
void to_json(Json& j, const TextDocumentIdentifier& d);
void from_json(const Json& j, TextDocumentIdentifier& d);

struct VersionedTextDocumentIdentifier {
    std::string uri;
    std::int32_t version = 0;
};
void to_json(Json& j, const VersionedTextDocumentIdentifier& d);
void from_json(const Json& j, VersionedTextDocumentIdentifier& d);

// In a workspace edit: the version the edit was made for, or none for the
// text on disk.
struct OptionalVersionedTextDocumentIdentifier {
    std::string uri;
    std::optional<std::int32_t> version;
};
void to_json(Json& j, const OptionalVersionedTextDocumentIdentifier& d);
void from_json(const Json& j, OptionalVersionedTextDocumentIdentifier& d);

struct TextDocumentItem {
    std::string uri;
    std::string languageId;
    std::int32_t version = 0;
    std::string text; // UTF-8, as the client holds it
};
void to_json(Json& j, const TextDocumentItem& d);
void from_json(const Json& j, TextDocumentItem& d);

struct TextDocumentPositionParams {
    TextDocumentIdentifier textDocument;
    Position position;
};
void from_json(const Json& j, TextDocumentPositionParams& p);

// --- Documents --------------------------------------------------------------

struct DidOpenTextDocumentParams {
    TextDocumentItem textDocument;
};
void from_json(const Json& j, DidOpenTextDocumentParams& p);

// A change: the whole text when `range` is empty, else the text that
// replaces `range`.
struct TextDocumentContentChangeEvent {
    std::optional<Range> range;
    std::string text;
};
void to_json(Json& j, const TextDocumentContentChangeEvent& c);
void from_json(const Json& j, TextDocumentContentChangeEvent& c);

struct DidChangeTextDocumentParams {
    VersionedTextDocumentIdentifier textDocument;
    std::vector<TextDocumentContentChangeEvent> contentChanges;
};
void from_json(const Json& j, DidChangeTextDocumentParams& p);

struct DidCloseTextDocumentParams {
    TextDocumentIdentifier textDocument;
};
void from_json(const Json& j, DidCloseTextDocumentParams& p);

// --- Diagnostics --------------------------------------------------------------

enum class DiagnosticSeverity { Error = 1, Warning = 2, Information = 3, Hint = 4 };
enum class DiagnosticTag { Unnecessary = 1, Deprecated = 2 };

struct DiagnosticRelatedInformation {
    Location location;
    std::string message;
};
void to_json(Json& j, const DiagnosticRelatedInformation& r);
void from_json(const Json& j, DiagnosticRelatedInformation& r);

struct Diagnostic {
    Range range;
    std::optional<DiagnosticSeverity> severity;
    std::optional<std::string> code;
    std::optional<std::string> source;
    std::string message;
    std::vector<DiagnosticTag> tags;
    std::vector<DiagnosticRelatedInformation> relatedInformation;
    // Kept by the client and given back in a code action's context.
    std::optional<Json> data;
};
void to_json(Json& j, const Diagnostic& d);
void from_json(const Json& j, Diagnostic& d);

// A mechanical mend of a problem, kept in its diagnostic's data as
// {"fix": {"title", "offset", "length", "text"}}: `length` bytes of the
// document from byte `offset` replaced by `text` (UTF-8, as the client has
// it).
struct DiagnosticFix {
    std::string title;
    std::size_t offset = 0;
    std::size_t length = 0;
    std::string text;
    friend bool operator==(const DiagnosticFix&, const DiagnosticFix&) = default;
};
void to_json(Json& j, const DiagnosticFix& f);
void from_json(const Json& j, DiagnosticFix& f);
// The mend in a diagnostic's data; none when there is none, or it is not of
// that shape (a client may give back anything).
std::optional<DiagnosticFix> FixOf(const Diagnostic& d);
void SetFix(Diagnostic& d, const DiagnosticFix& fix);

struct PublishDiagnosticsParams {
    std::string uri;
    std::optional<std::int32_t> version;
    std::vector<Diagnostic> diagnostics;
};
void to_json(Json& j, const PublishDiagnosticsParams& p);

// --- Edits ------------------------------------------------------------------

struct TextEdit {
    Range range;
    std::string newText;
    friend bool operator==(const TextEdit&, const TextEdit&) = default;
};
void to_json(Json& j, const TextEdit& e);
void from_json(const Json& j, TextEdit& e);

struct TextDocumentEdit {
    OptionalVersionedTextDocumentIdentifier textDocument;
    std::vector<TextEdit> edits;
};
void to_json(Json& j, const TextDocumentEdit& e);

// Edits by document: `documentChanges` (with versions) when the client
// takes them, else `changes`.
struct WorkspaceEdit {
    std::map<std::string, std::vector<TextEdit>> changes;
    std::optional<std::vector<TextDocumentEdit>> documentChanges;
};
void to_json(Json& j, const WorkspaceEdit& e);

// --- Commands and code actions ------------------------------------------------

struct Command {
    std::string title;
    std::string command;
    std::vector<Json> arguments;
};
void to_json(Json& j, const Command& c);
void from_json(const Json& j, Command& c);

struct ExecuteCommandParams {
    std::string command;
    std::vector<Json> arguments;
    // The token under which the client wants the command's progress, if it
    // gave one (an integer or a string).
    std::optional<Json> workDoneToken;
};

// The executeCommandProvider capability: the commands the server runs.
struct ExecuteCommandOptions {
    std::vector<std::string> commands;
};
void to_json(Json& j, const ExecuteCommandOptions& o);
void from_json(const Json& j, ExecuteCommandParams& p);

struct CodeActionContext {
    std::vector<Diagnostic> diagnostics;
    std::vector<std::string> only; // empty: every kind
};
void from_json(const Json& j, CodeActionContext& c);

struct CodeActionParams {
    TextDocumentIdentifier textDocument;
    Range range;
    CodeActionContext context;
};
void from_json(const Json& j, CodeActionParams& p);

inline constexpr std::string_view kQuickFix = "quickfix";
inline constexpr std::string_view kRefactor = "refactor";
inline constexpr std::string_view kRefactorRewrite = "refactor.rewrite";
inline constexpr std::string_view kSource = "source";

// Whether a code action context's `only` takes actions of `kind`: a listed
// kind takes itself and the kinds below it ("quickfix" takes "quickfix.x");
// an empty list takes every kind.
bool KindWanted(const std::vector<std::string>& only, std::string_view kind);

struct CodeAction {
    std::string title;
    std::optional<std::string> kind;
    std::vector<Diagnostic> diagnostics;
    bool isPreferred = false;
    std::optional<WorkspaceEdit> edit;
    std::optional<Command> command;
    // Why the action cannot be taken now, for a client that shows actions
    // it cannot take (disabled, with the reason).
    std::optional<std::string> disabled;
};
void to_json(Json& j, const CodeAction& a);

// --- Navigation, hover, symbols, completion, rename, formatting ---------------

struct ReferenceParams {
    TextDocumentIdentifier textDocument;
    Position position;
    bool includeDeclaration = false;
};
void from_json(const Json& j, ReferenceParams& p);

struct RenameParams {
    TextDocumentIdentifier textDocument;
    Position position;
    std::string newName;
};
void from_json(const Json& j, RenameParams& p);

struct DocumentFormattingParams {
    TextDocumentIdentifier textDocument;
    std::uint32_t tabSize = 4;
    bool insertSpaces = true;
};
void from_json(const Json& j, DocumentFormattingParams& p);

struct MarkupContent {
    std::string kind = "markdown"; // or "plaintext"
    std::string value;
};
void to_json(Json& j, const MarkupContent& m);

struct Hover {
    MarkupContent contents;
    std::optional<Range> range;
};
void to_json(Json& j, const Hover& h);

enum class SymbolKind {
    File = 1,
    Module = 2,
    Namespace = 3,
    Function = 12,
    Variable = 13,
    Constant = 14,
    String = 15,
    Number = 16,
    Key = 20,
    Event = 24,
    Operator = 25,
};

enum class DocumentHighlightKind { Text = 1, Read = 2, Write = 3 };

struct DocumentHighlight {
    Range range;
    DocumentHighlightKind kind = DocumentHighlightKind::Text;
    friend bool operator==(const DocumentHighlight&, const DocumentHighlight&) = default;
};
void to_json(Json& j, const DocumentHighlight& h);

struct DocumentSymbolParams {
    TextDocumentIdentifier textDocument;
};
void from_json(const Json& j, DocumentSymbolParams& p);

struct DocumentSymbol {
    std::string name;
    std::optional<std::string> detail;
    SymbolKind kind = SymbolKind::Function;
    Range range;
    Range selectionRange;
    std::vector<DocumentSymbol> children;
};
void to_json(Json& j, const DocumentSymbol& s);

// A symbol for a client that takes no tree of them: flat, with the name of
// the symbol it belongs to.
struct SymbolInformation {
    std::string name;
    SymbolKind kind = SymbolKind::Function;
    Location location;
    std::optional<std::string> containerName;
};
void to_json(Json& j, const SymbolInformation& s);

// The answer to textDocument/documentSymbol: the tree, or the flat list when
// it is set.
struct DocumentSymbols {
    std::vector<DocumentSymbol> tree;
    std::optional<std::vector<SymbolInformation>> flat;
};
void to_json(Json& j, const DocumentSymbols& s);

enum class CompletionItemKind {
    Text = 1,
    Function = 3,
    Variable = 6,
    Keyword = 14,
    Snippet = 15,
    Reference = 18,
    Constant = 21,
    Operator = 24,
};

struct CompletionParams {
    TextDocumentIdentifier textDocument;
    Position position;
    std::optional<std::string> triggerCharacter;
};
void from_json(const Json& j, CompletionParams& p);

// The completionProvider capability: the characters after which the client
// asks without a word being typed.
struct CompletionOptions {
    std::vector<std::string> triggerCharacters;
};
void to_json(Json& j, const CompletionOptions& o);

struct CompletionItem {
    std::string label;
    std::optional<CompletionItemKind> kind;
    std::optional<std::string> detail;
    std::optional<MarkupContent> documentation;
    std::optional<std::string> sortText;
    std::optional<std::string> filterText;
    std::optional<std::string> insertText;
    std::optional<TextEdit> textEdit;
};
void to_json(Json& j, const CompletionItem& c);

struct CompletionList {
    bool isIncomplete = false;
    std::vector<CompletionItem> items;
};
void to_json(Json& j, const CompletionList& c);

// --- Semantic tokens ----------------------------------------------------------

struct SemanticTokensLegend {
    std::vector<std::string> tokenTypes;
    std::vector<std::string> tokenModifiers;
};
void to_json(Json& j, const SemanticTokensLegend& l);

struct SemanticTokensParams {
    TextDocumentIdentifier textDocument;
};
void from_json(const Json& j, SemanticTokensParams& p);

struct SemanticTokensRangeParams {
    TextDocumentIdentifier textDocument;
    Range range;
};
void from_json(const Json& j, SemanticTokensRangeParams& p);

// The semanticTokensProvider capability.
struct SemanticTokensOptions {
    SemanticTokensLegend legend;
    bool full = true;
    bool range = false;
};
void to_json(Json& j, const SemanticTokensOptions& o);

// Five numbers a token: line and start relative to the token before, length,
// type, modifiers.
struct SemanticTokens {
    std::optional<std::string> resultId;
    std::vector<std::uint32_t> data;
};
void to_json(Json& j, const SemanticTokens& t);

// --- Progress and messages ----------------------------------------------------

// A progress token: an integer or a string, kept as it came.
using ProgressToken = Json;

struct WorkDoneProgressCreateParams {
    ProgressToken token;
};
void to_json(Json& j, const WorkDoneProgressCreateParams& p);

struct WorkDoneProgressBegin {
    std::string title;
    bool cancellable = false;
    std::optional<std::string> message;
    std::optional<std::uint32_t> percentage;
};
void to_json(Json& j, const WorkDoneProgressBegin& p);

struct WorkDoneProgressReport {
    std::optional<std::string> message;
    std::optional<std::uint32_t> percentage;
};
void to_json(Json& j, const WorkDoneProgressReport& p);

struct WorkDoneProgressEnd {
    std::optional<std::string> message;
};
void to_json(Json& j, const WorkDoneProgressEnd& p);

struct ProgressParams {
    ProgressToken token;
    Json value; // one of the three above
};
void to_json(Json& j, const ProgressParams& p);

struct WorkDoneProgressCancelParams {
    ProgressToken token;
};
void from_json(const Json& j, WorkDoneProgressCancelParams& p);

enum class MessageType { Error = 1, Warning = 2, Info = 3, Log = 4 };

struct ShowMessageParams {
    MessageType type = MessageType::Info;
    std::string message;
};
void to_json(Json& j, const ShowMessageParams& p);

// window/logMessage has the same fields.
using LogMessageParams = ShowMessageParams;

// --- Lifecycle ----------------------------------------------------------------

// How positions count characters: UTF-16 code units (the protocol's default)
// or UTF-8 bytes, when the client offers it.
enum class PositionEncoding { Utf16, Utf8 };
std::string_view EncodingName(PositionEncoding encoding);

// What the server asks of the client's capabilities.
struct ClientCapabilities {
    // general.positionEncodings, in the client's order of preference.
    std::vector<std::string> positionEncodings;
    bool workDoneProgress = false;            // window.workDoneProgress
    bool showDocument = false;                // window.showDocument.support
    bool documentChanges = false;             // workspace.workspaceEdit.documentChanges
    bool hierarchicalDocumentSymbols = false; // textDocument.documentSymbol
    bool snippets = false;                    // textDocument.completion.completionItem
    bool codeActionLiterals = false;          // textDocument.codeAction.codeActionLiteralSupport
    bool codeActionDisabled = false;          // textDocument.codeAction.disabledSupport
    bool prepareRename = false;               // textDocument.rename.prepareSupport
    bool diagnosticVersions = false;          // textDocument.publishDiagnostics.versionSupport
    bool relatedInformation = false;          // textDocument.publishDiagnostics
    std::vector<std::string> markupKinds;     // textDocument.hover.contentFormat
};
void from_json(const Json& j, ClientCapabilities& c);

struct ClientInfo {
    std::string name;
    std::optional<std::string> version;
};

struct InitializeParams {
    std::optional<std::int64_t> processId;
    std::optional<ClientInfo> clientInfo;
    std::optional<std::string> rootUri;
    ClientCapabilities capabilities;
    std::optional<Json> initializationOptions;
};
void from_json(const Json& j, InitializeParams& p);

struct InitializeResult {
    Json capabilities; // what the server registered (Server::Capabilities)
    std::string serverName;
    std::string serverVersion;
};
void to_json(Json& j, const InitializeResult& r);

// $/cancelRequest: the id of the request, an integer or a string.
struct CancelParams {
    Json id;
};
void from_json(const Json& j, CancelParams& p);

// A result that may be null, written as null when empty.
template <typename T>
void to_json(Json& j, const std::optional<T>& value) {
    j = value ? Json(*value) : Json(nullptr);
}

// For methods that take no parameters (shutdown, exit): anything is taken.
struct NoParams {};
inline void from_json(const Json&, NoParams&) {}

} // namespace tessel::lsp
