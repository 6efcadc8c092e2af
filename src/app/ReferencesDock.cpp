#include "app/ReferencesDock.h"

#include "encoding/Cp932.h"
#include "model/ProgramModel.h"
#include "model/ProgramPlaces.h"
#include "res/StringTable.h"
#include "ui/CommandIds.h"
#include "ui/MessageBox.h"
#include "view/EditorView.h"
#include "view/ViewShell.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <string>

namespace tessel {
namespace {

QString FromCp932(std::string_view bytes) {
    const std::u16string text = cp932::Decode(bytes);
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string_view Units(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

// How a place refers, as the list says it.
QString HowOf(const ProgramModel& model, const Referrer& referrer) {
    switch (referrer.kind) {
    case ReferrerKind::Reference:
        return QString::fromLatin1(ReferenceKeyword(referrer.keyword));
    case ReferrerKind::LabelUse:
        // The label too: a line is named by its labels as well as its number.
        return QString::fromLatin1(ReferenceKeyword(referrer.keyword)) + QStringLiteral(" *") +
               FromCp932(model.LineText(referrer.line).substr(referrer.column, referrer.length));
    case ReferrerKind::LabelDefinition:
        return LoadQString(IDS_REFS_DEFINED);
    case ReferrerKind::VariableSet:
        return LoadQString(IDS_REFS_SET);
    case ReferrerKind::VariableRead:
        break;
    }
    return LoadQString(IDS_REFS_READ);
}

bool Listable(const EditorView* view) {
    return view && view->SourceKind() == DocKind::Basic && view->GetLength() > 0;
}

} // namespace

ReferencesDock::ReferencesDock(std::function<EditorView*()> currentView, ViewShell& shell,
                               QWidget* parent)
    : QDockWidget(LoadQString(IDS_REFS_TITLE), parent), m_currentView(std::move(currentView)),
      m_shell(shell) {
    setObjectName(QStringLiteral("ReferencesDock"));
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 2, 4, 4);
    m_heading = new QLabel(body);
    m_heading->setObjectName(QStringLiteral("ReferencesHeading"));
    m_list = new QTreeWidget(body);
    m_list->setObjectName(QStringLiteral("ReferenceList"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setHeaderLabels(QStringList{LoadQString(IDS_REFS_COLUMN_LINE),
                                        LoadQString(IDS_REFS_COLUMN_HOW),
                                        LoadQString(IDS_REFS_COLUMN_TEXT)});
    m_list->header()->setStretchLastSection(true);
    m_list->installEventFilter(this);
    layout->addWidget(m_heading);
    layout->addWidget(m_list);
    setWidget(body);
    // Enter, or a double click (a click where the desktop activates so).
    connect(m_list, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { GoTo(m_list->indexOfTopLevelItem(item)); });
}

void ReferencesDock::AddCommandRows(CommandRows& rows) {
    rows.Add(
            ID_FIND_REFERENCES,
            [this] {
                if (EditorView* view = m_currentView(); Listable(view))
                    ListAt(*view);
            },
            [this] { return Listable(m_currentView()); })
        // Shown counts when it is behind the problems list's tab too.
        .AddCheck(
            ID_VIEW_REFERENCES,
            [this] {
                setHidden(!isHidden());
                if (!isHidden())
                    raise();
            },
            [this] { return !isHidden(); });
}

void ReferencesDock::Clear() {
    m_list->clear();
    m_places.clear();
    m_heading->clear();
    if (m_view)
        m_view->disconnect(this);
    m_view = nullptr;
}

bool ReferencesDock::ListAt(EditorView& view) {
    const ProgramModel& model = view.CurrentModel();
    const ProgramPlace place = PlaceAt(model, view.CaretOffset(), true);
    const std::vector<Referrer> referrers = ReferrersOf(model, place);
    // The label or the variable as written at the caret.
    const QString name = place.kind == PlaceKind::Variable
                             ? FromCp932(place.name)
                             : QStringLiteral("*") + FromCp932(place.name);
    const QString number = QString::number(place.number);
    const bool onLine =
        place.kind == PlaceKind::LineNumber || place.kind == PlaceKind::LineReference;
    // A label defined but never used has nothing that refers to it.
    const bool nothing =
        onLine ? referrers.empty()
               : referrers.size() == 1 && referrers[0].kind == ReferrerKind::LabelDefinition;
    if (place.kind == PlaceKind::None || place.kind == PlaceKind::Keyword) {
        m_shell.ShowStatusMessage(LoadQString(IDS_REFS_NOTHING));
        return false;
    }
    if (nothing) {
        m_shell.ShowStatusMessage(onLine ? LoadQString(IDS_REFS_NONE_TO_LINE).arg(number)
                                         : LoadQString(IDS_REFS_NONE_TO_LABEL).arg(name));
        return false;
    }
    Clear();
    m_view = &view;
    // The view is half gone when it says so: only its pointer is dropped.
    connect(&view, &QObject::destroyed, this, [this] {
        m_view.clear();
        Clear();
    });
    const QString count = QString::number(referrers.size());
    m_heading->setText(onLine ? LoadQString(IDS_REFS_TO_LINE).arg(number, count)
                       : place.kind == PlaceKind::Variable
                           ? LoadQString(IDS_REFS_TO_VARIABLE).arg(name, count)
                           : LoadQString(IDS_REFS_TO_LABEL).arg(name, count));
    // The places as cursors in the view's text, so that they follow its edits.
    const QString raw = view.document()->toRawText();
    const cp932::OffsetIndex index(Units(raw));
    QList<QTreeWidgetItem*> items;
    for (const Referrer& referrer : referrers) {
        const ProgramLine& line = model.Line(referrer.line);
        QString text = FromCp932(model.LineText(referrer.line));
        text.replace(u'\t', u' ');
        items.append(
            new QTreeWidgetItem({line.HasNumber() ? QString::number(line.number) : QString(),
                                 HowOf(model, referrer), text}));
        QTextCursor cursor(view.document());
        cursor.setPosition(static_cast<int>(index.Position(line.start + referrer.column)));
        m_places.push_back(cursor);
    }
    m_list->addTopLevelItems(items);
    m_list->resizeColumnToContents(0);
    m_list->resizeColumnToContents(1);
    m_list->setCurrentItem(m_list->topLevelItem(0));
    if (!m_shownOnce) {
        // A strip below the documents, not half of the window.
        m_shownOnce = true;
        if (auto* frame = qobject_cast<QMainWindow*>(parentWidget()))
            frame->resizeDocks({this}, {frame->height() / 4}, Qt::Vertical);
    }
    show();
    raise();
    m_list->setFocus();
    return true;
}

void ReferencesDock::GoTo(int row) {
    if (!m_view || row < 0 || static_cast<std::size_t>(row) >= m_places.size())
        return;
    // The view's window comes forward first.
    for (QWidget* widget = m_view; widget; widget = widget->parentWidget()) {
        if (auto* window = qobject_cast<QMdiSubWindow*>(widget)) {
            if (window->mdiArea())
                window->mdiArea()->setActiveSubWindow(window);
            break;
        }
    }
    m_view->JumpTo(m_places[static_cast<std::size_t>(row)]);
}

QString ReferencesDock::Heading() const {
    return m_heading->text();
}

bool ReferencesDock::eventFilter(QObject* watched, QEvent* event) {
    // Escape leaves the list for the text, where the caret was.
    if (watched == m_list && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && m_view) {
        m_view->setFocus();
        return true;
    }
    return QDockWidget::eventFilter(watched, event);
}

} // namespace tessel
