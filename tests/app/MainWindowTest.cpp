#include "app/ComSettingsDialog.h"
#include "app/CommandRouter.h"
#include "app/CommandTable.h"
#include "app/DocumentType.h"
#include "app/FileSaveDialog.h"
#include "app/InstanceLink.h"
#include "app/ProblemsDock.h"
#include "app/SplashDialog.h"
#include "app/StartCommandLine.h"
#include "app/Translations.h"
#include "app/UserGuide.h"
#include "doc/Recovery.h"
#include "encoding/Cp932.h"
#include "engine/BasicDocument.h"
#include "engine/NumberedDocument.h"
#include "res/StringTable.h"
#include "support/AppHarness.h"
#include "support/SysCallFaults.h"
#include "support/TempDir.h"
#include "sys/Platform.h"
#include "sys/SysCalls.h"
#include "ui/CommandIds.h"
#include "ui/CommandTarget.h"
#include "ui/DialogFields.h"
#include "view/FindReplaceDialog.h"
#include "view/NumberedEditorView.h"
#include "view/ProblemMarks.h"
#include "view/TransferDialog.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSet>
#include <QStatusBar>
#include <QStringListModel>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QToolBar>
#include <QTranslator>
#include <QTreeWidget>
#include <QUrl>
#include <QWindow>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <future>
#include <optional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tuple>

// Stands for the program that opens a file URL.
class UrlOpener : public QObject {
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened.append(url); }
};

namespace tessel {
namespace {

using test::AppHarness;

QStringList MenuTitles(MainWindow& frame) {
    QStringList titles;
    for (QAction* action : frame.menuBar()->actions())
        titles.append(action->text());
    return titles;
}

// A menu's items as their labels, "-" for a separator, ">" before a submenu.
QStringList MenuItems(MainWindow& frame, const QString& title) {
    for (QAction* action : frame.menuBar()->actions()) {
        if (action->text() != title)
            continue;
        QStringList items;
        for (QAction* item : action->menu()->actions()) {
            if (!item->isVisible())
                continue;
            if (item->isSeparator())
                items.append(QStringLiteral("-"));
            else if (item->menu())
                items.append(QStringLiteral(">") + item->text());
            else
                items.append(item->text());
        }
        return items;
    }
    return {};
}

QMenu* FindMenu(MainWindow& frame, const QString& title) {
    for (QAction* action : frame.menuBar()->actions())
        if (action->text() == title)
            return action->menu();
    return nullptr;
}

// What the status bar's message pane shows: a prompt, or its idle text.
QString MessagePane(MainWindow& frame) {
    const QString message = frame.statusBar()->currentMessage();
    if (!message.isEmpty())
        return message;
    return frame.statusBar()->findChild<QLabel*>(QStringLiteral("IdleMessage"))->text();
}

TEST(MainWindow, MenusWithoutAndWithADocument) {
    AppHarness h;
    EXPECT_EQ(MenuTitles(h.Frame()),
              (QStringList{"ﾌｧｲﾙ(&F)", "通信(&C)", "ツール(&T)", "表示(&V)", "ﾍﾙﾌﾟ(&H)"}));
    EXPECT_EQ(MenuItems(h.Frame(), "ﾌｧｲﾙ(&F)"),
              (QStringList{">新規作成(&N)", "開く(&O)...", "-", "最近使ったﾌｧｲﾙ", "-",
                           "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"}));
    EXPECT_EQ(MenuItems(h.Frame(), "通信(&C)"),
              (QStringList{"送信(&S)", "受信(&R)", "-", "データの送信(&D)", "データの受信(&V)", "-",
                           "COMポートの設定(&C)"}));

    ASSERT_TRUE(h.Execute(ID_NEW_BASIC));
    EXPECT_EQ(MenuTitles(h.Frame()), (QStringList{"ﾌｧｲﾙ(&F)", "編集(&E)", "通信(&C)", "ツール(&T)",
                                                  "表示(&V)", "ｳｨﾝﾄﾞｳ(&W)", "ﾍﾙﾌﾟ(&H)"}));
    EXPECT_EQ(
        MenuItems(h.Frame(), "ﾌｧｲﾙ(&F)"),
        (QStringList{">新規作成(&N)", "開く(&O)...", "閉じる(&C)", "上書き保存(&S)",
                     "名前を付けて保存(&A)...", "-", "印刷(&P)...", "印刷ﾌﾟﾚﾋﾞｭｰ(&V)...",
                     "ページ設定(&U)...", "-", "最近使ったﾌｧｲﾙ", "-", "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"}));
    EXPECT_EQ(MenuItems(h.Frame(), "編集(&E)"), (QStringList{"元に戻す(&U)",
                                                             "やり直し(&R)",
                                                             "-",
                                                             "切り取り(&T)",
                                                             "ｺﾋﾟｰ(&C)",
                                                             "貼り付け(&P)",
                                                             "削除(&D)",
                                                             "-",
                                                             "文字列の検索(&F)",
                                                             "文字列の置換(&E)",
                                                             "すべての範囲を選択(&A)",
                                                             "-",
                                                             "指定行へ移動(&G)...",
                                                             "参照先の行へ移動(&J)",
                                                             "参照元の一覧(&W)",
                                                             "-",
                                                             "戻る(&B)",
                                                             "進む(&O)",
                                                             "-",
                                                             "次の問題へ移動(&N)",
                                                             "前の問題へ移動(&V)",
                                                             "問題の修正(&M)"}));
    EXPECT_EQ(MenuItems(h.Frame(), "ﾍﾙﾌﾟ(&H)"),
              (QStringList{"ユーザーズ ガイド(&G)", "-", "ﾊﾞｰｼﾞｮﾝ情報(&A)..."}));
    EXPECT_EQ(MenuItems(h.Frame(), "表示(&V)"),
              (QStringList{"ﾂｰﾙ ﾊﾞｰ(&T)", "ｽﾃｰﾀｽ ﾊﾞｰ(&S)", "問題の一覧(&P)", "参照元の一覧(&R)",
                           "色分け表示(&C)", "フォントの設定(&F)..."}));

    // While a menu is open the pane shows the prompt of the highlighted
    // item, and nothing for one without a prompt; "ﾚﾃﾞｨ" once it closes.
    EXPECT_EQ(MessagePane(h.Frame()), QStringLiteral("ﾚﾃﾞｨ"));
    h.View()->insertPlainText(QStringLiteral("10 A"));
    QMenu* tools = FindMenu(h.Frame(), "ツール(&T)");
    h.Frame().menuBar()->setActiveAction(tools->menuAction());
    ASSERT_TRUE(tools->isVisible());
    EXPECT_EQ(MessagePane(h.Frame()), QString());
    const struct {
        int id;
        const char* pane;
    } highlighted[] = {{ID_TAB_STOP, ""},
                       {ID_RENUMBER, "行番号をつけ直す"},
                       {ID_LINENUM_SETTINGS, ""},
                       {ID_SORT_LINES, "行番号順に各行を並び替える"},
                       {ID_TIDY, "空行や行番号の前の空白を取り除く"}};
    for (const auto& item : highlighted) {
        tools->setActiveAction(h.app->Router().Action(item.id));
        EXPECT_EQ(MessagePane(h.Frame()), QString::fromUtf8(item.pane)) << item.id;
    }
    tools->hide();
    QApplication::processEvents();
    EXPECT_EQ(MessagePane(h.Frame()), QStringLiteral("ﾚﾃﾞｨ"));

    h.answer = QMessageBox::No; // not saved
    h.Active()->close();
    QApplication::processEvents();
    EXPECT_EQ(MenuTitles(h.Frame()).size(), 5);
}

TEST(MainWindow, DocumentWindowsCascadeTakeTurnsAndCloseFromTheKeyboard) {
    // Cascaded one caption apart, of one size, the last one ending inside
    // the area, then back at the top left.
    const QSize area(850, 460);
    for (int index : {0, 1, 5, 6, 7, 13})
        EXPECT_EQ(CascadeRect(area, 25, index), QRect(25 * (index % 7), 25 * (index % 7), 700, 310))
            << index;
    EXPECT_EQ(CascadeRect(QSize(300, 900), 25, 4), QRect(100, 100, 200, 800));
    EXPECT_EQ(CascadeRect(QSize(40, 40), 25, 3), QRect(0, 0, 40, 40));
    EXPECT_TRUE(CascadeRect(QSize(), 25, 0).isNull());

    AppHarness h;
    h.Frame().resize(900, 700);
    QApplication::processEvents(); // the splash goes
    h.Frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&h.Frame()));
    for (int i = 0; i < 3; ++i)
        h.Execute(ID_NEW_BASIC);
    const QList<DocumentWindow*> windows = h.Frame().Children();
    ASSERT_EQ(windows.size(), 3);
    const QRect viewport(QPoint(), h.Frame().MdiArea()->viewport()->size());
    const QRect first = windows[0]->geometry();
    const QPoint step = windows[1]->geometry().topLeft() - first.topLeft();
    EXPECT_GT(step.x(), 10);
    EXPECT_EQ(step.y(), step.x());
    for (DocumentWindow* window : windows) {
        EXPECT_EQ(window->size(), first.size());
        EXPECT_TRUE(viewport.contains(window->geometry()));
    }
    EXPECT_GT(first.width(), viewport.width() / 2);
    EXPECT_GT(first.height(), viewport.height() / 2);

    // The window list: a check mark on the active window, no box on the others.
    auto marks = [&h] {
        QMenu* menu = h.Frame().findChild<QMenu*>(QStringLiteral("WindowMenu"));
        emit menu->aboutToShow();
        QString shown;
        for (QAction* action : menu->actions())
            if (action->property("windowList").toBool() && !action->isSeparator())
                shown += !action->isCheckable() ? u'-' : action->isChecked() ? u'x' : u'o';
        return shown;
    };
    EXPECT_EQ(marks(), QStringLiteral("--x"));

    // Ctrl+F6: the window just behind comes forward, the active one goes
    // behind all others, so each has its turn.
    for (int expected : {1, 0, 2, 1}) {
        QTest::keyClick(h.View(), Qt::Key_F6, Qt::ControlModifier);
        EXPECT_EQ(h.Active(), windows[expected]);
    }
    EXPECT_EQ(marks(), QStringLiteral("-x-"));

