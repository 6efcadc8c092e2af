#include "lsp/Server.h"

#include <utility>

namespace tessel::lsp {
namespace {

// The capability a bound request stands for. Those marked `options` are
// announced only with the options a feature set (a legend, a command list):
// `true` is no valid value for them.
struct CapabilityOf {
    std::string_view method;
    std::string_view key;
    bool options = false;
};

constexpr CapabilityOf kCapabilities[] = {
    {"textDocument/hover", "hoverProvider"},
    {"textDocument/definition", "definitionProvider"},
    {"textDocument/references", "referencesProvider"},
    {"textDocument/documentHighlight", "documentHighlightProvider"},
    {"textDocument/documentSymbol", "documentSymbolProvider"},
    {"textDocument/foldingRange", "foldingRangeProvider"},
    {"textDocument/completion", "completionProvider"},
    {"textDocument/signatureHelp", "signatureHelpProvider"},
    {"textDocument/codeAction", "codeActionProvider"},
    {"textDocument/rename", "renameProvider"},
    {"textDocument/formatting", "documentFormattingProvider"},
    {"textDocument/rangeFormatting", "documentRangeFormattingProvider"},
    {"textDocument/semanticTokens/full", "semanticTokensProvider", true},
    {"workspace/executeCommand", "executeCommandProvider", true},
};

// Completion and signature help take an object even without options.
bool WantsObject(std::string_view key) {
    return key == "completionProvider" || key == "signatureHelpProvider";
}

} // namespace

Server::Server(Transport& transport, ServerOptions options)
    : m_transport(transport), m_options(std::move(options)), m_binder(m_options.log),
      m_quick(std::make_unique<WorkQueue>()), m_long(std::make_unique<WorkQueue>()) {
    BindLifecycle();
    BindDocuments();
}

Server::~Server() {
    // Work still queued holds replies, which answer through the members.
    m_quick->Stop();
    m_long->Stop();
}

void Server::Log(std::string_view line) const {
    if (m_options.log)
        m_options.log(line);
}

void Server::Notify(std::string_view method, const Json& params) {
    m_transport.Notify(method, params);
}

void Server::Call(std::string_view method, const Json& params,
                  std::function<void(Expected<Json>)> onAnswer) {
    std::int64_t id = 0;
    {
        const std::lock_guard lock(m_callLock);
        id = m_nextCall++;
        m_calls[id] = std::move(onAnswer);
    }
    m_transport.Call(method, params, id);
}

void Server::SetCapability(const std::string& key, Json value) {
    m_capabilityOptions[key] = std::move(value);
}

void Server::SetCapability(const std::string& key, CapabilityMaker make) {
    m_capabilityMakers[key] = std::move(make);
}

Json Server::Capabilities() const {
    Json capabilities = {
        {"positionEncoding", EncodingName(m_encoding)},
        // Open and close, and changes as ranges replaced.
        {"textDocumentSync", {{"openClose", true}, {"change", 2}}},
    };
    for (const CapabilityOf& entry : kCapabilities) {
        if (!m_binder.HasRequest(entry.method))
            continue;
        const std::string key(entry.key);
        if (const auto maker = m_capabilityMakers.find(key); maker != m_capabilityMakers.end())
            capabilities[key] = maker->second(m_client);
        else if (const auto options = m_capabilityOptions.find(key);
                 options != m_capabilityOptions.end())
            capabilities[key] = options->second;
        else if (!entry.options)
            capabilities[key] = WantsObject(key) ? Json::object() : Json(true);
        else
            Log("not announced, as its options are missing: " + key);
    }
    // Options of capabilities outside the table (experimental ones).
    for (const auto& [key, value] : m_capabilityOptions)
        if (!capabilities.contains(key))
            capabilities[key] = value;
    return capabilities;
}

void Server::AddProblemSource(ProblemSource source) {
    m_problemSources.push_back(std::move(source));
}

void Server::BindLifecycle() {
    m_binder.Request<InitializeParams, InitializeResult>(
        "initialize", [this](const InitializeParams& params, Reply<InitializeResult> reply) {
            m_client = params.capabilities;
            m_encoding = PositionEncoding::Utf16;
            for (const std::string& name : m_client.positionEncodings)
                if (name == EncodingName(PositionEncoding::Utf8))
                    m_encoding = PositionEncoding::Utf8;
            if (params.clientInfo)
                Log("client: " + params.clientInfo->name + " " +
                    params.clientInfo->version.value_or(""));
            m_state = State::Running;
            reply(InitializeResult{Capabilities(), m_options.name, m_options.version});
        });
    m_binder.Notification<NoParams>("initialized", [](const NoParams&) {});
    m_binder.Request<NoParams, std::nullptr_t>(
        "shutdown", [this](const NoParams&, Reply<std::nullptr_t> reply) {
            m_state = State::ShutDown;
            // Nothing under way is wanted any more. The requests are marked
            // first, so that work dropped from the queues before it started
            // is answered as cancelled, not as a fault of the server.
            std::vector<std::shared_ptr<PendingReply>> pending;
            {
                const std::lock_guard lock(m_inFlightLock);
                for (const auto& [id, weak] : m_inFlight)
                    if (auto live = weak.lock())
                        pending.push_back(std::move(live));
            }
            for (const auto& other : pending)
                if (other->Id() != reply.Id())
                    other->Cancel();
            m_quick->CancelAll();
            m_long->CancelAll();
            reply(nullptr);
        });
    m_binder.Notification<CancelParams>("$/cancelRequest", [this](const CancelParams& params) {
        std::shared_ptr<PendingReply> pending;
        {
            const std::lock_guard lock(m_inFlightLock);
            if (const auto it = m_inFlight.find(params.id.dump()); it != m_inFlight.end())
                pending = it->second.lock();
        }
        // A request already answered (or never seen) has nothing to cancel.
        if (pending)
            pending->Cancel();
    });
}

void Server::BindDocuments() {
    m_binder.Notification<DidOpenTextDocumentParams>(
        "textDocument/didOpen", [this](const DidOpenTextDocumentParams& params) {
            m_documents.Open(params.textDocument);
            ScheduleProblems(params.textDocument.uri);
        });
    m_binder.Notification<DidChangeTextDocumentParams>(
        "textDocument/didChange", [this](const DidChangeTextDocumentParams& params) {
            const auto changed =
                m_documents.Change(params.textDocument, params.contentChanges, m_encoding);
            if (!changed.Ok())
                return Log("ignored a change: " + changed.Err().message);
            ScheduleProblems(params.textDocument.uri);
        });
    m_binder.Notification<DidCloseTextDocumentParams>(
        "textDocument/didClose", [this](const DidCloseTextDocumentParams& params) {
            const std::string& uri = params.textDocument.uri;
            m_quick->Cancel(uri);
            if (!m_documents.Close(uri))
                return Log("ignored closing a document that is not open: " + uri);
            // Its problems go with it.
            Notify("textDocument/publishDiagnostics", PublishDiagnosticsParams{uri, {}, {}});
        });
}

void Server::ScheduleProblems(const std::string& uri) {
    if (m_problemSources.empty())
        return;
    m_quick->Debounce(uri, m_options.diagnosticsDelay,
                      [this, uri](std::stop_token) { PublishProblems(uri); });
}

void Server::PublishProblems(const std::string& uri) {
    const DocumentSnapshot document = m_documents.Get(uri);
    if (!document)
        return;
    PublishDiagnosticsParams params{uri, document->version, {}};
    for (const ProblemSource& source : m_problemSources)
        source(*document, m_encoding, params.diagnostics);
    // Only for the text they were found in: a change since then brings its
    // own, a close clears them.
    const Json message = params;
    m_documents.IfCurrent(uri, document->version,
                          [&] { Notify("textDocument/publishDiagnostics", message); });
}

void Server::Answered(const Json& id) {
    const std::lock_guard lock(m_inFlightLock);
    m_inFlight.erase(id.dump());
}

bool Server::OnRequest(std::string_view method, Json params, Json id) {
    const auto refuse = [&](ErrorCode code, std::string message) {
        m_transport.Reply(id, Error{code, std::move(message)});
        return true;
    };
    const bool initialize = method == "initialize";
    if (m_state == State::Uninitialized && !initialize)
        return refuse(ErrorCode::ServerNotInitialized, "the server is not initialized");
    if (m_state != State::Uninitialized && initialize)
        return refuse(ErrorCode::InvalidRequest, "the server is already initialized");
    if (m_state == State::ShutDown)
        return refuse(ErrorCode::InvalidRequest, "the server is shutting down");
    const Binder::RawRequest* handler = m_binder.FindRequest(method);
    if (handler == nullptr)
        return refuse(ErrorCode::MethodNotFound, "no such method: " + std::string(method));

    auto pending = std::make_shared<PendingReply>(
        id, [this](const Json& answered, const Expected<Json>& result) {
            Answered(answered);
            m_transport.Reply(answered, result);
        });
    {
        const std::lock_guard lock(m_inFlightLock);
        m_inFlight[id.dump()] = pending;
    }
    try {
        (*handler)(params, pending);
    } catch (const std::exception& e) {
        // A fault of the handler: answered, logged, and the server goes on.
        Log("the handler of " + std::string(method) + " failed: " + e.what());
        pending->Answer(Error{ErrorCode::InternalError, e.what()});
    }
    return true;
}

bool Server::OnNotification(std::string_view method, Json params) {
    if (method == "exit") {
        m_exitStatus = m_state == State::ShutDown ? 0 : 1;
        return false;
    }
    const bool quiet = method.starts_with("$/");
    if (m_state == State::Uninitialized) {
        if (!quiet)
            Log("dropped before initialize: " + std::string(method));
        return true;
    }
    const Binder::RawNotification* handler = m_binder.FindNotification(method);
    if (handler == nullptr) {
        if (!quiet)
            Log("ignored a notification nobody handles: " + std::string(method));
        return true;
    }
    try {
        (*handler)(params);
    } catch (const std::exception& e) {
        Log("the handler of " + std::string(method) + " failed: " + e.what());
    }
    return true;
}

bool Server::OnResponse(Json id, Expected<Json> result) {
    std::function<void(Expected<Json>)> onAnswer;
    if (id.is_number_integer()) {
        const std::lock_guard lock(m_callLock);
        if (const auto it = m_calls.find(id.get<std::int64_t>()); it != m_calls.end()) {
            onAnswer = std::move(it->second);
            m_calls.erase(it);
        }
    }
    if (!onAnswer) {
        Log("ignored an answer to no request of the server: " + id.dump());
        return true;
    }
    onAnswer(std::move(result));
    return true;
}

int Server::Run() {
    const Transport::End end = m_transport.Loop(*this);
    if (end != Transport::End::Exit) {
        m_exitStatus = m_state == State::ShutDown ? 0 : 1;
        Log(end == Transport::End::Failed ? "reading the input failed: ending"
                                          : "the input ended: ending");
    }
    m_quick->Stop();
    m_long->Stop();
    return m_exitStatus;
}

} // namespace tessel::lsp
