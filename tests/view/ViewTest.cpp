#include "app/ReferencesDock.h"
#include "doc/Recovery.h"
#include "encoding/Cp932.h"
#include "engine/BasicDocument.h"
#include "res/StringTable.h"
#include "support/AppHarness.h"
#include "ui/CommandIds.h"
#include "ui/MessageBox.h"
#include "view/NumberedEditorView.h"
#include "view/ProblemMarks.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QToolTip>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

namespace tessel {
namespace {

using test::AppHarness;

std::size_t CaretByte(EditorView* view) {
    const QString text = view->document()->toRawText().left(view->textCursor().position());
    std::string bytes;
    cp932::Encode(std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                                 static_cast<std::size_t>(text.size())),
                  bytes);
    return bytes.size();
}

DocumentWindow* OpenFile(AppHarness& h, const std::string& name, const std::string& bytes) {
    const std::string path = h.dir.file(name);
    test::WriteBytes(path, bytes);
    return h.app->Documents().OpenDocumentFile(QString::fromStdString(path));
}

// Opens a file in the shown main window, in front: whether it got there.
bool OpenInFront(AppHarness& h, const std::string& name, const std::string& bytes) {
    OpenFile(h, name, bytes);
    h.Frame().show();
    QApplication::processEvents(); // the splash goes
    return h.BringToFront();
}

void AnswerRenumber(AppHarness& h, const char* newStart, const char* oldStart, const char* step) {
    h.WhenDialogOpens([=](QDialog* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("newStart"))->setText(newStart);
        dialog->findChild<QLineEdit*>(QStringLiteral("oldStart"))->setText(oldStart);
        dialog->findChild<QLineEdit*>(QStringLiteral("step"))->setText(step);
        dialog->accept();
    });
}

TEST(View, RenumberThroughTheViewMarksTheDocumentModified) {
    AppHarness h;
    DocumentWindow* frame = OpenFile(h, "p.bas", "10 GOTO 30\r\n20 END\r\n30 PRINT\r\n");
    ASSERT_NE(frame, nullptr);
    EXPECT_FALSE(frame->GetDocument()->IsModified());
    AnswerRenumber(h, "100", "10", "10");
    h.Execute(ID_RENUMBER);
    EXPECT_EQ(h.View()->GetText(), "100 GOTO 120\r\n110 END\r\n120 PRINT\r\n");
    EXPECT_TRUE(frame->GetDocument()->IsModified());
    // One step of Undo takes the whole renumbering back.
    h.Execute(ID_EDIT_UNDO);
    EXPECT_EQ(h.View()->GetText(), "10 GOTO 30\r\n20 END\r\n30 PRINT\r\n");
}

TEST(View, RenumberAndSortKeepTheCaretOnItsLine) {
    AppHarness h;
    OpenFile(h, "p.bas", "30 C\r\n10 A\r\n20 BB\r\n");
    EditorView* view = h.View();
    view->SetCaret(16); // "20 B|B"
    h.Execute(ID_SORT_LINES);
    EXPECT_EQ(view->GetText(), "10 A\r\n20 BB\r\n30 C\r\n");
    EXPECT_EQ(CaretByte(view), 10u);
    AnswerRenumber(h, "100", "10", "10");
    h.Execute(ID_RENUMBER);
    EXPECT_EQ(view->GetText(), "100 A\r\n110 BB\r\n120 C\r\n");
    EXPECT_EQ(CaretByte(view), 12u); // "110 B|B"
}

// The end code is looked for in the bytes as they go out: a DATA file keeps
// its own lone CRs and LFs, tabs go as blanks. The caret goes where it
// stands, and the message names the place.
TEST(View, ASendWithTheEndCodeInsideIsRefusedWithTheCaretOnIt) {
    const struct {
        const char* name;
        std::string bytes;
        std::uint32_t code;
        std::uint32_t endOfLine;
        std::size_t caret; // npos: the send goes ahead
        QString place = {};
    } cases[] = {
        {"p.bas",
         "10 PRINT \"A\x1a"
         "B\"\r\n20 END\r\n",
         0x1a, 2, 11, "行番号 10 の行の 12 桁目にあります。"},
        {"p.dat", "A\rB", '\r', 1, 1, "テキストの 1 行目の 2 桁目にあります。"},
        {"p.dat", "A\nB", '\n', 0, 1, "テキストの 1 行目の 2 桁目にあります。"},
        {"p.dat", "A\rC\r\nD", '\n', 2, 3, "テキストの 2 行目の 2 桁目にあります。"},
        {"p.bas", "10 A\tB\r\n", '\t', 2, std::string::npos},
        {"p.dat", "A\tB", '\t', 2, std::string::npos},
    };
    for (const auto& c : cases) {
        AppHarness h;
        ComSettings& com = h.app->Settings().m_comSettings;
        com.EndOfFile = c.code;
        com.EndOfLine = c.endOfLine;
        com.Device[com.COMPort] = "/dev/tessel-no-such-port";
        OpenFile(h, c.name, c.bytes);
        EditorView* view = h.View();
        view->SetCaret(0);
        h.Execute(std::string_view(c.name).ends_with(".dat") ? ID_DATA_SEND : ID_TEXT_SEND);
        ASSERT_EQ(h.messages.size(), 1u) << c.bytes;
        if (c.caret == std::string::npos) {
            // Sent: only the port that is not there stops it.
            EXPECT_EQ(h.messages[0].text, LoadQString(IDS_PORT_OPEN_FAILED)) << c.bytes;
            continue;
        }
        EXPECT_EQ(h.messages[0].text, LoadQString(IDS_END_CODE_INSIDE) + "\n" + c.place);
        EXPECT_EQ(CaretByte(view), c.caret) << c.bytes;
    }
}

// A refusal about a line puts the caret on it, whichever command it comes
// from, and names it below the message.
TEST(View, RefusalsPutTheCaretOnTheLineAndNameIt) {
    const std::string text = "10 A\r\n\x82\xa0\x82\xa0\r\n30 C\r\n";
    const QString message = LoadQString(IDS_LINE_NO_NUMBER) +
                            QStringLiteral("\nテキストの 2 行目（「ああ」で始まる行）です。");
    for (const int command : {ID_RENUMBER, ID_SORT_LINES, ID_TEXT_SEND}) {
        AppHarness h;
        OpenFile(h, "p.txt", text);
        if (command == ID_RENUMBER)
            AnswerRenumber(h, "100", "10", "10");
        h.Execute(command);
        ASSERT_EQ(h.messages.size(), 1u) << command;
        EXPECT_EQ(h.messages[0].text, message) << command;
        EXPECT_EQ(h.messages[0].caption, LoadQString(AFX_IDS_APP_TITLE));
        EXPECT_EQ(CaretByte(h.View()), 6u) << command;
        EXPECT_EQ(h.View()->GetText(), text);
    }
    // A reference to a missing line names both lines.
    AppHarness h;
    OpenFile(h, "p.bas", "10 A\r\n20 GOTO 500\r\n");
    AnswerRenumber(h, "100", "10", "10");
    h.Execute(ID_RENUMBER);
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_EQ(h.messages[0].text,
              LoadQString(IDS_LINE_REF_MISSING) +
                  QStringLiteral("\n行番号 20 の行が、行番号 500 を参照しています。"));
    EXPECT_EQ(CaretByte(h.View()), 6u);
}

