#include "app/MainWindow.h"

#include "app/Application.h"
#include "app/CommandRouter.h"
#include "app/CommandTable.h"
#include "app/DocumentManager.h"
#include "app/DocumentWindow.h"
#include "app/LineNumberDialog.h"
#include "app/ProblemsDock.h"
#include "app/ReferencesDock.h"
#include "app/TabStopDialog.h"
#include "doc/Document.h"
#include "encoding/Cp932.h"
#include "res/StringTable.h"
#include "settings/AppSettings.h"
#include "ui/CommandIds.h"
#include "ui/MessageBox.h"
#include "view/EditorView.h"
#include "view/FindReplaceDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QMdiArea>
#include <QScreen>
#include <QStatusBar>
#include <QStringListModel>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>

namespace tessel {
namespace {

// Show commands of a stored placement.
constexpr unsigned kShowNormal = 1;
constexpr unsigned kShowMinimized = 2;
constexpr unsigned kShowMaximized = 3;

// Names one file however it is reached (symbolic links, "..", "."): its
// canonical path, or for a file that does not exist (yet) its absolute path.
QString SameFileKey(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

// Selects the regular style of `family` in the font dialog's list of its
// styles: the one the editor font has when made from the face alone.
void SelectRegularStyle(QFontDialog& dialog, const QString& family) {
    const QStringList styles = QFontDatabase::styles(family);
    const qsizetype row = styles.indexOf(QFontInfo(QFont(family)).styleName());
    if (row < 0)
        return;
    for (QListView* list : dialog.findChildren<QListView*>()) {
        auto* model = qobject_cast<QStringListModel*>(list->model());
        if (model && model->stringList() == styles && list->currentIndex().row() != row)
            list->setCurrentIndex(model->index(static_cast<int>(row)));
    }
}

// In `dialog`, a family chosen (typed, or clicked) comes in its regular
// style, as the editor font comes at the next start. Left to itself the
// dialog keeps the style of the family before where it can, else takes its
// list's first: typing "DejaVu Sans Mono" passes through other families on
// the way and ends on an oblique style.
void TakeRegularStyleOfEachFamily(QFontDialog& dialog) {
    auto family = std::make_shared<QString>(dialog.currentFont().family());
    QObject::connect(&dialog, &QFontDialog::currentFontChanged, &dialog,
                     [&dialog, family](const QFont& font) {
                         // A style or size of the same family stays as chosen.
                         if (font.family() == *family)
                             return;
                         *family = font.family();
                         SelectRegularStyle(dialog, *family);
                     });
}

} // namespace

bool ParseWindowPlacement(const QString& text, WindowPlacement& placement) {
    const QStringList parts = text.split(u',');
    if (text.trimmed().isEmpty() || parts.size() != 10)
        return false;
    // The flags and show command are unsigned, the coordinates signed; a
    // right or bottom edge loses one, so INT_MIN is no edge.
    long long values[10];
    for (int i = 0; i < 10; ++i) {
        bool ok = false;
        values[i] = parts[i].trimmed().toLongLong(&ok);
        const long long low = i < 2 ? 0 : i < 8 ? INT_MIN : INT_MIN + 1LL;
        const long long high = i < 2 ? UINT_MAX : INT_MAX;
        if (!ok || values[i] < low || values[i] > high)
            return false;
    }
    placement.flags = static_cast<unsigned>(values[0]);
    placement.showCmd = static_cast<unsigned>(values[1]);
    placement.minPosition = QPoint(static_cast<int>(values[2]), static_cast<int>(values[3]));
    placement.maxPosition = QPoint(static_cast<int>(values[4]), static_cast<int>(values[5]));
    placement.normalPosition =
        QRect(QPoint(static_cast<int>(values[6]), static_cast<int>(values[7])),
              QPoint(static_cast<int>(values[8]) - 1, static_cast<int>(values[9]) - 1));
    return true;
}

QString FormatWindowPlacement(const WindowPlacement& placement) {
    const QRect& normal = placement.normalPosition;
    return QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8,%9,%10")
        .arg(placement.flags)
        .arg(placement.showCmd)
        .arg(placement.minPosition.x())
        .arg(placement.minPosition.y())
        .arg(placement.maxPosition.x())
        .arg(placement.maxPosition.y())
        .arg(normal.left())
        .arg(normal.top())
        .arg(static_cast<long long>(normal.right()) + 1)
        .arg(static_cast<long long>(normal.bottom()) + 1);
}

QRect PlaceOnScreens(const QRect& rect, const QList<QRect>& screens) {
    if (screens.isEmpty() || rect.isEmpty())
        return rect;
    // Enough to take hold of: a piece of its top strip this wide.
    constexpr int kHoldWidth = 64;
    constexpr int kStripHeight = 32;
    const QRect strip(rect.topLeft(), QSize(rect.width(), std::min(rect.height(), kStripHeight)));
    for (const QRect& screen : screens) {
        const QRect shown = screen.intersected(strip);
        if (!shown.isEmpty() && shown.width() >= std::min(rect.width(), kHoldWidth) &&
            shown.top() == strip.top())
            return rect;
    }
    const QRect& screen = screens.front();
    const QSize size = rect.size().boundedTo(screen.size());
    const int left = std::clamp(rect.left(), screen.left(), screen.right() + 1 - size.width());
    const int top = std::clamp(rect.top(), screen.top(), screen.bottom() + 1 - size.height());
    return {QPoint(left, top), size};
}

QRect CascadeRect(QSize area, int step, int index) {
    if (area.isEmpty() || step <= 0 || index < 0)
        return {};
    // Steps beyond the first place, as many as fit into a third of the area.
    const int steps = std::min(area.width(), area.height()) / (3 * step);
    const int offset = step * (index % (steps + 1));
    return {QPoint(offset, offset),
            QSize(area.width() - steps * step, area.height() - steps * step)};
}

MainWindow::MainWindow(Application& app) : m_app(app), m_mdiArea(new QMdiArea(this)) {
    setObjectName(QStringLiteral("MainWindow"));
    setCentralWidget(m_mdiArea);
    setAcceptDrops(false);
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, [this] { UpdateFrame(); });
    AddCommandRows();
}

MainWindow::~MainWindow() {
    // The windows go with the widget base, when this is no frame any more:
    // they must not call back into it.
    m_mdiArea->disconnect(this);
    for (QMdiSubWindow* window : findChildren<QMdiSubWindow*>())
        window->disconnect(this);
}

bool MainWindow::OnCreate() {
    BuildToolBar();
    BuildStatusBar();
    m_references = new ReferencesDock([this] { return CurrentView(); }, m_app, this);
    addDockWidget(Qt::BottomDockWidgetArea, m_references);
    m_references->hide();
    m_problems = new ProblemsDock(*this, m_app);
    // Both lists below the documents, one tab each when both are shown.
    tabifyDockWidget(m_references, m_problems);
    m_references->AddCommandRows(Rows());
    m_problems->AddCommandRows(Rows());
    // Every command's keys work whichever menu is shown.
    for (const CommandInfo& command : Commands())
        addAction(m_app.Router().Action(command.id));
    UpdateFrame();
    return m_toolBar != nullptr && statusBar() != nullptr;
}

void MainWindow::UpdateFrame() {
    const bool documentOpen = !m_mdiArea->subWindowList().isEmpty();
    if (!m_menusBuilt || documentOpen != m_menusForDocument) {
        BuildMenus(documentOpen);
        m_menusForDocument = documentOpen;
        m_menusBuilt = true;
    }
    QString title = LoadQString(IDR_MAINFRAME);
    DocumentWindow* child = ActiveChild();
    if (child)
        title += QStringLiteral(" - ") + child->windowTitle(); // with its mark's place
    setWindowTitle(title);
    setWindowModified(child && child->isWindowModified());
    if (m_findReplace)
        m_findReplace->UpdateControls();
    if (m_problems)
        m_problems->Follow(CurrentView());
    m_app.Router().ScheduleUpdate();
}

void MainWindow::AddChild(DocumentWindow* frame) {
    m_mdiArea->addSubWindow(frame);
    // Cascaded, one caption apart, at a size to work in.
    QStyleOptionTitleBar caption;
    caption.initFrom(frame);
    const int step = frame->style()->pixelMetric(QStyle::PM_TitleBarHeight, &caption, frame) +
                     frame->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, frame);
    const QRect place = CascadeRect(m_mdiArea->viewport()->size(), step, m_childrenOpened++);
    if (!place.isEmpty())
        frame->setGeometry(place);
    connect(frame, &QObject::destroyed, this, [this] { UpdateFrame(); });
    connect(frame, &QWidget::windowTitleChanged, this, [this] { UpdateFrame(); });
    connect(frame->GetActiveView(), &QPlainTextEdit::modificationChanged, this,
            [this] { UpdateFrame(); });
}