    // Ctrl+F4 closes the active window, asking about its changes first.
    h.View()->insertPlainText(QStringLiteral("10 A"));
    h.answer = QMessageBox::Cancel;
    QTest::keyClick(h.View(), Qt::Key_F4, Qt::ControlModifier);
    EXPECT_EQ(h.messages.size(), 1u);
    EXPECT_EQ(h.Frame().Children().size(), 3);
    h.answer = QMessageBox::No;
    QTest::keyClick(h.View(), Qt::Key_F4, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_EQ(h.Frame().Children(), (QList<DocumentWindow*>{windows[0], windows[2]}));
}

TEST(MainWindow, DialogsHaveAFixedFrameWithoutMinimiseOrMaximise) {
    AppHarness h;
    auto noMinimiseOrMaximise = [](Qt::WindowFlags flags) {
        return (flags & Qt::CustomizeWindowHint) &&
               !(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    };
    // The port settings and the transfer: a caption, no system menu.
    ComSettingsDialog settings(h.app->Settings().m_comSettings, &h.Frame());
    TransferDialog transfer(&h.Frame());
    for (QDialog* dialog : {static_cast<QDialog*>(&settings), static_cast<QDialog*>(&transfer)}) {
        EXPECT_TRUE(noMinimiseOrMaximise(dialog->windowFlags()));
        EXPECT_FALSE(dialog->windowFlags() & Qt::WindowSystemMenuHint);
        dialog->show();
        EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
        dialog->hide();
    }

    // The About box: its whole caption beside the frame's icon and buttons.
    QString caption;
    h.WhenDialogOpens([&](QDialog* about) {
        caption = about->windowTitle();
        EXPECT_TRUE(noMinimiseOrMaximise(about->windowFlags()));
        QFont bold = about->font();
        bold.setBold(true);
        EXPECT_GT(CaptionWidth(about, caption), QFontMetrics(bold).horizontalAdvance(caption));
        EXPECT_GE(about->width(), CaptionWidth(about, caption));
        about->accept();
    });
    h.Execute(ID_APP_ABOUT);
    EXPECT_EQ(caption, QStringLiteral("TESSEL Software のﾊﾞｰｼﾞｮﾝ情報"));

    // A message box as it is really shown.
    SetMessageBoxHook({});
    Qt::WindowFlags boxFlags;
    QTimer::singleShot(0, [&boxFlags] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        boxFlags = box->windowFlags();
        box->button(QMessageBox::Ok)->click();
    });
    ShowAppMessage(&h.Frame(), IDS_PORT_OPEN_FAILED);
    EXPECT_TRUE(noMinimiseOrMaximise(boxFlags));
}

TEST(MainWindow, ToolbarHasThirteenButtonsWithTheirTooltips) {
    AppHarness h;
    auto* toolbar = h.Frame().findChild<QToolBar*>(QStringLiteral("ToolBar"));
    ASSERT_NE(toolbar, nullptr);
    QStringList tips;
    for (QAction* action : toolbar->actions())
        tips.append(action->isSeparator() ? QStringLiteral("-") : action->toolTip());
    EXPECT_EQ(tips, (QStringList{"新規ﾌｧｲﾙ", "開く", "保存", "-", "印刷", "印刷ﾌﾟﾚﾋﾞｭｰ", "-",
                                 "切り取り", "ｺﾋﾟｰ", "貼り付け", "-", "ソート", "行番号変更", "-",
                                 "送信", "受信", "COMポートの設定"}));
    // Assistive tools name the toolbar and each button.
    EXPECT_EQ(toolbar->windowTitle(), "標準");
    for (QAction* action : toolbar->actions())
        EXPECT_TRUE(action->isSeparator() || !action->text().isEmpty())
            << action->toolTip().toStdString();
}

TEST(MainWindow, CommandsAreDisabledWhereNobodyHandlesThem) {
    AppHarness h;
    // No document: the line-number commands and the tab stop are off.
    EXPECT_FALSE(h.State(ID_RENUMBER).enabled);
    EXPECT_FALSE(h.State(ID_SORT_LINES).enabled);
    EXPECT_FALSE(h.State(ID_TAB_STOP).enabled);
    EXPECT_TRUE(h.State(ID_LINENUM_SETTINGS).enabled);
    EXPECT_FALSE(h.State(ID_FILE_MRU_FILE1).enabled);

    h.Execute(ID_NEW_DATA);
    EXPECT_FALSE(h.State(ID_RENUMBER).enabled); // DATA windows have no line numbers
    EXPECT_TRUE(h.State(ID_TAB_STOP).enabled);

    h.Execute(ID_NEW_BASIC);
    EXPECT_FALSE(h.State(ID_RENUMBER).enabled); // an empty editor
    h.View()->insertPlainText(QStringLiteral("10 PRINT"));
    EXPECT_TRUE(h.State(ID_RENUMBER).enabled);
    EXPECT_TRUE(h.State(ID_SORT_LINES).enabled);
}

// A target whose rows a test fills in.
struct RowsTarget : CommandTarget {
    using CommandTarget::Rows;
};

TEST(Commands, TheFirstTargetWithARowDecidesAndAskingItsStateRunsNothing) {
    RowsTarget view;
    RowsTarget frame;
    CommandRouter router([&] { return std::vector<CommandTarget*>{&view, &frame}; });
    int viewRuns = 0;
    int frameRuns = 0;
    bool viewEnabled = false;
    bool frameChecked = true;
    // 1: the frame's alone. 2: both, the view's disabled. 3: the view takes
    // it and does nothing. 4: nobody.
    view.Rows()
        .Add(
            2, [&] { ++viewRuns; }, [&] { return viewEnabled; })
        .Add(3, {});
    frame.Rows()
        .AddCheck(
            1, [&] { ++frameRuns; }, [&] { return frameChecked; })
        .Add(2, [&] { ++frameRuns; })
        .Add(3, [&] { ++frameRuns; });

    const CommandState first = router.State(1);
    EXPECT_TRUE(first.enabled);
    EXPECT_TRUE(first.checkable);
    EXPECT_TRUE(first.checked);
    EXPECT_FALSE(router.State(2).enabled); // the view's row, not the frame's
    EXPECT_TRUE(router.State(3).enabled);
    EXPECT_FALSE(router.State(3).checkable);
    EXPECT_FALSE(router.State(4).enabled);
    EXPECT_EQ(viewRuns + frameRuns, 0);

    EXPECT_FALSE(router.Execute(2)); // disabled: neither runs
    EXPECT_TRUE(router.Execute(3));
    EXPECT_FALSE(router.Execute(4));
    EXPECT_EQ(viewRuns + frameRuns, 0);
    viewEnabled = true;
    EXPECT_TRUE(router.Execute(2));
    EXPECT_TRUE(router.Execute(1));
    EXPECT_EQ(viewRuns, 1);
    EXPECT_EQ(frameRuns, 1);

    // The actions follow: a check mark that turns off, a row that appears.
    QAction* checked = router.Action(1);
    QAction* later = router.Action(4);
    frameChecked = false;
    frame.Rows().Add(4, [] {});
    router.UpdateActions();
    EXPECT_TRUE(checked->isCheckable());
    EXPECT_FALSE(checked->isChecked());
    EXPECT_TRUE(later->isEnabled());

    // A later row for an id takes the earlier one's place in its table.
    view.Rows().Add(2, {}, [] { return false; });
    EXPECT_EQ(view.Rows().Size(), 2u);
    EXPECT_FALSE(router.Execute(2));
    EXPECT_EQ(viewRuns, 1);
}

TEST(Commands, EveryItemOfTheMenusAndTheToolbarIsACommandOfTheTable) {
    const auto isCommand = [](int id) { return FindCommand(id) != nullptr; };
    for (const bool documentOpen : {false, true})
        for (const MenuInfo& menu : MenuBar(documentOpen))
            for (const int id : menu.items)
                EXPECT_TRUE(id <= kSeparator || isCommand(id)) << menu.title << " " << id;
    for (const int id : NewMenuCommands())
        EXPECT_TRUE(isCommand(id)) << id;
    for (const int id : ToolbarCommands())
        EXPECT_TRUE(id == kSeparator || isCommand(id)) << id;
}

TEST(Commands, AViewOfLinesHandlesSomeOfItsBasesCommandsOtherwise) {
    AppHarness h;
    h.Execute(ID_NEW_DATA);
    h.View()->insertPlainText(QStringLiteral("1,2"));
    EXPECT_TRUE(h.State(ID_DATA_SEND).enabled);
    EXPECT_FALSE(h.State(ID_GOTO_DEFINITION).enabled);
    EXPECT_EQ(h.View()->CommandRowFor(ID_TIDY), nullptr);

    h.Execute(ID_NEW_BASIC);
    h.View()->insertPlainText(QStringLiteral("10 GOTO 10"));
    EXPECT_FALSE(h.State(ID_DATA_SEND).enabled); // as text only
    EXPECT_TRUE(h.State(ID_GOTO_DEFINITION).enabled);
    EXPECT_TRUE(h.State(ID_TIDY).enabled);
    // The frame's rows are there once its docks are.
    EXPECT_NE(h.Frame().CommandRowFor(ID_VIEW_PROBLEMS), nullptr);
    EXPECT_NE(h.Frame().CommandRowFor(ID_FIND_REFERENCES), nullptr);
}

TEST(MainWindow, RedoFromTheMenuAndFromBothOfItsKeys) {
    AppHarness h;
    QApplication::processEvents(); // the splash goes
    h.Frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&h.Frame()));
    h.Execute(ID_NEW_BASIC);
    EXPECT_FALSE(h.State(ID_EDIT_REDO).enabled);
    h.View()->insertPlainText(QStringLiteral("10 A"));
    const std::function<void()> redos[] = {
        [&h] { h.Execute(ID_EDIT_REDO); },
        [&h] { QTest::keyClick(h.View(), Qt::Key_Y, Qt::ControlModifier); },
        [&h] { QTest::keyClick(h.View(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); },
    };
    for (std::size_t i = 0; i < std::size(redos); ++i) {
        ASSERT_TRUE(h.Execute(ID_EDIT_UNDO)) << i;
        EXPECT_EQ(h.View()->GetText(), "") << i;
        EXPECT_TRUE(h.State(ID_EDIT_REDO).enabled) << i;
        redos[i]();
        EXPECT_EQ(h.View()->GetText(), "10 A") << i;
        EXPECT_FALSE(h.State(ID_EDIT_REDO).enabled) << i;
    }
}

TEST(MainWindow, OpenTakesSeveralFilesAtOnce) {
    AppHarness h;
    test::WriteBytes(h.dir.file("a.bas"), "10 A\r\n");
    test::WriteBytes(h.dir.file("b.txt"), "10 B\r\n");
    // The real dialog: both files chosen in its name field.
    h.app->Documents().SetPromptHook({});
    bool several = false;
    h.WhenDialogOpens([&](QDialog* dialog) {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        ASSERT_NE(files, nullptr);
        several = files->fileMode() == QFileDialog::ExistingFiles;
        files->setDirectory(QString::fromStdString(h.dir.path()));
        files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
            ->setText(QStringLiteral("\"a.bas\" \"b.txt\""));
        static_cast<QDialog*>(files)->accept();
    });
    h.Execute(ID_FILE_OPEN);
    EXPECT_TRUE(several);
    QStringList titles;
    for (DocumentWindow* child : h.Frame().Children())
        titles.append(child->ShownTitle());
    EXPECT_EQ(titles, (QStringList{"a.bas", "b.txt"}));
    EXPECT_EQ(h.View()->GetText(), "10 B\r\n");
}

// The recent-file entries of the File menu, hidden ones too.
QStringList RecentEntries(AppHarness& h) {
    QMenu* file = h.Frame().menuBar()->actions().front()->menu();
    emit file->aboutToShow();
    QStringList entries;
    for (QAction* action : file->actions())
        if (action->objectName().startsWith(QStringLiteral("ID_FILE_MRU_FILE")))
            entries.append((action->isEnabled() ? QString() : QStringLiteral("(off) ")) +
                           action->text());
    return entries;
}

TEST(MainWindow, RecentFilesShowOneEntryEachOrOnePlaceholder) {
    AppHarness h;
    EXPECT_EQ(RecentEntries(h), QStringList{"(off) 最近使ったﾌｧｲﾙ"});
    const QString a = QString::fromStdString(h.dir.file("a.bas"));
    const QString b = QString::fromStdString(h.dir.file("b.bas"));
    test::WriteBytes(a.toStdString(), "10 A\r\n");
    test::WriteBytes(b.toStdString(), "10 B\r\n");
    h.app->Documents().OpenDocumentFile(a);
    h.app->Documents().OpenDocumentFile(b);
    QApplication::processEvents();
    const QStringList entries = RecentEntries(h);
    ASSERT_EQ(entries.size(), 2);
    EXPECT_TRUE(entries[0].startsWith(QStringLiteral("&1 ")) &&
                entries[0].endsWith(QStringLiteral("b.bas")))
        << entries[0].toStdString();
    EXPECT_TRUE(entries[1].startsWith(QStringLiteral("&2 ")) &&
                entries[1].endsWith(QStringLiteral("a.bas")))
        << entries[1].toStdString();
    // With the windows gone the menus are made again, the list as it was.
    h.answer = QMessageBox::No;
    for (DocumentWindow* child : h.Frame().Children())
        child->close();
    QApplication::processEvents();
    EXPECT_EQ(RecentEntries(h), entries);
}

TEST(MainWindow, TitlesCountUntitledDocumentsPerType) {
    AppHarness h;
    const QString app = LoadQString(IDR_MAINFRAME);
    EXPECT_EQ(h.Frame().windowTitle(), app);
    h.Execute(ID_NEW_BASIC);
    h.Execute(ID_NEW_BASIC);
    h.Execute(ID_NEW_C);
    QStringList titles;
    for (DocumentWindow* child : h.Frame().Children())
        titles.append(child->ShownTitle());
    EXPECT_EQ(titles, (QStringList{"BASIC：無題1", "BASIC：無題2", "C言語：無題1"}));
    QApplication::processEvents();
    EXPECT_EQ(h.Frame().windowHandle()->title(), app + " - C言語：無題1");
}

TEST(MainWindow, FilesOpenByExtension) {
    AppHarness h;
    struct Case {
        const char* name;
        DocKind kind;
    };
    for (const Case& c : {Case{"prog.BAS", DocKind::Basic}, Case{"notes.doc", DocKind::Basic},
                          Case{"data.dat", DocKind::Data}, Case{"x.cas", DocKind::Casl}}) {
        const std::string path = h.dir.file(c.name);
        test::WriteBytes(path, "10 A\r\n");
        DocumentWindow* frame = h.app->Documents().OpenDocumentFile(QString::fromStdString(path));
        ASSERT_NE(frame, nullptr) << c.name;
        EXPECT_EQ(frame->Template().Kind(), c.kind) << c.name;
        EXPECT_EQ(frame->ShownTitle(), QString::fromLatin1(c.name));
        EXPECT_EQ(frame->GetActiveView()->GetText(), "10 A\r\n");
    }
    // Opening an open file brings its window forward instead, however the
    // path reaches the file.
    const int windows = static_cast<int>(h.Frame().Children().size());
    DocumentWindow* prog =
        h.app->Documents().OpenDocumentFile(QString::fromStdString(h.dir.file("prog.BAS")));
    EXPECT_EQ(h.Frame().Children().size(), windows);
    std::filesystem::create_symlink(h.dir.file("prog.BAS"), h.dir.file("link.bas"));
    h.Frame().MdiArea()->setActiveSubWindow(h.Frame().Children().back());
    ASSERT_NE(h.Active(), prog);
    EXPECT_EQ(h.app->Documents().OpenDocumentFile(QString::fromStdString(h.dir.file("link.bas"))),
              prog);
    EXPECT_EQ(h.Active(), prog);
    EXPECT_EQ(h.Frame().Children().size(), windows);
    EXPECT_EQ(h.app->RecentFiles().size(), 4);
}

