#include "lsp/Protocol.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace tessel::lsp {
namespace {

// The protocol's integer (-2^31 to 2^31-1) and uinteger (0 to 2^31-1): a
// fraction, a string or a number out of range is refused, where nlohmann's
// own conversion would cut or wrap it.
std::int64_t ReadInteger(const Json& value, const char* key, std::int64_t min) {
    if (!value.is_number_integer())
        throw std::invalid_argument(std::string("'") + key + "' is not an integer");
    const std::int64_t number = value.is_number_unsigned()
                                    ? static_cast<std::int64_t>(std::min<std::uint64_t>(
                                          value.get<std::uint64_t>(), 1ull << 40))
                                    : value.get<std::int64_t>();
    if (number < min || number > std::numeric_limits<std::int32_t>::max())
        throw std::invalid_argument(std::string("'") + key + "' is out of range");
    return number;
}

std::uint32_t ReadUInteger(const Json& j, const char* key) {
    return static_cast<std::uint32_t>(ReadInteger(j.at(key), key, 0));
}

std::int32_t ReadInt32(const Json& j, const char* key) {
    return static_cast<std::int32_t>(
        ReadInteger(j.at(key), key, std::numeric_limits<std::int32_t>::min()));
}

// The member `key`, or null when it is absent or null.
const Json* Member(const Json& j, const char* key) {
    if (!j.is_object())
        return nullptr;
    const auto it = j.find(key);
    return it == j.end() || it->is_null() ? nullptr : &*it;
}

template <typename T>
void ReadOptional(const Json& j, const char* key, std::optional<T>& out) {
    if (const Json* value = Member(j, key))
        out = value->get<T>();
}

void ReadOptionalInt32(const Json& j, const char* key, std::optional<std::int32_t>& out) {
    if (Member(j, key))
        out = ReadInt32(j, key);
}

template <typename T>
void ReadList(const Json& j, const char* key, std::vector<T>& out) {
    if (const Json* value = Member(j, key))
        out = value->get<std::vector<T>>();
}

// A member several levels down, or null.
const Json* Path(const Json& j, std::initializer_list<const char*> keys) {
    const Json* at = &j;
    for (const char* key : keys)
        if (at = Member(*at, key); at == nullptr)
            return nullptr;
    return at;
}

bool Flag(const Json& j, std::initializer_list<const char*> keys) {
    const Json* value = Path(j, keys);
    return value != nullptr && value->is_boolean() && value->get<bool>();
}

template <typename T>
void WriteOptional(Json& j, const char* key, const std::optional<T>& value) {
    if (value)
        j[key] = *value;
}

} // namespace

void to_json(Json& j, const Error& e) {
    j = Json{{"code", static_cast<int>(e.code)}, {"message", e.message}};
}

void from_json(const Json& j, Error& e) {
    e.code = static_cast<ErrorCode>(ReadInt32(j, "code"));
    e.message = j.at("message").get<std::string>();
}

void to_json(Json& j, const Position& p) {
    j = Json{{"line", p.line}, {"character", p.character}};
}

void from_json(const Json& j, Position& p) {
    p.line = ReadUInteger(j, "line");
    p.character = ReadUInteger(j, "character");
}

void to_json(Json& j, const Range& r) {
    j = Json{{"start", r.start}, {"end", r.end}};
}

void from_json(const Json& j, Range& r) {
    j.at("start").get_to(r.start);
    j.at("end").get_to(r.end);
}

void to_json(Json& j, const Location& l) {
    j = Json{{"uri", l.uri}, {"range", l.range}};
}

void from_json(const Json& j, Location& l) {
    j.at("uri").get_to(l.uri);
    j.at("range").get_to(l.range);
}

void to_json(Json& j, const TextDocumentIdentifier& d) {
    j = Json{{"uri", d.uri}};
}

void from_json(const Json& j, TextDocumentIdentifier& d) {
    j.at("uri").get_to(d.uri);
}

