// The four transfer commands of the desktop program, with a pseudo-terminal
// playing the device.

#include "view/TransferDialog.h"

#include "res/StringTable.h"
#include "support/AppHarness.h"
#include "support/PtyPair.h"
#include "sys/SysCalls.h"
#include "ui/CommandIds.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <functional>
#include <new>
#include <stdexcept>
#include <thread>

namespace tessel {
namespace {

using test::AppHarness;
using test::PtyPair;

// What a transfer dialog showed, from its first text to its last.
struct Watched {
    QString title;
    QStringList texts;
    QString button; // when it was pressed
    QString below;  // the line below the bar then, when it showed
};

QLabel* Message(QDialog* dialog) {
    return dialog->findChild<QLabel*>(QStringLiteral("message"));
}
QPushButton* Button(QDialog* dialog) {
    return dialog->findChild<QPushButton*>(QStringLiteral("cancel"));
}

// Watches the next transfer dialog until `ready` holds (5 s at most), then
// presses its button.
void Watch(AppHarness& h, Watched& watched, std::function<bool(QDialog*)> ready) {
    h.WhenDialogOpens([&watched, ready = std::move(ready)](QDialog* dialog) {
        ASSERT_NE(qobject_cast<TransferDialog*>(dialog), nullptr);
        watched.title = dialog->windowTitle();
        watched.texts.append(Message(dialog)->text());
        QObject::connect(static_cast<TransferDialog*>(dialog), &TransferDialog::MessageChanged,
                         [&watched](const QString& text) { watched.texts.append(text); });
        EXPECT_TRUE(QTest::qWaitFor([&] { return ready(dialog); }, 5000));
        watched.button = Button(dialog)->text();
        auto* below = dialog->findChild<QLabel*>(QStringLiteral("timeLeft"));
        watched.below = below->isVisible() ? below->text() : QString();
        Button(dialog)->click();
    });
}

bool Completed(QDialog* dialog) {
    return Button(dialog)->text() == QStringLiteral("OK");
}

// The counts from 1 to `last` as the dialog shows them.
QStringList Counts(int last, const char* words) {
    QStringList texts;
    for (int count = 1; count <= last; ++count)
        texts.append(QString::asprintf("%5d ", count) + QString::fromUtf8(words));
    return texts;
}

TEST(TransferDialog, TimeLeftInWholeSecondsRoundedUp) {
    using std::chrono::milliseconds;
    EXPECT_EQ(FormatTimeLeft(milliseconds(1)), QStringLiteral("残り約1秒"));
    EXPECT_EQ(FormatTimeLeft(milliseconds(59001)), QStringLiteral("残り約1分0秒"));
    EXPECT_EQ(FormatTimeLeft(milliseconds(3599000)), QStringLiteral("残り約59分59秒"));
    EXPECT_EQ(FormatTimeLeft(milliseconds(3600000 + 61000)), QStringLiteral("残り約1時間1分"));
}

TEST(TransferDialog, HowATransferEndedIsSaidInEitherLanguage) {
    EXPECT_EQ(StoppedText(TransferWorker::Mode::Receive, 1),
              QStringLiteral("受信を 1 バイトで中断しました"));
    SetLanguage(Language::English);
    EXPECT_EQ(StoppedText(TransferWorker::Mode::Send, 1),
              QStringLiteral("Send stopped after 1 byte"));
    EXPECT_EQ(StoppedText(TransferWorker::Mode::Receive, 120),
              QStringLiteral("Receive stopped after 120 bytes"));
    SetLanguage(Language::Japanese);
}

TEST(TransferDialog, OpenFailureReportedBeforeTheWindowIsUpStillClosesIt) {
    std::vector<MessageBoxRequest> messages;
    SetMessageBoxHook([&](const MessageBoxRequest& request) {
        messages.push_back(request);
        return QMessageBox::Ok;
    });
    TransferDialog dialog;
    dialog.OnEnded({TransferEnd::Outcome::OpenFailed, IDS_CAPTION_RECEIVE, "/dev/x",
                    Problem::FromSystem(IDS_PORT_OPEN_FAILED, 0, "gone")});
    QApplication::processEvents(); // shown while the dialog is not
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, QStringLiteral("受信"));
    EXPECT_EQ(messages[0].detail, QStringLiteral("/dev/x: gone"));
    QTimer::singleShot(5000, &dialog, [&dialog] { dialog.done(QDialog::Accepted); });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected); // closed as soon as it was up
    EXPECT_EQ(messages.size(), 1u);
    SetMessageBoxHook({});
}