// The note a window shows about its file, empty when there is none.
QString Note(DocumentWindow* frame) {
    return frame->FileNote();
}

QPushButton* NoteButton(DocumentWindow* frame, const char* name) {
    return frame->findChild<QPushButton*>(QString::fromLatin1(name));
}

NumberedDocument* Numbered(DocumentWindow* frame) {
    return static_cast<NumberedDocument*>(frame->GetDocument());
}

// Files as they are shared: the window says at once, without a message box,
// what would not reach the device as meant, and Tidy mends it in one step of
// Undo.
TEST(FieldFiles, AnIndentedProgramIsNotedAndTidiedInOneStepOfUndo) {
    AppHarness h;
    const std::string path = h.dir.file("game.bas");
    const std::string file = "   100 GOTO 200\n   200 GOTO 100\n";
    test::WriteBytes(path, file);
    DocumentWindow* frame = h.app->Documents().OpenDocumentFile(QString::fromStdString(path));
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(h.messages.empty());
    const std::string opened = "10    100 GOTO 200\r\n20    200 GOTO 100\r\n";
    EXPECT_EQ(h.View()->GetText(), opened);
    EXPECT_EQ(Note(frame), LoadQString(IDS_NOTE_INDENTED).arg(2).arg(1) +
                               LoadQString(IDS_NOTE_TAKEN_UNNUMBERED));
    ASSERT_TRUE(NoteButton(frame, "FileNoteTidy")->isVisibleTo(frame));

    h.View()->SetCaret(opened.size() - 3);
    NoteButton(frame, "FileNoteTidy")->click();
    EXPECT_EQ(h.View()->GetText(), "100 GOTO 200\r\n200 GOTO 100\r\n");
    EXPECT_EQ(h.View()->CaretOffset(), 14u); // at the start of its line
    EXPECT_TRUE(Numbered(frame)->GetLineNumOutput());
    EXPECT_TRUE(frame->GetDocument()->IsModified());
    EXPECT_EQ(Note(frame), QString()); // nothing left to say
    EXPECT_EQ(h.Frame().statusBar()->currentMessage(),
              LoadQString(IDS_TIDY_DONE)
                  .arg(QString::fromStdString(LoadFormatted(IDS_TIDY_INDENTS, {"2"})) + "、" +
                       LoadQString(IDS_TIDY_OWN_NUMBERS)));

    // One Undo takes back the text and the numbers' place: saved, the file
    // is what it was.
    h.Execute(ID_EDIT_UNDO);
    EXPECT_EQ(h.View()->GetText(), opened);
    EXPECT_FALSE(Numbered(frame)->GetLineNumOutput());
    EXPECT_FALSE(h.View()->document()->isUndoAvailable());
    EXPECT_FALSE(frame->GetDocument()->IsModified());
    h.Execute(ID_EDIT_REDO);
    EXPECT_EQ(h.View()->GetText(), "100 GOTO 200\r\n200 GOTO 100\r\n");
    EXPECT_TRUE(Numbered(frame)->GetLineNumOutput());
    h.Execute(ID_EDIT_UNDO);
    ASSERT_TRUE(frame->DoSave(false));
    EXPECT_EQ(test::ReadBytes(path), file);

    // Tidied from the menu and saved, the file holds its own numbers.
    h.Execute(ID_TIDY);
    ASSERT_TRUE(frame->DoSave(false));
    EXPECT_EQ(test::ReadBytes(path), "100 GOTO 200\n200 GOTO 100\n");
    // A tidy text: nothing changes, and the status bar says so.
    h.Execute(ID_TIDY);
    EXPECT_EQ(h.View()->GetText(), "100 GOTO 200\r\n200 GOTO 100\r\n");
    EXPECT_FALSE(frame->GetDocument()->IsModified());
    EXPECT_EQ(h.Frame().statusBar()->currentMessage(), LoadQString(IDS_TIDY_NOTHING));
    EXPECT_TRUE(h.messages.empty());
}

TEST(FieldFiles, BlankLinesAndARemarkWithoutANumberAreNoted) {
    AppHarness h;
    // A program that ends with a blank line: Renumber would refuse it.
    const std::string blank = h.dir.file("blank.bas");
    test::WriteBytes(blank, "10 A\r\n20 GOTO 10\r\n\r\n");
    DocumentWindow* frame = h.app->Documents().OpenDocumentFile(QString::fromStdString(blank));
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(Note(frame), LoadQString(IDS_NOTE_BLANK_LINES).arg(1).arg(3) +
                               LoadQString(IDS_NOTE_REFUSED_LINES));
    // Mended by hand: once the problems are read again the note is gone.
    h.View()->SetCaret(h.View()->GetLength());
    QTextCursor cursor = h.View()->textCursor();
    cursor.deletePreviousChar();
    h.View()->setTextCursor(cursor);
    h.View()->Problems().Refresh();
    EXPECT_EQ(Note(frame), QString());
    h.Execute(ID_EDIT_UNDO);
    h.View()->Problems().Refresh();
    EXPECT_EQ(Note(frame), QString()); // closed for good once it was gone
    h.Execute(ID_TIDY);
    EXPECT_EQ(h.View()->GetText(), "10 A\r\n20 GOTO 10\r\n");
    EXPECT_TRUE(Numbered(frame)->Renumber(100, 10, 10));
    EXPECT_EQ(h.View()->GetText(), "100 A\r\n110 GOTO 100\r\n");

    // The program with a remark before its indented lines: Tidy names the
    // remark's line, puts the caret on it and changes nothing.
    const std::string shared = h.dir.file("shared.bas");
    test::WriteBytes(shared, "      ' Comment line GOTO 123\n   100 GOTO 200\n   200 GOTO A$\n");
    frame = h.app->Documents().OpenDocumentFile(QString::fromStdString(shared));
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(Note(frame), LoadQString(IDS_NOTE_INDENTED).arg(2).arg(2) +
                               LoadQString(IDS_NOTE_NO_NUMBER).arg(1).arg(1) +
                               LoadQString(IDS_NOTE_TAKEN_UNNUMBERED));
    const std::string before = h.View()->GetText();
    h.View()->SetCaret(before.size());
    NoteButton(frame, "FileNoteTidy")->click();
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_TRUE(h.messages[0].text.contains(LoadQString(IDS_LINE_NO_NUMBER)));
    EXPECT_EQ(h.View()->CaretOffset(), 0u);
    EXPECT_EQ(h.View()->GetText(), before);
    EXPECT_FALSE(frame->GetDocument()->IsModified());
    EXPECT_FALSE(Note(frame).isEmpty()); // still true
    // The note can be closed.
    NoteButton(frame, "FileNoteClose")->click();
    EXPECT_EQ(Note(frame), QString());

    // Files with nothing to say have no note; nor has a new document.
    const std::string plain = h.dir.file("plain.bas");
    test::WriteBytes(plain, "10 A\n20 B\n");
    EXPECT_EQ(Note(h.app->Documents().OpenDocumentFile(QString::fromStdString(plain))), QString());
    h.Execute(ID_NEW_BASIC);
    EXPECT_EQ(Note(h.Active()), QString());
    EXPECT_FALSE(h.State(ID_TIDY).enabled); // an empty text
    h.Execute(ID_NEW_DATA);
    h.View()->insertPlainText(QStringLiteral("10 A"));
    EXPECT_FALSE(h.State(ID_TIDY).enabled); // DATA has no line numbers
}

TEST(FieldFiles, AUtf8FileIsReadAsUtf8AndSavedAsUtf8) {
    AppHarness h;
    h.app->SetRecoveryDelay(20);
    const std::string path = h.dir.file("kana.bas");
    const std::string file = "\xEF\xBB\xBF"
                             "10 PRINT \"\xE3\x81\x82\xEF\xBD\xB1\"\n20 END\n";
    test::WriteBytes(path, file);
    DocumentWindow* frame = h.app->Documents().OpenDocumentFile(QString::fromStdString(path));
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(h.View()->GetText(), "10 PRINT \"\x82\xa0\xb1\"\r\n20 END\r\n");
    EXPECT_EQ(h.View()->toPlainText(), QStringLiteral("10 PRINT \"あｱ\"\n20 END\n"));
    EXPECT_EQ(Note(frame), LoadQString(IDS_NOTE_READ_UTF8));
    EXPECT_FALSE(NoteButton(frame, "FileNoteTidy")->isVisibleTo(frame));
    // Saved unchanged, every byte comes back, the byte order mark too.
    frame->GetDocument()->SetModifiedFlag(true);
    ASSERT_TRUE(frame->DoSave(false));
    EXPECT_EQ(test::ReadBytes(path), file);

    // The copy of unsaved work remembers the encoding: given back after a
    // crash, it is saved as UTF-8 again.
    h.View()->SetCaret(h.View()->GetLength());
    h.View()->InsertText(QStringLiteral("30 REM う\n"));
    std::optional<RecoveryCopy> copy;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            std::error_code ec;
            for (const auto& entry :
                 std::filesystem::recursive_directory_iterator(h.dir.file("state"), ec))
                if (entry.path().extension() == ".copy")
                    copy = DecodeRecoveryCopy(test::ReadBytes(entry.path().string()));
            return copy.has_value();
        },
        5000));
    EXPECT_TRUE(copy->utf8);
    EXPECT_TRUE(copy->byteOrderMark);
    EXPECT_EQ(copy->bytes, "10 PRINT \"\x82\xa0\xb1\"\r\n20 END\r\n30 REM \x82\xa4\r\n");
    DocumentWindow* restored = h.app->Documents().Restore(frame->Template(), *copy);
    ASSERT_NE(restored, nullptr);
    const std::string other = h.dir.file("restored.bas");
    h.nextFileName = QString::fromStdString(other);
    ASSERT_TRUE(restored->DoSave(true));
    EXPECT_EQ(test::ReadBytes(other), file + "30 REM \xE3\x81\x86\n");

    // A character code page 932 cannot hold: opened as before, and said.
    const std::string emoji = h.dir.file("emoji.bas");
    test::WriteBytes(emoji, "10 A\n20 PRINT \"\xF0\x9F\x98\x80\"\n");
    frame = h.app->Documents().OpenDocumentFile(QString::fromStdString(emoji));
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(h.View()->GetText(), "10 A\r\n20 PRINT \"\xF0\x9F\x98\x80\"\r\n");
    EXPECT_EQ(Note(frame), LoadQString(IDS_NOTE_UTF8_NOT_READ)
                               .arg(2)
                               .arg(QString::fromStdString(cp932::NameCharacter(0x1F600))));
    EXPECT_TRUE(h.messages.empty());
}

