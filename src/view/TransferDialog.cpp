#include "view/TransferDialog.h"

#include "comm/PortDiscovery.h"
#include "res/StringTable.h"
#include "ui/DialogFields.h"
#include "ui/MessageBox.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace tessel {
namespace {

// How often the dialog looks whether its worker has ended, in case the
// worker's last report never comes.
constexpr int kEndWatchMs = 100;

} // namespace

QString FormatTimeLeft(std::chrono::milliseconds left) {
    const long long seconds = (left.count() + 999) / 1000;
    if (seconds < 60)
        return LoadQString(IDS_TIME_LEFT_SECONDS).arg(seconds);
    if (seconds < 3600)
        return LoadQString(IDS_TIME_LEFT_MINUTES).arg(seconds / 60).arg(seconds % 60);
    return LoadQString(IDS_TIME_LEFT_HOURS).arg(seconds / 3600).arg(seconds % 3600 / 60);
}

namespace {

QString ByteCount(std::size_t bytes) {
    return LoadQString(bytes == 1 ? IDS_CLI_BYTE : IDS_CLI_BYTES).arg(bytes);
}

} // namespace

QString StoppedText(TransferWorker::Mode mode, std::size_t bytes) {
    return LoadQString(mode == TransferWorker::Mode::Send ? IDS_TRANSFER_SEND_STOPPED
                                                          : IDS_TRANSFER_RECEIVE_STOPPED)
        .arg(ByteCount(bytes));
}

TransferDialog::TransferDialog(QWidget* parent)
    : QDialog(parent), m_message(new QLabel(LoadQString(IDS_TRANSFER_READY), this)),
      m_progress(new QProgressBar(this)), m_timeLeft(new QLabel(this)),
      m_button(new QPushButton(LoadQString(IDS_TRANSFER_STOP), this)),
      m_endWatch(new QTimer(this)) {
    setObjectName(QStringLiteral("TransferDialog"));
    m_message->setObjectName(QStringLiteral("message"));
    m_message->setAlignment(Qt::AlignCenter);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_timeLeft->setObjectName(QStringLiteral("timeLeft"));
    m_timeLeft->setAlignment(Qt::AlignCenter);
    m_button->setObjectName(QStringLiteral("cancel"));
    m_button->setDefault(true);
    connect(m_button, &QPushButton::clicked, this, &TransferDialog::reject);
    m_endWatch->setInterval(kEndWatchMs);
    connect(m_endWatch, &QTimer::timeout, this, [this] {
        if (!m_worker || !m_worker->Ended())
            return;
        m_endWatch->stop();
        // The worker's last report, if it made one, was posted before it
        // ended: it arrives before this.
        QMetaObject::invokeMethod(this, &TransferDialog::TakeMissedEnd, Qt::QueuedConnection);
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_message);
    layout->addWidget(m_progress);
    layout->addWidget(m_timeLeft);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_button);
    buttons->addStretch();
    layout->addLayout(buttons);
    // Room for the longest text, so the window does not change size as
    // the count goes up.
    setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00000 ") +
                                                    LoadQString(IDS_TRANSFER_RECEIVED_COUNT)) *
                    2);
    // A caption and no system menu.
    SetDialogFrame(this, false);
}

TransferDialog::~TransferDialog() = default;