TEST(TransferDialog, APortThatWillNotOpenSaysWhyUnderTheMessage) {
    std::vector<MessageBoxRequest> messages;
    SetMessageBoxHook([&](const MessageBoxRequest& request) {
        messages.push_back(request);
        return QMessageBox::Ok;
    });
    TransferDialog dialog;
    dialog.OnEnded({TransferEnd::Outcome::OpenFailed, IDS_CAPTION_SEND, "/dev/x",
                    Problem::FromSystem(IDS_PORT_OPEN_FAILED, EBUSY)});
    QApplication::processEvents();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("COMポートを開けません。"));
    EXPECT_TRUE(messages[0].detail.startsWith(QStringLiteral(
        "/dev/x: ほかのプログラムが使用中です\n\n/dev/x は他のプログラムが使用中です。")))
        << messages[0].detail.toStdString();
    SetMessageBoxHook({});
}

TEST(TransferDialog, AStalledLineIsSaidInPlaceOfTheTimeLeft) {
    TransferDialog dialog;
    auto* timeLeft = dialog.findChild<QLabel*>(QStringLiteral("timeLeft"));
    dialog.OnStall(true);
    QApplication::processEvents();
    EXPECT_EQ(timeLeft->text(), LoadQString(IDS_TRANSFER_SEND_STALLED));
    dialog.OnProgress(5); // a count that came before the line moved changes nothing
    QApplication::processEvents();
    EXPECT_EQ(timeLeft->text(), LoadQString(IDS_TRANSFER_SEND_STALLED));
    dialog.OnStall(false);
    QApplication::processEvents();
    EXPECT_NE(timeLeft->text(), LoadQString(IDS_TRANSFER_SEND_STALLED));

    // In an open window, whose size is fixed, every line of it shows.
    // (A receive shows the line only then.)
    for (const auto mode : {TransferWorker::Mode::Send, TransferWorker::Mode::Receive}) {
        const bool send = mode == TransferWorker::Mode::Send;
        TransferDialog shown;
        std::string buffer(1000, 'A');
        if (send)
            shown.SetSendEstimate(SendEstimate(ComSettings(), buffer));
        TransferWorker worker(mode, ComSettings(), buffer, shown); // never started
        shown.SetThread(worker, mode);
        shown.show();
        QApplication::processEvents();
        auto* label = shown.findChild<QLabel*>(QStringLiteral("timeLeft"));
        shown.OnStall(true);
        QApplication::processEvents();
        ASSERT_TRUE(label->isVisible());
        EXPECT_GE(label->height(), label->heightForWidth(label->width())) << send;
        EXPECT_GE(label->height(), 2 * label->fontMetrics().height()) << send;
    }
}

struct TransferTest : ::testing::Test {
    TransferTest() { h.app->Settings().m_comSettings = pty.Settings(); }
    PtyPair pty;
    AppHarness h;
};

TEST_F(TransferTest, SendCommandsFollowTheViewKindAndTheEditor) {
    for (int id : {ID_TEXT_SEND, ID_DATA_SEND})
        EXPECT_FALSE(h.State(id).enabled) << id; // no document
    for (int id : {ID_TEXT_RECEIVE, ID_DATA_RECEIVE, ID_COM_SETTINGS})
        EXPECT_TRUE(h.State(id).enabled) << id;

    h.Execute(ID_NEW_DATA);
    EXPECT_FALSE(h.State(ID_DATA_SEND).enabled); // an empty editor
    h.View()->insertPlainText(QStringLiteral("x"));
    EXPECT_TRUE(h.State(ID_DATA_SEND).enabled);
    EXPECT_FALSE(h.State(ID_TEXT_SEND).enabled);

    h.Execute(ID_NEW_C);
    EXPECT_FALSE(h.State(ID_TEXT_SEND).enabled);
    h.View()->insertPlainText(QStringLiteral("1"));
    EXPECT_TRUE(h.State(ID_TEXT_SEND).enabled);
    EXPECT_FALSE(h.State(ID_DATA_SEND).enabled);
    EXPECT_TRUE(h.State(ID_TEXT_RECEIVE).enabled);
}