// Renumbering a document that is not BASIC would leave its GOTOs pointing
// at the old numbers: it asks first, and Return renumbers it as BASIC.
TEST(View, RenumberingReferencesOutsideBasicAsksWhetherToRenumberAsBasic) {
    const std::string program = "10 PRINT\r\n20 GOTO 10\r\n";
    const struct {
        QMessageBox::StandardButton answer;
        std::string text;
        DocKind kind;
    } cases[] = {
        {QMessageBox::Yes, "100 PRINT\r\n110 GOTO 100\r\n", DocKind::Basic},
        {QMessageBox::No, "100 PRINT\r\n110 GOTO 10\r\n", DocKind::Text},
        {QMessageBox::Cancel, program, DocKind::Text},
    };
    for (const auto& c : cases) {
        AppHarness h;
        DocumentWindow* frame = OpenFile(h, "recv.txt", program);
        h.answer = c.answer;
        AnswerRenumber(h, "100", "10", "10");
        h.Execute(ID_RENUMBER);
        ASSERT_EQ(h.messages.size(), 1u);
        const MessageBoxRequest& question = h.messages[0];
        EXPECT_TRUE(question.text.contains(
            QStringLiteral("行番号 20 の行が、行番号 10 を参照しています。")));
        EXPECT_EQ(question.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        EXPECT_EQ(question.defaultButton, QMessageBox::Yes);
        EXPECT_EQ(h.View()->GetText(), c.text) << c.answer;
        EXPECT_EQ(frame->Template().Kind(), c.kind) << c.answer;
        EXPECT_EQ(dynamic_cast<BasicDocument*>(frame->GetDocument()) != nullptr,
                  c.kind == DocKind::Basic);
        EXPECT_EQ(frame->GetDocument()->GetTitle(), "recv.txt");
        EXPECT_EQ(frame->GetDocument()->IsModified(), c.answer != QMessageBox::Cancel);
    }
    // Without references nothing is asked.
    AppHarness h;
    OpenFile(h, "plain.txt", "10 A\r\n20 THEN\r\n");
    AnswerRenumber(h, "100", "10", "10");
    h.Execute(ID_RENUMBER);
    EXPECT_TRUE(h.messages.empty());
    EXPECT_EQ(h.View()->GetText(), "100 A\r\n110 THEN\r\n");

    // An untitled document takes a BASIC title, and a save proposes BASIC.
    h.Execute(ID_NEW_TEXT);
    h.View()->ReplaceText(program);
    h.answer = QMessageBox::Yes;
    AnswerRenumber(h, "100", "10", "10");
    h.Execute(ID_RENUMBER);
    EXPECT_EQ(h.Active()->GetDocument()->GetTitle(), "BASIC：無題1");
    DocumentManager::FilePrompt asked;
    h.app->Documents().SetPromptHook([&](DocumentManager::FilePrompt& prompt) {
        asked = prompt;
        return false;
    });
    h.Execute(ID_FILE_SAVE_AS);
    EXPECT_EQ(asked.fileName, QStringLiteral("BASIC：無題1.bas"));
    EXPECT_EQ(asked.defaultExtension, QStringLiteral("bas"));
}

TEST(View, RenumberDialogRefusesBadFieldsAndStaysOpen) {
    AppHarness h;
    OpenFile(h, "p.bas", "10 A\r\n");
    h.WhenDialogOpens([](QDialog* dialog) {
        auto* newStart = dialog->findChild<QLineEdit*>(QStringLiteral("newStart"));
        auto* step = dialog->findChild<QLineEdit*>(QStringLiteral("step"));
        // The first field opens with its "10" selected: a 5 typed replaces it.
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
        QTest::keyClicks(newStart, QStringLiteral("5"));
        EXPECT_EQ(newStart->text(), QStringLiteral("5"));
        EXPECT_EQ(step->selectedText(), QString()); // only the field with the focus
        newStart->setText(QStringLiteral("abc"));
        dialog->accept();
        newStart->setText(QStringLiteral("20"));
        step->setText(QStringLiteral("65279"));
        dialog->accept();
        EXPECT_TRUE(dialog->isVisible());
        dialog->reject();
    });
    h.Execute(ID_RENUMBER);
    ASSERT_EQ(h.messages.size(), 2u);
    EXPECT_EQ(h.messages[0].text, QStringLiteral("正の整数を入力してください。"));
    EXPECT_EQ(h.messages[1].text, QStringLiteral("1 から 65278 までの整数を入力してください。"));
    EXPECT_EQ(h.View()->GetText(), "10 A\r\n");
}

TEST(View, SortMarksModifiedOnlyWhenTheOrderChanged) {
    AppHarness h;
    DocumentWindow* frame = OpenFile(h, "p.bas", "20 B\r\n10 A\r\n");
    h.Execute(ID_SORT_LINES);
    EXPECT_EQ(h.View()->GetText(), "10 A\r\n20 B\r\n");
    EXPECT_TRUE(frame->GetDocument()->IsModified());

    DocumentWindow* ordered = OpenFile(h, "q.bas", "10 A\r\n20 B\r\n");
    h.Execute(ID_SORT_LINES);
    EXPECT_FALSE(ordered->GetDocument()->IsModified());
}

TEST(View, CtrlHomeAndCtrlEndAreCommands) {
    AppHarness h;
    OpenFile(h, "d.dat", std::string(100, 'x'));
    h.Frame().show();
    EditorView* view = h.View();
    view->setFocus();
    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(CaretByte(view), 100u);
    EXPECT_FALSE(view->textCursor().hasSelection());
    QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(CaretByte(view), 0u);
    // With Shift the widget extends the selection as usual.
    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(view->textCursor().selectedText().size(), 100);

    h.Execute(ID_NEW_DATA);
    h.Execute(ID_CARET_END);
    EXPECT_EQ(CaretByte(h.View()), 0u);
}

TEST(View, TextThatCodePage932CannotHoldIsRefused) {
    AppHarness h;
    h.Execute(ID_NEW_TEXT);
    h.Frame().show();
    EditorView* view = h.View();
    view->setFocus();
    QTest::keyClicks(view, QStringLiteral("abe"));
    // A key is refused in the status bar.
    QKeyEvent accented(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("é"));
    QApplication::sendEvent(view, &accented);
    EXPECT_EQ(view->GetText(), "abe");
    EXPECT_TRUE(h.Frame().statusBar()->currentMessage().contains(QStringLiteral("U+00E9")));
    // A character beyond U+FFFF typed (its text starts with a surrogate).
    QKeyEvent emoji(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("😀"));
    QApplication::sendEvent(view, &emoji);
    EXPECT_EQ(view->GetText(), "abe");
    EXPECT_TRUE(h.Frame().statusBar()->currentMessage().contains(QStringLiteral("U+1F600")));
    // So is a character the input method commits.
    QInputMethodEvent composed;
    composed.setCommitString(QStringLiteral("ü"));
    QApplication::sendEvent(view, &composed);
    EXPECT_EQ(view->GetText(), "abe");
    EXPECT_TRUE(h.Frame().statusBar()->currentMessage().contains(QStringLiteral("U+00FC")));
    EXPECT_TRUE(h.messages.empty());
    // Letters with Alt, Ctrl or Meta that no command takes never type.
    QTest::keyClick(view, Qt::Key_N, Qt::AltModifier);
    QTest::keyClick(view, Qt::Key_Z, Qt::AltModifier | Qt::ShiftModifier);
    QKeyEvent metaQ(QEvent::KeyPress, Qt::Key_Q, Qt::MetaModifier, QStringLiteral("q"));
    QApplication::sendEvent(view, &metaQ);
    EXPECT_EQ(view->GetText(), "abe");

    // A paste in a box.
    QApplication::clipboard()->setText(QStringLiteral("全角\r\n😀"));
    h.Execute(ID_EDIT_PASTE);
    EXPECT_EQ(view->GetText(), "abe");
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_TRUE(h.messages[0].text.contains(QStringLiteral("U+1F600")));
    QApplication::clipboard()->setText(QStringLiteral("全角\r\nｶﾅ"));
    h.Execute(ID_EDIT_PASTE);
    EXPECT_EQ(view->GetText(), "abe\x91\x53\x8a\x70\r\n\xb6\xc5");
}

TEST(View, TheDocumentIsModifiedAsTheEditorIs) {
    AppHarness h;
    h.Execute(ID_NEW_BASIC);
    Document* document = h.Active()->GetDocument();
    EXPECT_FALSE(document->IsModified());
    EXPECT_TRUE(document->SetEditText("10 A\r\n"));
    EXPECT_TRUE(h.View()->IsModified());
    EXPECT_TRUE(document->IsModified());
    h.View()->SetModified(false);
    EXPECT_FALSE(document->IsModified());
    h.View()->insertPlainText(QStringLiteral("X"));
    EXPECT_TRUE(document->IsModified());
}

TEST(View, AFileCutAtANulSaysSoAndAsksBeforeItIsReplaced) {
    AppHarness h;
    const std::string bytes("10 A\r\n20 B\0\r\n30 C\r\n", 19);
    DocumentWindow* frame = OpenFile(h, "p.bas", bytes);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(h.View()->GetText(), "10 A\r\n20 B");
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_EQ(
        h.messages[0].text,
        QStringLiteral("p.bas の 11 バイト目に NUL バイトがあります。そこから後の 9 バイトは"
                       "表示されていません。このファイルに上書き保存すると、それらは失われます。"));
    // Save asks; No and Cancel leave the file as it was.
    const std::string path = h.dir.file("p.bas");
    for (const auto answer : {QMessageBox::No, QMessageBox::Cancel}) {
        h.answer = answer;
        h.Execute(ID_FILE_SAVE);
        EXPECT_EQ(test::ReadBytes(path), bytes);
    }
    EXPECT_EQ(h.messages.size(), 3u);
    EXPECT_TRUE(h.messages[2].text.contains(QStringLiteral("上書きしますか?")));
    // Yes replaces it; the next save asks nothing.
    h.answer = QMessageBox::Yes;
    h.Execute(ID_FILE_SAVE);
    EXPECT_EQ(test::ReadBytes(path), "10 A\r\n20 B");
    h.Execute(ID_FILE_SAVE);
    EXPECT_EQ(h.messages.size(), 4u);
}

TEST(View, AFileChangedByAnotherProgramIsNoticed) {
    AppHarness h;
    DocumentWindow* frame = OpenFile(h, "p.bas", "10 A\r\n");
    ASSERT_NE(frame, nullptr);
    EditorView* view = h.View();
    const std::string path = h.dir.file("p.bas");

    // Unmodified: the watcher notices, Yes reloads, Undo brings the old text back.
    h.answer = QMessageBox::Yes;
    test::WriteBytes(path, "PRINT 1\nPRINT 2\n"); // as opening reads it: numbered, LF kept
    ASSERT_TRUE(QTest::qWaitFor([&] { return !h.messages.empty(); }, 5000));
    EXPECT_EQ(h.messages[0].text, QStringLiteral("p.bas は他のプログラムによって変更されました。"
                                                 "読み込み直しますか?"));
    EXPECT_EQ(view->GetText(), "10PRINT 1\r\n20PRINT 2\r\n");
    EXPECT_FALSE(frame->GetDocument()->IsModified());
    view->undo();
    EXPECT_EQ(view->GetText(), "10 A\r\n");
    view->redo();

    // Our own save is no change by another program.
    h.Execute(ID_FILE_SAVE);
    EXPECT_EQ(test::ReadBytes(path), "PRINT 1\nPRINT 2\n");
    QTest::qWait(400);
    EXPECT_EQ(h.messages.size(), 1u);

    // Modified: No keeps the text, and the same version is not asked about again.
    view->insertPlainText(QStringLiteral("X"));
    const std::string typed = view->GetText();
    h.answer = QMessageBox::No;
    test::WriteBytes(path, "10 OTHER\r\n");
    frame->CheckFileOnDisk();
    ASSERT_EQ(h.messages.size(), 2u);
    EXPECT_TRUE(h.messages[1].text.contains(QStringLiteral("編集中の変更を破棄")));
    EXPECT_EQ(view->GetText(), typed);
    frame->CheckFileOnDisk();
    EXPECT_EQ(h.messages.size(), 2u);

    // Saving onto a file changed since it was read asks first; No leaves it.
    test::WriteBytes(path, "10 THIRD\r\n");
    h.answers = {QMessageBox::No};
    EXPECT_FALSE(frame->DoSave(false));
    EXPECT_EQ(test::ReadBytes(path), "10 THIRD\r\n");
    EXPECT_TRUE(h.messages.back().text.contains(QStringLiteral("上書きしますか?")));
    // A file that is gone is said once; the text stays.
    std::filesystem::remove(path);
    frame->CheckFileOnDisk();
    frame->CheckFileOnDisk();
    EXPECT_TRUE(h.messages.back().text.contains(QStringLiteral("削除されたか")));
    EXPECT_EQ(std::count_if(h.messages.begin(), h.messages.end(),
                            [](const auto& m) { return m.text.contains("削除されたか"); }),
              1);
    EXPECT_EQ(view->GetText(), typed);
}

TEST(View, UnsavedWorkIsCopiedAndGivenBackAfterACrash) {
    // A run that died: its copy is there, its lock is gone.
    test::TempDir state;
    const std::string bytes("10 PRINT \"\x82\xa0\"\r\n20 A\r", 20);
    {
        RecoveryStore dead(state.path() + "/tessel/recovery");
        RecoveryCopy copy;
        copy.kind = DocKind::Casl;
        copy.path = state.file("prog.cas");
        copy.lineNumOutput = false;
        copy.fileLineEnd = kEolLf; // saved with the file's own line end again
        copy.bytes = bytes;
        ASSERT_FALSE(dead.Write(1, copy));
        copy.path.clear();
        copy.title = "CASL: Untitled3"; // as an English run saved it
        copy.bytes = "discard me";
        ASSERT_FALSE(dead.Write(2, copy));
    }
    // Restore the first (the default), discard the second.
    AppHarness next({}, {}, 0, state.path());
    next.answers = {QMessageBox::Yes, QMessageBox::No};
    ASSERT_TRUE(QTest::qWaitFor([&] { return next.messages.size() == 2; }, 5000));
    EXPECT_TRUE(next.messages[0].text.contains(QStringLiteral("prog.cas")));
    // An untitled copy is named in this run's language.
    EXPECT_TRUE(next.messages[1].text.contains(QStringLiteral("CASL：無題3")));
    ASSERT_EQ(next.Frame().Children().size(), 1);
    DocumentWindow* restored = next.Active();
    EXPECT_EQ(restored->GetActiveView()->GetText(), bytes);
    EXPECT_TRUE(restored->GetDocument()->IsModified());
    EXPECT_EQ(restored->GetDocument()->GetPathName(), state.file("prog.cas"));
    EXPECT_FALSE(restored->GetActiveView()->GetLineNumOutput());
    EXPECT_FALSE(std::filesystem::exists(state.file("prog.cas"))); // never written by itself
    next.answer = QMessageBox::Yes;
    next.nextFileName = QString::fromStdString(state.file("prog.cas")); // it is gone: Save As
    next.Execute(ID_FILE_SAVE);
    EXPECT_EQ(test::ReadBytes(state.file("prog.cas")), " PRINT \"\x82\xa0\"\n A\r");
}

TEST(View, ACopyIsWrittenWhenTypingStopsAndGoesAtSaveAndAtACleanExit) {
    AppHarness h;
    h.app->SetRecoveryDelay(20);
    h.Execute(ID_NEW_BASIC);
    const std::string folder = h.dir.file("state/tessel/recovery");
    const auto copies = [&] {
        int count = 0;
        std::error_code ec;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, ec))
            count += entry.path().extension() == ".copy" ? 1 : 0;
        return count;
    };
    h.View()->insertPlainText(QStringLiteral("10 A"));
    EXPECT_EQ(copies(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return copies() == 1; }, 5000));
    h.answer = QMessageBox::Yes;
    h.nextFileName = QString::fromStdString(h.dir.file("a.bas"));
    h.Execute(ID_FILE_SAVE);
    EXPECT_EQ(copies(), 0);
    h.View()->insertPlainText(QStringLiteral("B"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return copies() == 1; }, 5000));
    h.app->ExitInstance();
    EXPECT_EQ(copies(), 0);
}

