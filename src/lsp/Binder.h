#pragma once

// The table from a method's name to its handler. A feature binds typed
// handlers:
//
//   binder.Request<HoverParams, std::optional<Hover>>("textDocument/hover",
//       [](const HoverParams& params, Reply<std::optional<Hover>> reply) { ... });
//   binder.Notification<DidOpenTextDocumentParams>("textDocument/didOpen", ...);
//
// and the binder reads the parameters from JSON (a failure is answered with
// InvalidParams, or logged for a notification) and writes the result back.
// A handler answers through its Reply, at once or later from any thread (a
// worker), exactly once; a Reply dropped unanswered answers InternalError
// itself, so no request waits for ever. A handler that throws is answered
// with InternalError too, and the server goes on.

#include "lsp/Json.h"
#include "lsp/Protocol.h"
#include "lsp/Transport.h"

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace tessel::lsp {

// One request's answer, shared by the copies of its Reply.
class PendingReply {
public:
    using Send = std::function<void(const Json& id, const Expected<Json>& result)>;
    PendingReply(Json id, Send send) : m_id(std::move(id)), m_send(std::move(send)) {}
    ~PendingReply();
    PendingReply(const PendingReply&) = delete;
    PendingReply& operator=(const PendingReply&) = delete;

    // Sends the answer, the first time only. Once the request is cancelled
    // every answer is RequestCancelled: the client no longer wants it.
    void Answer(Expected<Json> result);
    bool Answered() const { return m_answered.load(); }
    const Json& Id() const { return m_id; }
    // Requested by $/cancelRequest (and when the server shuts down).
    void Cancel() { m_cancel.request_stop(); }
    std::stop_token StopToken() const { return m_cancel.get_token(); }

private:
    Json m_id;
    Send m_send;
    std::atomic<bool> m_answered{false};
    std::stop_source m_cancel;
};

template <typename Result>
class Reply {
public:
    explicit Reply(std::shared_ptr<PendingReply> pending) : m_pending(std::move(pending)) {}

    void operator()(Result result) const {
        m_pending->Answer(Expected<Json>(Json(std::move(result))));
    }
    void operator()(Error error) const { m_pending->Answer(std::move(error)); }
    void Fail(ErrorCode code, std::string message) const {
        m_pending->Answer(Error{code, std::move(message)});
    }
    // Whether the client cancelled the request: the handler may stop and
    // answer anything (the answer becomes RequestCancelled).
    bool Cancelled() const { return m_pending->StopToken().stop_requested(); }
    std::stop_token StopToken() const { return m_pending->StopToken(); }
    const Json& Id() const { return m_pending->Id(); }

private:
    std::shared_ptr<PendingReply> m_pending;
};

class Binder {
public:
    using RawRequest = std::function<void(const Json& params, std::shared_ptr<PendingReply>)>;
    using RawNotification = std::function<void(const Json& params)>;

    explicit Binder(LogSink log = {}) : m_log(std::move(log)) {}

    template <typename Params, typename Result>
    void Request(std::string method, std::function<void(const Params&, Reply<Result>)> handler) {
        m_requests[method] = [method, handler = std::move(handler)](
                                 const Json& raw, std::shared_ptr<PendingReply> pending) {
            Params params;
            if (std::string why; !Read(raw, params, why))
                return pending->Answer(
                    Error{ErrorCode::InvalidParams, "invalid params of " + method + ": " + why});
            handler(params, Reply<Result>(std::move(pending)));
        };
    }

    template <typename Params>
    void Notification(std::string method, std::function<void(const Params&)> handler) {
        m_notifications[method] = [this, method, handler = std::move(handler)](const Json& raw) {
            Params params;
            if (std::string why; !Read(raw, params, why)) {
                if (m_log)
                    m_log("ignored " + method + " with invalid params: " + why);
                return;
            }
            handler(params);
        };
    }

    // Null when nothing is bound to `method`.
    const RawRequest* FindRequest(std::string_view method) const;
    const RawNotification* FindNotification(std::string_view method) const;
    bool HasRequest(std::string_view method) const { return FindRequest(method) != nullptr; }

private:
    // Absent params read as an empty object.
    template <typename Params>
    static bool Read(const Json& raw, Params& params, std::string& why) {
        try {
            (raw.is_null() ? Json::object() : raw).get_to(params);
            return true;
        } catch (const std::exception& e) {
            why = e.what();
            return false;
        }
    }

    LogSink m_log;
    std::map<std::string, RawRequest, std::less<>> m_requests;
    std::map<std::string, RawNotification, std::less<>> m_notifications;
};

} // namespace tessel::lsp
