#include "app/ProblemsDock.h"

#include "app/Application.h"
#include "app/MainWindow.h"
#include "res/StringTable.h"
#include "settings/AppSettings.h"
#include "ui/CommandIds.h"
#include "ui/MessageBox.h"
#include "view/EditorView.h"
#include "view/ProblemMarks.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QStatusBar>
#include <QTreeWidget>

namespace tessel {
namespace {

// A dot in the colour the text's marks have.
QIcon SeverityIcon(Severity severity, const QPalette& palette) {
    QPixmap dot(12, 12);
    dot.fill(Qt::transparent);
    QPainter painter(&dot);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ProblemMarks::ColorOf(severity, palette));
    painter.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    return QIcon(dot);
}

} // namespace

ProblemsDock::ProblemsDock(MainWindow& frame, Application& app)
    : QDockWidget(LoadQString(IDS_PROBLEMS_TITLE), &frame), m_frame(frame), m_app(app),
      m_list(new QTreeWidget(this)), m_count(new QLabel(frame.statusBar())) {
    setObjectName(QStringLiteral("ProblemsDock"));
    m_list->setObjectName(QStringLiteral("ProblemList"));
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({LoadQString(IDS_PROBLEMS_LINE), LoadQString(IDS_PROBLEMS_MESSAGE)});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->header()->setStretchLastSection(true);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    setWidget(m_list);
    frame.addDockWidget(Qt::BottomDockWidgetArea, this);
    setHidden(!app.Settings().problemsList);

    m_count->setObjectName(QStringLiteral("ProblemCount"));
    m_count->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_count->hide();
    frame.statusBar()->insertPermanentWidget(1, m_count); // before the indicators

    connect(m_list, &QTreeWidget::itemActivated, this, &ProblemsDock::Activate);
    connect(m_list, &QTreeWidget::customContextMenuRequested, this, &ProblemsDock::ShowMenu);
    connect(this, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible && !m_filled)
            Fill();
    });
}

void ProblemsDock::Follow(EditorView* view) {
    if (view == m_view)
        return;
    disconnect(m_changed);
    m_view = view;
    if (view)
        m_changed =
            connect(&view->Problems(), &ProblemMarks::Changed, this, &ProblemsDock::Changed);
    Changed();
}

void ProblemsDock::Changed() {
    const ProblemMarks* marks = m_view ? &m_view->Problems() : nullptr;
    if (marks && marks->Active()) {
        m_count->setText(LoadQString(IDS_PROBLEMS_COUNT)
                             .arg(marks->Count(Severity::Error))
                             .arg(marks->Count(Severity::Warning)));
        m_count->show();
    } else {
        m_count->hide();
    }
    m_filled = false;
    // A hidden list is filled when it is shown.
    if (!isHidden())
        Fill();
}

void ProblemsDock::Fill() {
    m_list->clear();
    m_filled = true;
    if (!m_view)
        return;
    const std::vector<ProblemMark>& marks = m_view->Problems().Marks();
    const QIcon icons[] = {SeverityIcon(Severity::Error, palette()),
                           SeverityIcon(Severity::Warning, palette()),
                           SeverityIcon(Severity::Hint, palette())};
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(marks.size()));
    for (std::size_t i = 0; i < marks.size(); ++i) {
        auto* item = new QTreeWidgetItem({QString::number(marks[i].Line() + 1), marks[i].text});
        item->setIcon(0, icons[static_cast<int>(marks[i].severity)]);
        item->setData(0, Qt::UserRole, static_cast<qulonglong>(i));
        if (!marks[i].fixTitle.isEmpty())
            item->setToolTip(1, LoadQString(IDS_PROBLEM_MEND_HINT).arg(marks[i].fixTitle));
        items.append(item);
    }
    m_list->addTopLevelItems(items);
    m_list->resizeColumnToContents(0);
}

void ProblemsDock::Activate(QTreeWidgetItem* item) {
    if (!item || !m_view)
        return;
    m_view->Problems().GoTo(item->data(0, Qt::UserRole).toULongLong());
    m_view->setFocus();
}

void ProblemsDock::ShowMenu(const QPoint& point) {
    QTreeWidgetItem* item = m_list->itemAt(point);
    if (!item || !m_view)
        return;
    ProblemMarks& marks = m_view->Problems();
    const std::size_t index = item->data(0, Qt::UserRole).toULongLong();
    if (index >= marks.Marks().size() || marks.Marks()[index].fixTitle.isEmpty())
        return;
    const int from = marks.Marks()[index].From();
    const StringId message = marks.Marks()[index].message;
    QMenu menu(m_list);
    QAction* mend = menu.addAction(marks.Marks()[index].fixTitle);
    mend->setObjectName(QStringLiteral("mendProblem"));
    QPointer<EditorView> view = m_view;
    connect(mend, &QAction::triggered, this, [view, from, message] {
        if (view)
            view->Problems().Mend(from, message);
    });
    menu.exec(m_list->viewport()->mapToGlobal(point));
}

void ProblemsDock::SetShown(bool shown) {
    setHidden(!shown);
    if (shown)
        raise();
    if (m_app.Settings().problemsList != shown) {
        m_app.Settings().problemsList = shown;
        m_app.StoreSettings(SettingGroup::ProblemsList);
    }
}

void ProblemsDock::closeEvent(QCloseEvent* event) {
    QDockWidget::closeEvent(event);
    if (event->isAccepted())
        SetShown(false);
}

void ProblemsDock::AddCommandRows(CommandRows& rows) {
    rows.AddCheck(
        ID_VIEW_PROBLEMS, [this] { SetShown(isHidden()); },
        [this] {
            Follow(m_frame.CurrentView());
            return !isHidden();
        });
}

} // namespace tessel