TEST(View, AnEditThatWouldJoinABytePlaceholderWithItsNeighbourIsRefused) {
    AppHarness h;
    OpenFile(h, "d.dat", "\x81 @");
    EditorView* view = h.View();
    h.Frame().show();
    view->setFocus();
    view->SetCaret(2); // after the blank
    QTest::keyClick(view, Qt::Key_Backspace);
    view->SetCaret(1); // before it
    QTest::keyClick(view, Qt::Key_Delete);
    // Cutting it is refused the same way.
    QTextCursor blank = view->textCursor();
    blank.setPosition(1);
    blank.setPosition(2, QTextCursor::KeepAnchor);
    view->setTextCursor(blank);
    h.Execute(ID_EDIT_CUT);
    EXPECT_EQ(view->GetText(), "\x81 @");
    // The keys said so in the status bar, the command in a box.
    EXPECT_EQ(h.Frame().statusBar()->currentMessage(), LoadQString(IDS_EDIT_JOINS_CHARACTERS));
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_EQ(h.messages[0].text, LoadQString(IDS_EDIT_JOINS_CHARACTERS));
    // An edit that keeps them apart goes through.
    view->SetCaret(2);
    QTest::keyClicks(view, QStringLiteral("x"));
    EXPECT_EQ(view->GetText(), "\x81 x@");
}