TransferEnd TransferDialog::Run(TransferWorker::Mode mode, const ComSettings& settings,
                                std::string& buffer, QWidget* owner) {
    const QPointer<QWidget> focus = QApplication::focusWidget();
    TransferDialog dialog(owner);
    if (mode == TransferWorker::Mode::Send)
        dialog.SetSendEstimate(SendEstimate(settings, buffer));
    // Made after the dialog, so that it goes first: the dialog it reports
    // to outlives it.
    TransferWorker worker(mode, settings, buffer, dialog);
    dialog.SetThread(worker, mode);
    if (!dialog.StartWorker()) {
        // No thread for the transfer: as good as a port that won't open.
        ShowMessageBox({owner, dialog.windowTitle(), LoadQString(IDS_PORT_OPEN_FAILED),
                        QMessageBox::NoIcon, QMessageBox::Ok});
        TransferEnd end;
        end.outcome = TransferEnd::Outcome::OpenFailed;
        end.captionId = mode == TransferWorker::Mode::Send ? IDS_CAPTION_SEND : IDS_CAPTION_RECEIVE;
        return end;
    }
    dialog.exec();
    dialog.WaitForWorker();
    // A window manager may leave the keys with no window when the dialog
    // goes right after a message over it: the window the dialog was opened
    // over takes them back, for the widget that had them.
    if (owner) {
        owner->window()->activateWindow();
        if (focus && focus->window() == owner->window())
            focus->setFocus(Qt::ActiveWindowFocusReason);
    }
    // Its last report, whether or not the dialog took it: the thread is at
    // its end.
    worker.Join();
    return worker.EndReport();
}

void TransferDialog::SetThread(TransferWorker& worker, TransferWorker::Mode mode) {
    m_worker = &worker;
    m_mode = mode;
    setWindowTitle(LoadQString(IsSend() ? IDS_CAPTION_SEND : IDS_CAPTION_RECEIVE));
    if (IsSend()) {
        ShowSendProgress(0);
    } else {
        m_progress->setRange(0, 0); // busy: the length is not known
        m_timeLeft->hide();
    }
}

bool TransferDialog::StartWorker() {
    if (!m_worker || !m_worker->Start())
        return false;
    m_endWatch->start();
    return true;
}

void TransferDialog::TakeMissedEnd() {
    if (!m_workerEnded && m_worker)
        Apply({Report::Kind::Ended, 0, m_worker->EndReport()});
}

void TransferDialog::SetSendEstimate(SendEstimate estimate) {
    m_estimate = std::move(estimate);
    if (IsSend())
        ShowSendProgress(0);
}

void TransferDialog::ShowSendProgress(std::size_t sent) {
    m_lastCount = static_cast<unsigned>(sent);
    if (m_stalled)
        return;
    const auto total = static_cast<int>(std::max<std::size_t>(m_estimate.Total(), 1));
    m_progress->setRange(0, total);
    m_progress->setValue(static_cast<int>(std::min<std::size_t>(sent, m_estimate.Total())));
    m_timeLeft->setText(sent >= m_estimate.Total() ? QString()
                                                   : FormatTimeLeft(m_estimate.Remaining(sent)));
}

void TransferDialog::SetMessage(const QString& text) {
    m_message->setText(text);
    emit MessageChanged(text);
}

void TransferDialog::reject() {
    if (m_worker && !m_worker->Completed())
        m_worker->Cancel();
    QDialog::reject();
}

void TransferDialog::done(int result) {
    m_ended = true;
    QDialog::done(result);
}

void TransferDialog::WaitForWorker() {
    // A worker that has ended (or never started) has made its last call:
    // its report, if still on its way, no longer matters.
    if (!m_worker || m_workerEnded || m_worker->Ended())
        return;
    if (!m_worker->Completed())
        m_worker->Cancel();
    // Reports still on their way arrive meanwhile and are dropped; the last
    // one ends the wait.
    QEventLoop loop;
    m_waitLoop = &loop;
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    m_waitLoop = nullptr;
}

void TransferDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Ending the dialog from here would leave exec() waiting for good.
    if (m_closePending)
        QMetaObject::invokeMethod(this, &TransferDialog::reject, Qt::QueuedConnection);
}

void TransferDialog::OnProgress(unsigned count) {
    Post({Report::Kind::Progress, count, {}});
}

void TransferDialog::OnStall(bool stalled) {
    Post({Report::Kind::Stall, stalled ? 1u : 0u, {}});
}

