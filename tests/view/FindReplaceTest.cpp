#include "app/CommandIds.h"
#include "doc/Cp932.h"
#include "support/AppHarness.h"
#include "view/FindReplaceDlg.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace tessel {
namespace {

using test::AppHarness;

// A new DATA window holding `bytes`, unmodified, with the caret at the start.
CKivaView* NewText(AppHarness& h, const std::string& bytes) {
    h.Execute(ID_NEW_DATA);
    CKivaView* view = h.View();
    view->ReplaceText(bytes);
    view->SetCaret(0);
    return view;
}

// The dialog as a person would fill it in.
class Dialog {
public:
    Dialog(AppHarness& h, int command) : m_h(h) {
        h.Execute(command);
        m_dialog = h.Frame().FindReplaceDialog();
    }
    CFindReplaceDlg* operator->() const { return m_dialog; }

    template <class T>
    T* Get(const char* name) const {
        auto* widget = m_dialog->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    Dialog& Find(const QString& text) {
        Get<QLineEdit>("findText")->setText(text);
        return *this;
    }
    Dialog& Replacement(const QString& text) {
        Get<QLineEdit>("replaceText")->setText(text);
        return *this;
    }
    Dialog& Check(const char* name, bool on = true) {
        Get<QAbstractButton>(name)->setChecked(on);
        return *this;
    }
    void Click(const char* name) { Get<QPushButton>(name)->click(); }
    bool Enabled(const char* name) const { return Get<QPushButton>(name)->isEnabled(); }

private:
    AppHarness& m_h;
    CFindReplaceDlg* m_dialog = nullptr;
};

QString Selected(CKivaView* view) {
    return view->textCursor().selectedText();
}
int SelectionStart(CKivaView* view) {
    return view->textCursor().selectionStart();
}

QString NotFound(const QString& text) {
    return QStringLiteral("「%1」が見つかりません。").arg(text);
}

TEST(FindReplace, CommandsNeedADocumentWindow) {
    AppHarness h;
    EXPECT_FALSE(h.State(ID_EDIT_FIND).enabled);
    EXPECT_FALSE(h.State(ID_EDIT_REPLACE).enabled);
    NewText(h, "");
    EXPECT_TRUE(h.State(ID_EDIT_FIND).enabled);
    EXPECT_TRUE(h.State(ID_EDIT_REPLACE).enabled);
}

TEST(FindReplace, OneModelessDialogForBothCommands) {
    AppHarness h;
    NewText(h, "abc");
    Dialog find(h, ID_EDIT_FIND);
    ASSERT_NE(find.operator->(), nullptr);
    EXPECT_TRUE(find->isVisible());
    EXPECT_FALSE(find->isModal());
    EXPECT_EQ(find->windowTitle(), QStringLiteral("検索"));
    EXPECT_TRUE(find.Get<QRadioButton>("down")->isChecked());
    EXPECT_FALSE(find.Get<QPushButton>("replaceAll")->isVisibleTo(find.operator->()));
    // Nothing to look for yet.
    EXPECT_FALSE(find.Enabled("findNext"));

    Dialog replace(h, ID_EDIT_REPLACE);
    EXPECT_EQ(replace.operator->(), find.operator->());
    EXPECT_EQ(replace->windowTitle(), QStringLiteral("置換"));
    EXPECT_TRUE(replace.Get<QPushButton>("replaceAll")->isVisibleTo(replace.operator->()));
    EXPECT_FALSE(replace.Get<QWidget>("direction")->isVisibleTo(replace.operator->()));

    replace.Click("cancel");
    EXPECT_FALSE(replace->isVisible());
}

TEST(FindReplace, FindsDownFromTheSelectionEndAndUpFromItsStart) {
    AppHarness h;
    CKivaView* view = NewText(h, "abc ABC abc");
    Dialog find(h, ID_EDIT_FIND);
    find.Find("abc");
    EXPECT_TRUE(find.Enabled("findNext"));
    find.Click("findNext");
    EXPECT_EQ(SelectionStart(view), 0);
    find.Click("findNext");
    EXPECT_EQ(SelectionStart(view), 4);
    EXPECT_EQ(Selected(view), QStringLiteral("ABC"));
    find.Click("findNext");
    EXPECT_EQ(SelectionStart(view), 8);
    EXPECT_TRUE(h.messages.empty());
    // No wrapping round: the last match stays selected.
    EXPECT_FALSE(find->FindNext());
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_EQ(h.messages[0].text, NotFound("abc"));
    EXPECT_EQ(h.messages[0].caption, QStringLiteral("TESSEL Software"));
    EXPECT_EQ(SelectionStart(view), 8);

    find.Check("up");
    EXPECT_TRUE(find->FindNext());
    EXPECT_EQ(SelectionStart(view), 4);
    EXPECT_TRUE(find->FindNext());
    EXPECT_EQ(SelectionStart(view), 0);
    EXPECT_FALSE(find->FindNext());
    EXPECT_EQ(h.messages.size(), 2u);
    // Searching changes nothing.
    EXPECT_FALSE(h.Active()->GetDocument()->IsModified());
}

TEST(FindReplace, MatchCaseAndWholeWord) {
    AppHarness h;
    CKivaView* view = NewText(h, "Cat cats cat_ (cat)");
    Dialog find(h, ID_EDIT_FIND);
    find.Find("cat").Check("matchCase");
    EXPECT_TRUE(find->FindNext());
    EXPECT_EQ(SelectionStart(view), 4);
    find.Check("wholeWord");
    EXPECT_TRUE(find->FindNext());
    EXPECT_EQ(SelectionStart(view), 15);
    find.Check("matchCase", false);
    view->SetCaret(0);
    EXPECT_TRUE(find->FindNext());
    EXPECT_EQ(SelectionStart(view), 0);
    EXPECT_TRUE(find->FindNext());
    EXPECT_EQ(SelectionStart(view), 15);
}

TEST(FindReplace, DoubleByteText) {
    AppHarness h;
    // "全角の全角ＡＢ", then "ab" in full width.
    CKivaView* view = NewText(h, "\x91\x53\x8a\x70\x82\xcc\x91\x53\x8a\x70\x82\x60\x82\x61\r\n"
                                 "\x82\x81\x82\x82");
    Dialog find(h, ID_EDIT_FIND);
    find.Find(QStringLiteral("全角"));
    EXPECT_TRUE(find->FindNext());
    EXPECT_EQ(SelectionStart(view), 0);
    EXPECT_TRUE(find->FindNext());
    EXPECT_EQ(SelectionStart(view), 3);
    EXPECT_EQ(Selected(view), QStringLiteral("全角"));
    // Full-width letters are not folded into each other.
    find.Find(QStringLiteral("ａｂ"));
    view->SetCaret(0);
    EXPECT_TRUE(find->FindNext());
    EXPECT_EQ(SelectionStart(view), 8);
    EXPECT_EQ(Selected(view), QStringLiteral("ａｂ"));

    Dialog replace(h, ID_EDIT_REPLACE);
    replace.Find(QStringLiteral("全角")).Replacement(QStringLiteral("ｶﾅ"));
    EXPECT_EQ(replace->ReplaceAll(), 2u);
    EXPECT_EQ(view->GetText(), "\xb6\xc5\x82\xcc\xb6\xc5\x82\x60\x82\x61\r\n\x82\x81\x82\x82");
}

TEST(FindReplace, ATextTheCodePageCannotHoldIsNotFound) {
    AppHarness h;
    NewText(h, "e\x88\x9f");
    Dialog find(h, ID_EDIT_FIND);
    find.Find(QStringLiteral("é"));
    EXPECT_FALSE(find->FindNext());
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_EQ(h.messages[0].text, NotFound(QStringLiteral("é")));
}

TEST(FindReplace, AByteTheCodePageDoesNotDefineIsFoundByItsMark) {
    AppHarness h;
    // A NUL byte and an undefined byte show as marks; a selected mark searches for its byte.
    CKivaView* view = NewText(h, std::string{'a', '\0', 'b', '\x80', 'c', '\0'});
    Dialog find(h, ID_EDIT_FIND);
    find.Find(view->document()->toRawText().mid(1, 1));
    view->SetCaret(0);
    EXPECT_TRUE(find->FindNext());
    EXPECT_EQ(SelectionStart(view), 1);
    EXPECT_TRUE(find->FindNext());
    EXPECT_EQ(SelectionStart(view), 5);
    // A NUL typed into the field looks for the same mark.
    find.Find(QString(QChar(u'\0')));
    view->SetCaret(0);
    EXPECT_TRUE(find->FindNext());
    EXPECT_EQ(SelectionStart(view), 1);
    find.Find(view->document()->toRawText().mid(3, 1));
    EXPECT_TRUE(find->FindNext());
    EXPECT_EQ(SelectionStart(view), 3);
    EXPECT_TRUE(h.messages.empty());
}

TEST(FindReplace, TheSelectionWithinOneLineIsTheSearchText) {
    AppHarness h;
    CKivaView* view = NewText(h, "alpha beta\r\ngamma");
    QTextCursor cursor = view->textCursor();
    cursor.setPosition(6);
    cursor.setPosition(10, QTextCursor::KeepAnchor);
    view->setTextCursor(cursor);
    Dialog find(h, ID_EDIT_FIND);
    EXPECT_EQ(find.Get<QLineEdit>("findText")->text(), QStringLiteral("beta"));
    EXPECT_EQ(find.Get<QLineEdit>("findText")->selectedText(), QStringLiteral("beta"));

    // A selection over a line break leaves the last search text.
    view->selectAll();
    Dialog again(h, ID_EDIT_REPLACE);
    EXPECT_EQ(again.Get<QLineEdit>("findText")->text(), QStringLiteral("beta"));
}

TEST(FindReplace, ReplaceTakesTheSelectionOnlyWhenItMatches) {
    AppHarness h;
    CKivaView* view = NewText(h, "a1 A2 a3");
    CKivaDoc* document = h.Active()->GetDocument();
    Dialog replace(h, ID_EDIT_REPLACE);
    replace.Find("a").Replacement("bb");
    // The caret is no match: the first click only finds.
    replace.Click("replaceNext");
    EXPECT_EQ(view->GetText(), "a1 A2 a3");
    EXPECT_EQ(SelectionStart(view), 0);
    EXPECT_FALSE(document->IsModified());
    replace.Click("replaceNext");
    EXPECT_EQ(view->GetText(), "bb1 A2 a3");
    EXPECT_EQ(Selected(view), QStringLiteral("A"));
    EXPECT_TRUE(document->IsModified());
    // With match case, "A" is no match: it stays, and "a3" is found.
    replace.Check("matchCase");
    EXPECT_TRUE(replace->ReplaceNext());
    EXPECT_EQ(view->GetText(), "bb1 A2 a3");
    EXPECT_EQ(SelectionStart(view), 7);
    // The last one: replaced, then nothing more is found.
    EXPECT_FALSE(replace->ReplaceNext());
    EXPECT_EQ(view->GetText(), "bb1 A2 bb3");
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_EQ(h.messages[0].text, NotFound("a"));
}

TEST(FindReplace, ReplacementContainingTheSearchTextDoesNotRepeat) {
    AppHarness h;
    CKivaView* view = NewText(h, "a a");
    Dialog replace(h, ID_EDIT_REPLACE);
    replace.Find("a").Replacement("aa");
    replace->ReplaceNext();
    replace->ReplaceNext();
    replace->ReplaceNext();
    EXPECT_EQ(view->GetText(), "aa aa");
    EXPECT_EQ(replace->ReplaceAll(), 4u);
    EXPECT_EQ(view->GetText(), "aaaa aaaa");
}

TEST(FindReplace, ReplaceAllIsOneStepOfUndo) {
    AppHarness h;
    const std::string text = "10 PRINT X\r\n20 x=X1+1\r\n30 GOTO 10 'X\r\n";
    CKivaView* view = NewText(h, text);
    view->SetCaret(5);
    Dialog replace(h, ID_EDIT_REPLACE);
    replace.Find("x").Replacement(QStringLiteral("全\r\nY"));
    replace.Click("replaceAll");
    // Every match, before the caret too; line breaks in the replacement
    // become the document's.
    EXPECT_EQ(view->GetText(), "10 PRINT \x91\x53\r\nY\r\n20 \x91\x53\r\nY=\x91\x53\r\nY1+1\r\n"
                               "30 GOTO 10 '\x91\x53\r\nY\r\n");
    EXPECT_TRUE(h.messages.empty());
    EXPECT_TRUE(h.Active()->GetDocument()->IsModified());
    // The caret is after the last replacement.
    EXPECT_FALSE(view->textCursor().hasSelection());
    EXPECT_EQ(view->textCursor().position(), view->document()->characterCount() - 2);
    h.Execute(ID_EDIT_UNDO);
    EXPECT_EQ(view->GetText(), text);
    EXPECT_FALSE(view->document()->isUndoAvailable());

    replace.Check("wholeWord").Check("matchCase");
    replace.Find("X").Replacement("");
    EXPECT_EQ(replace->ReplaceAll(), 2u);
    EXPECT_EQ(view->GetText(), "10 PRINT \r\n20 x=X1+1\r\n30 GOTO 10 '\r\n");
}

TEST(FindReplace, ReplaceAllWithNoMatchOnlySaysSo) {
    AppHarness h;
    CKivaView* view = NewText(h, "abc");
    Dialog replace(h, ID_EDIT_REPLACE);
    replace.Find("x").Replacement("y");
    EXPECT_EQ(replace->ReplaceAll(), 0u);
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_EQ(h.messages[0].text, NotFound("x"));
    EXPECT_EQ(view->GetText(), "abc");
    EXPECT_FALSE(view->document()->isUndoAvailable());
    EXPECT_FALSE(h.Active()->GetDocument()->IsModified());
}

TEST(FindReplace, AReplacementTheCodePageCannotHoldIsRefused) {
    AppHarness h;
    CKivaView* view = NewText(h, "abc abc");
    Dialog replace(h, ID_EDIT_REPLACE);
    replace.Find("b").Replacement(QStringLiteral("é"));
    EXPECT_EQ(replace->ReplaceAll(), 0u);
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_TRUE(h.messages[0].text.contains(QStringLiteral("U+00E9")));
    EXPECT_EQ(h.messages[0].caption, QStringLiteral("TESSEL Software"));

    replace->ReplaceNext(); // selects the first "b"
    EXPECT_FALSE(replace->ReplaceNext());
    EXPECT_EQ(h.messages.size(), 2u);
    EXPECT_EQ(Selected(view), QStringLiteral("b"));
    // A NUL would end the text when the file is read again.
    replace.Replacement(QString(QChar(u'\0')));
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
    CKivaView* view = NewText(h, text);
    Dialog replace(h, ID_EDIT_REPLACE);
    replace.Find("ab").Replacement("abcdef");
    EXPECT_EQ(replace->ReplaceAll(), 0u);
    EXPECT_TRUE(view->GetText() == text); // no megabyte-long diff on failure
    EXPECT_FALSE(view->document()->isUndoAvailable());

    // One byte less (a lone CR at the end) fits exactly.
    text.pop_back();
    view->ReplaceText(text);
    EXPECT_EQ(replace->ReplaceAll(), 131072u);
    EXPECT_EQ(view->GetLength(), 1048575u);
    // At the limit a longer replacement is refused, one as long is not.
    replace.Find("cdef").Replacement("cdefg");
    view->SetCaret(0);
    EXPECT_TRUE(replace->ReplaceNext());
    EXPECT_FALSE(replace->ReplaceNext());
    EXPECT_EQ(view->GetLength(), 1048575u);
    EXPECT_EQ(SelectionStart(view), 2);
    replace.Replacement("CDEF");
    EXPECT_TRUE(replace->ReplaceNext());
    EXPECT_EQ(view->GetText().substr(0, 16), "abCDEF\r\nabcdef\r\n");
    EXPECT_TRUE(h.messages.empty());
}

TEST(FindReplace, ReplaceAllOnAMebibyteIsQuick) {
    AppHarness h;
    const std::string line = "10 PRINT \x91\x53\x8a\x70 X,Y\r\n"; // one "X"
    std::string text;
    while (text.size() + line.size() <= (1u << 20))
        text += line;
    CKivaView* view = NewText(h, text);
    Dialog replace(h, ID_EDIT_REPLACE);
    replace.Find("x").Replacement("Z");
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(replace->ReplaceAll(), text.size() / line.size());
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_EQ(view->GetText().substr(0, line.size()), "10 PRINT \x91\x53\x8a\x70 Z,Y\r\n");
}

TEST(FindReplace, TheDialogActsOnTheActiveWindow) {
    AppHarness h;
    CKivaView* first = NewText(h, "one two");
    CChildFrame* firstFrame = h.Active();
    CKivaView* second = NewText(h, "two one");
    Dialog find(h, ID_EDIT_FIND);
    find.Find("one");
    EXPECT_TRUE(find->FindNext());
    EXPECT_EQ(SelectionStart(second), 4);
    EXPECT_FALSE(first->textCursor().hasSelection());

    h.Frame().MdiArea()->setActiveSubWindow(firstFrame);
    EXPECT_TRUE(find->FindNext());
    EXPECT_EQ(SelectionStart(first), 0);

    // The dialog itself may have the focus: it still acts on the window
    // that was active last.
    h.Frame().show();
    find->activateWindow();
    QApplication::processEvents();
    find.Find("two");
    EXPECT_TRUE(find->FindNext());
    EXPECT_EQ(SelectionStart(first), 4);

    // With no window left the buttons are off and do nothing.
    for (CChildFrame* child : h.Frame().Children())
        child->close();
    QApplication::processEvents();
    EXPECT_FALSE(find.Enabled("findNext"));
    EXPECT_FALSE(find->FindNext());
    EXPECT_EQ(find->ReplaceAll(), 0u);
    EXPECT_TRUE(h.messages.empty());
}

TEST(FindReplace, F3FindsAgainOrOpensTheDialog) {
    AppHarness h;
    CKivaView* view = NewText(h, "ab ab ab");
    EXPECT_TRUE(h.Execute(ID_EDIT_REPEAT));
    CFindReplaceDlg* dialog = h.Frame().FindReplaceDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());