// A document saved under a name of another kind becomes that kind, as
// opening the file would make it: a received program saved as .bas is BASIC.
TEST(MainWindow, SavingUnderANameOfAnotherKindMakesTheDocumentThatKind) {
    AppHarness h;
    h.Execute(ID_NEW_TEXT); // what a receive opens
    h.View()->ReplaceText("10 PRINT\r\n20 GOTO 10\r\n");
    const QString bas = QString::fromStdString(h.dir.file("recv.bas"));
    h.nextFileName = bas;
    h.Execute(ID_FILE_SAVE_AS);
    DocumentWindow* frame = h.Active();
    EXPECT_EQ(frame->Template().Kind(), DocKind::Basic);
    EXPECT_NE(dynamic_cast<BasicDocument*>(frame->GetDocument()), nullptr);
    EXPECT_EQ(frame->ShownTitle(), QStringLiteral("recv.bas"));
    EXPECT_FALSE(frame->GetDocument()->IsModified());
    EXPECT_EQ(h.app->RecentFiles(), QStringList{bas});
    // Renumbered as BASIC, without a question.
    h.WhenDialogOpens([](QDialog* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("newStart"))->setText(QStringLiteral("100"));
        dialog->accept();
    });
    h.Execute(ID_RENUMBER);
    EXPECT_TRUE(h.messages.empty());
    EXPECT_EQ(h.View()->GetText(), "100 PRINT\r\n110 GOTO 100\r\n");

    // To DATA: the window shows the file as it is, in a DATA view.
    static_cast<NumberedDocument*>(frame->GetDocument())->SetLineNumOutput(false);
    const QString dat = QString::fromStdString(h.dir.file("recv.dat"));
    h.nextFileName = dat;
    h.Execute(ID_FILE_SAVE_AS);
    ASSERT_EQ(h.Active(), frame);
    EXPECT_EQ(frame->Template().Kind(), DocKind::Data);
    EXPECT_EQ(dynamic_cast<NumberedEditorView*>(frame->GetActiveView()), nullptr);
    EXPECT_TRUE(h.View()->isVisibleTo(frame));
    EXPECT_EQ(h.View()->GetText(), " PRINT\r\n GOTO 100\r\n");
    EXPECT_EQ(test::ReadBytes(h.dir.file("recv.dat")), " PRINT\r\n GOTO 100\r\n");
    EXPECT_FALSE(h.State(ID_RENUMBER).enabled);
    EXPECT_TRUE(h.State(ID_DATA_SEND).enabled);
    // And back, numbered as the file opens.
    h.nextFileName = QString::fromStdString(h.dir.file("again.txt"));
    h.Execute(ID_FILE_SAVE_AS);
    EXPECT_EQ(frame->Template().Kind(), DocKind::Text);
    EXPECT_EQ(h.View()->GetText(), "10 PRINT\r\n20 GOTO 100\r\n");
    EXPECT_TRUE(h.State(ID_RENUMBER).enabled);
    EXPECT_EQ(h.app->RecentFiles().size(), 3);
}

TEST(MainWindow, ASettingThatCannotBeWrittenIsReported) {
    AppHarness h;
    std::filesystem::create_directory(h.iniPath); // the file cannot be made
    h.Execute(ID_NEW_TEXT);
    h.WhenDialogOpens([](QDialog* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("tabStop"))->setText(QStringLiteral("8"));
        dialog->accept();
    });
    h.Execute(ID_TAB_STOP);
    EXPECT_EQ(h.app->Settings().tabStop, 8u); // still used for this run
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_TRUE(h.messages[0].text.startsWith(QString::fromStdString(h.iniPath) +
                                              QStringLiteral(" を保存できません。\n")));
    EXPECT_EQ(h.messages[0].icon, QMessageBox::Warning);
}

TEST(MainWindow, TheUsersOwnSettingsFolderIsMadeAtTheFirstWrite) {
    AppHarness h;
    const std::string path = h.dir.file("config/tessel/tessel.INI");
    Application app(path);
    app.SetSplashTime(0);
    ASSERT_TRUE(app.InitInstance({}));
    EXPECT_FALSE(std::filesystem::exists(h.dir.file("config"))); // reading makes nothing
    app.StoreSettings(SettingGroup::TabStop);
    EXPECT_EQ(ProfileStore(path).GetProfileInt("Edit", "TabStop", 0), 4u);
    EXPECT_TRUE(h.messages.empty());
}

TEST(MainWindow, TabStopDialogWritesTheSettingAndAppliesToEveryView) {
    AppHarness h;
    h.Execute(ID_NEW_BASIC);
    h.Execute(ID_NEW_DATA);
    h.WhenDialogOpens([](QDialog* dialog) {
        auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("tabStop"));
        // The field opens with its text selected: what is typed replaces it.
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
        EXPECT_EQ(field->selectedText(), QStringLiteral("4"));
        QTest::keyClicks(field, QStringLiteral("11"));
        dialog->accept(); // refused: out of range, the dialog stays open
        QTest::keyClicks(field, QStringLiteral("8"));
        dialog->accept();
    });
    h.Execute(ID_TAB_STOP);
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_EQ(h.messages[0].text, QStringLiteral("1 から 10 までの整数を入力してください。"));
    EXPECT_EQ(h.app->Settings().tabStop, 8u);
    EXPECT_EQ(ProfileStore(h.iniPath).GetProfileInt("Edit", "TabStop", 0), 8u);
    for (DocumentWindow* child : h.Frame().Children()) {
        const QFontMetricsF metrics(child->GetActiveView()->font());
        EXPECT_DOUBLE_EQ(child->GetActiveView()->tabStopDistance(), metrics.averageCharWidth() * 8);
    }
}

// Colours on and off for every window at once, remembered in the settings
// file; a window opened later follows, and so does the next start.
TEST(MainWindow, ColorsTurnOffForEveryViewAndStayOff) {
    {
        AppHarness h;
        h.Execute(ID_NEW_BASIC);
        h.Execute(ID_NEW_C);
        EXPECT_TRUE(h.State(ID_VIEW_COLORS).checked);
        h.Execute(ID_VIEW_COLORS);
        EXPECT_FALSE(h.State(ID_VIEW_COLORS).checked);
        EXPECT_EQ(ProfileStore(h.iniPath).GetProfileInt("Edit", "Colors", 1), 0u);
        h.Execute(ID_NEW_CASL);
        for (DocumentWindow* child : h.Frame().Children()) {
            EditorView* view = child->GetActiveView();
            view->setPlainText(QStringLiteral("10 GOTO 20"));
            EXPECT_TRUE(view->document()->firstBlock().layout()->formats().isEmpty());
        }
        h.Execute(ID_VIEW_COLORS);
        EXPECT_EQ(ProfileStore(h.iniPath).GetProfileInt("Edit", "Colors", 0), 1u);
        EXPECT_FALSE(h.View()->document()->firstBlock().layout()->formats().isEmpty());
        h.Execute(ID_VIEW_COLORS);
    }
    AppHarness again("[Edit]\nColors=0\n");
    again.Execute(ID_NEW_BASIC);
    EXPECT_FALSE(again.State(ID_VIEW_COLORS).checked);
}

// The list of problems beside the editors: hidden at first, shown from the
// View menu and so kept in the settings file; it lists the active window's
// problems with their lines and messages, and a double click or Enter goes
// to one. The status bar counts the errors and warnings of a program, and
// says nothing for a DATA file.
TEST(MainWindow, TheProblemsListFollowsTheActiveWindowAndGoesToAProblem) {
    {
        AppHarness h;
        auto* dock = h.Frame().findChild<ProblemsDock*>(QStringLiteral("ProblemsDock"));
        ASSERT_NE(dock, nullptr);
        EXPECT_TRUE(dock->isHidden());
        const std::string program = "10 GOTO 99\r\n\r\n20 END\r\n";
        const std::string path = h.dir.file("p.bas");
        test::WriteBytes(path, program);
        h.app->Documents().OpenDocumentFile(QString::fromStdString(path));
        EditorView* view = h.View();
        view->Problems().Refresh();
        auto* count = h.Frame().findChild<QLabel*>(QStringLiteral("ProblemCount"));
        ASSERT_NE(count, nullptr);
        EXPECT_FALSE(count->isHidden());
        EXPECT_EQ(count->text(), QStringLiteral("エラー 1  警告 1"));

        EXPECT_FALSE(h.State(ID_VIEW_PROBLEMS).checked);
        h.Execute(ID_VIEW_PROBLEMS);
        EXPECT_TRUE(h.State(ID_VIEW_PROBLEMS).checked);
        EXPECT_FALSE(dock->isHidden());
        EXPECT_EQ(ProfileStore(h.iniPath).GetProfileInt("Settings", "ProblemsList", 0), 1u);
        QTreeWidget* list = dock->List();
        ASSERT_EQ(list->topLevelItemCount(), 2);
        EXPECT_EQ(list->topLevelItem(0)->text(0), QStringLiteral("1"));
        EXPECT_EQ(list->topLevelItem(0)->text(1),
                  QString::fromStdString(LoadFormatted(IDS_LINE_REF_NO_LINE, {"99"})));
        EXPECT_EQ(list->topLevelItem(1)->text(0), QStringLiteral("2"));
        EXPECT_EQ(list->topLevelItem(1)->text(1), LoadQString(IDS_LINE_NO_NUMBER));

        // A double click on the second row, Enter on the first.
        list->scrollToItem(list->topLevelItem(1));
        const QRect row = list->visualItemRect(list->topLevelItem(1));
        // The first click of a double click comes as a click of its own.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
        EXPECT_EQ(view->CaretOffset(), program.find("\r\n\r\n") + 2);
        list->setCurrentItem(list->topLevelItem(0));
        QTest::keyClick(list, Qt::Key_Return);
        EXPECT_EQ(view->CaretOffset(), program.find("99"));

        // The mend from the list's menu, as one step of Undo.
        QTimer::singleShot(0, [] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            menu->findChild<QAction*>(QStringLiteral("mendProblem"))->trigger();
            menu->close();
        });
        emit list->customContextMenuRequested(row.center());
        EXPECT_EQ(view->GetText(), "10 GOTO 99\r\n20 END\r\n");
        EXPECT_EQ(list->topLevelItemCount(), 1);
        EXPECT_EQ(count->text(), QStringLiteral("エラー 0  警告 1"));
        h.Execute(ID_EDIT_UNDO);
        EXPECT_EQ(view->GetText(), program);

        // Another window, then a DATA file.
        ASSERT_TRUE(h.Execute(ID_NEW_BASIC));
        h.View()->Problems().Refresh();
        EXPECT_EQ(list->topLevelItemCount(), 0);
        EXPECT_EQ(count->text(), QStringLiteral("エラー 0  警告 0"));
        ASSERT_TRUE(h.Execute(ID_NEW_DATA));
        EXPECT_TRUE(count->isHidden());
    }
    {
        AppHarness h(std::string("[Settings]\nProblemsList=1\n"));
        auto* dock = h.Frame().findChild<ProblemsDock*>(QStringLiteral("ProblemsDock"));
        EXPECT_FALSE(dock->isHidden());
        dock->close(); // its own close button
        EXPECT_EQ(ProfileStore(h.iniPath).GetProfileInt("Settings", "ProblemsList", 1), 0u);
        EXPECT_FALSE(h.State(ID_VIEW_PROBLEMS).checked);
    }
}

TEST(MainWindow, LineNumberSettingsAreCheckedInOrder) {
    AppHarness h;
    h.WhenDialogOpens([](QDialog* dialog) {
        // Above the fields, what they are for.
        auto* note = dialog->findChild<QLabel*>(QStringLiteral("note"));
        ASSERT_NE(note, nullptr);
        EXPECT_TRUE(note->isVisible());
        auto* start = dialog->findChild<QLineEdit*>(QStringLiteral("startLine"));
        auto* step = dialog->findChild<QLineEdit*>(QStringLiteral("step"));
        start->setText(QStringLiteral("65280"));
        step->setText(QString());
        dialog->accept(); // the start line is checked first
        start->setText(QStringLiteral("65279"));
        dialog->accept(); // then the empty step
        step->setText(QStringLiteral("65278"));
        dialog->accept();
    });
    h.Execute(ID_LINENUM_SETTINGS);
    ASSERT_EQ(h.messages.size(), 2u);
    EXPECT_EQ(h.messages[0].text, QStringLiteral("1 から 65279 までの整数を入力してください。"));
    EXPECT_EQ(h.messages[1].text, QStringLiteral("正の整数を入力してください。"));
    EXPECT_EQ(h.app->Settings().startLine, 65279u);
    const ProfileStore stored(h.iniPath);
    EXPECT_EQ(stored.GetProfileInt("LineNumber", "StartLine", 0), 65279u);
    EXPECT_EQ(stored.GetProfileInt("LineNumber", "Step", 0), 65278u);
}

TEST(MainWindow, WindowPlacementNeedsExactlyTenNumbers) {
    WindowPlacement placement;
    EXPECT_TRUE(ParseWindowPlacement(QStringLiteral("0,1,-1,-1,-1,-1,10,20,410,320"), placement));
    EXPECT_EQ(placement.showCmd, 1u);
    EXPECT_EQ(placement.normalPosition, QRect(10, 20, 400, 300));
    EXPECT_FALSE(ParseWindowPlacement(QStringLiteral("0,1,-1,-1,-1,-1,10,20,410"), placement));
    EXPECT_FALSE(ParseWindowPlacement(QStringLiteral("0,1,-1,-1,-1,-1,10,20,410,3x0"), placement));
    EXPECT_FALSE(ParseWindowPlacement(QString(), placement));
    // Numbers that no placement holds are no placement.
    for (const char* text :
         {"0,1,-1,-1,-1,-1,10,20,-2147483648,320", "0,1,-1,-1,-1,-1,10,20,410,2147483648",
          "-1,1,-1,-1,-1,-1,0,0,1,1", "0,4294967296,-1,-1,-1,-1,0,0,1,1"})
        EXPECT_FALSE(ParseWindowPlacement(QString::fromLatin1(text), placement)) << text;
    EXPECT_TRUE(ParseWindowPlacement(
        QStringLiteral("0,1,-2147483648,-1,-1,-1,10,20,-2147483647,2147483647"), placement));
}