void MainWindow::ActivateNextWindow() {
    // Bottom to top: the active window is the topmost, the next the one
    // just behind it.
    const QList<QMdiSubWindow*> stack = m_mdiArea->subWindowList(QMdiArea::StackingOrder);
    QMdiSubWindow* active = m_mdiArea->currentSubWindow();
    const qsizetype at = stack.indexOf(active);
    if (stack.size() < 2 || at < 0)
        return;
    m_mdiArea->setActiveSubWindow(stack[(at + stack.size() - 1) % stack.size()]);
    active->lower();
}

DocumentWindow* MainWindow::ActiveChild() const {
    // The current one stays current while another window of the program
    // (a modeless dialog) has the focus.
    return qobject_cast<DocumentWindow*>(m_mdiArea->currentSubWindow());
}

EditorView* MainWindow::CurrentView() const {
    DocumentWindow* child = ActiveChild();
    return child ? child->GetActiveView() : nullptr;
}

void MainWindow::OpenFindReplace(FindDialogMode mode) {
    if (!m_findReplace)
        m_findReplace = new FindReplaceDialog([this] { return CurrentView(); }, this);
    m_findReplace->Open(mode);
}

void MainWindow::FindAgain() {
    if (m_findReplace && m_findReplace->HasSearchText())
        m_findReplace->FindNext();
    else
        OpenFindReplace(FindDialogMode::Find);
}

