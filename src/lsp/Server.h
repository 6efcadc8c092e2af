#pragma once

// The language server's protocol glue: the lifecycle, the open documents,
// the table of handlers, and the threads that keep the main loop free.
// Features plug in through Bind(), Documents(), the two work queues and
// AddProblemSource(); they see typed structs, never the wire.
//
// Lifecycle, as the protocol has it:
//   - before initialize, a request is answered with ServerNotInitialized
//     and a notification is dropped (exit excepted);
//   - a second initialize, and any request after shutdown, is answered
//     with InvalidRequest;
//   - a method nobody handles: MethodNotFound for a request; a notification
//     is ignored (logged, but for "$/" ones);
//   - exit ends the loop: status 0 after shutdown, 1 without; the end of
//     the input ends it too, with the same statuses.
//
// Threads: the main loop reads messages and runs the handlers in order
// (document changes among them). Work that takes time goes to a queue:
// Quick() for work over a document snapshot (diagnostics after a pause in
// typing), Long() for work that may take minutes (a send), so that neither
// waits for the other. Answers and notifications go out through the
// transport from any thread, one whole message at a time. $/cancelRequest
// marks a request cancelled: its handler sees it (Reply::Cancelled(), a
// stop token) and the answer becomes RequestCancelled.

#include "lsp/Binder.h"
#include "lsp/DocumentStore.h"
#include "lsp/Protocol.h"
#include "lsp/Transport.h"
#include "lsp/WorkQueue.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace tessel::lsp {

struct ServerOptions {
    std::string name = "tessel-cli";
    std::string version;
    // How long the text must rest before its problems are looked for.
    std::chrono::milliseconds diagnosticsDelay{300};
    LogSink log;
};

class Server final : public MessageHandler {
public:
    Server(Transport& transport, ServerOptions options);
    ~Server() override;
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Reads and handles messages until exit or the end of the input; the
    // process's exit status.
    int Run();

    // --- For the features ---
    Binder& Bind() { return m_binder; }
    DocumentStore& Documents() { return m_documents; }
    WorkQueue& Quick() { return *m_quick; }
    WorkQueue& Long() { return *m_long; }
    // What initialize agreed on; UTF-16 before it.
    PositionEncoding Encoding() const { return m_encoding; }
    const ClientCapabilities& Client() const { return m_client; }
    // The options of a capability the server announces (a semantic token
    // legend, completion's trigger characters); a bound method that has a
    // capability of its own announces `true` without them.
    void SetCapability(const std::string& key, Json value);
    // Options that depend on what the client takes, made at initialize.
    using CapabilityMaker = std::function<Json(const ClientCapabilities&)>;
    void SetCapability(const std::string& key, CapabilityMaker make);
    // The capabilities initialize answers with.
    Json Capabilities() const;

    // A document's problems: each source adds its own, and the server
    // publishes them together once the text has rested.
    using ProblemSource = std::function<void(const Document&, PositionEncoding encoding,
                                             std::vector<Diagnostic>& problems)>;
    void AddProblemSource(ProblemSource source);

    // Any thread.
    void Notify(std::string_view method, const Json& params);
    void Call(std::string_view method, const Json& params,
              std::function<void(Expected<Json>)> onAnswer);
    void Log(std::string_view line) const;

    // --- MessageHandler ---
    bool OnNotification(std::string_view method, Json params) override;
    bool OnRequest(std::string_view method, Json params, Json id) override;
    bool OnResponse(Json id, Expected<Json> result) override;

private:
    enum class State { Uninitialized, Running, ShutDown };

    void BindLifecycle();
    void BindDocuments();
    void ScheduleProblems(const std::string& uri);
    void PublishProblems(const std::string& uri);
    void Answered(const Json& id);

    Transport& m_transport;
    ServerOptions m_options;
    Binder m_binder;
    DocumentStore m_documents;
    State m_state = State::Uninitialized;
    int m_exitStatus = 1;
    PositionEncoding m_encoding = PositionEncoding::Utf16;
    ClientCapabilities m_client;
    std::map<std::string, Json> m_capabilityOptions;
    std::map<std::string, CapabilityMaker> m_capabilityMakers;
    std::vector<ProblemSource> m_problemSources;

    // Requests under way, by their id as JSON text ("1" and "\"1\"" differ).
    std::mutex m_inFlightLock;
    std::map<std::string, std::weak_ptr<PendingReply>> m_inFlight;
    // The server's own requests to the client, by id.
    std::mutex m_callLock;
    std::int64_t m_nextCall = 1;
    std::map<std::int64_t, std::function<void(Expected<Json>)>> m_calls;

    // Last: their threads stop first, while everything above is there.
    std::unique_ptr<WorkQueue> m_quick;
    std::unique_ptr<WorkQueue> m_long;
};

} // namespace tessel::lsp
