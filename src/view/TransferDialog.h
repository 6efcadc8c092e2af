#pragma once

#include "comm/SendEstimate.h"
#include "comm/TransferWorker.h"

#include <QDialog>

#include <string>

class QEventLoop;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace tessel {

// The small modal dialog a transfer runs under, titled "送信" or "受信",
// with a caption and no system menu: the byte count so far, the
// completion, and a "中断" button (the cancel command, like Esc and a close
// from the window manager) that stops a transfer not yet complete and reads
// "OK" once it is. Beyond the count, a send shows its share done and the
// time left at the line speed; a receive, whose length is not known, a busy
// bar.
//
// It observes the worker: each report, made on the worker's thread, is
// posted to this dialog as a queued call and shown on the GUI thread, in
// the order made. Reports that come before the window is up wait in the
// queue; those that come after the dialog has ended are dropped, all but
// the worker's last, which Run waits for. Should that one be lost on its
// way, the dialog takes it from the worker once the worker has ended.
//
// A transfer that completes turns the button into "OK", with the bytes sent
// or received below the bar; one whose port would not open, or whose worker
// failed, shows why in a message box (for a port, what to do about it below)
// and closes the dialog; after a line error the dialog stays as it was until
// it is closed. While the line stands still, the line below the bar says so
// in place of the time left. When the dialog has closed, the window it was
// opened over has the keys again.
class TransferDialog : public QDialog, public TransferObserver {
    Q_OBJECT

public:
    explicit TransferDialog(QWidget* parent = nullptr);
    ~TransferDialog() override;

    // One transfer under the dialog, modal over `owner`: a send of `buffer`,
    // or a receive appending to it. Returns how it ended once the dialog has
    // closed and the worker has ended, so the buffer is the caller's again.
    static TransferEnd Run(TransferWorker::Mode mode, const ComSettings& settings,
                           std::string& buffer, QWidget* owner);

    // The worker whom the cancel goes to, and the direction; before exec().
    void SetThread(TransferWorker& worker, TransferWorker::Mode mode);
    // Starts that worker, and watches for its end. False when it would not
    // start: then no report will come.
    bool StartWorker();
    // What a send's share done and time left are measured by.
    void SetSendEstimate(SendEstimate estimate);
    // After the modal run: cancels a transfer that is not complete, then
    // waits until the worker's last report has arrived. That is a moment: a
    // cancelled worker stops at once. Events other than input go on
    // meanwhile.
    void WaitForWorker();

    // The cancel command: a cancel request unless the transfer is complete,
    // then the dialog ends.
    void reject() override;
    void done(int result) override;

    // TransferObserver, on the worker's thread: each is posted.
    void OnProgress(unsigned count) override;
    void OnStall(bool stalled) override;
    void OnEnded(const TransferEnd& end) override;

signals:
    // The message line now reads `text`.
    void MessageChanged(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // One report of the worker, as it travels to the GUI thread.
    struct Report {
        enum class Kind { Progress, Stall, Ended };
        Kind kind = Kind::Progress;
        unsigned count = 0; // Progress: the count; Stall: 1 stalled, 0 moving again
        TransferEnd end;
    };
    void Post(Report report);
    void Apply(const Report& report);
    void ShowEnd(const TransferEnd& end);
    // Message `textId` with the device and the reason, then the dialog
    // closes (as soon as its window is up).
    void CloseWithMessage(unsigned textId, const TransferEnd& end);
    void SetMessage(const QString& text);
    void ShowSendProgress(std::size_t sent);
    void ShowStall(bool stalled);
    // The worker has ended: its last report, unless that was applied
    // already, is taken from the worker.
    void TakeMissedEnd();
    bool IsSend() const { return m_mode == TransferWorker::Mode::Send; }

    TransferWorker* m_worker = nullptr;
    TransferWorker::Mode m_mode = TransferWorker::Mode::Send;
    SendEstimate m_estimate;
    bool m_ended = false;             // the dialog has ended: later reports are dropped
    bool m_closePending = false;      // to close as soon as the window is up
    bool m_workerEnded = false;       // the worker's last report has arrived
    bool m_stalled = false;           // the line stands still: the time left is not shown
    unsigned m_lastCount = 0;         // the last count shown
    QEventLoop* m_waitLoop = nullptr; // WaitForWorker's, while it waits
    QLabel* m_message;
    QProgressBar* m_progress;
    QLabel* m_timeLeft;
    QPushButton* m_button;
    QTimer* m_endWatch; // while the worker runs: has it ended?
};

// "残り約N秒", "残り約M分N秒" or "残り約H時間M分", whole seconds rounded up.
QString FormatTimeLeft(std::chrono::milliseconds left);

// How a transfer the user stopped ended: "送信を 120 バイトで中断しました".
QString StoppedText(TransferWorker::Mode mode, std::size_t bytes);

} // namespace tessel