QList<DocumentWindow*> MainWindow::Children() const {
    QList<DocumentWindow*> children;
    for (QMdiSubWindow* window : m_mdiArea->subWindowList())
        if (auto* child = qobject_cast<DocumentWindow*>(window))
            children.append(child);
    return children;
}

DocumentWindow* MainWindow::FindChild(const QString& path) const {
    const QString key = SameFileKey(path);
    for (DocumentWindow* child : Children()) {
        const std::string& own = child->GetDocument()->GetPathName();
        if (!own.empty() && SameFileKey(QFile::decodeName(own.c_str())) == key)
            return child;
    }
    return nullptr;
}

bool MainWindow::ReadWindowPlacement(WindowPlacement& placement) const {
    const std::string text = WindowPosSetting(m_app.Profile());
    return ParseWindowPlacement(QString::fromStdString(text), placement);
}

WindowPlacement MainWindow::CurrentPlacement() const {
    WindowPlacement placement;
    // Minimised, it comes back as it was before: maximised or not.
    placement.showCmd = isMaximized() ? kShowMaximized : kShowNormal;
    placement.minPosition = placement.maxPosition = QPoint(-1, -1);
    placement.normalPosition = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    return placement;
}

std::optional<WindowPlacement> MainWindow::PlacementToStore() const {
    if (isVisible())
        return CurrentPlacement();
    return m_closedPlacement;
}

void MainWindow::InitialShowWindow(int showCommand) {
    WindowPlacement placement;
    if (!ReadWindowPlacement(placement)) {
        if (showCommand != 0)
            show();
        return;
    }
    unsigned show = placement.showCmd;
    if (showCommand != static_cast<int>(kShowNormal))
        show = static_cast<unsigned>(showCommand);
    QList<QRect> screens;
    if (const QScreen* primary = QGuiApplication::primaryScreen())
        screens.append(primary->availableGeometry());
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen != QGuiApplication::primaryScreen())
            screens.append(screen->availableGeometry());
    setGeometry(PlaceOnScreens(placement.normalPosition, screens));
    if (show == 0)
        return;
    if (show == kShowMinimized || show == 6 || show == 7)
        showMinimized();
    else if (show == kShowMaximized)
        showMaximized();
    else
        showNormal();
}

void MainWindow::AddCommandRows() {
    const auto documentOpen = [this] { return !m_mdiArea->subWindowList().isEmpty(); };
    Rows()
        .Add(ID_TEXT_RECEIVE, [this] { OnTextReceive(); }) // with no document open too
        .Add(ID_DATA_RECEIVE, [this] { OnDataReceive(); })
        .Add(
            ID_TAB_STOP, [this] { OnTabStop(); }, documentOpen)
        .Add(ID_LINENUM_SETTINGS, [this] { OnLineNumSettings(); })
        .Add(ID_FONT_SETTINGS, [this] { OnFontSettings(); })
        .AddCheck(
            ID_VIEW_TOOLBAR, [this] { m_toolBar->setVisible(!m_toolBar->isVisible()); },
            [this] { return m_toolBar->isVisible(); })
        .AddCheck(
            ID_VIEW_STATUS_BAR, [this] { statusBar()->setVisible(!statusBar()->isVisible()); },
            [this] { return statusBar()->isVisible(); })
        .AddCheck(
            ID_VIEW_COLORS,
            [this] {
                const bool colored = !m_app.Settings().colors;
                m_app.Settings().colors = colored;
                m_app.StoreSettings(SettingGroup::Colors);
                ApplyToEveryView([colored](EditorView& view) { view.SetColored(colored); });
            },
            [this] { return m_app.Settings().colors; })
        .Add(ID_WINDOW_CASCADE, [this] { m_mdiArea->cascadeSubWindows(); })
        .Add(ID_WINDOW_TILE_HORZ, [this] { m_mdiArea->tileSubWindows(); })
        .Add(ID_WINDOW_ARRANGE, {}) // minimised windows arrange themselves
        .Add(
            ID_WINDOW_NEXT, [this] { ActivateNextWindow(); }, documentOpen);
}

