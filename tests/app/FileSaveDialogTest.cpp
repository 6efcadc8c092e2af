// The open and save dialogs, and the save dialog's line-number check box.

#include "app/FileSaveDialog.h"
#include "app/Translations.h"

#include "engine/NumberedDocument.h"
#include "res/StringTable.h"
#include "support/AppHarness.h"
#include "ui/CommandIds.h"

#include <QCheckBox>
#include <QComboBox>

#include <gtest/gtest.h>

#include <optional>

namespace tessel {
namespace {

using test::AppHarness;

QCheckBox* LineNumBox(QDialog* dialog) {
    return dialog->findChild<QCheckBox*>(QStringLiteral("lineNumOutput"));
}

// Picks a filter entry (0-based) as a user does, through the dialog's list.
void PickFilter(QDialog* dialog, int index) {
    auto* list = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(list, nullptr);
    list->setCurrentIndex(index);
    emit list->activated(index);
    emit list->textActivated(list->itemText(index));
}

// The real dialogs, not the harness's answers.
struct FileDialogTest : ::testing::Test {
    FileDialogTest() { h.app->Documents().SetPromptHook({}); }
    NumberedDocument* Document() {
        return static_cast<NumberedDocument*>(h.Active()->GetDocument());
    }
    QString Path(const char* name) const { return QString::fromStdString(h.dir.file(name)); }
    AppHarness h;
};

TEST_F(FileDialogTest, OpenOffersTheSixTypesBasicFirstAndNoOther) {
    h.WhenDialogOpens([](QDialog* dialog) {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        ASSERT_NE(files, nullptr);
        EXPECT_EQ(files->windowTitle(), QStringLiteral("開く"));
        EXPECT_EQ(files->nameFilters(),
                  (QStringList{"BASIC(*.bas)", "Ｃ言語(*.c)", "ｱｾﾝﾌﾞﾗ(*.asm)", "CASL(*.cas)",
                               "ﾃｷｽﾄ文書(*.txt)", "DATAﾌｧｲﾙ(*.dat)"}));
        EXPECT_EQ(files->selectedNameFilter(), QStringLiteral("BASIC(*.bas)"));
        EXPECT_EQ(LineNumBox(dialog), nullptr);
        dialog->reject();
    });
    h.Execute(ID_FILE_OPEN);
    EXPECT_TRUE(h.Frame().Children().isEmpty());
}

TEST_F(FileDialogTest, ClearedBoxSavesWithoutNumbersAndStaysCleared) {
    h.Execute(ID_NEW_BASIC);
    h.View()->ReplaceText("10 PRINT\r\n20 END\r\n");
    h.WhenDialogOpens([this](QDialog* dialog) {
        auto* files = static_cast<QFileDialog*>(dialog);
        EXPECT_EQ(files->windowTitle(), QStringLiteral("名前を付けて保存"));
        EXPECT_EQ(files->selectedNameFilter(), QStringLiteral("BASIC(*.bas)"));
        EXPECT_EQ(files->defaultSuffix(), QStringLiteral("bas"));
        EXPECT_EQ(files->nameFilters().size(), 6);
        QCheckBox* box = LineNumBox(dialog);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), QStringLiteral("行番号をﾌｧｲﾙへ出力(&L)"));
        EXPECT_TRUE(box->isChecked());
        EXPECT_TRUE(box->isEnabled());
        box->setChecked(false);
        files->selectFile(Path("prog"));
        dialog->accept();
    });
    h.Execute(ID_FILE_SAVE_AS);
    // Only the digits go; the blank after them stays.
    EXPECT_EQ(test::ReadBytes(h.dir.file("prog.bas")), " PRINT\r\n END\r\n");
    EXPECT_FALSE(Document()->GetLineNumOutput());

    // The next Save As shows the box cleared.
    bool shownChecked = true;
    h.WhenDialogOpens([&](QDialog* dialog) {
        shownChecked = LineNumBox(dialog)->isChecked();
        dialog->reject();
    });
    h.Execute(ID_FILE_SAVE_AS);
    EXPECT_FALSE(shownChecked);
    // A plain save keeps to it too.
    h.View()->ReplaceText("10 PRINT 1\r\n");
    h.Execute(ID_FILE_SAVE);
    EXPECT_EQ(test::ReadBytes(h.dir.file("prog.bas")), " PRINT 1\r\n");

    // The second box keeps the file in UTF-8 from then on.
    h.View()->ReplaceText("10 PRINT \"\x82\xa0\"\r\n");
    h.WhenDialogOpens([this](QDialog* dialog) {
        auto* utf8 = dialog->findChild<QCheckBox*>(QStringLiteral("utf8Output"));
        ASSERT_NE(utf8, nullptr);
        EXPECT_EQ(utf8->text(), QStringLiteral("UTF-8 で保存(&U)"));
        EXPECT_FALSE(utf8->isChecked());
        utf8->setChecked(true);
        LineNumBox(dialog)->setChecked(true);
        static_cast<QFileDialog*>(dialog)->selectFile(Path("utf8.bas"));
        dialog->accept();
    });
    h.Execute(ID_FILE_SAVE_AS);
    EXPECT_EQ(test::ReadBytes(h.dir.file("utf8.bas")), "10 PRINT \"\xE3\x81\x82\"\r\n");
    EXPECT_EQ(Document()->FileEncoding(), TextEncoding::Utf8);
    h.WhenDialogOpens([this](QDialog* dialog) {
        auto* utf8 = dialog->findChild<QCheckBox*>(QStringLiteral("utf8Output"));
        EXPECT_TRUE(utf8->isChecked());
        utf8->setChecked(false);
        LineNumBox(dialog)->setChecked(false);
        static_cast<QFileDialog*>(dialog)->selectFile(Path("cp932"));
        dialog->accept();
    });
    h.Execute(ID_FILE_SAVE_AS);
    EXPECT_EQ(Document()->FileEncoding(), TextEncoding::Cp932);
    EXPECT_EQ(test::ReadBytes(h.dir.file("cp932.bas")), " PRINT \"\x82\xa0\"\r\n");
}