TEST(View, ClosingAModifiedDocumentAsksAndCancelKeepsIt) {
    AppHarness h;
    h.Execute(ID_NEW_BASIC);
    h.View()->insertPlainText(QStringLiteral("10 A"));
    h.answer = QMessageBox::Cancel;
    EXPECT_FALSE(h.Active()->close());
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_EQ(h.messages[0].text, QStringLiteral("BASIC：無題1 への変更を保存しますか?"));

    // "Yes" saves under the name chosen; a new document keeps its numbers.
    h.answer = QMessageBox::Yes;
    const std::string path = h.dir.file("saved.bas");
    h.nextFileName = QString::fromStdString(path);
    EXPECT_TRUE(h.Active()->close());
    EXPECT_EQ(test::ReadBytes(path), "10 A");
}

// The format a character of a block is drawn with.
QTextCharFormat FormatAt(const QTextBlock& block, int position) {
    for (const QTextLayout::FormatRange& range : block.layout()->formats())
        if (position >= range.start && position < range.start + range.length)
            return range.format;
    return {};
}

// Each kind of document is coloured as its language is read: keywords,
// line references, remarks; a C comment runs on over lines; a text has
// coloured numbers only. Double-byte characters count one position.
TEST(View, ColorsFollowTheLanguageOfTheDocument) {
    AppHarness h;
    OpenFile(h, "p.bas", "10 GOTO 20:' \x8a\xbf\r\n20 PRINT LEN(\"\x83\x41\"):END\r\n");
    QTextBlock block = h.View()->document()->firstBlock();
    const QTextCharFormat number = FormatAt(block, 0);
    EXPECT_TRUE(number.hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_EQ(FormatAt(block, 4).fontWeight(), QFont::Bold); // GOTO
    const QColor reference = FormatAt(block, 8).foreground().color();
    EXPECT_NE(reference, number.foreground().color());
    EXPECT_NE(reference, FormatAt(block, 4).foreground().color());
    EXPECT_TRUE(FormatAt(block, 11).fontItalic()); // the remark
    EXPECT_TRUE(FormatAt(block, 13).fontItalic()); // its kanji, one position
    block = block.next();
    EXPECT_EQ(FormatAt(block, 3).fontWeight(), QFont::Bold); // PRINT
    EXPECT_NE(FormatAt(block, 9).fontWeight(), QFont::Bold); // LEN, a function
    EXPECT_TRUE(FormatAt(block, 9).hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_TRUE(FormatAt(block, 14).hasProperty(QTextFormat::ForegroundBrush)); // the string
    EXPECT_FALSE(FormatAt(block, 14).fontItalic());

    OpenFile(h, "m.c", "10 int a; /* one\r\n20 two */ b;\r\n");
    block = h.View()->document()->firstBlock().next();
    EXPECT_TRUE(FormatAt(block, 3).fontItalic()); // still the comment
    EXPECT_FALSE(FormatAt(block, 12).fontItalic());

    OpenFile(h, "n.txt", "10 GOTO 20\r\n");
    block = h.View()->document()->firstBlock();
    EXPECT_TRUE(FormatAt(block, 0).hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_FALSE(FormatAt(block, 4).hasProperty(QTextFormat::ForegroundBrush));
}

// F12 on a line reference or a label goes to its line; the status bar says
// when the line or the label is not there, or nothing at the caret refers to
// a line. Ctrl+G goes to a line by its number, or by its place in a DATA
// file.
TEST(View, GoesToTheLineAReferenceNamesOrANumberGiven) {
    AppHarness h;
    const std::string program =
        "10 GOSUB 30:GOTO *FIN\r\n20 GOTO 99\r\n30 RETURN\r\n40 *FIN:END\r\n";
    OpenFile(h, "g.bas", program);
    EditorView& view = *h.View();
    const auto status = [&] { return h.Frame().statusBar()->currentMessage(); };
    const struct {
        std::size_t caret;
        std::size_t landing; // where the caret ends up
        StringId said;
    } cases[] = {
        {program.find("30:"), program.find("30 RETURN"), IDS_NONE},
        {program.find("30:") + 2, program.find("30 RETURN"), IDS_NONE}, // just after it
        {program.find("*FIN"), program.find("40 "), IDS_NONE},
        {program.find("FIN\r"), program.find("40 "), IDS_NONE},
        {program.find("99"), program.find("99"), IDS_LSP_NO_SUCH_LINE},
        {program.find("RETURN"), program.find("RETURN"), IDS_GOTO_NOTHING},
    };
    for (const auto& c : cases) {
        h.Frame().statusBar()->clearMessage();
        view.SetCaret(c.caret);
        EXPECT_TRUE(h.State(ID_GOTO_DEFINITION).enabled);
        h.Execute(ID_GOTO_DEFINITION);
        EXPECT_EQ(view.CaretOffset(), c.landing) << c.caret;
        if (c.said == IDS_NONE)
            EXPECT_TRUE(status().isEmpty()) << status().toStdString();
        else if (c.said == IDS_LSP_NO_SUCH_LINE)
            EXPECT_EQ(status(), QString::fromStdString(LoadFormatted(c.said, {"99"})));
        else
            EXPECT_EQ(status(), LoadQString(c.said));
    }

    const auto goTo = [&](int value) {
        h.WhenDialogOpens([value](QDialog* dialog) {
            auto* spin = dialog->findChild<QSpinBox*>();
            ASSERT_NE(spin, nullptr);
            spin->setValue(value);
            dialog->accept();
        });
        h.Execute(ID_GOTO_LINE);
    };
    view.SetCaret(0);
    goTo(30);
    EXPECT_EQ(view.CaretOffset(), program.find("30 RETURN"));
    goTo(35);
    EXPECT_EQ(view.CaretOffset(), program.find("30 RETURN"));
    EXPECT_EQ(status(), QString::fromStdString(LoadFormatted(IDS_LSP_NO_SUCH_LINE, {"35"})));

    OpenFile(h, "d.dat", "A\r\nB\r\nC\r\n");
    EXPECT_FALSE(h.State(ID_GOTO_DEFINITION).enabled);
    goTo(3);
    EXPECT_EQ(h.View()->CaretOffset(), 6u);
}

// The middle of the character at byte `offset` of a view, in its viewport.
QPoint PointAt(EditorView& view, std::size_t offset) {
    const QString raw = view.document()->toRawText();
    QTextCursor cursor(view.document());
    cursor.setPosition(static_cast<int>(
        cp932::Position(std::u16string_view(reinterpret_cast<const char16_t*>(raw.utf16()),
                                            static_cast<std::size_t>(raw.size())),
                        offset)));
    const QRect caret = view.cursorRect(cursor);
    return {caret.left() + view.fontMetrics().horizontalAdvance(u'0') / 2, caret.center().y()};
}

void MoveMouse(EditorView& view, QPoint point, Qt::KeyboardModifiers modifiers) {
    QMouseEvent move(QEvent::MouseMove, point, view.viewport()->mapToGlobal(point), Qt::NoButton,
                     Qt::NoButton, modifiers);
    QApplication::sendEvent(view.viewport(), &move);
}

// The program the jumps and lists below go about: a subroutine at 40 that
// 10 and 50 call, a label on 50, a variable set and read, a missing line.
const std::string kCalls = "10 GOSUB 40:GOTO *FIN\r\n20 GOTO 99\r\n30 A=1:B=A+2\r\n"
                           "40 PRINT A<2:RETURN\r\n50 *FIN:IF A THEN 40 ELSE GOSUB *FIN\r\n";

// Ctrl+click on a reference follows it as F12 does (the reference shows as
// a link while Ctrl is held over it); Alt+Left and Alt+Right go back and
// forward through the jumps, which keep to their places while the text
// changes, and a new jump drops the way forward.
TEST(View, CtrlClickFollowsAReferenceAndAltArrowsGoBackAndForth) {
    AppHarness h;
    ASSERT_TRUE(OpenInFront(h, "n.bas", kCalls));
    EditorView& view = *h.View();
    view.setFocus();
    const std::size_t call = kCalls.find("40:");
    const std::size_t sub = kCalls.find("40 PRINT");
    const std::size_t fin = kCalls.find("*FIN");
    const std::size_t finLine = kCalls.find("50 ");
    const auto caret = [&] { return view.CaretOffset(); };
    // The keys work as soon as the program has had a moment for itself.
    const auto press = [&](Qt::Key key) {
        QApplication::processEvents();
        QTest::keyClick(&view, key, Qt::AltModifier);
    };
    EXPECT_FALSE(h.State(ID_NAVIGATE_BACK).enabled);

    MoveMouse(view, PointAt(view, call + 1), Qt::ControlModifier);
    EXPECT_EQ(view.viewport()->cursor().shape(), Qt::PointingHandCursor);
    ASSERT_FALSE(view.extraSelections().isEmpty());
    EXPECT_EQ(view.extraSelections().back().cursor.selectedText(), QStringLiteral("40"));
    MoveMouse(view, PointAt(view, call + 1), Qt::NoModifier);
    EXPECT_EQ(view.viewport()->cursor().shape(), Qt::IBeamCursor);
    EXPECT_TRUE(view.extraSelections().isEmpty());
    // Over a keyword, Ctrl shows no link.
    MoveMouse(view, PointAt(view, kCalls.find("GOSUB") + 1), Qt::ControlModifier);
    EXPECT_EQ(view.viewport()->cursor().shape(), Qt::IBeamCursor);
    // Ctrl pressed and let go with the mouse resting on a reference; other
    // marks in the text stay as they are.
    QTextEdit::ExtraSelection mark;
    mark.cursor = QTextCursor(view.document());
    mark.cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor, 2);
    mark.format.setBackground(Qt::yellow);
    view.setExtraSelections({mark});
    MoveMouse(view, PointAt(view, call), Qt::NoModifier);
    QTest::keyPress(&view, Qt::Key_Control, Qt::ControlModifier);
    EXPECT_EQ(view.viewport()->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(view.extraSelections().size(), 2);
    QTest::keyRelease(&view, Qt::Key_Control, Qt::NoModifier);
    EXPECT_EQ(view.viewport()->cursor().shape(), Qt::IBeamCursor);
    ASSERT_EQ(view.extraSelections().size(), 1);
    EXPECT_EQ(view.extraSelections()[0].format.background(), QBrush(Qt::yellow));
    view.setExtraSelections({});

    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ControlModifier,
                      PointAt(view, call + 1));
    EXPECT_EQ(caret(), sub);
    press(Qt::Key_Left);
    EXPECT_EQ(caret(), call + 1); // where the click put the caret
    press(Qt::Key_Right);
    EXPECT_EQ(caret(), sub);
    view.SetCaret(fin + 2);
    h.Execute(ID_GOTO_DEFINITION);
    EXPECT_EQ(caret(), finLine);
    press(Qt::Key_Left);
    EXPECT_EQ(caret(), fin + 2);
    press(Qt::Key_Left);
    EXPECT_EQ(caret(), call + 1);
    EXPECT_FALSE(h.State(ID_NAVIGATE_BACK).enabled);
    press(Qt::Key_Right);
    EXPECT_EQ(caret(), fin + 2);
    press(Qt::Key_Right);
    EXPECT_EQ(caret(), finLine);
    EXPECT_FALSE(h.State(ID_NAVIGATE_FORWARD).enabled);

    // The places move with the text before them.
    press(Qt::Key_Left);
    view.SetCaret(0);
    view.insertPlainText(QStringLiteral("5 REM\n"));
    const std::size_t added = 7; // with CR LF
    press(Qt::Key_Left);
    EXPECT_EQ(caret(), call + 1 + added);
    press(Qt::Key_Right); // to where the caret was
    EXPECT_EQ(caret(), added);
    // A new jump (Ctrl+G) drops what lay ahead.
    h.WhenDialogOpens([](QDialog* dialog) {
        dialog->findChild<QSpinBox*>()->setValue(30);
        dialog->accept();
    });
    h.Execute(ID_GOTO_LINE);
    ASSERT_TRUE(h.BringToFront()); // from the dialog
    EXPECT_EQ(caret(), kCalls.find("30 ") + added);
    EXPECT_FALSE(h.State(ID_NAVIGATE_FORWARD).enabled);
    press(Qt::Key_Left);
    EXPECT_EQ(caret(), added);

    // A click on a reference to a missing line says so and stays; one with
    // Ctrl on anything else is an ordinary click.
    const std::size_t missing = kCalls.find("99") + added;
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ControlModifier, PointAt(view, missing));
    EXPECT_EQ(caret(), missing);
    EXPECT_EQ(h.Frame().statusBar()->currentMessage(),
              QString::fromStdString(LoadFormatted(IDS_LSP_NO_SUCH_LINE, {"99"})));
    const std::size_t print = kCalls.find("PRINT") + added;
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ControlModifier,
                      PointAt(view, print + 2));
    EXPECT_EQ(caret(), print + 2);
    press(Qt::Key_Left);
    EXPECT_EQ(caret(), call + 1 + added);
}

