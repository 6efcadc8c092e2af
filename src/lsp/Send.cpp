#include "lsp/Send.h"

#include "comm/ComPort.h"
#include "comm/PortDiscovery.h"
#include "comm/SendEstimate.h"
#include "comm/TransferWorker.h"
#include "lsp/Rewrites.h"
#include "res/StringTable.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <future>
#include <mutex>
#include <stop_token>
#include <string>
#include <utility>

namespace tessel::lsp {
namespace {

using namespace std::chrono_literals;

// How long the client may take to make a progress token, and how often the
// progress is reported at most.
constexpr auto kTokenWait = 5s;
constexpr auto kReportEvery = 200ms;

// The send under way, if any: the cancellation reaches its worker here.
struct SendState {
    std::mutex lock;
    bool busy = false;
    TransferWorker* worker = nullptr;
    Json token; // its progress token; null for none
    std::uint64_t tokens = 0;
};

// The progress of one send, reported from the worker's thread.
class SendProgress final : public TransferObserver {
public:
    SendProgress(Server& server, Json token, const ComSettings& com, const std::string& bytes)
        : m_server(server), m_token(std::move(token)), m_estimate(com, bytes) {}

    void Begin() {
        if (m_token.is_null())
            return;
        WorkDoneProgressBegin begin;
        begin.title = std::string(LoadString(IDS_CAPTION_SEND));
        begin.cancellable = true;
        begin.message = std::string(LoadString(IDS_TRANSFER_READY));
        begin.percentage = 0;
        m_server.Notify("$/progress", ProgressParams{m_token, begin});
    }
    void End(const std::string& message) {
        if (!m_token.is_null())
            m_server.Notify("$/progress", ProgressParams{m_token, WorkDoneProgressEnd{message}});
    }

    void OnProgress(unsigned count) override {
        const auto now = std::chrono::steady_clock::now();
        if (m_token.is_null() || now - m_last < kReportEvery)
            return;
        m_last = now;
        const std::size_t total = m_estimate.Total();
        const auto ms = static_cast<std::uint64_t>(m_estimate.Remaining(count).count());
        const std::uint64_t seconds = (ms + 999) / 1000;
        char time[32];
        std::snprintf(time, sizeof time, "%llu:%02u", static_cast<unsigned long long>(seconds / 60),
                      static_cast<unsigned>(seconds % 60));
        std::string counted = TransferCountText(TransferWorker::Mode::Send, count);
        counted.erase(0, counted.find_first_not_of(' '));
        WorkDoneProgressReport report;
        report.message = counted + ", " + LoadFormatted(IDS_TRANSFER_TIME_LEFT, {time});
        report.percentage = static_cast<std::uint32_t>(
            total == 0 ? 100 : std::min<std::uint64_t>(100, std::uint64_t{count} * 100 / total));
        m_server.Notify("$/progress", ProgressParams{m_token, report});
    }
    void OnEnded(const TransferEnd& end) override { m_end = end; }

