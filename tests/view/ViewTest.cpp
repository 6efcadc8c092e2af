#include "encoding/Cp932.h"
#include "engine/DocWithLineNum.h"
#include "res/StringTable.h"
#include "support/AppHarness.h"
#include "ui/CommandIds.h"

#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <gtest/gtest.h>

#include <random>

namespace tessel {
namespace {

using test::AppHarness;

std::size_t CaretByte(CKivaView* view) {
    const QString text = view->document()->toRawText().left(view->textCursor().position());
    std::string bytes;
    cp932::Encode(std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                                 static_cast<std::size_t>(text.size())),
                  bytes);
    return bytes.size();
}

CChildFrame* OpenFile(AppHarness& h, const std::string& name, const std::string& bytes) {
    const std::string path = h.dir.file(name);
    test::WriteBytes(path, bytes);
    return h.app->DocManager().OpenDocumentFile(QString::fromStdString(path));
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
    CChildFrame* frame = OpenFile(h, "p.bas", "10 GOTO 30\r\n20 END\r\n30 PRINT\r\n");
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
    CKivaView* view = h.View();
    view->SetCaret(16); // "20 B|B"
    h.Execute(ID_SORT_LINES);
    EXPECT_EQ(view->GetText(), "10 A\r\n20 BB\r\n30 C\r\n");
    EXPECT_EQ(CaretByte(view), 10u);
    AnswerRenumber(h, "100", "10", "10");
    h.Execute(ID_RENUMBER);
    EXPECT_EQ(view->GetText(), "100 A\r\n110 BB\r\n120 C\r\n");
    EXPECT_EQ(CaretByte(view), 12u); // "110 B|B"
}

TEST(View, ASendWithTheEndCodeInsideIsRefusedWithTheCaretOnIt) {
    AppHarness h;
    OpenFile(h, "p.bas",
             "10 PRINT \"A\x1a"
             "B\"\r\n20 END\r\n");
    CKivaView* view = h.View();
    view->SetCaret(0);
    h.Execute(ID_TEXT_SEND); // no transfer dialog: nothing would answer it
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_EQ(h.messages[0].text, LoadQString(IDS_END_CODE_INSIDE));
    EXPECT_EQ(CaretByte(view), 11u);
}

TEST(View, RenumberErrorPutsTheCaretOnTheLineBeforeTheMessage) {
    AppHarness h;
    const std::string text = "10 A\r\n\x82\xa0\x82\xa0\r\n30 C\r\n";
    OpenFile(h, "p.txt", text);
    AnswerRenumber(h, "100", "10", "10");
    h.Execute(ID_RENUMBER);
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_EQ(h.messages[0].text, LoadQString(IDS_LINE_NO_NUMBER));
    EXPECT_EQ(h.messages[0].caption, LoadQString(AFX_IDS_APP_TITLE));
    EXPECT_EQ(CaretByte(h.View()), 6u);
    EXPECT_EQ(h.View()->GetText(), text);
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
    CChildFrame* frame = OpenFile(h, "p.bas", "20 B\r\n10 A\r\n");
    h.Execute(ID_SORT_LINES);
    EXPECT_EQ(h.View()->GetText(), "10 A\r\n20 B\r\n");
    EXPECT_TRUE(frame->GetDocument()->IsModified());

    CChildFrame* ordered = OpenFile(h, "q.bas", "10 A\r\n20 B\r\n");
    h.Execute(ID_SORT_LINES);
    EXPECT_FALSE(ordered->GetDocument()->IsModified());
}

TEST(View, CtrlHomeAndCtrlEndAreCommands) {
    AppHarness h;
    OpenFile(h, "d.dat", std::string(100, 'x'));
    h.Frame().show();
    CKivaView* view = h.View();
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
    CKivaView* view = h.View();
    view->setFocus();
    QTest::keyClicks(view, QStringLiteral("abe"));
    QKeyEvent accented(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("é"));
    QApplication::sendEvent(view, &accented);
    EXPECT_EQ(view->GetText(), "abe");
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_TRUE(h.messages[0].text.contains(QStringLiteral("U+00E9")));
    // A character beyond U+FFFF typed (its text starts with a surrogate).
    QKeyEvent emoji(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("😀"));
    QApplication::sendEvent(view, &emoji);
    EXPECT_EQ(view->GetText(), "abe");
    ASSERT_EQ(h.messages.size(), 2u);
    EXPECT_TRUE(h.messages[1].text.contains(QStringLiteral("U+1F600")));
    // Letters with Alt, Ctrl or Meta that no command takes never type.
    QTest::keyClick(view, Qt::Key_N, Qt::AltModifier);
    QTest::keyClick(view, Qt::Key_Z, Qt::AltModifier | Qt::ShiftModifier);
    QKeyEvent metaQ(QEvent::KeyPress, Qt::Key_Q, Qt::MetaModifier, QStringLiteral("q"));
    QApplication::sendEvent(view, &metaQ);
    EXPECT_EQ(view->GetText(), "abe");

    QApplication::clipboard()->setText(QStringLiteral("全角\r\n😀"));
    h.Execute(ID_EDIT_PASTE);
    EXPECT_EQ(view->GetText(), "abe");
    QApplication::clipboard()->setText(QStringLiteral("全角\r\nｶﾅ"));
    h.Execute(ID_EDIT_PASTE);
    EXPECT_EQ(view->GetText(), "abe\x91\x53\x8a\x70\r\n\xb6\xc5");
}

TEST(View, EditsMarkTheDocumentButReplacingTheWholeTextDoesNot) {
    AppHarness h;
    h.Execute(ID_NEW_BASIC);
    CKivaDoc* document = h.Active()->GetDocument();
    EXPECT_TRUE(document->SetEditText("10 A\r\n"));
    EXPECT_FALSE(document->IsModified());
    EXPECT_TRUE(h.View()->IsModified());
    h.View()->insertPlainText(QStringLiteral("X"));
    EXPECT_TRUE(document->IsModified());
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
        CChildFrame* frame = OpenFile(h, name, bytes);
        ASSERT_NE(frame, nullptr);
        ASSERT_TRUE(frame->GetDocument()->OnSaveDocument(h.dir.file(name)));
        ASSERT_EQ(test::ReadBytes(h.dir.file(name)), bytes) << round;
        frame->close();
        QApplication::processEvents();
    }
}

} // namespace
} // namespace tessel