void to_json(Json& j, const VersionedTextDocumentIdentifier& d) {
    j = Json{{"uri", d.uri}, {"version", d.version}};
}

void from_json(const Json& j, VersionedTextDocumentIdentifier& d) {
    j.at("uri").get_to(d.uri);
    d.version = ReadInt32(j, "version");
}

void to_json(Json& j, const OptionalVersionedTextDocumentIdentifier& d) {
    j = Json{{"uri", d.uri}, {"version", nullptr}};
    if (d.version)
        j["version"] = *d.version;
}

void from_json(const Json& j, OptionalVersionedTextDocumentIdentifier& d) {
    j.at("uri").get_to(d.uri);
    ReadOptionalInt32(j, "version", d.version);
}

void to_json(Json& j, const TextDocumentItem& d) {
    j = Json{
        {"uri", d.uri}, {"languageId", d.languageId}, {"version", d.version}, {"text", d.text}};
}

void from_json(const Json& j, TextDocumentItem& d) {
    j.at("uri").get_to(d.uri);
    j.at("languageId").get_to(d.languageId);
    d.version = ReadInt32(j, "version");
    j.at("text").get_to(d.text);
}

void from_json(const Json& j, TextDocumentPositionParams& p) {
    j.at("textDocument").get_to(p.textDocument);
    j.at("position").get_to(p.position);
}

void from_json(const Json& j, DidOpenTextDocumentParams& p) {
    j.at("textDocument").get_to(p.textDocument);
}

void to_json(Json& j, const TextDocumentContentChangeEvent& c) {
    j = Json{{"text", c.text}};
    WriteOptional(j, "range", c.range);
}

void from_json(const Json& j, TextDocumentContentChangeEvent& c) {
    // rangeLength is deprecated: the range alone says what is replaced.
    ReadOptional(j, "range", c.range);
    j.at("text").get_to(c.text);
}

void from_json(const Json& j, DidChangeTextDocumentParams& p) {
    j.at("textDocument").get_to(p.textDocument);
    j.at("contentChanges").get_to(p.contentChanges);
}

void from_json(const Json& j, DidCloseTextDocumentParams& p) {
    j.at("textDocument").get_to(p.textDocument);
}

void to_json(Json& j, const DiagnosticRelatedInformation& r) {
    j = Json{{"location", r.location}, {"message", r.message}};
}

void from_json(const Json& j, DiagnosticRelatedInformation& r) {
    j.at("location").get_to(r.location);
    j.at("message").get_to(r.message);
}

void to_json(Json& j, const Diagnostic& d) {
    j = Json{{"range", d.range}, {"message", d.message}};
    if (d.severity)
        j["severity"] = static_cast<int>(*d.severity);
    WriteOptional(j, "code", d.code);
    WriteOptional(j, "source", d.source);
    if (!d.tags.empty()) {
        Json tags = Json::array();
        for (const DiagnosticTag tag : d.tags)
            tags.push_back(static_cast<int>(tag));
        j["tags"] = std::move(tags);
    }
    if (!d.relatedInformation.empty())
        j["relatedInformation"] = d.relatedInformation;
    WriteOptional(j, "data", d.data);
}

void from_json(const Json& j, Diagnostic& d) {
    j.at("range").get_to(d.range);
    j.at("message").get_to(d.message);
    if (Member(j, "severity")) {
        const std::int32_t severity = ReadInt32(j, "severity");
        if (severity < 1 || severity > 4)
            throw std::invalid_argument("'severity' is out of range");
        d.severity = static_cast<DiagnosticSeverity>(severity);
    }
    // A code may be a number too; kept as text.
    if (const Json* code = Member(j, "code"))
        d.code = code->is_string() ? code->get<std::string>() : code->dump();
    ReadOptional(j, "source", d.source);
    ReadList(j, "relatedInformation", d.relatedInformation);
    if (const Json* data = Member(j, "data"))
        d.data = *data;
}

