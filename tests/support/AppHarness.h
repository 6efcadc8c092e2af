#pragma once

#include "app/Application.h"
#include "app/CommandRouter.h"
#include "app/DocumentManager.h"
#include "app/DocumentWindow.h"
#include "app/MainWindow.h"
#include "doc/Document.h"
#include "support/TempDir.h"
#include "ui/MessageBox.h"
#include "view/EditorView.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

#include <ostream>

// Readable QStrings in test failures.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace tessel::test {

// The desktop program, started off screen over a settings file of its own,
// with message boxes and file dialogs answered by the test.
class AppHarness {
public:
    // `stateHome` stands for $XDG_STATE_HOME (a folder of the harness's own
    // when empty).
    explicit AppHarness(const std::string& ini = {}, const QStringList& arguments = {},
                        int splashTime = 0, const std::string& stateHome = {}) {
        iniPath = dir.file("tessel.INI");
        if (!ini.empty())
            WriteBytes(iniPath, ini);
        // Copies of unsaved work go to a folder of the test's own.
        qputenv("XDG_STATE_HOME",
                QByteArray::fromStdString(stateHome.empty() ? dir.file("state") : stateHome));
        SetMessageBoxHook([this](const MessageBoxRequest& request) {
            messages.push_back(request);
            if (!keys.empty()) {
                const Qt::Key key = keys.front();
                keys.erase(keys.begin());
                return PressOnRealBox(request, key);
            }
            if (answers.empty())
                return answer;
            const QMessageBox::StandardButton next = answers.front();
            answers.erase(answers.begin());
            return next;
        });
        app = std::make_unique<Application>(iniPath);
        app->SetSplashTime(splashTime);
        app->InitInstance(arguments);
        app->Documents().SetPromptHook([this](DocumentManager::FilePrompt& prompt) {
            if (nextFileName.isEmpty())
                return false;
            prompt.fileName = nextFileName;
            return true;
        });
    }
    ~AppHarness() {
        // Nothing is left to ask about when the windows go.
        for (DocumentWindow* child : app->Window()->Children())
            child->GetDocument()->SetModifiedFlag(false);
        app.reset();
        SetMessageBoxHook({});
    }

    MainWindow& Frame() { return *app->Window(); }
    DocumentWindow* Active() { return Frame().ActiveChild(); }
    EditorView* View() { return Active() ? Active()->GetActiveView() : nullptr; }
    CommandState State(int id) {
        app->Router().UpdateActions();
        return app->Router().State(id);
    }
    bool Execute(int id) { return app->Router().Execute(id); }

    // Shows the box as it really is and presses `key` on it. A box the key
    // does not close is closed with no button.
    static QMessageBox::StandardButton PressOnRealBox(const MessageBoxRequest& request,
                                                      Qt::Key key) {
        QTimer::singleShot(0, [key] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            QPointer<QMessageBox> open(box);
            QTest::keyClick(box, key);
            if (open && open->isVisible())
                open->done(QMessageBox::NoButton);
        });
        const QMessageBox::StandardButton pressed = ExecMessageBox(request);
        // The desktop gives the window behind a closed box its activation
        // back; the offscreen platform leaves no window active.
        if (request.parent)
            request.parent->window()->activateWindow();
        return pressed;
    }

    // Makes the main window the active window, as the desktop does when a
    // dialog over it closes; false if it did not become so.
    bool BringToFront() {
        Frame().activateWindow();
        return QTest::qWaitForWindowActive(&Frame());
    }

    // Runs `answer` on the next modal dialog as soon as it is up.
    void WhenDialogOpens(std::function<void(QDialog*)> respond) {
        QTimer::singleShot(0, [respond = std::move(respond)] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog)
                respond(dialog);
        });
    }

    TempDir dir;
    std::string iniPath;
    std::unique_ptr<Application> app;
    std::vector<MessageBoxRequest> messages;
    QMessageBox::StandardButton answer = QMessageBox::Ok;
    // Answers to the next message boxes, in turn, before `answer`.
    std::vector<QMessageBox::StandardButton> answers;
    // Keys pressed on the next message boxes, shown for real, in turn,
    // before `answers`.
    std::vector<Qt::Key> keys;
    QString nextFileName;
};

} // namespace tessel::test