TEST_F(FileDialogTest, DataFilterDisablesTheBoxButKeepsItsCheck) {
    h.Execute(ID_NEW_BASIC);
    h.View()->ReplaceText("10 A\r\n");
    Document()->SetLineNumOutput(true);
    QStringList states;
    h.WhenDialogOpens([&](QDialog* dialog) {
        QCheckBox* box = LineNumBox(dialog);
        auto state = [&] {
            states.append(QStringLiteral("%1%2").arg(box->isEnabled() ? "enabled" : "disabled",
                                                     box->isChecked() ? " checked" : ""));
        };
        PickFilter(dialog, 5);
        state();
        PickFilter(dialog, 2);
        state();
        PickFilter(dialog, 5);
        static_cast<QFileDialog*>(dialog)->selectFile(Path("numbered.bas"));
        dialog->accept();
    });
    h.Execute(ID_FILE_SAVE_AS);
    EXPECT_EQ(states, (QStringList{"disabled checked", "enabled checked"}));
    // The state is read back from the disabled box.
    EXPECT_TRUE(Document()->GetLineNumOutput());
    EXPECT_EQ(test::ReadBytes(h.dir.file("numbered.bas")), "10 A\r\n");

    // In a DATA window: disabled and cleared, the DATA entry and extension
    // chosen; a check made possible by another entry changes no byte.
    h.Execute(ID_NEW_DATA);
    h.View()->ReplaceText("10 A\r\n");
    h.WhenDialogOpens([&](QDialog* dialog) {
        auto* files = static_cast<QFileDialog*>(dialog);
        QCheckBox* box = LineNumBox(dialog);
        EXPECT_FALSE(box->isEnabled());
        EXPECT_FALSE(box->isChecked());
        EXPECT_EQ(files->selectedNameFilter(), QStringLiteral("DATAﾌｧｲﾙ(*.dat)"));
        EXPECT_EQ(files->defaultSuffix(), QStringLiteral("dat"));
        PickFilter(dialog, 0);
        EXPECT_TRUE(box->isEnabled());
        box->setChecked(true);
        files->selectFile(Path("data.dat"));
        dialog->accept();
    });
    h.Execute(ID_FILE_SAVE_AS);
    EXPECT_EQ(test::ReadBytes(h.dir.file("data.dat")), "10 A\r\n");
}

TEST_F(FileDialogTest, CancelLeavesTheFlag) {
    h.Execute(ID_NEW_C);
    h.View()->ReplaceText("10 x\r\n");
    h.WhenDialogOpens([](QDialog* dialog) {
        LineNumBox(dialog)->setChecked(false);
        dialog->reject();
    });
    h.Execute(ID_FILE_SAVE_AS);
    EXPECT_TRUE(Document()->GetLineNumOutput());
    EXPECT_TRUE(Document()->GetPathName().empty());
}

TEST(SavePrompt, EachUntitledDocumentSavedAtExitShowsAndSetsItsOwnFlag) {
    AppHarness h;
    h.Execute(ID_NEW_BASIC);
    h.View()->insertPlainText(QStringLiteral("10 A"));
    h.Execute(ID_NEW_BASIC); // the active window, cleared
    h.View()->insertPlainText(QStringLiteral("10 B"));
    h.View()->SetLineNumOutput(false);
    QList<bool> shown;
    h.app->Documents().SetPromptHook([&](DocumentManager::FilePrompt& prompt) {
        shown.append(prompt.lineNum);
        prompt.fileName = QString::fromStdString(h.dir.file(prompt.fileName.toStdString()));
        return true;
    });
    h.answer = QMessageBox::Yes; // save the changes
    h.Frame().close();
    EXPECT_EQ(shown, (QList<bool>{true, false}));
    EXPECT_EQ(test::ReadBytes(h.dir.file("BASIC：無題1.bas")), "10 A");
    EXPECT_EQ(test::ReadBytes(h.dir.file("BASIC：無題2.bas")), " B");
}

// In English the title names the type first ("BASIC: Untitled1"); the name
// proposed is the document's own, without the colon.
TEST(SavePrompt, AnEnglishUntitledDocumentProposesItsOwnName) {
    std::optional<AppHarness> h;
    {
        const test::ScopedEnv english("LANGUAGE", "en");
        h.emplace();
    }
    h->Execute(ID_NEW_TEXT);
    QStringList proposed;
    h->app->Documents().SetPromptHook([&](DocumentManager::FilePrompt& prompt) {
        proposed.append(prompt.fileName);
        return false;
    });
    h->Execute(ID_FILE_SAVE_AS);
    EXPECT_EQ(proposed, QStringList{QStringLiteral("Untitled1.txt")});
    h.reset();
    ApplyLanguage(Language::Japanese);
}

} // namespace
} // namespace tessel