TEST_F(TransferTest, SendGoesOutByteForByteWithEachCountShown) {
    h.Execute(ID_NEW_BASIC);
    h.View()->ReplaceText("20 B\r\n10 A\r\n");
    Watched watched;
    Watch(h, watched, Completed);
    h.Execute(ID_TEXT_SEND);
    // In number order, with the end-of-text code.
    EXPECT_EQ(pty.Read(100, 300), "10 A\r\n20 B\r\n\x1a");
    EXPECT_EQ(watched.title, QStringLiteral("送信"));
    QStringList expected = Counts(12, "バイト送信済み");
    expected.prepend(QStringLiteral("通信の準備が出来ました"));
    expected.append(QStringLiteral("送信が完了しました"));
    EXPECT_EQ(watched.texts, expected);
    EXPECT_EQ(watched.button, QStringLiteral("OK"));
    EXPECT_EQ(watched.below, QStringLiteral("13 バイトを送信しました"));
    EXPECT_EQ(h.View()->GetText(), "20 B\r\n10 A\r\n"); // a send changes nothing

    // A DATA window sends its text as data: tabs expanded, no numbers.
    h.Execute(ID_NEW_DATA);
    h.View()->ReplaceText("A\tB\r\n");
    Watch(h, watched, Completed);
    h.Execute(ID_DATA_SEND);
    EXPECT_EQ(pty.Read(100, 300), "A   B\r\n\x1a");
}

TEST_F(TransferTest, SendShowsItsShareDoneAndTheTimeLeftAndStopsWhenCancelled) {
    // A pause of 40 ms after each byte: 41 ms a byte with the line's own time.
    h.app->Settings().m_comSettings.CharDelay = 40;
    h.Execute(ID_NEW_DATA);
    h.View()->ReplaceText(std::string(89, 'x'));
    int maximum = 0;
    QStringList timesLeft;
    h.WhenDialogOpens([&](QDialog* dialog) {
        auto* progress = dialog->findChild<QProgressBar*>(QStringLiteral("progress"));
        auto* timeLeft = dialog->findChild<QLabel*>(QStringLiteral("timeLeft"));
        maximum = progress->maximum();
        timesLeft.append(timeLeft->text());
        EXPECT_TRUE(QTest::qWaitFor([&] { return progress->value() >= 45; }, 5000));
        timesLeft.append(timeLeft->text());
        Button(dialog)->click(); // half way
    });
    QElapsedTimer timer;
    timer.start();
    h.Execute(ID_DATA_SEND);
    EXPECT_LT(timer.elapsed(), 3000); // not the 3.7 s of the whole text
    EXPECT_EQ(maximum, 90);
    EXPECT_EQ(timesLeft, (QStringList{"残り約4秒", "残り約2秒"}));
    const std::size_t sent = pty.Read(100, 300).size();
    EXPECT_LT(sent, 80u);
    // The dialog has gone: the status bar says how far it got.
    EXPECT_EQ(h.Frame().statusBar()->currentMessage(),
              QStringLiteral("送信を %1 バイトで中断しました").arg(sent));
}