TEST(MainWindow, ExitAsksAboutEveryDocumentBeforeAnyCloses) {
    AppHarness h;
    for (int id : {ID_NEW_TEXT, ID_NEW_CASL, ID_NEW_DATA, ID_NEW_BASIC}) {
        h.Execute(id);
        if (id != ID_NEW_DATA)
            h.View()->insertPlainText(QStringLiteral("10 A"));
    }
    // "No" to the first question, "Cancel" to the second of three.
    h.answers = {QMessageBox::No, QMessageBox::Cancel};
    h.Execute(ID_APP_EXIT);
    EXPECT_EQ(h.messages.size(), 2u);
    EXPECT_EQ(h.Frame().Children().size(), 4);
    for (DocumentWindow* child : h.Frame().Children())
        EXPECT_FALSE(child->isHidden());
    // The close button the same way; "No" to all closes everything.
    h.answers = {QMessageBox::No, QMessageBox::Cancel};
    EXPECT_FALSE(h.Frame().close());
    EXPECT_EQ(h.Frame().Children().size(), 4);
    h.answer = QMessageBox::No;
    EXPECT_TRUE(h.Frame().close());
    QApplication::processEvents();
    EXPECT_TRUE(h.Frame().Children().isEmpty());
}

TEST(MainWindow, RecentFilesAreStoredAtExit) {
    AppHarness h("[Recent File List]\r\nFile1=/gone/one.bas\r\nFile2=/gone/two.bas\r\n");
    EXPECT_EQ(h.app->RecentFiles(), (QStringList{"/gone/one.bas", "/gone/two.bas"}));
    // A file that can't be opened leaves the list.
    EXPECT_EQ(h.app->Documents().OpenDocumentFile(QStringLiteral("/gone/two.bas")), nullptr);
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_EQ(h.messages[0].text, QStringLiteral("/gone/two.bas を開けません。\n") +
                                      QString::fromStdString(SystemReason(ENOENT)));
    h.app->ExitInstance();
    const ProfileStore stored(h.iniPath);
    EXPECT_EQ(stored.GetProfileString("Recent File List", "File1", ""), "/gone/one.bas");
    EXPECT_EQ(stored.GetProfileString("Recent File List", "File2", "none"), "none");
}

TEST(MainWindow, HelpOpensTheUserGuideOrSaysWhereItLooked) {
    // Installed, the guide is in the documentation folder beside the
    // programs' folder, whatever the prefix.
    EXPECT_EQ(UserGuidePlaces(QStringLiteral("/opt/tessel/bin/tessel")).front(),
              QStringLiteral("/opt/tessel/share/doc/tessel/README.md"));

    AppHarness h;
    const QString missing = QString::fromStdString(h.dir.file("share/doc/tessel/README.md"));
    const QString guide = QString::fromStdString(h.dir.file("README.md"));
    h.app->SetUserGuidePlaces({missing});
    EXPECT_TRUE(h.State(ID_HELP).enabled);
    EXPECT_EQ(h.app->Router().Action(ID_HELP)->shortcut(), QKeySequence(Qt::Key_F1));
    h.Execute(ID_HELP);
    ASSERT_EQ(h.messages.size(), 1u);
    EXPECT_EQ(
        h.messages[0].text,
        QStringLiteral("ユーザーズ ガイドがインストールされていません。次の場所を探しました:\n") +
            missing);

    UrlOpener opener;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &opener, "open");
    test::WriteBytes(guide.toStdString(), "# TESSEL Software\n");
    h.app->SetUserGuidePlaces({missing, guide});
    h.Execute(ID_HELP);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    EXPECT_EQ(opener.opened, QList<QUrl>{QUrl::fromLocalFile(guide)});
    EXPECT_EQ(h.messages.size(), 1u);

    // About names the settings file in use.
    QString settingsLine;
    h.WhenDialogOpens([&](QDialog* dialog) {
        if (auto* label = dialog->findChild<QLabel*>(QStringLiteral("settingsFile")))
            settingsLine = label->text();
        dialog->accept();
    });
    h.Execute(ID_APP_ABOUT);
    EXPECT_EQ(settingsLine, QStringLiteral("設定ファイル: ") + QString::fromStdString(h.iniPath));
}

DocumentWindow* OpenFile(AppHarness& h, const std::string& path, const std::string& bytes) {
    test::WriteBytes(path, bytes);
    return h.app->Documents().OpenDocumentFile(QString::fromStdString(path));
}

TEST(MainWindow, AModifiedDocumentIsMarkedUntilItsTextIsBackAsSaved) {
    AppHarness h;
    const QString app = LoadQString(IDR_MAINFRAME);
    // Numbered as it opens, which is no change of the user's; a "[*]" in
    // the name is part of the name.
    const std::string path = h.dir.file("p[*].bas");
    DocumentWindow* frame = OpenFile(h, path, "PRINT 1\nPRINT 2\n");
    ASSERT_NE(frame, nullptr);
    EditorView* view = h.View();
    Document* document = frame->GetDocument();
    ASSERT_EQ(view->GetText(), "10PRINT 1\r\n20PRINT 2\r\n");
    const auto titles = [&] {
        QApplication::processEvents();
        return QStringList{frame->ShownTitle(), h.Frame().windowHandle()->title()};
    };
    const QStringList clean{"p[*].bas", app + " - p[*].bas"};
    const QStringList marked{"p[*].bas*", app + " - p[*].bas*"};
    EXPECT_EQ(titles(), clean);
    EXPECT_FALSE(document->IsModified());

    // Typing marks it; undoing back to the text as read takes the mark away,
    // and closing has nothing to ask.
    view->SetCaret(9);
    view->insertPlainText(QStringLiteral("X"));
    EXPECT_EQ(titles(), marked);
    h.Execute(ID_EDIT_UNDO);
    EXPECT_EQ(titles(), clean);
    EXPECT_FALSE(document->IsModified());
    h.messages.clear();
    EXPECT_TRUE(frame->SaveModified());
    EXPECT_TRUE(h.messages.empty());

    // Saved: Undo makes the text differ from the file, Redo brings it back.
    view->insertPlainText(QStringLiteral("X"));
    h.Execute(ID_FILE_SAVE);
    EXPECT_EQ(test::ReadBytes(path), "PRINT 1X\nPRINT 2\n");
    EXPECT_EQ(titles(), clean);
    h.Execute(ID_EDIT_UNDO);
    EXPECT_EQ(titles(), marked);
    EXPECT_TRUE(document->IsModified());
    h.Execute(ID_EDIT_REDO);
    EXPECT_EQ(titles(), clean);
    EXPECT_FALSE(document->IsModified());

    // Renumbering is one step, and undone leaves nothing to save, whatever
    // runs after it that changes nothing.
    h.WhenDialogOpens([](QDialog* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("newStart"))->setText("100");
        dialog->findChild<QLineEdit*>(QStringLiteral("oldStart"))->setText("10");
        dialog->findChild<QLineEdit*>(QStringLiteral("step"))->setText("10");
        dialog->accept();
    });
    h.Execute(ID_RENUMBER);
    EXPECT_EQ(view->GetText(), "100PRINT 1X\r\n110PRINT 2\r\n");
    EXPECT_EQ(titles(), marked);
    h.Execute(ID_EDIT_UNDO);
    EXPECT_EQ(titles(), clean);
    h.Execute(ID_SORT_LINES);
    EXPECT_EQ(titles(), clean);
    EXPECT_FALSE(document->IsModified());

    // Read again: unmodified; Undo brings back a text that is not the file's.
    ASSERT_TRUE(h.BringToFront()); // from the dialog
    h.answer = QMessageBox::Yes;
    h.messages.clear();
    test::WriteBytes(path, "10 OTHER\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !h.messages.empty(); }, 5000));
    EXPECT_EQ(view->GetText(), "10 OTHER\r\n");
    EXPECT_EQ(titles(), clean);
    h.Execute(ID_EDIT_UNDO);
    EXPECT_EQ(titles(), marked);
    EXPECT_TRUE(document->IsModified());
}

TEST(MainWindow, ASaveOntoAFileAnotherProgramChangedAsksEveryTime) {
    AppHarness h;
    const std::string path = h.dir.file("p.bas");
    DocumentWindow* frame = OpenFile(h, path, "10 A\r\n");
    ASSERT_NE(frame, nullptr);
    EditorView* view = h.View();
    view->SetCaret(4);
    view->insertPlainText(QStringLiteral("X"));
    const std::string typed = view->GetText();
    ASSERT_TRUE(h.BringToFront());

    // The watcher sees the change at once; Return and Escape keep the text.
    for (const auto& [key, other] :
         {std::pair{Qt::Key_Return, "10 OTHER\r\n"}, std::pair{Qt::Key_Escape, "10 THIRD\r\n"}}) {
        h.messages.clear();
        h.keys = {key};
        test::WriteBytes(path, other);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !h.messages.empty(); }, 5000)) << other;
        EXPECT_EQ(h.messages[0].text,
                  QStringLiteral("p.bas は他のプログラムによって変更されました。編集中の変更を"
                                 "破棄して読み込み直しますか?\n「いいえ」を選ぶと、編集中の"
                                 "テキストをそのまま残します。"));
        EXPECT_EQ(h.messages[0].buttons, QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(view->GetText(), typed);
        EXPECT_TRUE(frame->GetDocument()->IsModified());
    }

    // Keeping the text is no leave to overwrite the file: every save asks
    // (replace or cancel), and Return and Escape leave the file alone.
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        h.messages.clear();
        h.keys = {key};
        h.Execute(ID_FILE_SAVE);
        ASSERT_EQ(h.messages.size(), 1u);
        EXPECT_EQ(h.messages[0].text,
                  QStringLiteral("p.bas は読み込んだ後に他のプログラムによって変更されています。"
                                 "上書きしますか?"));
        EXPECT_EQ(h.messages[0].buttons, QMessageBox::Yes | QMessageBox::Cancel);
        EXPECT_EQ(test::ReadBytes(path), "10 THIRD\r\n");
        EXPECT_TRUE(frame->GetDocument()->IsModified());
    }
    // Closing offers to save, which asks again.
    h.answers = {QMessageBox::Yes, QMessageBox::Cancel};
    EXPECT_FALSE(frame->SaveModified());
    EXPECT_EQ(test::ReadBytes(path), "10 THIRD\r\n");

    // Replaced: the next save has nothing to ask.
    h.answers = {QMessageBox::Yes};
    h.Execute(ID_FILE_SAVE);
    EXPECT_EQ(test::ReadBytes(path), typed);
    h.messages.clear();
    view->insertPlainText(QStringLiteral("Y"));
    h.Execute(ID_FILE_SAVE);
    EXPECT_TRUE(h.messages.empty());

    // Saving under another name replaces nothing of the changed file's.
    h.answer = QMessageBox::No;
    test::WriteBytes(path, "10 FOURTH\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !h.messages.empty(); }, 5000));
    h.nextFileName = QString::fromStdString(h.dir.file("q.bas"));
    h.messages.clear();
    h.Execute(ID_FILE_SAVE_AS);
    EXPECT_TRUE(h.messages.empty());
    EXPECT_EQ(test::ReadBytes(h.dir.file("q.bas")), view->GetText());
    EXPECT_EQ(test::ReadBytes(path), "10 FOURTH\r\n");
}