void MainWindow::ApplyToEveryView(const std::function<void(EditorView&)>& apply) {
    for (DocumentWindow* child : Children())
        apply(*child->GetActiveView());
}

void MainWindow::OnTextReceive() {
    Receive(m_app.m_textType);
}

void MainWindow::OnDataReceive() {
    Receive(m_app.m_dataType);
}

void MainWindow::Receive(DocumentType* docTemplate) {
    if (!docTemplate)
        return;
    DocumentWindow* frame = m_app.Documents().CreateNewDocument(*docTemplate);
    if (frame && !frame->GetActiveView()->DoReceive())
        frame->CloseDocument();
}

void MainWindow::OnTabStop() {
    TabStopDialog dialog(m_app.Settings().tabStop, this);
    const std::optional<unsigned> chosen = dialog.Choose();
    if (!chosen)
        return;
    const unsigned width = *chosen;
    m_app.Settings().tabStop = width;
    m_app.StoreSettings(SettingGroup::TabStop);
    ApplyToEveryView([width](EditorView& view) { view.SetTabStops(width); });
}

void MainWindow::OnLineNumSettings() {
    LineNumberDialog dialog({m_app.Settings().startLine, m_app.Settings().lineStep}, this);
    const std::optional<LineNumbering> chosen = dialog.Choose();
    if (!chosen)
        return;
    m_app.Settings().startLine = chosen->startLine;
    m_app.Settings().lineStep = chosen->lineStep;
    m_app.StoreSettings(SettingGroup::LineNumbers);
}

void MainWindow::OnFontSettings() {
    // It opens on the face the editor shows: the stored one, or the one that
    // stands in for it on this machine.
    QFont current = m_app.EditFont();
    current.setFamily(QFontInfo(current).family());
    QFontDialog dialog(current, this);
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    // A face and a size, no effects: the editor has no underline, strike-out
    // or writing system to choose.
    for (QGroupBox* group : dialog.findChildren<QGroupBox*>())
        if (!group->findChildren<QCheckBox*>().isEmpty())
            group->hide();
    for (QComboBox* writingSystem : dialog.findChildren<QComboBox*>()) {
        writingSystem->hide();
        for (QLabel* label : dialog.findChildren<QLabel*>())
            if (label->buddy() == writingSystem)
                label->hide();
    }
    TakeRegularStyleOfEachFamily(dialog);
    if (dialog.exec() == QDialog::Accepted)
        ApplyEditFont(dialog.selectedFont());
}

void MainWindow::ApplyEditFont(const QFont& font) {
    m_app.SetEditFont(font);
    // The face is stored in code page 932, as the settings file keeps it,
    // and the size in whole points, the fraction dropped.
    const QString family = font.family();
    std::string face;
    if (cp932::Encode(std::u16string(reinterpret_cast<const char16_t*>(family.utf16()),
                                     static_cast<std::size_t>(family.size())),
                      face))
        face = family.toStdString();
    const int points = static_cast<int>(std::floor(font.pointSizeF()));
    m_app.Settings().faceName = face;
    m_app.Settings().fontSize = points;
    m_app.StoreSettings(SettingGroup::Font);
    ApplyToEveryView([&font](EditorView& view) { view.ApplyFont(font); });
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // Back in front (from another program, or from a dialog): a file changed
    // meanwhile behind the active document is asked about now.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        if (DocumentWindow* child = ActiveChild())
            QTimer::singleShot(0, child, &DocumentWindow::CheckFileOnDisk);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Every window asks about its unsaved changes before any closes: one
    // "Cancel" leaves them all open.
    const QList<DocumentWindow*> children = Children();
    for (DocumentWindow* child : children) {
        if (!child->SaveModified()) {
            event->ignore();
            return;
        }
    }
    for (DocumentWindow* child : children)
        child->CloseDocument();
    if (isVisible())
        m_closedPlacement = CurrentPlacement();
    QMainWindow::closeEvent(event);
}

} // namespace tessel
