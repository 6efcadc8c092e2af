#pragma once

#include "ui/CommandTarget.h"

#include <QMainWindow>
#include <QRect>

#include <functional>
#include <optional>

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;

namespace tessel {

class DocumentWindow;
class DocumentType;
class FindReplaceDialog;
class Application;
class EditorView;
class ReferencesDock;
class ProblemsDock;
struct MenuInfo;
enum class FindDialogMode;

// The stored placement of the main window ("Settings"/"WindowPos").
struct WindowPlacement {
    unsigned flags = 0;
    unsigned showCmd = 0;
    QPoint minPosition;
    QPoint maxPosition;
    QRect normalPosition; // left, top, right, bottom as stored
};

// Parses "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d"; false unless exactly ten numbers.
bool ParseWindowPlacement(const QString& text, WindowPlacement& placement);
// The text that ParseWindowPlacement reads back as `placement`.
QString FormatWindowPlacement(const WindowPlacement& placement);

// Where a window kept at `rect` goes on screens whose free areas are
// `screens`: at `rect` while the strip along its top (its menu bar, just
// below the caption) shows far enough on one of them to take hold of; else
// moved onto the first of them, and made smaller where larger than it.
QRect PlaceOnScreens(const QRect& rect, const QList<QRect>& screens);

// Where a new document window goes in a client area of `area`, `index`
// windows having been opened before it: cascaded from the top left, each one
// `step` (the height of a caption) further right and down, and back at the
// top left after as many steps as fit into a third of the area; all of one
// size, the area less the whole cascade, so that the last of them still ends
// inside it. Empty for an empty area (the toolkit then places the window).
QRect CascadeRect(QSize area, int step, int index);

// The main window: the document windows, menus, toolbar and status bar, and
// the settings commands that apply to every open view.
class MainWindow : public QMainWindow, public CommandTarget {
    Q_OBJECT

public:
    explicit MainWindow(Application& app);
    ~MainWindow() override;

    // Builds the bars and menus; false when they could not be made.
    bool OnCreate();
    // Shows the window with the placement stored in the settings, if any;
    // one off every screen comes back onto the first.
    void InitialShowWindow(int showCommand);
    bool ReadWindowPlacement(WindowPlacement& placement) const;
    // The placement to keep at exit: the window's now (its normal rectangle,
    // maximised or not), or as it was when it closed; none while it has never
    // been shown (started with /Embedding).
    std::optional<WindowPlacement> PlacementToStore() const;

    QMdiArea* MdiArea() const { return m_mdiArea; }
    void AddChild(DocumentWindow* frame);
    DocumentWindow* ActiveChild() const;
    QList<DocumentWindow*> Children() const;
    // The open window of the file at `path`, if any, however either path
    // reaches the file (through symbolic links too).
    DocumentWindow* FindChild(const QString& path) const;

    // Receive into a new text document, or a new DATA document.
    void OnTextReceive();
    void OnDataReceive();
    void OnTabStop();
    void OnLineNumSettings();
    void OnFontSettings();
    // Makes `font` the editor font: stored in the settings, given to every view.
    void ApplyEditFont(const QFont& font);
    // The find and replace commands: the one dialog, shown in `mode`, and
    // the last search again (the dialog when there has been none).
    void OpenFindReplace(FindDialogMode mode);
    void FindAgain();
    FindReplaceDialog* FindReplace() const { return m_findReplace; }
    // The list of who refers to what (Shift+F12).
    ReferencesDock* References() const { return m_references; }
    // The view of the document window that is active, or was the last to be
    // while another window (such as the find dialog) has the focus.
    EditorView* CurrentView() const;

    // Gives every open editor view a setting.
    void ApplyToEveryView(const std::function<void(EditorView&)>& apply);

    // Rebuilds the menus for the current state and the title.
    void UpdateFrame();

    // Ctrl+F6: the window just behind the active one comes forward, and the
    // active one goes behind all others, so that the windows take turns.
    void ActivateNextWindow();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The commands of the frame: receiving, the settings that apply to every
    // view, the bars, colours and the document windows.
    void AddCommandRows();
    // The bars and menus, made from the command table's lists
    // (MainWindowMenus.cpp).
    void BuildMenus(bool documentOpen);
    void BuildToolBar();
    void BuildStatusBar();
    QMenu* AddMenu(const MenuInfo& menu);
    void FillRecentFiles(QMenu* menu);
    void FillWindowList(QMenu* menu);
    void Receive(DocumentType* docTemplate);
    // The message pane's idle text, once no menu is open any more (while one
    // is, a command without a prompt leaves the pane empty).
    void ShowIdleMessage();

    WindowPlacement CurrentPlacement() const;

    Application& m_app;
    QMdiArea* m_mdiArea;
    QToolBar* m_toolBar = nullptr;
    QLabel* m_idleLabel = nullptr;
    FindReplaceDialog* m_findReplace = nullptr; // made on first use, owned as a child
    ReferencesDock* m_references = nullptr;     // owned as a child
    ProblemsDock* m_problems = nullptr;         // owned as a child
    bool m_menusForDocument = false;
    bool m_menusBuilt = false;
    int m_childrenOpened = 0; // document windows opened so far, for their placement
    std::optional<WindowPlacement> m_closedPlacement;
};

} // namespace tessel
