#include "app/MainWindow.h"

#include "app/Application.h"
#include "app/CommandRouter.h"
#include "app/CommandTable.h"
#include "app/DocumentWindow.h"
#include "app/ToolbarIcons.h"
#include "res/StringTable.h"
#include "settings/AppSettings.h"
#include "ui/CommandIds.h"
#include "ui/MessageBox.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <algorithm>

// The main window's menus, toolbar and status bar, made from the command
// table's lists, and the lists in its menus that change as the program runs
// (the recent files, the document windows).

namespace tessel {
namespace {

// A path shortened for the recent-file list: at most 30 characters, with
// the start of the folder left out first.
QString AbbreviatePath(const QString& path) {
    constexpr qsizetype kMax = 30;
    if (path.size() <= kMax)
        return path;
    const QString name = QFileInfo(path).fileName();
    if (name.size() + 4 >= kMax)
        return name;
    return QStringLiteral("...") + path.right(kMax - 3);
}

} // namespace

void MainWindow::BuildToolBar() {
    m_toolBar = addToolBar(LoadQString(IDS_TOOLBAR_STANDARD));
    m_toolBar->setObjectName(QStringLiteral("ToolBar"));
    m_toolBar->setIconSize(QSize(16, 15));
    for (const int id : ToolbarCommands()) {
        if (id == kSeparator) {
            m_toolBar->addSeparator();
            continue;
        }
        QAction* action = m_app.Router().Action(id);
        if (action->icon().isNull())
            action->setIcon(ToolbarIcon(id));
        // A command of the toolbar alone (New) has no menu label: its tip
        // names the button for assistive tools.
        if (action->text().isEmpty())
            action->setText(action->toolTip());
        m_toolBar->addAction(action);
    }
}

void MainWindow::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    m_idleLabel = new QLabel(LoadQString(AFX_IDS_IDLEMESSAGE), bar);
    m_idleLabel->setObjectName(QStringLiteral("IdleMessage"));
    bar->addWidget(m_idleLabel, 1);
    for (unsigned id :
         {ID_INDICATOR_KANA, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL}) {
        auto* indicator = new QLabel(LoadQString(id), bar);
        indicator->setEnabled(false); // the lock states are not known here
        indicator->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addPermanentWidget(indicator);
    }
}

QMenu* MainWindow::AddMenu(const MenuInfo& info) {
    QMenu* menu = menuBar()->addMenu(LoadQString(info.title));
    for (const int id : info.items) {
        if (id == kSeparator) {
            menu->addSeparator();
        } else if (id == kNewSubmenu) {
            QMenu* sub = menu->addMenu(LoadQString(IDS_MENU_NEW));
            for (const int newId : NewMenuCommands())
                sub->addAction(m_app.Router().Action(newId));
        } else if (id == kRecentFiles) {
            menu->addAction(m_app.Router().Action(ID_FILE_MRU_FILE1));
            FillRecentFiles(menu);
            connect(menu, &QMenu::aboutToShow, this, [this, menu] { FillRecentFiles(menu); });
        } else if (id == kWindowList) {
            menu->setObjectName(QStringLiteral("WindowMenu"));
            connect(menu, &QMenu::aboutToShow, this, [this, menu] { FillWindowList(menu); });
        } else {
            menu->addAction(m_app.Router().Action(id));
        }
    }
    connect(menu, &QMenu::aboutToShow, &m_app.Router(), &CommandRouter::UpdateActions);
    // While a menu is open the pane shows the prompt of the item under the
    // mouse, and nothing for an item that has none.
    connect(menu, &QMenu::aboutToShow, m_idleLabel, &QLabel::clear);
    connect(menu, &QMenu::aboutToHide, this,
            [this] { QTimer::singleShot(0, this, &MainWindow::ShowIdleMessage); });
    return menu;
}

void MainWindow::ShowIdleMessage() {
    // Moving from one menu of the bar to the next closes one and opens the
    // other: the pane stays empty.
    if (!qobject_cast<QMenu*>(QApplication::activePopupWidget()))
        m_idleLabel->setText(LoadQString(AFX_IDS_IDLEMESSAGE));
}

void MainWindow::BuildMenus(bool documentOpen) {
    menuBar()->clear();
    for (const MenuInfo& menu : MenuBar(documentOpen))
        AddMenu(menu);
}

void MainWindow::FillRecentFiles(QMenu* menu) {
    // The list stands where its first entry stands, one entry a file, or one
    // disabled placeholder while it is empty: the menu holds no hidden
    // entries (assistive tools and some menu bars would show them).
    const auto isRecentFile = [this](const QAction* action) {
        for (int i = 0; i < kRecentFileCount; ++i)
            if (action == m_app.Router().Action(ID_FILE_MRU_FILE1 + i))
                return true;
        return false;
    };
    const QList<QAction*> items = menu->actions();
    QAction* after = nullptr; // the item after the list
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (!isRecentFile(items[i]))
            continue;
        after = i + 1 < items.size() ? items[i + 1] : nullptr;
        menu->removeAction(items[i]);
    }
    const QStringList& files = m_app.RecentFiles();
    const qsizetype count = std::clamp<qsizetype>(files.size(), 1, kRecentFileCount);
    for (int i = 0; i < count; ++i) {
        QAction* action = m_app.Router().Action(ID_FILE_MRU_FILE1 + i);
        action->setText(
            i < files.size()
                ? QStringLiteral("&%1 %2").arg(i + 1).arg(AbbreviatePath(files[i]))
                : QString::fromUtf8(CommandLabel(*FindCommand(ID_FILE_MRU_FILE1)).data()));
        action->setVisible(true);
        menu->insertAction(after, action);
    }
    m_app.Router().UpdateActions();
}

void MainWindow::FillWindowList(QMenu* menu) {
    // Drop the list from the last time, then list the windows as they are now.
    const QList<QAction*> actions = menu->actions();
    for (QAction* action : actions) {
        if (action->property("windowList").toBool()) {
            menu->removeAction(action);
            action->deleteLater();
        }
    }
    const QList<QMdiSubWindow*> windows = m_mdiArea->subWindowList();
    if (windows.isEmpty())
        return;
    QAction* separator = menu->addSeparator();
    separator->setProperty("windowList", true);
    int number = 1;
    for (QMdiSubWindow* window : windows) {
        auto* child = qobject_cast<DocumentWindow*>(window);
        const QString title = child ? child->ShownTitle() : window->windowTitle();
        QAction* action = menu->addAction(QStringLiteral("&%1 %2").arg(number++).arg(title));
        action->setProperty("windowList", true);
        // A check mark on the active window; the others have no box at all.
        const bool active = window == m_mdiArea->currentSubWindow();
        action->setCheckable(active);
        action->setChecked(active);
        connect(action, &QAction::triggered, this,
                [this, window] { m_mdiArea->setActiveSubWindow(window); });
    }
}

} // namespace tessel