    dialog->findChild<QLineEdit*>(QStringLiteral("findText"))->setText("ab");
    dialog->FindNext();
    dialog->reject();
    h.Execute(ID_EDIT_REPEAT);
    EXPECT_EQ(SelectionStart(view), 3);
    EXPECT_FALSE(dialog->isVisible());
    h.Execute(ID_EDIT_REPEAT);
    h.Execute(ID_EDIT_REPEAT);
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_EQ(h.messages[0].parent, view);
}

TEST(FindReplace, KeysReachTheCommandsFromTheEditor) {
    AppHarness h;
    CKivaView* view = NewText(h, "ab ab");
    h.Frame().show();
    auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers) {
        h.Frame().activateWindow();
        view->setFocus();
        QApplication::processEvents();
        QTest::keyClick(view, key, modifiers);
    };
    press(Qt::Key_H, Qt::ControlModifier);
    CFindReplaceDlg* dialog = h.Frame().FindReplaceDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->Mode(), FindDialogMode::Replace);
    press(Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(dialog->Mode(), FindDialogMode::Find);
    dialog->findChild<QLineEdit*>(QStringLiteral("findText"))->setText("ab");
    press(Qt::Key_F3, Qt::NoModifier);
    press(Qt::Key_F3, Qt::NoModifier);
    EXPECT_EQ(SelectionStart(view), 3);
    EXPECT_EQ(view->GetText(), "ab ab");
}

} // namespace
} // namespace tessel