TEST(MainWindow, AChangedFileIsAskedAboutWhenItsWindowIsInFront) {
    AppHarness h;
    const std::string aPath = h.dir.file("a.bas");
    const std::string bPath = h.dir.file("b.bas");
    DocumentWindow* a = OpenFile(h, aPath, "10 A\r\n");
    DocumentWindow* b = OpenFile(h, bPath, "10 B\r\n");
    ASSERT_TRUE(a && b);
    ASSERT_EQ(h.Active(), b);
    ASSERT_TRUE(h.BringToFront());
    h.answer = QMessageBox::Yes; // reload

    // A save here replaces the file by renaming, as other editors do: the
    // file is still watched after either.
    b->GetActiveView()->insertPlainText(QStringLiteral("1"));
    h.Execute(ID_FILE_SAVE);
    QTest::qWait(400);
    EXPECT_TRUE(h.messages.empty());
    for (const std::string text : {"10 B2\r\n", "10 B3\r\n"}) {
        const std::size_t before = h.messages.size();
        test::WriteBytes(bPath + ".new", text);
        std::filesystem::rename(bPath + ".new", bPath);
        ASSERT_TRUE(QTest::qWaitFor([&] { return h.messages.size() > before; }, 5000)) << text;
        EXPECT_EQ(b->GetActiveView()->GetText(), text);
    }

    // A file behind another window is asked about when that window comes
    // forward, not over the window the user is working in.
    h.messages.clear();
    test::WriteBytes(aPath, "10 A2\r\n");
    QTest::qWait(600);
    EXPECT_TRUE(h.messages.empty());
    h.Frame().MdiArea()->setActiveSubWindow(a);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !h.messages.empty(); }, 5000));
    EXPECT_TRUE(h.messages[0].text.startsWith(QStringLiteral("a.bas ")));
    EXPECT_EQ(a->GetActiveView()->GetText(), "10 A2\r\n");

    // The same while another program is in front: asked when the main
    // window is active again.
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    h.messages.clear();
    test::WriteBytes(aPath, "10 A3\r\n");
    QTest::qWait(600);
    EXPECT_TRUE(h.messages.empty());
    ASSERT_TRUE(h.BringToFront());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !h.messages.empty(); }, 5000));
    EXPECT_EQ(a->GetActiveView()->GetText(), "10 A3\r\n");
}

// A file the user may not replace, for itself or for its folder, where the
// replacement is made, is saved under another name after a word on why.
TEST(MainWindow, AFileThatMayNotBeReplacedIsSavedUnderAnotherName) {
    AppHarness h;
    const std::string path = h.dir.file("p.bas");
    DocumentWindow* frame = OpenFile(h, path, "10 A\r\n");
    ASSERT_NE(frame, nullptr);
    int prompts = 0;
    h.app->Documents().SetPromptHook([&prompts](DocumentManager::FilePrompt&) {
        ++prompts;
        return false;
    });
    frame->GetActiveView()->insertPlainText(QStringLiteral("1"));
    for (const int passes : {0, 1}) { // the file refused, then its folder
        h.messages.clear();
        {
            const test::ScopedFileFaults refused({"access", 0, passes, EACCES});
            h.Execute(ID_FILE_SAVE);
        }
        ASSERT_EQ(h.messages.size(), 1u) << passes;
        EXPECT_EQ(h.messages[0].text,
                  QStringLiteral("p.bas は書き込みできないため上書きできません。"
                                 "名前を付けて保存してください。"));
        EXPECT_EQ(prompts, passes + 1);
        EXPECT_EQ(test::ReadBytes(path), "10 A\r\n");
        EXPECT_TRUE(frame->GetDocument()->IsModified());
    }
    // Allowed again: replaced in place, nothing asked.
    h.messages.clear();
    h.Execute(ID_FILE_SAVE);
    EXPECT_TRUE(h.messages.empty());
    EXPECT_EQ(prompts, 2);
    EXPECT_EQ(test::ReadBytes(path), frame->GetActiveView()->GetText());
}

TEST(StartUp, SplashGoesAtTheFirstIdleMomentAfterItsTime) {
    AppHarness h({}, {}, 60);
    auto* splash = h.Frame().findChild<SplashDialog*>(QStringLiteral("Splash"));
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(splash->accessibleName(), LoadQString(IDR_MAINFRAME));
    EXPECT_TRUE(h.app->SplashShown());
    EXPECT_EQ(splash->size(), QSize(490, 290));
    EXPECT_EQ(splash->ColorCount(), 256);
    EXPECT_TRUE(h.Frame().isVisible());
    QTest::qWait(150);
    EXPECT_FALSE(h.app->SplashShown());
}

TEST(StartUp, SwitchesAndFilesOnTheCommandLine) {
    test::TempDir dir;
    const std::string prog = dir.file("prog.bas"), notes = dir.file("notes.txt");
    test::WriteBytes(prog, "10 A\r\n");
    test::WriteBytes(notes, "10 B\r\n");
    {
        AppHarness h({}, {QStringLiteral("/Embedding")});
        EXPECT_FALSE(h.app->SplashShown());
        EXPECT_FALSE(h.Frame().isVisible());
        // Never shown: no placement to keep.
        h.app->ExitInstance();
        EXPECT_EQ(WindowPosSetting(ProfileStore(h.iniPath)), "");
    }
    {
        // Each file named opens, as File > Open opens it.
        AppHarness h({}, {QStringLiteral("-automation"), QString::fromStdString(prog),
                          QString::fromStdString(notes)});
        EXPECT_FALSE(h.app->SplashShown());
        EXPECT_TRUE(h.Frame().isVisible());
        QStringList titles;
        for (DocumentWindow* child : h.Frame().Children())
            titles.append(child->ShownTitle());
        EXPECT_EQ(titles, (QStringList{"prog.bas", "notes.txt"}));
        EXPECT_EQ(h.Active()->Template().Kind(), DocKind::Text);
    }
}

TEST(StartUp, StoredWindowPlacementIsAppliedOnAScreen) {
    {
        AppHarness h("[Settings]\r\nWindowPos=0,1,-1,-1,-1,-1,30,40,630,520\r\n");
        EXPECT_EQ(h.Frame().geometry(), QRect(30, 40, 600, 480));
        EXPECT_FALSE(h.Frame().isMaximized());
    }
    {
        // Kept where no screen is any more (a second monitor gone): it comes
        // onto the screen there is, its size kept.
        AppHarness h("[Settings]\r\nWindowPos=0,1,-1,-1,-1,-1,5000,-3000,5600,-2520\r\n");
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_TRUE(screen.contains(h.Frame().geometry())) << h.Frame().geometry().x();
        EXPECT_EQ(h.Frame().size(), QSize(600, 480));
    }
}

TEST(MainWindow, PlacementOffEveryScreenComesOntoTheFirst) {
    const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    const struct {
        QRect kept;
        QRect placed;
    } cases[] = {
        // On the second screen, or mostly off but a hand's breadth of its
        // top on one: as it was.
        {QRect(1700, 100, 600, 480), QRect(1700, 100, 600, 480)},
        {QRect(3136, 10, 600, 480), QRect(3136, 10, 600, 480)},
        // Off every screen, or its top above them: onto the first.
        {QRect(5000, 5000, 600, 480), QRect(1320, 600, 600, 480)},
        {QRect(100, -200, 600, 480), QRect(100, 0, 600, 480)},
        // Larger than the screen: as large as it.
        {QRect(-4000, 0, 4000, 3000), QRect(0, 0, 1920, 1080)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlaceOnScreens(c.kept, screens), c.placed) << c.kept.x() << "," << c.kept.y();
    EXPECT_EQ(PlaceOnScreens(QRect(5000, 5000, 10, 10), {}), QRect(5000, 5000, 10, 10));
}

TEST(MainWindow, WindowPlacementIsKeptAtExitAndReadAgain) {
    // The form the file has always had reads back as it was written.
    WindowPlacement placement;
    const QString old = QStringLiteral("2,3,-32000,-32000,-1,-1,-8,12,1032,780");
    ASSERT_TRUE(ParseWindowPlacement(old, placement));
    EXPECT_EQ(FormatWindowPlacement(placement), old);

    std::string ini;
    {
        AppHarness h("[Settings]\r\nWindowPos=0,1,-1,-1,-1,-1,30,40,630,520\r\n");
        h.Frame().setGeometry(50, 60, 500, 400);
        h.app->ExitInstance();
        EXPECT_EQ(WindowPosSetting(ProfileStore(h.iniPath)), "0,1,-1,-1,-1,-1,50,60,550,460");
        // Maximised: so it is kept, with the rectangle it comes back to.
        h.Frame().showMaximized();
        h.Frame().close();
        h.app->ExitInstance();
        ini = test::ReadBytes(h.iniPath);
        EXPECT_EQ(WindowPosSetting(ProfileStore(h.iniPath)), "0,3,-1,-1,-1,-1,50,60,550,460");
    }
    // Maximised it stays, after the start's second showing too.
    AppHarness h(ini);
    EXPECT_TRUE(h.Frame().isMaximized());
    EXPECT_EQ(h.Frame().normalGeometry(), QRect(50, 60, 500, 400));
    h.Frame().showNormal();
    EXPECT_EQ(h.Frame().geometry(), QRect(50, 60, 500, 400));
}

TEST(MainWindow, NewShowsTheTypeListAndADoubleClickCreates) {
    AppHarness h;
    h.WhenDialogOpens([](QDialog* dialog) {
        auto* list = dialog->findChild<QListWidget*>(QStringLiteral("types"));
        QStringList names;
        for (int i = 0; i < list->count(); ++i)
            names.append(list->item(i)->text());
        EXPECT_EQ(names,
                  (QStringList{"BASIC", "Ｃ言語", "ｱｾﾝﾌﾞﾗ", "CASL", "ﾃｷｽﾄ文書", "DATAﾌｧｲﾙ"}));
        EXPECT_EQ(list->currentRow(), 0);
        emit list->itemDoubleClicked(list->item(3));
    });
    h.Execute(ID_FILE_NEW);
    ASSERT_NE(h.Active(), nullptr);
    EXPECT_EQ(h.Active()->ShownTitle(), QStringLiteral("CASL：無題1"));
}

TEST(MainWindow, FontDialogStoresFaceAndWholePointsAndAppliesToEveryView) {
    AppHarness h;
    h.Execute(ID_NEW_BASIC);
    h.Execute(ID_NEW_DATA);
    QFont chosen(QStringLiteral("IPAGothic"));
    chosen.setPointSize(14);
    QString openedOn;
    bool effectsShown = true;
    h.WhenDialogOpens([&](QDialog* dialog) {
        auto* fonts = static_cast<QFontDialog*>(dialog);
        openedOn = fonts->currentFont().family();
        effectsShown = false;
        for (QWidget* widget : dialog->findChildren<QWidget*>())
            if ((qobject_cast<QCheckBox*>(widget) || qobject_cast<QComboBox*>(widget)) &&
                widget->isVisibleTo(dialog))
                effectsShown = true;
        fonts->setCurrentFont(chosen);
        dialog->accept();
    });
    h.Execute(ID_FONT_SETTINGS);
    // The face that stands in for the stored "ＭＳ ゴシック", not the toolkit's default.
    EXPECT_EQ(openedOn, QStringLiteral("IPAGothic"));
    EXPECT_FALSE(effectsShown);
    EXPECT_EQ(ProfileStore(h.iniPath).GetProfileString("Font", "FaceName", ""), "IPAGothic");
    EXPECT_EQ(ProfileStore(h.iniPath).GetProfileInt("Font", "Size", 0), 14u);
    for (DocumentWindow* child : h.Frame().Children())
        EXPECT_EQ(child->GetActiveView()->font().family(), QStringLiteral("IPAGothic"));

    // A 10.5-point font is stored as 10.
    chosen.setPointSizeF(10.5);
    h.Frame().ApplyEditFont(chosen);
    EXPECT_EQ(ProfileStore(h.iniPath).GetProfileInt("Font", "Size", 0), 10u);
    EXPECT_EQ(h.app->Settings().fontSize, 10);
}

TEST(MainWindow, AFamilyTypedInTheFontDialogComesInItsRegularStyle) {
    // A family with more styles than a regular one, whose regular style is
    // not the first its database lists.
    QString family;
    for (const char* candidate :
         {"DejaVu Sans Mono", "DejaVu Sans", "C059", "Nimbus Mono PS", "Liberation Mono"}) {
        const QStringList styles = QFontDatabase::styles(QString::fromLatin1(candidate));
        if (styles.size() > 1 && styles.front() != QFontInfo(QFont(candidate)).styleName()) {
            family = QString::fromLatin1(candidate);
            break;
        }
    }
    if (family.isEmpty())
        GTEST_SKIP() << "no font family here has styles besides its regular one first";
    const QString regular = QFontInfo(QFont(family)).styleName();
    AppHarness h;
    h.Execute(ID_NEW_BASIC);
    QString typed, style;
    h.WhenDialogOpens([&](QDialog* dialog) {
        auto* fonts = static_cast<QFontDialog*>(dialog);
        // The family list takes the typing (its line shows what it finds).
        for (QListView* list : dialog->findChildren<QListView*>()) {
            auto* model = qobject_cast<QStringListModel*>(list->model());
            if (!model || !model->stringList().contains(QStringLiteral("IPAGothic")))
                continue;
            const int interval = QApplication::keyboardInputInterval();
            QApplication::setKeyboardInputInterval(60000); // however slow the machine
            QTest::keyClicks(list, family);
            QApplication::setKeyboardInputInterval(interval);
        }
        typed = fonts->currentFont().family();
        style = fonts->currentFont().styleName();
        dialog->accept();
    });
    h.Execute(ID_FONT_SETTINGS);
    EXPECT_TRUE(typed.startsWith(family)) << typed.toStdString();
    EXPECT_EQ(style, regular);
    // What the editor shows now is what it shows after the next start.
    EXPECT_EQ(QFontInfo(h.View()->font()).styleName(), regular);
    EXPECT_EQ(h.View()->font().style(), QFont::StyleNormal);
}

TEST(MainWindow, EditorFontStandsInForFacesThisSystemLacks) {
    AppHarness h;
    EXPECT_EQ(h.app->EditFont().pixelSize(), 16); // 12 points
    // "ＭＳ ゴシック" is not installed here: a Japanese font stands in.
    EXPECT_EQ(QFontInfo(h.app->EditFont()).family(), QStringLiteral("IPAGothic"));
}

TEST(StartCommandLine, OpenHelpVersionAndTheFrameworkSwitches) {
    struct Case {
        QStringList arguments;
        QStringList open;
        bool help, version, newInstance, error;
    };
    const Case cases[] = {
        {{}, {}, false, false, false, false},
        // Every file named opens, with --open or without.
        {{"a.bas"}, {"a.bas"}, false, false, false, false},
        {{"/home/u/a.bas", "b c.txt", "/Embedding"},
         {"/home/u/a.bas", "b c.txt"},
         false,
         false,
         false,
         false},
        {{"--", "-a.bas"}, {"-a.bas"}, false, false, false, false},
        {{"--open", "a.bas", "b c.txt"}, {"a.bas", "b c.txt"}, false, false, false, false},
        {{"a.bas", "--open", "/Embedding", "b.bas"},
         {"a.bas", "b.bas"},
         false,
         false,
         false,
         false},
        {{"-Automation", "/embedding"}, {}, false, false, false, false},
        {{"--help"}, {}, true, false, false, false},
        {{"-v"}, {}, false, true, false, false},
        {{"--new-instance", "--open", "x"}, {"x"}, false, false, true, false},
        {{"--frob"}, {}, false, false, false, true},
        // The menu entry's "--open %F" without a file starts the program.
        {{"--open"}, {}, false, false, false, false},
        // Qt's own options are Qt's, with their values; after "--" a name
        // like one is a file.
        {{"-style", "Fusion", "a.bas", "--platform=offscreen", "-reverse"},
         {"a.bas"},
         false,
         false,
         false,
         false},
        {{"-stylesheet", "dark.qss", "--", "-style"}, {"-style"}, false, false, false, false},
        {{"-style"}, {}, false, false, false, false},
    };
    for (const Case& c : cases) {
        const StartCommandLine parsed = ParseStartCommandLine(c.arguments);
        const QString what = c.arguments.join(u' ');
        EXPECT_EQ(parsed.open, c.open) << what.toStdString();
        EXPECT_EQ(parsed.help, c.help) << what.toStdString();
        EXPECT_EQ(parsed.version, c.version) << what.toStdString();
        EXPECT_EQ(parsed.newInstance, c.newInstance) << what.toStdString();
        EXPECT_EQ(!parsed.usageError.isEmpty(), c.error) << what.toStdString();
    }
}

// A later start's hand-over, made on a thread of its own while this one
// serves the link; true when the files were taken.
bool HandOverFromALaterStart(const QString& settings, const QStringList& files) {
    std::future<bool> taken = std::async(
        std::launch::async, [&settings, &files] { return InstanceLink(settings).HandOver(files); });
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return taken.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
        10000));
    return taken.get();
}