TEST_F(TransferTest, ReceiveOpensANewDocumentOfItsKindHoldingTheText) {
    // With no document open: a DATA document, as the bytes came. They are
    // there before the dialog's window is: no count made before it is up is
    // lost.
    pty.Write("A,1\r\nB,2\r\n\x1a");
    Watched watched;
    Watch(h, watched, Completed);
    h.Execute(ID_DATA_RECEIVE);
    ASSERT_NE(h.Active(), nullptr);
    EXPECT_EQ(h.Active()->Template().Kind(), DocKind::Data);
    EXPECT_EQ(h.Active()->ShownTitle(), QStringLiteral("DATAﾌｧｲﾙ：無題1*"));
    EXPECT_EQ(h.View()->GetText(), "A,1\r\nB,2\r\n");
    EXPECT_TRUE(h.Active()->GetDocument()->IsModified());
    EXPECT_EQ(watched.title, QStringLiteral("受信"));
    QStringList expected = Counts(11, "バイト受信済み");
    expected.prepend(QStringLiteral("通信の準備が出来ました"));
    expected.append(QStringLiteral("受信が完了しました"));
    EXPECT_EQ(watched.texts, expected);
    EXPECT_EQ(watched.below, QStringLiteral("11 バイトを受信しました"));

    // A text document: CR lines, numbered since they came without numbers.
    h.app->Settings().m_comSettings.EndOfLine = 0;
    pty.Write("PRINT 1\rPRINT 2\r\x1a");
    Watch(h, watched, Completed);
    h.Execute(ID_TEXT_RECEIVE);
    EXPECT_EQ(h.Active()->Template().Kind(), DocKind::Text);
    EXPECT_EQ(h.View()->GetText(), "10PRINT 1\r\n20PRINT 2\r\n");
    EXPECT_TRUE(h.Active()->GetDocument()->IsModified());
    EXPECT_EQ(h.Frame().Children().size(), 2);
    EXPECT_TRUE(h.messages.empty());
}

TEST_F(TransferTest, CancelledReceiveKeepsWhatCameAndLeavesNoDocumentWhenNothingDid) {
    Watched watched;
    Watch(h, watched, [](QDialog*) { return true; });
    QElapsedTimer timer;
    timer.start();
    h.Execute(ID_TEXT_RECEIVE);
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_EQ(watched.button, QStringLiteral("中断"));
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(h.Frame().Children().isEmpty());
    EXPECT_TRUE(h.messages.empty());
    EXPECT_EQ(h.Frame().statusBar()->currentMessage(),
              QStringLiteral("受信を 0 バイトで中断しました"));

    // Esc is the same as the button; what came before it stays.
    pty.Write("AB");
    h.WhenDialogOpens([](QDialog* dialog) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return Message(dialog)->text().contains(u'2'); }, 5000));
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    h.Execute(ID_DATA_RECEIVE);
    ASSERT_EQ(h.Frame().Children().size(), 1);
    EXPECT_EQ(h.View()->GetText(), "AB");
    EXPECT_TRUE(h.Active()->GetDocument()->IsModified());
    EXPECT_EQ(h.Frame().statusBar()->currentMessage(),
              QStringLiteral("受信を 2 バイトで中断しました"));
}

TEST_F(TransferTest, PortThatWontOpenIsReportedOnceAndTheDialogCloses) {
    h.app->Settings().m_comSettings.Device[0] = "/dev/tessel-no-such-port";
    h.Execute(ID_NEW_BASIC);
    h.View()->ReplaceText("10 A\r\n");
    h.Frame().show();
    h.View()->setFocus();
    // The keys go back to the document after each.
    const auto hasKeys = [this] {
        return QApplication::activeWindow() == &h.Frame() &&
               QApplication::focusWidget() == h.View();
    };
    ASSERT_TRUE(QTest::qWaitFor(hasKeys, 1000));
    h.Execute(ID_TEXT_SEND);
    EXPECT_TRUE(QTest::qWaitFor(hasKeys, 1000));
    h.Execute(ID_TEXT_RECEIVE);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor(hasKeys, 1000));
    ASSERT_EQ(h.messages.size(), 2u);
    const QString captions[] = {QStringLiteral("送信"), QStringLiteral("受信")};
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(h.messages[i].text, LoadQString(IDS_PORT_OPEN_FAILED));
        EXPECT_EQ(h.messages[i].caption, captions[i]);
        EXPECT_EQ(h.messages[i].icon, QMessageBox::NoIcon);
        EXPECT_TRUE(h.messages[i].detail.startsWith(QStringLiteral("/dev/tessel-no-such-port: ")));
    }
    // The receive's new document went again.
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(h.Frame().Children().size(), 1);
}