    const TransferEnd& Ended() const { return m_end; }

private:
    Server& m_server;
    Json m_token;
    SendEstimate m_estimate;
    std::chrono::steady_clock::time_point m_last{};
    TransferEnd m_end;
};

// What the editor is told when a send did not complete, in tessel-cli
// send's words.
std::string Failure(const TransferEnd& end, const ComSettings& com, const std::string& name) {
    const std::string reason = end.Reason();
    switch (end.outcome) {
    case TransferEnd::Outcome::Completed:
        return {};
    case TransferEnd::Outcome::Cancelled:
        return name + ": " + std::string(LoadString(IDS_CLI_SEND_INTERRUPTED));
    case TransferEnd::Outcome::OpenFailed: {
        std::string text = end.device + ": " + std::string(LoadString(IDS_PORT_OPEN_FAILED));
        if (!reason.empty())
            text += " (" + reason + ")";
        if (end.problem.systemError != 0) {
            std::string advice =
                ExplainOpenProblem(DiagnoseOpenFailure(end.problem.systemError, end.device, &com));
            while (!advice.empty() && advice.back() == '\n')
                advice.pop_back();
            if (!advice.empty())
                text += "\n" + advice;
        }
        return text;
    }
    case TransferEnd::Outcome::LineFailed:
    case TransferEnd::Outcome::Faulted:
    case TransferEnd::Outcome::TimedOut:
        break;
    }
    return end.device + ": " +
           LoadFormatted(IDS_CLI_SEND_BROKE_OFF, {reason.empty() ? "" : " (" + reason + ")"});
}

// Bytes that reach the device as something else than they are, as tessel-cli
// send warns of them: the send goes ahead.
std::vector<std::string> LineWarnings(const ComSettings& com, std::string_view bytes,
                                      const std::string& name) {
    std::vector<std::string> warnings;
    const std::string_view sent = bytes.substr(0, bytes.find(static_cast<char>(com.EndCode())));
    if (com.FlowControl == kFlowXonXoff && sent.find_first_of("\x11\x13") != std::string_view::npos)
        warnings.push_back(name + ": " + std::string(LoadString(IDS_WARN_FLOW_CODES)));
    if (com.DataBit == 0 &&
        std::ranges::any_of(sent, [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
        warnings.push_back(name + ": " + std::string(LoadString(IDS_WARN_SEVEN_BITS)));
    return warnings;
}

// Waits for the client to take a progress token the server made; false when
// it refused it or did not answer in time.
bool TokenTaken(Server& server, const Json& token, std::stop_token stop,
                std::stop_token cancelled) {
    auto taken = std::make_shared<std::promise<bool>>();
    std::future<bool> answer = taken->get_future();
    server.Call("window/workDoneProgress/create", WorkDoneProgressCreateParams{token},
                [taken](Expected<Json> result) { taken->set_value(result.Ok()); });
    for (auto waited = 0ms;
         waited < kTokenWait && !stop.stop_requested() && !cancelled.stop_requested();
         waited += 50ms)
        if (answer.wait_for(50ms) == std::future_status::ready)
            return answer.get();
    return false;
}

} // namespace

void AddSend(Server& server, std::shared_ptr<const AppSettings> settings) {
    auto state = std::make_shared<SendState>();
    server.SetCapability("executeCommandProvider",
                         ExecuteCommandOptions{{std::string(kSendCommand)}});
    server.Bind().Notification<WorkDoneProgressCancelParams>(
        "window/workDoneProgress/cancel", [state](const WorkDoneProgressCancelParams& params) {
            const std::lock_guard lock(state->lock);
            if (state->worker != nullptr && state->token == params.token)
                state->worker->Cancel();
        });
    server.Bind().Request<ExecuteCommandParams, std::nullptr_t>(
        "workspace/executeCommand", [&server, settings, state](const ExecuteCommandParams& params,
                                                               Reply<std::nullptr_t> reply) {
            if (params.command != kSendCommand)
                return reply.Fail(ErrorCode::InvalidParams, "no such command: " + params.command);
            if (params.arguments.empty() || !params.arguments[0].is_string())
                return reply.Fail(ErrorCode::InvalidParams,
                                  "tessel.send takes the URI of the document to send");
            const std::string uri = params.arguments[0].get<std::string>();
            const DocumentSnapshot document = server.Documents().Get(uri);
            if (!document)
                return reply.Fail(ErrorCode::InvalidParams, "the document is not open: " + uri);
            const auto refuse = [&](const std::string& why) {
                server.Notify("window/showMessage", ShowMessageParams{MessageType::Error, why});
                reply.Fail(ErrorCode::RequestFailed, why);
            };
            const Rewritten sent = SendDocument(*document, *settings);
            if (!sent.Ok())
                return refuse(sent.refusal);
            Json token = params.workDoneToken.value_or(Json());
            bool create = false;
            {
                const std::lock_guard lock(state->lock);
                if (state->busy)
                    return refuse(std::string(LoadString(IDS_LSP_SEND_BUSY)));
                state->busy = true;
                if (token.is_null() && server.Client().workDoneProgress) {
                    token = "tessel.send/" + std::to_string(++state->tokens);
                    create = true;
                }
                state->token = token;
            }
            const ComSettings& com = settings->m_comSettings;
            const std::string name = ShownName(uri);
            for (const std::string& warning : LineWarnings(com, sent.text, name))
                server.Notify("window/showMessage",
                              ShowMessageParams{MessageType::Warning, warning});
            server.Long().Post([&server, state, reply, bytes = sent.text, token, create, com,
                                name](std::stop_token stop) mutable {
                const bool shown = !token.is_null() &&
                                   (!create || TokenTaken(server, token, stop, reply.StopToken()));
                SendProgress progress(server, shown ? token : Json(), com, bytes);
                progress.Begin();
                std::string failure;
                {
                    TransferWorker worker(TransferWorker::Mode::Send, com, bytes, progress);
                    const std::stop_callback onStop(stop, [&worker] { worker.Cancel(); });
                    const std::stop_callback onCancel(reply.StopToken(),
                                                      [&worker] { worker.Cancel(); });
                    {
                        const std::lock_guard lock(state->lock);
                        state->worker = &worker;
                    }
                    if (stop.stop_requested() || reply.Cancelled())
                        worker.Cancel();
                    if (worker.Start()) {
                        worker.Join();
                        failure = Failure(progress.Ended(), com, name);
                    } else {
                        failure = DevicePath(com) + ": " +
                                  LoadFormatted(IDS_CLI_SEND_BROKE_OFF,
                                                {" (the transfer could not be started)"});
                    }
                    const std::lock_guard lock(state->lock);
                    state->worker = nullptr;
                    state->busy = false;
                    state->token = Json();
                }
                if (failure.empty()) {
                    const std::string done(CompletionText(TransferWorker::Mode::Send));
                    progress.End(done);
                    if (!shown)
                        server.Notify("window/showMessage",
                                      ShowMessageParams{MessageType::Info, done});
                    return reply(nullptr);
                }
                progress.End(failure);
                server.Notify("window/showMessage", ShowMessageParams{MessageType::Error, failure});
                reply.Fail(ErrorCode::RequestFailed, failure);
            });
        });
}

} // namespace tessel::lsp