// A listener in the link's place that speaks as the program does, greeting
// and saying it took the files, and keeps whatever it hears.
class LinkImpostor {
public:
    explicit LinkImpostor(const QString& name) {
        EXPECT_TRUE(m_server.listen(name)) << name.toStdString();
        QObject::connect(&m_server, &QLocalServer::newConnection, [this] {
            while (QLocalSocket* socket = m_server.nextPendingConnection()) {
                socket->write("tessel-link 1\n");
                QObject::connect(socket, &QLocalSocket::readyRead, [this, socket] {
                    heard += socket->readAll();
                    socket->write("took\n");
                });
            }
        });
    }
    QByteArray heard;

private:
    QLocalServer m_server;
};

TEST(StartCommandLine, ALaterStartHandsItsFilesToTheProgramThatRuns) {
    test::TempDir dir;
    test::TempDir runtime; // private, as the system makes it
    const test::ScopedEnv runtimeDir("XDG_RUNTIME_DIR", runtime.path().c_str());
    const QString settings = QString::fromStdString(dir.file("tessel.INI"));
    InstanceLink running(settings);
    EXPECT_TRUE(running.Name().startsWith(QString::fromStdString(runtime.path() + "/tessel-")))
        << running.Name().toStdString();
    // Nobody runs yet: nothing to hand over.
    EXPECT_FALSE(InstanceLink(settings).HandOver({QStringLiteral("/x.bas")}));
    QList<QStringList> received;
    ASSERT_TRUE(running.Listen([&](const QStringList& files) { received.append(files); }));
    EXPECT_TRUE(HandOverFromALaterStart(settings, {"/a b.bas", "/c.txt"}));
    EXPECT_TRUE(HandOverFromALaterStart(settings, {}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.size() == 2; }, 5000));
    EXPECT_EQ(received[0], (QStringList{"/a b.bas", "/c.txt"}));
    EXPECT_TRUE(received[1].isEmpty());
    // Programs with other settings files are others.
    EXPECT_FALSE(InstanceLink(QString::fromStdString(dir.file("other.INI"))).HandOver({}));
}

TEST(StartCommandLine, FilesNamedGoToTheProgramThatRuns) {
    // The program itself, started where another runs with its settings: it
    // hands over the files, as full paths, and ends without a window.
    test::TempDir dir;
    const QString settings = QString::fromStdString(dir.file("config/tessel/tessel.INI"));
    InstanceLink running(settings);
    QList<QStringList> received;
    ASSERT_TRUE(running.Listen([&](const QStringList& files) { received.append(files); }));
    std::filesystem::create_directory(dir.file("sub"));
    QProcess program;
    program.setWorkingDirectory(QString::fromStdString(dir.path()));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(dir.file("config")));
    env.remove(QStringLiteral("DISPLAY"));
    program.setProcessEnvironment(env);
    program.start(
        QStringLiteral(TESSEL_PATH),
        {QStringLiteral("a.bas"), QStringLiteral("sub/b c.txt"), QStringLiteral("/Embedding")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return program.state() == QProcess::NotRunning; }, 20000));
    EXPECT_EQ(program.exitCode(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !received.isEmpty(); }, 5000));
    EXPECT_EQ(received.front(), (QStringList{QString::fromStdString(dir.file("a.bas")),
                                             QString::fromStdString(dir.file("sub/b c.txt"))}));
}

// What another user could try: listen where the program's link is, first.
TEST(StartCommandLine, NoFileGoesToAListenerThatIsNotThisUsersProgram) {
    test::TempDir dir;
    test::TempDir runtime;
    const QString settings = QString::fromStdString(dir.file("tessel.INI"));
    const QStringList files{QStringLiteral("/home/me/plans.bas")};
    std::optional<test::ScopedEnv> runtimeDir;
    runtimeDir.emplace("XDG_RUNTIME_DIR", runtime.path().c_str());
    const QString name = InstanceLink(settings).Name();

    // One that never answers (or a program from before the answer): it
    // hears nothing, and the start goes on on its own after a moment.
    {
        QLocalServer silent;
        ASSERT_TRUE(silent.listen(name));
        QElapsedTimer timer;
        timer.start();
        EXPECT_FALSE(InstanceLink(settings).HandOver(files));
        EXPECT_LT(timer.elapsed(), 3000);
        ASSERT_TRUE(silent.waitForNewConnection(1000));
        QLocalSocket* socket = silent.nextPendingConnection();
        socket->waitForReadyRead(100);
        EXPECT_EQ(socket->readAll(), QByteArray());
    }

    // One that answers as the program does, but runs as another user.
    {
        LinkImpostor impostor(name);
        sys::Calls calls = sys::RealCalls();
        calls.getsockopt = [](int fd, int level, int option, void* value, socklen_t* size) {
            const int result = sys::RealCalls().getsockopt(fd, level, option, value, size);
            if (result == 0 && option == SO_PEERCRED)
                static_cast<ucred*>(value)->uid += 1;
            return result;
        };
        {
            const test::ScopedCalls otherUser(calls);
            EXPECT_FALSE(HandOverFromALaterStart(settings, files));
            QTest::qWait(50);
            EXPECT_EQ(impostor.heard, QByteArray());
        }
        // (As this user, it would have been believed.)
        EXPECT_TRUE(HandOverFromALaterStart(settings, files));
    }

    // A runtime folder that others may enter is not used: the link is in a
    // private folder of the user's own, and one there hears nothing.
    ASSERT_EQ(::chmod(runtime.path().c_str(), 0755), 0);
    const InstanceLink link(settings);
    const QString folder = QFileInfo(link.Name()).path();
    EXPECT_TRUE(sys::IsPrivateFolder(folder.toStdString())) << folder.toStdString();
    EXPECT_NE(folder.toStdString(), runtime.path());
    LinkImpostor impostor(QString::fromStdString(runtime.path()) + u'/' +
                          QFileInfo(name).fileName());
    EXPECT_FALSE(HandOverFromALaterStart(settings, files));
    EXPECT_EQ(impostor.heard, QByteArray());
    // Unset, it is the same.
    runtimeDir.emplace("XDG_RUNTIME_DIR", nullptr);
    EXPECT_EQ(InstanceLink(settings).Name(), link.Name());
}

TEST(StartCommandLine, HelpVersionAndMistakesNeedNoWindow) {
    test::TempDir dir;
    const auto run = [&](const std::string& arguments) {
        const std::string out = dir.file("out"), err = dir.file("err");
        // No display at all: a window would fail to open.
        const int status =
            std::system(("env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb " +
                         std::string(TESSEL_PATH) + " " + arguments + " >" + out + " 2>" + err)
                            .c_str());
        return std::tuple{WEXITSTATUS(status), test::ReadBytes(out), test::ReadBytes(err)};
    };
    auto [status, out, err] = run("--help");
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.find("Usage: tessel [--open] [FILE...]"), std::string::npos);
    EXPECT_NE(out.find("Settings: "), std::string::npos);
    EXPECT_EQ(err, "");
    std::tie(status, out, err) = run("--version");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out, "tessel " TESSEL_VERSION "\n");
    std::tie(status, out, err) = run("--frob");
    EXPECT_EQ(status, 2);
    EXPECT_EQ(out, "");
    EXPECT_NE(err.find("Usage: tessel"), std::string::npos);
}

// One language at a time: the locale, or the settings file over it, decides
// the program's own texts and Qt's. Each case starts a program of its own.
class LanguageCase {
public:
    explicit LanguageCase(const char* lang) { qputenv("LANG", lang); }
    ~LanguageCase() {
        qputenv("LANG", "C.UTF-8");
        ApplyLanguage(Language::Japanese);
    }
};

// The texts of a real message box, and the buttons of a real open dialog.
struct QtTexts {
    QString text;
    QStringList buttons;
    QStringList openDialog;
};

QtTexts ShowQtDialogs(AppHarness& h) {
    QtTexts texts;
    SetMessageBoxHook({});
    QTimer::singleShot(0, [&texts] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        texts.text = box->text();
        for (QMessageBox::StandardButton button :
             {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
            texts.buttons.append(box->button(button)->text());
        box->button(QMessageBox::Cancel)->click();
    });
    ShowMessageBox({&h.Frame(), LoadQString(AFX_IDS_APP_TITLE),
                    LoadQString(AFX_IDP_ASK_TO_SAVE).arg(QStringLiteral("a.bas")),
                    QMessageBox::Question,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel});
    QFileDialog open(&h.Frame());
    open.setOption(QFileDialog::DontUseNativeDialog);
    open.setAcceptMode(QFileDialog::AcceptOpen);
    for (QPushButton* button : open.findChild<QDialogButtonBox*>()->findChildren<QPushButton*>())
        texts.openDialog.append(button->text());
    texts.openDialog.sort();
    return texts;
}

TEST(Language, MenusMessagesAndQtsOwnDialogsSpeakTheLocalesLanguage) {
    const QStringList japaneseMenus{"ﾌｧｲﾙ(&F)", "通信(&C)", "ツール(&T)", "表示(&V)", "ﾍﾙﾌﾟ(&H)"};
    const QStringList englishMenus{"&File", "&Transfer", "T&ools", "&View", "&Help"};
    const QtTexts japanese{"a.bas への変更を保存しますか?",
                           {"はい(&Y)", "いいえ(&N)", "キャンセル"},
                           {"キャンセル", "開く(&O)"}};
    const QtTexts english{"Save changes to a.bas?", {"&Yes", "&No", "Cancel"}, {"&Open", "Cancel"}};
    const struct {
        const char* lang;
        std::string ini;
        bool english;
    } cases[] = {
        {"en_US.UTF-8", "", true},
        {"ja_JP.UTF-8", "", false},
        {"C", "", false},
        // The setting beats the locale.
        {"ja_JP.UTF-8", "[Misc]\r\nLanguage=en\r\n", true},
        {"en_US.UTF-8", "[Misc]\r\nLanguage=ja\r\n", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.lang) + " " + c.ini);
        LanguageCase language(c.lang);
        AppHarness h(c.ini);
        EXPECT_EQ(MenuTitles(h.Frame()), c.english ? englishMenus : japaneseMenus);
        const QtTexts shown = ShowQtDialogs(h);
        const QtTexts& expected = c.english ? english : japanese;
        EXPECT_EQ(shown.text, expected.text);
        EXPECT_EQ(shown.buttons, expected.buttons);
        EXPECT_EQ(shown.openDialog, expected.openDialog);
    }
}

