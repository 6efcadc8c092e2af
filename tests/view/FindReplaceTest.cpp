#include "support/AppHarness.h"
#include "ui/CommandIds.h"
#include "view/FindReplaceDialog.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QMdiArea>
#include <QTest>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace tessel {
namespace {

using test::AppHarness;

// A new DATA window holding `bytes`, unmodified, with the caret at the start.
EditorView* NewText(AppHarness& h, const std::string& bytes) {
    h.Execute(ID_NEW_DATA);
    h.View()->ReplaceText(bytes);
    h.View()->SetCaret(0);
    return h.View();
}

// Opens the dialog with `command` and fills in its fields.
FindReplaceDialog* Open(AppHarness& h, int command, const QString& find,
                        const QString& replacement = {}) {
    h.Execute(command);
    FindReplaceDialog* dialog = h.Frame().FindReplace();
    dialog->findChild<QLineEdit*>(QStringLiteral("findText"))->setText(find);
    dialog->findChild<QLineEdit*>(QStringLiteral("replaceText"))->setText(replacement);
    return dialog;
}

QAbstractButton* Button(FindReplaceDialog* dialog, const char* name) {
    return dialog->findChild<QAbstractButton*>(QString::fromLatin1(name));
}

int SelectionStart(EditorView* view) {
    return view->textCursor().selectionStart();
}

QString NotFound(const QString& text) {
    return QStringLiteral("「%1」が見つかりません。").arg(text);
}

TEST(FindReplace, OneModelessDialogForBothCommands) {
    AppHarness h;
    EXPECT_FALSE(h.State(ID_EDIT_FIND).enabled);
    EditorView* view = NewText(h, "alpha beta\r\ngamma");
    FindReplaceDialog* find = Open(h, ID_EDIT_FIND, {});
    EXPECT_TRUE(find->isVisible() && !find->isModal());
    EXPECT_EQ(find->windowTitle(), QStringLiteral("検索"));
    EXPECT_FALSE(Button(find, "replaceAll")->isVisibleTo(find));
    EXPECT_FALSE(Button(find, "findNext")->isEnabled()); // nothing to look for

    // A selection within one line becomes the search text.
    QTextCursor cursor = view->textCursor();
    cursor.setPosition(6);
    cursor.setPosition(10, QTextCursor::KeepAnchor);
    view->setTextCursor(cursor);
    h.Execute(ID_EDIT_REPLACE);
    EXPECT_EQ(h.Frame().FindReplace(), find);
    EXPECT_EQ(find->windowTitle(), QStringLiteral("置換"));
    EXPECT_TRUE(Button(find, "replaceAll")->isVisibleTo(find));
    auto* field = find->findChild<QLineEdit*>("findText");
    EXPECT_EQ(field->selectedText(), QStringLiteral("beta"));
    EXPECT_TRUE(Button(find, "findNext")->isEnabled());
    // One over a line break leaves the last search text.
    view->selectAll();
    h.Execute(ID_EDIT_FIND);
    EXPECT_EQ(field->text(), QStringLiteral("beta"));
    Button(find, "cancel")->click();
    EXPECT_FALSE(find->isVisible());
}

TEST(FindReplace, FindsDownFromTheSelectionEndAndUpFromItsStartWithoutWrapping) {
    AppHarness h;
    EditorView* view = NewText(h, "abc ABC abc");
    FindReplaceDialog* find = Open(h, ID_EDIT_FIND, QStringLiteral("abc"));
    for (int start : {0, 4, 8}) {
        Button(find, "findNext")->click();
        EXPECT_EQ(SelectionStart(view), start);
    }
    EXPECT_EQ(view->textCursor().selectedText(), QStringLiteral("abc"));
    EXPECT_TRUE(h.messages.empty());
    EXPECT_FALSE(find->FindNext());
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_EQ(h.messages[0].text, NotFound("abc"));
    EXPECT_EQ(h.messages[0].caption, QStringLiteral("TESSEL Software"));
    EXPECT_EQ(SelectionStart(view), 8);

    Button(find, "up")->click();
    for (int start : {4, 0})
        EXPECT_TRUE(find->FindNext() && SelectionStart(view) == start);
    EXPECT_FALSE(find->FindNext());
    EXPECT_FALSE(h.Active()->GetDocument()->IsModified());
}

TEST(FindReplace, DoubleByteTextAndMarksOfBytes) {
    AppHarness h;
    // "全角の全角ＡＢ", a NUL byte and an undefined byte (0x80), shown as marks.
    EditorView* view = NewText(h, std::string("\x91\x53\x8a\x70\x82\xcc\x91\x53\x8a\x70\x82\x60"
                                              "\x82\x61\0\x80",
                                              16));
    FindReplaceDialog* find = Open(h, ID_EDIT_FIND, QStringLiteral("全角"));
    EXPECT_TRUE(find->FindNext() && find->FindNext());
    EXPECT_EQ(SelectionStart(view), 3);
    // A NUL typed looks for its mark, as does the mark of a byte.
    for (auto [unit, start] : {std::pair{u'\0', 7}, std::pair{u'\xF780', 8}}) {
        find->findChild<QLineEdit*>(QStringLiteral("findText"))->setText(QString(QChar(unit)));
        view->SetCaret(0);
        EXPECT_TRUE(find->FindNext() && SelectionStart(view) == start) << start;
    }
    // A character the code page has not is simply not found.
    find->findChild<QLineEdit*>(QStringLiteral("findText"))->setText(QStringLiteral("é"));
    EXPECT_FALSE(find->FindNext());
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_EQ(h.messages[0].text, NotFound(QStringLiteral("é")));

    find = Open(h, ID_EDIT_REPLACE, QStringLiteral("全角"), QStringLiteral("ｶﾅ"));
    EXPECT_EQ(find->ReplaceAll(), 2u);
    EXPECT_EQ(view->GetText(), std::string("\xb6\xc5\x82\xcc\xb6\xc5\x82\x60\x82\x61\0\x80", 12));
}

TEST(FindReplace, ReplaceTakesTheSelectionOnlyWhenItMatches) {
    AppHarness h;
    EditorView* view = NewText(h, "a1 A2 a3");
    Document* document = h.Active()->GetDocument();
    FindReplaceDialog* replace = Open(h, ID_EDIT_REPLACE, "a", "aa");
    // The caret is no match: the first click only finds.
    Button(replace, "replaceNext")->click();
    EXPECT_EQ(view->GetText(), "a1 A2 a3");
    EXPECT_FALSE(document->IsModified());
    Button(replace, "replaceNext")->click();
    EXPECT_EQ(view->GetText(), "aa1 A2 a3");
    EXPECT_TRUE(document->IsModified());
    // With match case the selected "A" is no match and stays.
    Button(replace, "matchCase")->click();
    EXPECT_TRUE(replace->ReplaceNext());
    EXPECT_EQ(SelectionStart(view), 7);
    // The last one is replaced, and the "a" it brings is not found again.
    EXPECT_FALSE(replace->ReplaceNext());
    EXPECT_EQ(view->GetText(), "aa1 A2 aa3");
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_EQ(h.messages[0].text, NotFound("a"));
}

TEST(FindReplace, ReplaceAllIsOneStepOfUndo) {
    AppHarness h;
    const std::string text = "10 PRINT X\r\n20 x=X1+1\r\n30 GOTO 10 'X\r\n";
    EditorView* view = NewText(h, text);
    view->SetCaret(15);
    FindReplaceDialog* replace = Open(h, ID_EDIT_REPLACE, "x", QStringLiteral("全\r\nY"));
    // Every match, before the caret too; line breaks become the document's.
    Button(replace, "replaceAll")->click();
    EXPECT_EQ(view->GetText(), "10 PRINT \x91\x53\r\nY\r\n20 \x91\x53\r\nY=\x91\x53\r\nY1+1\r\n"
                               "30 GOTO 10 '\x91\x53\r\nY\r\n");
    EXPECT_TRUE(h.Active()->GetDocument()->IsModified());
    // The caret ends after the last replacement.
    EXPECT_EQ(view->textCursor().position(), view->document()->characterCount() - 2);
    h.Execute(ID_EDIT_UNDO);
    EXPECT_EQ(view->GetText(), text);
    EXPECT_FALSE(view->document()->isUndoAvailable());

    Button(replace, "wholeWord")->click();
    Button(replace, "matchCase")->click();
    Open(h, ID_EDIT_REPLACE, "X");
    EXPECT_EQ(replace->ReplaceAll(), 2u);
    EXPECT_EQ(view->GetText(), "10 PRINT \r\n20 x=X1+1\r\n30 GOTO 10 '\r\n");
    EXPECT_TRUE(h.messages.empty());

    replace = Open(h, ID_EDIT_REPLACE, "none", "y");
    EXPECT_EQ(replace->ReplaceAll(), 0u);
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_EQ(h.messages[0].text, NotFound("none"));
}

TEST(FindReplace, AReplacementTheCodePageCannotHoldIsRefused) {
    AppHarness h;
    EditorView* view = NewText(h, "abc abc");
    FindReplaceDialog* replace = Open(h, ID_EDIT_REPLACE, "b", QStringLiteral("é"));
    EXPECT_EQ(replace->ReplaceAll(), 0u);
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_TRUE(h.messages[0].text.contains(QStringLiteral("U+00E9")));
    replace->ReplaceNext(); // selects the first "b"
    EXPECT_FALSE(replace->ReplaceNext());
    EXPECT_EQ(view->textCursor().selectedText(), QStringLiteral("b"));
    // A NUL would end the text when the file is read again.
    replace->findChild<QLineEdit*>("replaceText")->setText(QString(QChar(u'\0')));
    EXPECT_EQ(replace->ReplaceAll(), 0u);
    EXPECT_EQ(h.messages.size(), 3u);
    EXPECT_EQ(view->GetText(), "abc abc");
    EXPECT_FALSE(view->document()->isUndoAvailable());
    EXPECT_FALSE(h.Active()->GetDocument()->IsModified());
}

TEST(FindReplace, ReplaceAllKeepsWithinTheEditLimit) {
    AppHarness h;
    // 131,072 lines of "ab": 524,288 bytes. Four more bytes for each "ab"
    // would make 1,048,576, one more than the editor holds.
    std::string text;
    for (int i = 0; i < 131072; ++i)
        text += "ab\r\n";
    EditorView* view = NewText(h, text);
    FindReplaceDialog* replace = Open(h, ID_EDIT_REPLACE, "ab", "abcdef");
    EXPECT_EQ(replace->ReplaceAll(), 0u);
    EXPECT_TRUE(view->GetText() == text); // no megabyte-long diff on failure
    // One byte less (a lone CR at the end) fits exactly.
    text.pop_back();
    view->ReplaceText(text);
    EXPECT_EQ(replace->ReplaceAll(), 131072u);
    EXPECT_EQ(view->GetLength(), 1048575u);
    // At the limit a longer replacement is refused, one as long is not.
    replace = Open(h, ID_EDIT_REPLACE, "cdef", "cdefg");
    view->SetCaret(0);
    EXPECT_TRUE(replace->ReplaceNext());
    EXPECT_FALSE(replace->ReplaceNext());
    replace->findChild<QLineEdit*>("replaceText")->setText("CDEF");
    EXPECT_TRUE(replace->ReplaceNext());
    EXPECT_EQ(view->GetText().substr(0, 16), "abCDEF\r\nabcdef\r\n");
    EXPECT_EQ(view->GetLength(), 1048575u);
    EXPECT_TRUE(h.messages.empty());
}

TEST(FindReplace, ReplaceAllOnAMebibyteReplacesEveryMatch) {
    AppHarness h;
    const std::string line = "10 PRINT \x91\x53\x8a\x70 X,Y\r\n";
    std::string text;
    while (text.size() + line.size() <= (1u << 20))
        text += line;
    EditorView* view = NewText(h, text);
    FindReplaceDialog* replace = Open(h, ID_EDIT_REPLACE, "x", "Z");
    EXPECT_EQ(replace->ReplaceAll(), text.size() / line.size());
    const std::string replaced = view->GetText();
    EXPECT_EQ(replaced.size(), text.size());
    EXPECT_EQ(replaced.find('X'), std::string::npos);
    EXPECT_EQ(replaced.substr(0, line.size()), "10 PRINT \x91\x53\x8a\x70 Z,Y\r\n");
}

TEST(FindReplace, TheDialogActsOnTheCurrentWindow) {
    AppHarness h;
    EditorView* first = NewText(h, "one two");
    DocumentWindow* firstFrame = h.Active();
    EditorView* second = NewText(h, "two one");
    FindReplaceDialog* find = Open(h, ID_EDIT_FIND, "one");
    EXPECT_TRUE(find->FindNext());
    EXPECT_EQ(SelectionStart(second), 4);
    h.Frame().MdiArea()->setActiveSubWindow(firstFrame);
    EXPECT_TRUE(find->FindNext());
    EXPECT_EQ(SelectionStart(first), 0);
    // With no window left the buttons are off and do nothing.
    for (DocumentWindow* child : h.Frame().Children())
        child->close();
    QApplication::processEvents();
    EXPECT_FALSE(Button(find, "findNext")->isEnabled());
    EXPECT_FALSE(find->FindNext());
    EXPECT_EQ(find->ReplaceAll(), 0u);
    EXPECT_TRUE(h.messages.empty());
}

TEST(FindReplace, KeysAndF3) {
    AppHarness h;
    EditorView* view = NewText(h, "ab ab ab");
    h.Frame().show();
    auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        h.Frame().activateWindow();
        view->setFocus();
        QApplication::processEvents();
        QTest::keyClick(view, key, modifiers);
    };
    // F3 with nothing searched yet opens the dialog.
    press(Qt::Key_F3);
    FindReplaceDialog* dialog = h.Frame().FindReplace();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->Mode(), FindDialogMode::Find);
    press(Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(dialog->Mode(), FindDialogMode::Replace);
    dialog->findChild<QLineEdit*>(QStringLiteral("findText"))->setText("ab");
    dialog->reject();
    press(Qt::Key_F3);
    press(Qt::Key_F3);
    EXPECT_EQ(SelectionStart(view), 3);
}

} // namespace
} // namespace tessel