void TransferDialog::ShowStall(bool stalled) {
    m_stalled = stalled;
    if (stalled) {
        m_timeLeft->setText(
            LoadQString(IsSend() ? IDS_TRANSFER_SEND_STALLED : IDS_TRANSFER_RECEIVE_STALLED));
        m_timeLeft->setWordWrap(true);
        m_timeLeft->show();
        // The window's size was fixed when it opened, for one line of time
        // left: make it tall enough for every line of this text.
        if (QLayout* box = layout(); box && isVisible()) {
            box->invalidate();
            const int needed = box->hasHeightForWidth() ? box->totalHeightForWidth(width())
                                                        : box->totalSizeHint().height();
            if (needed > height())
                setFixedHeight(needed);
        }
    } else if (IsSend()) {
        ShowSendProgress(m_lastCount);
    } else {
        m_timeLeft->hide();
    }
}

void TransferDialog::OnEnded(const TransferEnd& end) {
    Post({Report::Kind::Ended, 0, end});
}

void TransferDialog::Post(Report report) {
    QMetaObject::invokeMethod(
        this, [this, report = std::move(report)] { Apply(report); }, Qt::QueuedConnection);
}

void TransferDialog::Apply(const Report& report) {
    if (report.kind == Report::Kind::Ended) {
        m_workerEnded = true;
        m_endWatch->stop();
        if (m_waitLoop)
            m_waitLoop->quit();
    }
    if (m_ended)
        return;
    switch (report.kind) {
    case Report::Kind::Progress:
        SetMessage(QString::fromStdString(TransferCountText(m_mode, report.count)));
        if (IsSend())
            ShowSendProgress(report.count);
        break;
    case Report::Kind::Stall:
        ShowStall(report.count != 0);
        break;
    case Report::Kind::Ended:
        ShowEnd(report.end);
        break;
    }
}

void TransferDialog::ShowEnd(const TransferEnd& end) {
    switch (end.outcome) {
    case TransferEnd::Outcome::Completed:
        m_stalled = false;
        m_button->setText(QStringLiteral("OK"));
        SetMessage(QString::fromUtf8(CompletionText(m_mode)));
        if (IsSend()) {
            ShowSendProgress(m_estimate.Total());
        } else {
            m_progress->setRange(0, 1);
            m_progress->setValue(1);
        }
        // How much went, below the bar.
        m_timeLeft->setText(
            LoadQString(IsSend() ? IDS_TRANSFER_SENT_TOTAL : IDS_TRANSFER_RECEIVED_TOTAL)
                .arg(ByteCount(end.bytes)));
        m_timeLeft->show();
        break;
    case TransferEnd::Outcome::OpenFailed:
        CloseWithMessage(IDS_PORT_OPEN_FAILED, end);
        break;
    case TransferEnd::Outcome::Faulted:
        CloseWithMessage(IDS_TRANSFER_FAILED, end);
        break;
    case TransferEnd::Outcome::LineFailed:
    case TransferEnd::Outcome::Cancelled:
    case TransferEnd::Outcome::TimedOut: // no time-out is set here
        // The counts stop where they are until the dialog is closed.
        break;
    }
}

void TransferDialog::CloseWithMessage(unsigned textId, const TransferEnd& end) {
    // The device and the reason say which adapter and why; for a port that
    // would not open, what to do about it follows.
    QString detail = QStringLiteral("%1: %2").arg(QFile::decodeName(end.device.c_str()),
                                                  QString::fromLocal8Bit(end.Reason()));
    if (textId == IDS_PORT_OPEN_FAILED && end.problem.systemError != 0)
        if (const std::string more =
                ExplainOpenProblem(DiagnoseOpenFailure(end.problem.systemError, end.device));
            !more.empty())
            detail += QStringLiteral("\n\n") + QString::fromStdString(more).trimmed();
    ShowMessageBox({this, LoadQString(end.captionId), LoadQString(textId), QMessageBox::NoIcon,
                    QMessageBox::Ok, detail});
    if (isVisible())
        reject();
    else
        m_closePending = true;
}

} // namespace tessel