// The texts of `window` that do not fit the room they were given.
QStringList CutTexts(QWidget* window) {
    QStringList cut;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(window) || widget->window() != window)
            continue;
        QString text;
        int needed = 0;
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            if (label->text().isEmpty())
                continue;
            // A text that wraps needs the height of all its lines.
            if (label->wordWrap()) {
                if (label->height() < label->heightForWidth(label->width()))
                    cut.append(QStringLiteral("%1 (height %2 < %3)")
                                   .arg(label->text())
                                   .arg(label->height())
                                   .arg(label->heightForWidth(label->width())));
                continue;
            }
            text = label->text();
            needed = label->minimumSizeHint().width();
        } else if (auto* push = qobject_cast<QPushButton*>(widget)) {
            text = push->text();
            needed = push->fontMetrics().horizontalAdvance(QString(text).remove(u'&')) + 6;
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget);
                   button &&
                   (qobject_cast<QCheckBox*>(widget) || qobject_cast<QRadioButton*>(widget))) {
            text = button->text();
            needed = button->sizeHint().width();
        } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            text = group->title();
            needed = group->minimumSizeHint().width();
        }
        if (!text.isEmpty() && widget->width() < needed)
            cut.append(QStringLiteral("%1 (%2 < %3)").arg(text).arg(widget->width()).arg(needed));
    }
    return cut;
}

TEST(Language, NoDialogCutsItsTextsInEitherLanguage) {
    for (const char* lang : {"C", "en_US.UTF-8"}) {
        SCOPED_TRACE(lang);
        LanguageCase language(lang);
        AppHarness h;
        ASSERT_TRUE(h.Execute(ID_NEW_BASIC));
        h.View()->insertPlainText(QStringLiteral("10 A"));
        int checked = 0;
        auto check = [&checked](QWidget* window) {
            ++checked;
            EXPECT_EQ(CutTexts(window), QStringList()) << window->windowTitle().toStdString();
        };
        for (const int command : {ID_APP_ABOUT, ID_TAB_STOP, ID_LINENUM_SETTINGS, ID_RENUMBER,
                                  ID_FILE_NEW, ID_PAGE_SETUP, ID_FILE_PRINT_PREVIEW}) {
            h.WhenDialogOpens([&check](QDialog* dialog) {
                check(dialog);
                dialog->reject();
            });
            h.Execute(command);
        }
        for (const int command : {ID_EDIT_FIND, ID_EDIT_REPLACE}) {
            h.Execute(command);
            QApplication::processEvents();
            check(h.Frame().FindReplace());
            h.Frame().FindReplace()->hide();
        }
        ComSettingsDialog settings(h.app->Settings().m_comSettings, &h.Frame());
        TransferDialog transfer(&h.Frame());
        FileSaveDialog save(&h.Frame());
        for (QDialog* dialog : std::initializer_list<QDialog*>{&settings, &transfer, &save}) {
            dialog->show();
            QApplication::processEvents();
            check(dialog);
            dialog->hide();
        }
        EXPECT_EQ(checked, 12);
    }
}

// Every command in the menus has a label in both languages, each with one
// mnemonic, and no two items of a menu share one.
TEST(Language, EveryMenuHasItsLabelsAndDistinctMnemonicsInBothLanguages) {
    for (const CommandInfo& command : Commands()) {
        EXPECT_EQ(std::string_view(command.label).empty(),
                  std::string_view(command.labelEnglish).empty())
            << command.name;
        EXPECT_EQ(std::ranges::count(std::string_view(command.label), '&'),
                  std::ranges::count(std::string_view(command.labelEnglish), '&'))
            << command.name;
        // The prompt and tooltip have the same parts in both languages.
        const std::string_view ja =
            LoadString(static_cast<unsigned>(command.id), Language::Japanese);
        const std::string_view en =
            LoadString(static_cast<unsigned>(command.id), Language::English);
        EXPECT_EQ(ja.empty(), en.empty()) << command.name;
        EXPECT_EQ(std::ranges::count(ja, '\n'), std::ranges::count(en, '\n')) << command.name;
    }
    for (const char* lang : {"C", "en_US.UTF-8"}) {
        SCOPED_TRACE(lang);
        LanguageCase language(lang);
        AppHarness h;
        ASSERT_TRUE(h.Execute(ID_NEW_BASIC));
        QList<QMenu*> menus;
        for (QAction* title : h.Frame().menuBar()->actions())
            menus.append(title->menu());
        menus.append(menus.front()->actions().front()->menu()); // "New"
        for (QMenu* menu : menus) {
            QSet<QChar> mnemonics;
            for (QAction* item : menu->actions()) {
                const QString text = item->text();
                const qsizetype amp = text.indexOf(u'&');
                if (item->isSeparator() || amp < 0 || (text.startsWith(u'&') && text[1].isDigit()))
                    continue;
                const QChar key = text[amp + 1].toLower();
                EXPECT_FALSE(mnemonics.contains(key)) << text.toStdString();
                mnemonics.insert(key);
            }
        }
    }
}

// The program's own catalogue for what Qt draws holds only what Qt's own
// catalogue lacks: no context of Qt's that Qt translates, no text Qt's
// catalogue has, and each of its texts in use.
TEST(Language, TheProgramsQtCatalogueOnlyFillsWhatQtsOwnLacks) {
    QTranslator qt;
    ASSERT_TRUE(
        qt.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
    QTranslator program;
    ASSERT_TRUE(program.load(QStringLiteral("tessel_ja"), QStringLiteral(":/i18n")));
    const QStringList qtsOwn = {"QPlatformTheme", "QFileDialog", "QMessageBox", "QFontDialog",
                                "QPrintDialog"};
    int messages = 0;
    for (const auto& file : std::filesystem::recursive_directory_iterator(TESSEL_SOURCE_DIR)) {
        if (file.path().extension() != ".ts" ||
            file.path().string().find("/build") != std::string::npos)
            continue;
        QFile ts(QString::fromStdString(file.path().string()));
        ASSERT_TRUE(ts.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&ts);
        QString context, source, comment;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == u"name")
                context = xml.readElementText();
            else if (xml.isStartElement() && xml.name() == u"source")
                source = xml.readElementText();
            else if (xml.isStartElement() && xml.name() == u"comment")
                comment = xml.readElementText();
            else if (xml.isEndElement() && xml.name() == u"message") {
                ++messages;
                const QByteArray c = context.toUtf8(), s = source.toUtf8(), d = comment.toUtf8();
                EXPECT_FALSE(qtsOwn.contains(context)) << c.constData();
                EXPECT_TRUE(qt.translate(c, s, d.isEmpty() ? nullptr : d.constData()).isEmpty())
                    << c.constData() << " " << s.constData();
                EXPECT_FALSE(
                    program.translate(c, s, d.isEmpty() ? nullptr : d.constData()).isEmpty())
                    << c.constData() << " " << s.constData();
                comment.clear();
            }
        }
        EXPECT_FALSE(xml.hasError()) << file.path();
    }
    EXPECT_GT(messages, 0);

    // In use: the type column of the file dialogs.
    test::TempDir dir;
    const QFileInfo folder(QString::fromStdString(dir.path()));
    for (const char* lang : {"C", "en_US.UTF-8"}) {
        LanguageCase language(lang);
        AppHarness h;
        EXPECT_EQ(QFileIconProvider().type(folder), std::string_view(lang) == "C"
                                                        ? QStringLiteral("フォルダ")
                                                        : QStringLiteral("Folder"));
    }
}

// Keys as the window system delivers them: to the window's focus widget,
// and to nobody while a modal window blocks it.
void TypeInto(QWindow* window, const QString& text) {
    for (const char32_t c : text.toUcs4()) {
        const QString one = QString::fromUcs4(&c, 1);
        const int key = c < 0x80 ? one.toUpper().at(0).unicode() : 0;
        qt_handleKeyEvent(window, QEvent::KeyPress, key, Qt::NoModifier, one);
        qt_handleKeyEvent(window, QEvent::KeyRelease, key, Qt::NoModifier, one);
    }
}

// A typed character that code page 932 has not is refused in the status bar,
// in the program's language, with no box to take the key typed right after.
// A paste is refused in a box.
TEST(Language, ARefusedKeyIsSaidInTheStatusBarAndTheKeyAfterItTypes) {
    const struct {
        const char* lang;
        const char* refusal;
    } cases[] = {
        {"C", "「é」(U+00E9) はコード ページ 932 (シフト JIS) にない文字のため、この文書には入れ"
              "られません。"},
        {"en_US.UTF-8",
         "「é」(U+00E9) has no code in code page 932 (Shift JIS), so it cannot go into this "
         "document."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lang);
        LanguageCase language(c.lang);
        AppHarness h;
        ASSERT_TRUE(h.Execute(ID_NEW_BASIC));
        h.Frame().show();
        h.View()->setFocus();
        // A box that opened would be answered, and said, after a while.
        SetMessageBoxHook({});
        QStringList boxes;
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&boxes] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxes.append(box->text());
                box->button(QMessageBox::Ok)->click();
            }
        });
        closer.start(200);
        QWindow* window = h.Frame().windowHandle();
        TypeInto(window, QStringLiteral("10 PRINT \"caf"));
        // The closing quote comes while the refused key is being handled.
        QTimer::singleShot(0, [window] { TypeInto(window, QStringLiteral("\"")); });
        TypeInto(window, QStringLiteral("é"));
        QTest::qWait(400);
        EXPECT_EQ(h.View()->GetText(), "10 PRINT \"caf\"");
        EXPECT_EQ(boxes, QStringList());
        EXPECT_EQ(h.Frame().statusBar()->currentMessage(), QString::fromUtf8(c.refusal));
        // The NUL's own mark, which would save as a NUL byte.
        TypeInto(window, QStringLiteral("\u2400"));
        EXPECT_TRUE(h.Frame().statusBar()->currentMessage().contains(QStringLiteral("NUL")));
        EXPECT_EQ(h.View()->GetText(), "10 PRINT \"caf\"");

        // A paste says it in a box.
        h.messages.clear();
        SetMessageBoxHook([&h](const MessageBoxRequest& request) {
            h.messages.push_back(request);
            return QMessageBox::Ok;
        });
        QApplication::clipboard()->setText(QStringLiteral("café"));
        h.Execute(ID_EDIT_PASTE);
        ASSERT_EQ(h.messages.size(), 1u);
        EXPECT_EQ(h.messages[0].text, QString::fromUtf8(c.refusal));
        EXPECT_EQ(h.View()->GetText(), "10 PRINT \"caf\"");
    }
}

// Without Qt's catalogue the program's own texts still come in Japanese, and
// what Qt draws stays in English.
TEST(Language, WithoutQtsCatalogueTheProgramsTextsStayJapanese) {
    AppHarness h;
    EXPECT_FALSE(ApplyLanguage(Language::Japanese, QStringLiteral("/nonexistent")));
    EXPECT_EQ(LoadQString(AFX_IDS_IDLEMESSAGE), QStringLiteral("ﾚﾃﾞｨ"));
    QMessageBox box(QMessageBox::Question, {}, {}, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QStringLiteral("&Yes"));
    EXPECT_TRUE(ApplyLanguage(Language::Japanese));
    QMessageBox translated(QMessageBox::Question, {}, {}, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(translated.button(QMessageBox::Yes)->text(), QStringLiteral("はい(&Y)"));
    EXPECT_TRUE(QtCataloguePath(Language::Japanese).endsWith(QStringLiteral("/qtbase_ja.qm")));
    EXPECT_EQ(QtCataloguePath(Language::English), QString());
}
} // namespace
} // namespace tessel

#include "MainWindowTest.moc"
