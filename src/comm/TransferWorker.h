#pragma once

#include "comm/CancelSignal.h"
#include "settings/ComSettings.h"

#include <atomic>
#include <string>
#include <thread>

namespace tessel {

class CComPort;

// What a transfer tells whoever watches it. Every call comes from the
// worker's thread; a window toolkit forwards them to its own thread.
class ITransferObserver {
public:
    virtual ~ITransferObserver() = default;
    // Bytes sent before the current one (send), or received so far (receive).
    virtual void OnProgress(unsigned count) = 0;
    // The transfer has ended normally; Completed() is already true.
    virtual void OnDone() = 0;
    // The port could not be opened (it has been closed again): message 210
    // with the caption `captionId` ("送信" or "受信"); `device` and `reason`
    // say which device and why. Nothing else follows.
    virtual void OnOpenFailed(unsigned captionId, const std::string& device,
                              const std::string& reason) = 0;
};

// One transfer on a thread of its own: a send writes the buffer byte by byte
// up to and including the first end-of-text code; a receive appends bytes to
// the buffer up to and including the end-of-text code. The buffer and the
// observer must outlive the worker; destroying the worker cancels a transfer
// that has not completed and waits for its thread to end.
class TransferWorker {
public:
    enum class Mode { Send, Receive };

    TransferWorker(Mode mode, const ComSettings& settings, std::string& buffer,
                   ITransferObserver& observer);
    ~TransferWorker();
    TransferWorker(const TransferWorker&) = delete;
    TransferWorker& operator=(const TransferWorker&) = delete;

    // Starts the transfer on its own thread; once only. False when the
    // system would not make a thread (or it was started before): then no
    // observer call will come.
    bool Start();
    // Asks a running transfer to stop at once; does nothing once it has ended.
    // Async-signal-safe, so a Ctrl-C handler may call it.
    void Cancel() noexcept { m_cancel.Raise(); }
    // Waits until the worker's thread has ended. Not from the worker's own
    // thread (an observer call).
    void Join();
    // Set by the worker before OnDone; false after an open failure or a
    // failed or cancelled transfer.
    bool Completed() const { return m_completed.load(std::memory_order_acquire); }
    // Why a transfer that got its port open failed or stopped (the port's
    // reason; "Operation canceled" after a cancel); empty otherwise. Read it
    // only after Join().
    const std::string& FailureReason() const { return m_failureReason; }
    // True once the worker's thread has made its last observer call and
    // touches neither the buffer nor the observer any more (also before
    // Start, and when Start failed). Join() then returns at once; a caller
    // that must not block can poll this instead.
    bool Ended() const { return !m_running.load(std::memory_order_acquire); }

private:
    void Run();
    // The transfer on an open port; true when it ended normally.
    bool RunSend(CComPort& port);
    bool RunReceive(CComPort& port);

    const Mode m_mode;
    const ComSettings m_settings; // a copy: a transfer never sees later changes
    std::string& m_buffer;
    ITransferObserver& m_observer;
    CancelSignal m_cancel;
    std::atomic<bool> m_completed{false};
    std::string m_failureReason; // written by the worker's thread only
    std::atomic<bool> m_running{false};
    bool m_started = false;
    std::thread m_thread;
};

} // namespace tessel