// A dialog that never gets the worker's last report: passing it on fails,
// as it would with no memory left to post it.
// It fails a moment after the end, so that whoever waits is waiting by then.
class ReportLosingDialog final : public TransferDialog {
public:
    void OnEnded(const TransferEnd&) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        throw std::bad_alloc();
    }
};

TEST_F(TransferTest, AnEndWhoseReportIsLostStillEndsTheDialogAndTheWaitAfterIt) {
    // The port won't open: the dialog learns it from the worker all the
    // same, says so and closes.
    ComSettings settings = pty.Settings();
    settings.Device[0] = "/dev/tessel-no-such-port";
    std::string buffer = "x\x1a";
    QElapsedTimer timer;
    {
        ReportLosingDialog dialog;
        TransferWorker worker(TransferWorker::Mode::Send, settings, buffer, dialog);
        dialog.SetThread(worker, TransferWorker::Mode::Send);
        QTimer::singleShot(5000, &dialog, [&dialog] { dialog.done(QDialog::Accepted); });
        timer.start();
        ASSERT_TRUE(dialog.StartWorker());
        EXPECT_EQ(dialog.exec(), QDialog::Rejected);
        dialog.WaitForWorker();
        EXPECT_LT(timer.elapsed(), 2000);
    }
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_EQ(h.messages[0].text, LoadQString(IDS_PORT_OPEN_FAILED));
    EXPECT_TRUE(h.messages[0].detail.startsWith(QStringLiteral("/dev/tessel-no-such-port: ")));

    // Closed while a receive waits: the wait for the cancelled worker ends
    // (a report that does come, five seconds on, would end it too late).
    buffer.clear();
    ReportLosingDialog dialog;
    TransferWorker worker(TransferWorker::Mode::Receive, pty.Settings(), buffer, dialog);
    dialog.SetThread(worker, TransferWorker::Mode::Receive);
    ASSERT_TRUE(dialog.StartWorker());
    QTimer::singleShot(50, &dialog, &TransferDialog::reject);
    QTimer::singleShot(5000, &dialog, [&dialog] { dialog.TransferDialog::OnEnded({}); });
    dialog.exec();
    timer.start();
    dialog.WaitForWorker();
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_TRUE(worker.Ended());
    EXPECT_EQ(worker.EndReport().outcome, TransferEnd::Outcome::Cancelled);
}

// A read that throws after two bytes: a fault of the worker that no error
// code reports.
std::atomic<int> g_bytesBeforeFault{0};

TEST_F(TransferTest, AFailingWorkerIsReportedWithItsReasonAndTheDialogCloses) {
    sys::Calls calls = sys::RealCalls();
    calls.read = [](int fd, void* buffer, std::size_t count) -> ssize_t {
        if (g_bytesBeforeFault <= 0)
            throw std::runtime_error("driver fault");
        const ssize_t n = sys::RealCalls().read(fd, buffer, std::min<std::size_t>(count, 1));
        g_bytesBeforeFault -= n > 0 ? 1 : 0;
        return n;
    };
    g_bytesBeforeFault = 2;
    const sys::Calls* previous = sys::InstallCalls(&calls);
    pty.Write("ABC");
    // Pressed only if the dialog were still waiting.
    QTimer::singleShot(5000, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            Button(dialog)->click();
    });
    QElapsedTimer timer;
    timer.start();
    h.Execute(ID_DATA_RECEIVE);
    sys::InstallCalls(previous);
    EXPECT_LT(timer.elapsed(), 4000);
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_EQ(h.messages[0].caption, QStringLiteral("受信"));
    EXPECT_EQ(h.messages[0].text, LoadQString(IDS_TRANSFER_FAILED));
    EXPECT_EQ(h.messages[0].detail, QString::fromStdString(pty.path) + ": driver fault");
    // What came before the fault stays, as after a line error.
    ASSERT_EQ(h.Frame().Children().size(), 1);
    EXPECT_EQ(h.View()->GetText(), "AB");
}

} // namespace
} // namespace tessel
