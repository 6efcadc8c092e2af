#pragma once

// A client that drives the language server in-process: it is the server's
// transport, so a test sends messages as a client would and reads what the
// server sends back, without framing or pipes. The server runs its loop on
// a thread of its own, as it would in a process.

#include "lsp/Server.h"
#include "lsp/Transport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tessel::test {

using lsp::Json;

class LspClient final : public lsp::Transport {
public:
    static constexpr std::chrono::seconds kWait{10};

    ~LspClient() override {
        if (m_thread.joinable())
            Finish();
    }

    // Runs `server` (made over this transport) until exit or Finish().
    void Start(lsp::Server& server) {
        m_thread = std::thread([this, &server] {
            const int status = server.Run();
            const std::lock_guard lock(m_lock);
            m_status = status;
            m_changed.notify_all();
        });
    }
    bool Running() const { return m_thread.joinable(); }
    // Ends the input (if exit did not end the loop) and waits for the
    // server: its exit status.
    int Finish() {
        {
            const std::lock_guard lock(m_lock);
            m_inputEnded = true;
            m_changed.notify_all();
        }
        m_thread.join();
        return m_status.value_or(-1);
    }
    // The exit status, once the loop ended by itself (exit).
    std::optional<int> WaitForExit() {
        std::unique_lock lock(m_lock);
        m_changed.wait_for(lock, kWait, [&] { return m_status.has_value(); });
        return m_status;
    }

    // --- The client's side ---
    // Any message as it is, valid or not.
    void SendRaw(Json message) {
        const std::lock_guard lock(m_lock);
        m_incoming.push_back(std::move(message));
        m_changed.notify_all();
    }
    // Sends a request; its id.
    int Send(const std::string& method, Json params = nullptr) {
        const int id = m_nextId++;
        Json message = {{"jsonrpc", "2.0"}, {"id", id}, {"method", method}};
        if (!params.is_null())
            message["params"] = std::move(params);
        SendRaw(std::move(message));
        return id;
    }
    // Sends a notification.
    void Tell(const std::string& method, Json params = nullptr) {
        Json message = {{"jsonrpc", "2.0"}, {"method", method}};
        if (!params.is_null())
            message["params"] = std::move(params);
        SendRaw(std::move(message));
    }
    // The whole answer to request `id` ("result" or "error"); null when
    // none came in time.
    Json Await(const Json& id) {
        std::unique_lock lock(m_lock);
        Json found;
        m_changed.wait_for(lock, kWait, [&] {
            for (auto it = m_answers.begin(); it != m_answers.end(); ++it)
                if ((*it)["id"] == id) {
                    found = std::move(*it);
                    m_answers.erase(it);
                    return true;
                }
            return false;
        });
        if (found.is_null())
            ADD_FAILURE() << "no answer to request " << id.dump();
        return found;
    }
    Json Request(const std::string& method, Json params = nullptr) {
        return Await(Send(method, std::move(params)));
    }
    // The answers the server sent with a null id (to messages it could not
    // read), taken.
    std::vector<Json> TakeAnswersWithoutId() {
        const std::lock_guard lock(m_lock);
        std::vector<Json> taken;
        std::erase_if(m_answers, [&](Json& answer) {
            if (!answer["id"].is_null())
                return false;
            taken.push_back(std::move(answer));
            return true;
        });
        return taken;
    }
    // The params of the notifications of `method` so far, taken.
    std::vector<Json> TakeNotifications(const std::string& method) {
        const std::lock_guard lock(m_lock);
        return TakeLocked(method);
    }
    // Waits for at least one notification of `method`; all of them, taken.
    std::vector<Json> AwaitNotifications(const std::string& method) {
        std::unique_lock lock(m_lock);
        m_changed.wait_for(lock, kWait, [&] {
            return std::any_of(m_notifications.begin(), m_notifications.end(),
                               [&](const Json& n) { return n["method"] == method; });
        });
        return TakeLocked(method);
    }
    // The server's requests to the client so far.
    std::vector<Json> Calls() {
        const std::lock_guard lock(m_lock);
        return m_calls;
    }
    // Every line the server logged.
    std::vector<std::string> LogLines() {
        const std::lock_guard lock(m_lock);
        return m_log;
    }
    lsp::LogSink LogSink() {
        return [this](std::string_view line) {
            const std::lock_guard lock(m_lock);
            m_log.emplace_back(line);
        };
    }

    // The standard initialize of a client that offers `encodings`.
    Json Initialize(const std::vector<std::string>& encodings = {}) {
        Json capabilities = Json::object();
        if (!encodings.empty())
            capabilities["general"]["positionEncodings"] = encodings;
        const Json answer = Request("initialize", {{"capabilities", capabilities}});
        Tell("initialized", Json::object());
        return answer;
    }
    void Open(const std::string& uri, const std::string& text, int version = 1) {
        Tell("textDocument/didOpen",
             {{"textDocument",
               {{"uri", uri}, {"languageId", "basic"}, {"version", version}, {"text", text}}}});
    }

    // --- The server's side ---
    void Notify(std::string_view method, const Json& params) override {
        const std::lock_guard lock(m_lock);
        m_notifications.push_back({{"method", method}, {"params", params}});
        m_changed.notify_all();
    }
    void Call(std::string_view method, const Json& params, const Json& id) override {
        const std::lock_guard lock(m_lock);
        m_calls.push_back({{"method", method}, {"params", params}, {"id", id}});
        m_changed.notify_all();
    }
    void Reply(const Json& id, const lsp::Expected<Json>& result) override {
        Json answer = {{"id", id}};
        if (result.Ok())
            answer["result"] = result.Value();
        else
            answer["error"] = result.Err();
        const std::lock_guard lock(m_lock);
        m_answers.push_back(std::move(answer));
        m_changed.notify_all();
    }
    End Loop(lsp::MessageHandler& handler) override {
        for (;;) {
            Json message;
            {
                std::unique_lock lock(m_lock);
                m_changed.wait(lock, [&] { return !m_incoming.empty() || m_inputEnded; });
                if (m_incoming.empty())
                    return End::EndOfInput;
                message = std::move(m_incoming.front());
                m_incoming.pop_front();
            }
            if (!lsp::DispatchMessage(std::move(message), handler, *this, LogSink()))
                return End::Exit;
        }
    }

private:
    std::vector<Json> TakeLocked(const std::string& method) {
        std::vector<Json> taken;
        std::erase_if(m_notifications, [&](Json& n) {
            if (n["method"] != method)
                return false;
            taken.push_back(std::move(n["params"]));
            return true;
        });
        return taken;
    }

    std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<Json> m_incoming;
    bool m_inputEnded = false;
    std::vector<Json> m_answers;
    std::vector<Json> m_notifications;
    std::vector<Json> m_calls;
    std::vector<std::string> m_log;
    std::optional<int> m_status;
    int m_nextId = 1;
    std::thread m_thread;
};

} // namespace tessel::test