void to_json(Json& j, const DiagnosticFix& f) {
    j = Json{{"title", f.title}, {"offset", f.offset}, {"length", f.length}, {"text", f.text}};
}

void from_json(const Json& j, DiagnosticFix& f) {
    j.at("title").get_to(f.title);
    f.offset = ReadUInteger(j, "offset");
    f.length = ReadUInteger(j, "length");
    j.at("text").get_to(f.text);
}

std::optional<DiagnosticFix> FixOf(const Diagnostic& d) {
    const Json* fix = d.data ? Member(*d.data, "fix") : nullptr;
    if (fix == nullptr)
        return std::nullopt;
    try {
        return fix->get<DiagnosticFix>();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

void SetFix(Diagnostic& d, const DiagnosticFix& fix) {
    if (!d.data || !d.data->is_object())
        d.data = Json::object();
    (*d.data)["fix"] = fix;
}

void to_json(Json& j, const PublishDiagnosticsParams& p) {
    j = Json{{"uri", p.uri}, {"diagnostics", p.diagnostics}};
    WriteOptional(j, "version", p.version);
}

void to_json(Json& j, const TextEdit& e) {
    j = Json{{"range", e.range}, {"newText", e.newText}};
}

void from_json(const Json& j, TextEdit& e) {
    j.at("range").get_to(e.range);
    j.at("newText").get_to(e.newText);
}

void to_json(Json& j, const TextDocumentEdit& e) {
    j = Json{{"textDocument", e.textDocument}, {"edits", e.edits}};
}

void to_json(Json& j, const WorkspaceEdit& e) {
    j = Json::object();
    if (e.documentChanges)
        j["documentChanges"] = *e.documentChanges;
    else
        j["changes"] = e.changes;
}

void to_json(Json& j, const Command& c) {
    j = Json{{"title", c.title}, {"command", c.command}};
    if (!c.arguments.empty())
        j["arguments"] = c.arguments;
}

void from_json(const Json& j, Command& c) {
    j.at("title").get_to(c.title);
    j.at("command").get_to(c.command);
    ReadList(j, "arguments", c.arguments);
}

void from_json(const Json& j, ExecuteCommandParams& p) {
    j.at("command").get_to(p.command);
    ReadList(j, "arguments", p.arguments);
    if (const auto token = j.find("workDoneToken");
        token != j.end() && (token->is_string() || token->is_number_integer()))
        p.workDoneToken = *token;
}

void to_json(Json& j, const ExecuteCommandOptions& o) {
    j = Json{{"commands", o.commands}};
}

void from_json(const Json& j, CodeActionContext& c) {
    j.at("diagnostics").get_to(c.diagnostics);
    ReadList(j, "only", c.only);
}

void from_json(const Json& j, CodeActionParams& p) {
    j.at("textDocument").get_to(p.textDocument);
    j.at("range").get_to(p.range);
    j.at("context").get_to(p.context);
}

void to_json(Json& j, const CodeAction& a) {
    j = Json{{"title", a.title}};
    WriteOptional(j, "kind", a.kind);
    if (!a.diagnostics.empty())
        j["diagnostics"] = a.diagnostics;
    if (a.isPreferred)
        j["isPreferred"] = true;
    WriteOptional(j, "edit", a.edit);
    WriteOptional(j, "command", a.command);
    if (a.disabled)
        j["disabled"] = {{"reason", *a.disabled}};
}

bool KindWanted(const std::vector<std::string>& only, std::string_view kind) {
    if (only.empty())
        return true;
    return std::ranges::any_of(only, [&](std::string_view wanted) {
        return kind == wanted || (kind.starts_with(wanted) && kind[wanted.size()] == '.');
    });
}

void from_json(const Json& j, ReferenceParams& p) {
    j.at("textDocument").get_to(p.textDocument);
    j.at("position").get_to(p.position);
    p.includeDeclaration = Flag(j, {"context", "includeDeclaration"});
}

void from_json(const Json& j, RenameParams& p) {
    j.at("textDocument").get_to(p.textDocument);
    j.at("position").get_to(p.position);
    j.at("newName").get_to(p.newName);
}

void from_json(const Json& j, DocumentFormattingParams& p) {
    j.at("textDocument").get_to(p.textDocument);
    const Json& options = j.at("options");
    p.tabSize = ReadUInteger(options, "tabSize");
    options.at("insertSpaces").get_to(p.insertSpaces);
}

void to_json(Json& j, const MarkupContent& m) {
    j = Json{{"kind", m.kind}, {"value", m.value}};
}

void to_json(Json& j, const Hover& h) {
    j = Json{{"contents", h.contents}};
    WriteOptional(j, "range", h.range);
}

void to_json(Json& j, const DocumentHighlight& h) {
    j = Json{{"range", h.range}, {"kind", static_cast<int>(h.kind)}};
}

void from_json(const Json& j, DocumentSymbolParams& p) {
    j.at("textDocument").get_to(p.textDocument);
}

void to_json(Json& j, const SymbolInformation& s) {
    j = Json{{"name", s.name}, {"kind", static_cast<int>(s.kind)}, {"location", s.location}};
    WriteOptional(j, "containerName", s.containerName);
}

void to_json(Json& j, const DocumentSymbols& s) {
    if (s.flat)
        j = *s.flat;
    else
        j = s.tree;
}

void to_json(Json& j, const DocumentSymbol& s) {
    j = Json{{"name", s.name},
             {"kind", static_cast<int>(s.kind)},
             {"range", s.range},
             {"selectionRange", s.selectionRange}};
    WriteOptional(j, "detail", s.detail);
    if (!s.children.empty())
        j["children"] = s.children;
}

void from_json(const Json& j, CompletionParams& p) {
    j.at("textDocument").get_to(p.textDocument);
    j.at("position").get_to(p.position);
    if (const Json* context = Member(j, "context"))
        ReadOptional(*context, "triggerCharacter", p.triggerCharacter);
}

void to_json(Json& j, const CompletionOptions& o) {
    j = Json::object();
    if (!o.triggerCharacters.empty())
        j["triggerCharacters"] = o.triggerCharacters;
}

void to_json(Json& j, const CompletionItem& c) {
    j = Json{{"label", c.label}};
    if (c.kind)
        j["kind"] = static_cast<int>(*c.kind);
    WriteOptional(j, "detail", c.detail);
    WriteOptional(j, "documentation", c.documentation);
    WriteOptional(j, "sortText", c.sortText);
    WriteOptional(j, "filterText", c.filterText);
    WriteOptional(j, "insertText", c.insertText);
    WriteOptional(j, "textEdit", c.textEdit);
}

void to_json(Json& j, const CompletionList& c) {
    j = Json{{"isIncomplete", c.isIncomplete}, {"items", c.items}};
}

void to_json(Json& j, const SemanticTokensLegend& l) {
    j = Json{{"tokenTypes", l.tokenTypes}, {"tokenModifiers", l.tokenModifiers}};
}

void from_json(const Json& j, SemanticTokensParams& p) {
    j.at("textDocument").get_to(p.textDocument);
}

void from_json(const Json& j, SemanticTokensRangeParams& p) {
    j.at("textDocument").get_to(p.textDocument);
    j.at("range").get_to(p.range);
}

void to_json(Json& j, const SemanticTokensOptions& o) {
    j = Json{{"legend", o.legend}, {"full", o.full}, {"range", o.range}};
}

void to_json(Json& j, const SemanticTokens& t) {
    j = Json{{"data", t.data}};
    WriteOptional(j, "resultId", t.resultId);
}

void to_json(Json& j, const WorkDoneProgressCreateParams& p) {
    j = Json{{"token", p.token}};
}

void to_json(Json& j, const WorkDoneProgressBegin& p) {
    j = Json{{"kind", "begin"}, {"title", p.title}, {"cancellable", p.cancellable}};
    WriteOptional(j, "message", p.message);
    WriteOptional(j, "percentage", p.percentage);
}

void to_json(Json& j, const WorkDoneProgressReport& p) {
    j = Json{{"kind", "report"}};
    WriteOptional(j, "message", p.message);
    WriteOptional(j, "percentage", p.percentage);
}

void to_json(Json& j, const WorkDoneProgressEnd& p) {
    j = Json{{"kind", "end"}};
    WriteOptional(j, "message", p.message);
}

void to_json(Json& j, const ProgressParams& p) {
    j = Json{{"token", p.token}, {"value", p.value}};
}

void from_json(const Json& j, WorkDoneProgressCancelParams& p) {
    p.token = j.at("token");
}

void to_json(Json& j, const ShowMessageParams& p) {
    j = Json{{"type", static_cast<int>(p.type)}, {"message", p.message}};
}

std::string_view EncodingName(PositionEncoding encoding) {
    return encoding == PositionEncoding::Utf8 ? "utf-8" : "utf-16";
}

void from_json(const Json& j, ClientCapabilities& c) {
    // Capabilities a client does not have may be absent, null or of another
    // shape in older clients: what is not as expected counts as absent.
    if (const Json* encodings = Path(j, {"general", "positionEncodings"});
        encodings && encodings->is_array())
        for (const Json& name : *encodings)
            if (name.is_string())
                c.positionEncodings.push_back(name.get<std::string>());
    c.workDoneProgress = Flag(j, {"window", "workDoneProgress"});
    c.showDocument = Flag(j, {"window", "showDocument", "support"});
    c.documentChanges = Flag(j, {"workspace", "workspaceEdit", "documentChanges"});
    c.hierarchicalDocumentSymbols =
        Flag(j, {"textDocument", "documentSymbol", "hierarchicalDocumentSymbolSupport"});
    c.snippets = Flag(j, {"textDocument", "completion", "completionItem", "snippetSupport"});
    c.codeActionLiterals =
        Path(j, {"textDocument", "codeAction", "codeActionLiteralSupport"}) != nullptr;
    c.codeActionDisabled = Flag(j, {"textDocument", "codeAction", "disabledSupport"});
    c.prepareRename = Flag(j, {"textDocument", "rename", "prepareSupport"});
    c.diagnosticVersions = Flag(j, {"textDocument", "publishDiagnostics", "versionSupport"});
    c.relatedInformation = Flag(j, {"textDocument", "publishDiagnostics", "relatedInformation"});
    if (const Json* formats = Path(j, {"textDocument", "hover", "contentFormat"});
        formats && formats->is_array())
        for (const Json& kind : *formats)
            if (kind.is_string())
                c.markupKinds.push_back(kind.get<std::string>());
}

void from_json(const Json& j, InitializeParams& p) {
    if (const Json* id = Member(j, "processId"); id && id->is_number_integer())
        p.processId = id->get<std::int64_t>();
    if (const Json* info = Member(j, "clientInfo"); info && info->is_object()) {
        ClientInfo client;
        client.name = info->value("name", "");
        ReadOptional(*info, "version", client.version);
        p.clientInfo = std::move(client);
    }
    ReadOptional(j, "rootUri", p.rootUri);
    if (const Json* capabilities = Member(j, "capabilities"))
        capabilities->get_to(p.capabilities);
    if (const Json* options = Member(j, "initializationOptions"))
        p.initializationOptions = *options;
}

void to_json(Json& j, const InitializeResult& r) {
    j = Json{{"capabilities", r.capabilities},
             {"serverInfo", {{"name", r.serverName}, {"version", r.serverVersion}}}};
}

void from_json(const Json& j, CancelParams& p) {
    p.id = j.at("id");
    if (!p.id.is_number_integer() && !p.id.is_string())
        throw std::invalid_argument("'id' is neither an integer nor a string");
}

} // namespace tessel::lsp