// Resting the mouse on a reference shows the line it names, or that it is
// not there; nothing elsewhere.
TEST(View, HoverOverAReferenceShowsItsLine) {
    AppHarness h;
    ASSERT_TRUE(OpenInFront(h, "h.bas", kCalls));
    auto& view = static_cast<NumberedEditorView&>(*h.View());
    const auto hover = [&](std::size_t offset) { return view.HoverText(offset).toStdString(); };
    EXPECT_EQ(hover(kCalls.find("40:")), "40 PRINT A<2:RETURN");
    EXPECT_EQ(hover(kCalls.find("40 ELSE") + 1), "40 PRINT A<2:RETURN");
    EXPECT_EQ(hover(kCalls.find("*FIN")), "50 *FIN:IF A THEN 40 ELSE GOSUB *FIN");
    EXPECT_EQ(hover(kCalls.find("99")), LoadFormatted(IDS_LSP_NO_SUCH_LINE, {"99"}));
    EXPECT_EQ(hover(kCalls.find("40:") + 2), ""); // just after it
    EXPECT_EQ(hover(kCalls.find("A=")), "");
    EXPECT_EQ(hover(0), "");

    const auto tooltipAt = [&](std::size_t offset) {
        QToolTip::hideText();
        const QPoint point = PointAt(view, offset);
        QHelpEvent help(QEvent::ToolTip, point, view.viewport()->mapToGlobal(point));
        QApplication::sendEvent(view.viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    // The line as written, never read as markup.
    EXPECT_TRUE(tooltipAt(kCalls.find("40:") + 1).contains(QStringLiteral("PRINT A&lt;2")));
    // A reference to a missing line is a problem too: the tooltip says it
    // once, as the problem.
    view.Problems().Refresh();
    const auto mark = std::ranges::find_if(view.Problems().Marks(), [&](const ProblemMark& m) {
        return m.From() <= static_cast<int>(kCalls.find("99")) &&
               static_cast<int>(kCalls.find("99")) < m.To();
    });
    ASSERT_NE(mark, view.Problems().Marks().end());
    const QString problem = tooltipAt(kCalls.find("99") + 1);
    EXPECT_EQ(problem, mark->text);

    // A label that is not there, named with its asterisk.
    view.SetCaret(view.GetLength());
    view.insertPlainText(QStringLiteral("60 GOTO *NONE\n"));
    const std::string text = view.GetText();
    EXPECT_EQ(hover(text.find("*NONE") + 2), LoadFormatted(IDS_LSP_NO_SUCH_LABEL, {"*NONE"}));
}

// The rows of the list of references: line, how, text.
std::vector<std::string> Rows(QTreeWidget* list) {
    std::vector<std::string> rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        rows.push_back((item->text(0) + u'|' + item->text(1) + u'|' + item->text(2)).toStdString());
    }
    return rows;
}

// Shift+F12 lists who refers to the line whose number, or a reference to
// it, is at the caret (by number, and by the labels the line defines), where
// a label is defined and used, and where a variable is set and read; Enter
// or a double click goes there, and Alt+Left comes back. The status bar
// says when there is nothing to list.
TEST(View, WhoRefersToALineALabelOrAVariable) {
    AppHarness h;
    ASSERT_TRUE(OpenInFront(h, "r.bas", kCalls));
    EditorView& view = *h.View();
    ReferencesDock& dock = *h.Frame().References();
    QTreeWidget* list = dock.List();
    EXPECT_FALSE(dock.isVisible());
    const auto status = [&] { return h.Frame().statusBar()->currentMessage(); };
    const std::string line10 = "10 GOSUB 40:GOTO *FIN";
    const std::string line30 = "30 A=1:B=A+2";
    const std::string line50 = "50 *FIN:IF A THEN 40 ELSE GOSUB *FIN";
    const struct {
        std::size_t caret;
        QString heading;
        std::vector<std::string> rows;
    } cases[] = {
        {kCalls.find("40 PRINT"),
         LoadQString(IDS_REFS_TO_LINE).arg("40", "2"),
         {"10|GOSUB|" + line10, "50|THEN|" + line50}},
        {kCalls.find("40:") + 2,
         LoadQString(IDS_REFS_TO_LINE).arg("40", "2"),
         {"10|GOSUB|" + line10, "50|THEN|" + line50}},
        {kCalls.find("50 "),
         LoadQString(IDS_REFS_TO_LINE).arg("50", "2"),
         {"10|GOTO *FIN|" + line10, "50|GOSUB *FIN|" + line50}},
        {kCalls.find("99"), LoadQString(IDS_REFS_TO_LINE).arg("99", "1"), {"20|GOTO|20 GOTO 99"}},
        {kCalls.find("FIN:"),
         LoadQString(IDS_REFS_TO_LABEL).arg("*FIN", "3"),
         {"10|GOTO *FIN|" + line10,
          "50|" + LoadQString(IDS_REFS_DEFINED).toStdString() + "|" + line50,
          "50|GOSUB *FIN|" + line50}},
        {kCalls.find("A=") + 1,
         LoadQString(IDS_REFS_TO_VARIABLE).arg("A", "4"),
         {"30|" + LoadQString(IDS_REFS_SET).toStdString() + "|" + line30,
          "30|" + LoadQString(IDS_REFS_READ).toStdString() + "|" + line30,
          "40|" + LoadQString(IDS_REFS_READ).toStdString() + "|40 PRINT A<2:RETURN",
          "50|" + LoadQString(IDS_REFS_READ).toStdString() + "|" + line50}},
    };
    for (const auto& c : cases) {
        view.SetCaret(c.caret);
        ASSERT_TRUE(h.State(ID_FIND_REFERENCES).enabled);
        h.Execute(ID_FIND_REFERENCES);
        EXPECT_TRUE(dock.isVisible()) << c.caret;
        EXPECT_EQ(dock.Heading(), c.heading);
        EXPECT_EQ(Rows(list), c.rows) << c.caret;
        EXPECT_TRUE(list->hasFocus());
    }

    // Down and Enter go to the second place (the variable read in 30),
    // Alt+Left back to where the caret was.
    const std::size_t before = view.CaretOffset();
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(view.CaretOffset(), kCalls.find("A+2"));
    EXPECT_TRUE(view.hasFocus());
    h.Execute(ID_NAVIGATE_BACK);
    EXPECT_EQ(view.CaretOffset(), before);
    // A double click on the fourth.
    list->scrollToItem(list->topLevelItem(3));
    const QRect row = list->visualItemRect(list->topLevelItem(3));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(view.CaretOffset(), kCalls.find("A THEN"));

    // Nothing to list: the status bar says so, the list stays.
    for (const auto& [caret, said] :
         {std::pair(kCalls.find("30 "), LoadQString(IDS_REFS_NONE_TO_LINE).arg("30")),
          std::pair(kCalls.find("PRINT"), LoadQString(IDS_REFS_NOTHING))}) {
        view.SetCaret(caret);
        h.Execute(ID_FIND_REFERENCES);
        EXPECT_EQ(status(), said);
        EXPECT_EQ(list->topLevelItemCount(), 4);
    }
    // View > References hides and shows the list.
    EXPECT_TRUE(h.State(ID_VIEW_REFERENCES).checked);
    h.Execute(ID_VIEW_REFERENCES);
    EXPECT_FALSE(dock.isVisible());

    // Closing the document empties the list; a DATA file has nothing to list.
    h.Active()->CloseDocument();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(list->topLevelItemCount(), 0);
    OpenFile(h, "d.dat", "10 GOTO 10\r\n");
    EXPECT_FALSE(h.State(ID_FIND_REFERENCES).enabled);
}

TEST(View, BytesThatAreNoCharacterShowAsMarkedPlaceholders) {
    AppHarness h;
    OpenFile(h, "m.dat",
             std::string("A\x01"
                         "B\rC\x80",
                         7));
    const QTextBlock block = h.View()->document()->firstBlock();
    EXPECT_EQ(block.text().size(), 6);
    QList<int> marked;
    for (const QTextLayout::FormatRange& range : block.layout()->formats())
        for (int i = range.start; i < range.start + range.length; ++i)
            marked.append(i);
    EXPECT_EQ(marked, (QList<int>{1, 3, 5})); // 0x01, the lone CR and 0x80
}

// Any byte string without NUL survives open -> widget -> save unchanged.
TEST(View, RandomBytesSurviveOpenAndSave) {
    AppHarness h;
    std::mt19937 rng(42);
    for (int round = 0; round < 40; ++round) {
        std::string bytes(1 + rng() % 400, 'x');
        for (char& c : bytes)
            c = static_cast<char>(1 + rng() % 255);
        const bool data = round % 2 == 0;
        // A line-numbered file that starts with a digit is taken as it is.
        if (!data)
            bytes[0] = '1';
        const std::string name = data ? "r.dat" : "r.txt";
        DocumentWindow* frame = OpenFile(h, name, bytes);
        ASSERT_NE(frame, nullptr);
        ASSERT_TRUE(frame->GetDocument()->OnSaveDocument(h.dir.file(name)));
        ASSERT_EQ(test::ReadBytes(h.dir.file(name)), bytes) << round;
        frame->close();
        QApplication::processEvents();
    }
}

// The marks as the pause leaves them: where each starts and ends in bytes,
// and its message id.
struct MarkPlace {
    std::size_t from;
    std::size_t to;
    StringId message;
    bool operator==(const MarkPlace&) const = default;
};

std::vector<MarkPlace> MarkPlaces(EditorView& view) {
    const QString raw = view.document()->toRawText();
    const cp932::OffsetIndex index(
        {reinterpret_cast<const char16_t*>(raw.utf16()), static_cast<std::size_t>(raw.size())});
    std::vector<MarkPlace> places;
    for (const ProblemMark& mark : view.Problems().Marks())
        places.push_back({index.ByteOffset(static_cast<std::size_t>(mark.From())),
                          index.ByteOffset(static_cast<std::size_t>(mark.To())), mark.message});
    return places;
}

// Waits out the pause after the last edit.
void WaitForMarks(EditorView& view) {
    EXPECT_TRUE(QTest::qWaitFor([&] { return !view.Problems().Pending(); }, 2000));
}

// The problems are marked a moment after the typing stops, not at each key:
// a GOTO whose line went away is a warning under its number, a line without
// a number an error; each in its own colour with a wavy line, beside any
// other marks the view has. An empty line gets its whole width tinted.
TEST(View, ProblemsAreMarkedAPauseAfterTheTypingStops) {
    AppHarness h;
    const std::string program = "10 GOTO 30\r\n20 END\r\n30 PRINT \x8a\xbf\r\n";
    OpenFile(h, "p.bas", program);
    EditorView& view = *h.View();
    WaitForMarks(view);
    EXPECT_TRUE(view.Problems().Marks().empty());
    QTextEdit::ExtraSelection other;
    other.cursor = QTextCursor(view.document());
    other.format.setBackground(Qt::yellow);
    view.setExtraSelections({other});

    view.SetCaret(program.find("30 PRINT"));
    QTest::keyClicks(&view, QStringLiteral("4")); // line 430: GOTO 30 goes nowhere
    view.SetCaret(program.find("20 END"));
    QTest::keyClick(&view, Qt::Key_Delete); // "0 END"
    QTest::keyClick(&view, Qt::Key_Delete); // " END": no number
    EXPECT_TRUE(view.Problems().Pending());
    EXPECT_TRUE(view.Problems().Marks().empty());
    WaitForMarks(view);
    const std::vector<MarkPlace> expected{{8, 10, IDS_LINE_REF_NO_LINE},
                                          {12, 16, IDS_LINE_NO_NUMBER}};
    EXPECT_EQ(MarkPlaces(view), expected);
    EXPECT_EQ(view.Problems().Count(Severity::Error), 1);
    EXPECT_EQ(view.Problems().Count(Severity::Warning), 1);
    EXPECT_EQ(view.Problems().Marks()[0].text,
              QString::fromStdString(LoadFormatted(IDS_LINE_REF_NO_LINE, {"30"})));

    const QList<QTextEdit::ExtraSelection> selections = view.extraSelections();
    ASSERT_EQ(selections.size(), 3);
    EXPECT_EQ(selections[0].format.background(), QBrush(Qt::yellow)); // kept
    EXPECT_EQ(selections[1].format.underlineStyle(), QTextCharFormat::WaveUnderline);
    EXPECT_EQ(selections[1].format.underlineColor(),
              ProblemMarks::ColorOf(Severity::Warning, view.palette()));
    EXPECT_EQ(selections[2].format.underlineColor(),
              ProblemMarks::ColorOf(Severity::Error, view.palette()));
    EXPECT_NE(selections[1].format.underlineColor(), selections[2].format.underlineColor());

    // A blank line has nothing to underline.
    view.SetCaret(0);
    view.InsertText(QStringLiteral("\n"));
    view.Problems().Refresh();
    ASSERT_EQ(view.Problems().Marks().size(), 3u);
    EXPECT_FALSE(view.Problems().Marks()[0].place.hasSelection());
    EXPECT_TRUE(view.extraSelections()[1].format.hasProperty(QTextFormat::FullWidthSelection));

    // A line's tabs go out as blanks: a wider tab stop makes it too long.
    OpenFile(h, "t.bas", "10 " + std::string(30, '\t') + "A\r\n");
    h.View()->Problems().Refresh();
    EXPECT_TRUE(h.View()->Problems().Marks().empty());
    h.app->Settings().tabStop = 10;
    h.View()->SetTabStops(10);
    WaitForMarks(*h.View());
    ASSERT_EQ(h.View()->Problems().Marks().size(), 1u);
    EXPECT_EQ(h.View()->Problems().Marks()[0].message, IDS_LINE_TOO_LONG);

    // A DATA window reads nothing.
    OpenFile(h, "d.dat", "\r\n\r\n");
    EXPECT_FALSE(h.View()->Problems().Active());
    EXPECT_FALSE(h.State(ID_NEXT_PROBLEM).enabled);
}

// The model follows the widget edit by edit, whatever the edit: typing,
// pasting lines, deleting across lines and double-byte characters, a
// replacement in several places at once, undo and redo. Its problems are
// always those of the text built afresh.
TEST(View, TheModelFollowsEveryEditByteForByte) {
    AppHarness h;
    OpenFile(h, "p.bas", "10 GOTO 30\r\n20 GOSUB 10\r\n30 PRINT \"\x83\x41\"\r\n");
    EditorView& view = *h.View();
    std::mt19937 rng(28);
    const QString pieces[] = {
        QStringLiteral("1"),          QStringLiteral(" GOTO 20"),   QStringLiteral("\n"),
        QStringLiteral("\n40 END\n"), QStringLiteral("ア"),         QStringLiteral("漢字"),
        QStringLiteral("\t"),         QStringLiteral("\n\n  50 A"), QStringLiteral("\x1a")};
    for (int round = 0; round < 300; ++round) {
        const int length = view.document()->characterCount() - 1;
        QTextCursor cursor(view.document());
        const int at = static_cast<int>(rng() % (length + 1));
        switch (rng() % 6) {
        case 0:
        case 1:
            cursor.setPosition(at);
            cursor.setPosition(std::min(length, at + static_cast<int>(rng() % 6)),
                               QTextCursor::KeepAnchor);
            view.setTextCursor(cursor);
            view.InsertText(pieces[rng() % std::size(pieces)]);
            break;
        case 2:
            cursor.setPosition(at);
            cursor.setPosition(std::min(length, at + static_cast<int>(rng() % 12)),
                               QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
            break;
        case 3: {
            if (length < 4)
                break;
            const std::size_t starts[] = {0, static_cast<std::size_t>(length / 2)};
            view.ReplaceEach(starts, 1, QStringLiteral("9"));
            break;
        }
        case 4:
            view.undo();
            break;
        default:
            view.redo();
            break;
        }
        const ProgramModel* kept = view.Problems().Model();
        ASSERT_NE(kept, nullptr);
        ASSERT_EQ(kept->Text(), view.GetText()) << round;
        ProgramModel fresh(kept->Options());
        fresh.Build(view.GetText());
        const auto messages = [](const ProgramModel& model) {
            std::vector<std::pair<std::size_t, unsigned>> all;
            for (const ProgramProblem& problem : model.Problems())
                all.emplace_back(problem.begin, problem.message);
            return all;
        };
        ASSERT_EQ(messages(*kept), messages(fresh)) << round;
    }
    // The whole text replaced at once.
    view.ReplaceText("10 END\r\n");
    EXPECT_EQ(view.Problems().Model()->Text(), "10 END\r\n");
}

// F8 goes to the next problem after the caret and Shift+F8 to the one before
// it, round from the last to the first and back; the status bar says each
// one's message, or that there is none.
TEST(View, F8AndShiftF8GoRoundTheProblems) {
    AppHarness h;
    QApplication::processEvents(); // the splash goes
    ASSERT_TRUE(h.BringToFront());
    const std::string program = "10 GOTO 99\r\n20 END\r\nPRINT\r\n30 GOSUB 77\r\n";
    OpenFile(h, "p.bas", program);
    EditorView& view = *h.View();
    const auto status = [&] { return h.Frame().statusBar()->currentMessage(); };
    const std::size_t first = program.find("99");
    const std::size_t second = program.find("PRINT");
    const std::size_t third = program.find("77");
    view.SetCaret(0);
    // Before the pause: the marks are made for the keys.
    EXPECT_TRUE(h.State(ID_NEXT_PROBLEM).enabled);
    for (const std::size_t expected : {first, second, third, first}) {
        QTest::keyClick(&view, Qt::Key_F8);
        EXPECT_EQ(view.CaretOffset(), expected);
    }
    EXPECT_EQ(status(), QString::fromStdString(LoadFormatted(IDS_LINE_REF_NO_LINE, {"99"})));
    for (const std::size_t expected : {third, second, first}) {
        QTest::keyClick(&view, Qt::Key_F8, Qt::ShiftModifier);
        EXPECT_EQ(view.CaretOffset(), expected);
    }
    // From the middle of a mark, back is its own start.
    view.SetCaret(second + 2);
    h.Execute(ID_PREV_PROBLEM);
    EXPECT_EQ(view.CaretOffset(), second);

    view.ReplaceText("10 END\r\n");
    h.Execute(ID_NEXT_PROBLEM);
    EXPECT_EQ(status(), LoadQString(IDS_PROBLEMS_NONE));
    EXPECT_FALSE(h.State(ID_NEXT_PROBLEM).enabled);
}

// A mend is made on the text as it is now, as one step of Undo: from the
// caret (Edit > Mend Problem), from the context menu at the problem, never
// from a problem the text no longer has. The tooltip over a problem says it
// and its mend.
TEST(View, AMendIsOneStepOfUndoOnTheTextAsItIsNow) {
    AppHarness h;
    const std::string program = "10 A\r\n\r\n  20 B\r\n30 C\r\n";
    OpenFile(h, "p.bas", program);
    EditorView& view = *h.View();
    view.Problems().Refresh();
    ASSERT_EQ(view.Problems().Marks().size(), 2u);

    view.SetCaret(program.find("\r\n\r\n") + 2); // the blank line
    ASSERT_TRUE(h.State(ID_MEND_PROBLEM).enabled);
    h.Execute(ID_MEND_PROBLEM);
    EXPECT_EQ(view.GetText(), "10 A\r\n  20 B\r\n30 C\r\n");
    EXPECT_EQ(view.Problems().Marks().size(), 1u); // at once, no pause
    h.Execute(ID_EDIT_UNDO);
    EXPECT_EQ(view.GetText(), program);
    h.Execute(ID_EDIT_REDO);

    // The context menu's mend of the indent, at the caret.
    view.Problems().Refresh();
    view.SetCaret(std::string("10 A\r\n ").size());
    const QRect caret = view.cursorRect();
    QTimer::singleShot(0, [] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        auto* mend = menu->findChild<QAction*>(QStringLiteral("mendProblem"));
        ASSERT_NE(mend, nullptr);
        EXPECT_EQ(mend->text(), LoadQString(IDS_FIX_REMOVE_INDENT));
        mend->trigger();
        menu->close();
    });
    QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, caret.center(),
                                view.viewport()->mapToGlobal(caret.center()));
    QApplication::sendEvent(view.viewport(), &menuEvent);
    EXPECT_EQ(view.GetText(), "10 A\r\n20 B\r\n30 C\r\n");
    h.Execute(ID_EDIT_UNDO);
    EXPECT_EQ(view.GetText(), "10 A\r\n  20 B\r\n30 C\r\n");

    // The tooltip over the indent.
    view.Problems().Refresh();
    ASSERT_EQ(view.Problems().Marks().size(), 1u);
    QTextCursor at(view.document());
    at.setPosition(view.Problems().Marks()[0].From() + 1);
    const QPoint point = view.cursorRect(at).center();
    QHelpEvent tip(QEvent::ToolTip, point, view.viewport()->mapToGlobal(point));
    QApplication::sendEvent(view.viewport(), &tip);
    EXPECT_TRUE(QToolTip::text().startsWith(LoadQString(IDS_LINE_NO_NUMBER)))
        << QToolTip::text().toStdString();
    EXPECT_TRUE(QToolTip::text().contains(LoadQString(IDS_FIX_REMOVE_INDENT)));

    // Typed over before the pause: the old mend would cut the wrong bytes.
    const ProblemMark mark = view.Problems().Marks()[0];
    view.SetCaret(std::string("10 A\r\n").size());
    view.InsertText(QStringLiteral("15"));
    EXPECT_FALSE(view.Problems().Mend(mark.From(), mark.message));
    EXPECT_EQ(view.GetText(), "10 A\r\n15  20 B\r\n30 C\r\n");
}

} // namespace
} // namespace tessel
