#include "view/FindReplaceDialog.h"

#include "encoding/Cp932.h"
#include "res/StringTable.h"
#include "ui/MessageBox.h"
#include "view/EditorView.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

namespace tessel {
namespace {

std::u16string_view Units(const QString& text) {
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

QPushButton* MakeButton(const QString& text, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

void Select(EditorView& view, std::size_t start, std::size_t length) {
    QTextCursor cursor = view.textCursor();
    cursor.setPosition(static_cast<int>(start));
    cursor.setPosition(static_cast<int>(start + length), QTextCursor::KeepAnchor);
    view.setTextCursor(cursor);
    view.ensureCursorVisible();
}

} // namespace

FindReplaceDialog::FindReplaceDialog(ViewSource currentView, QWidget* parent)
    : QDialog(parent), m_currentView(std::move(currentView)), m_findText(new QLineEdit(this)),
      m_replaceLabel(new QLabel(LoadQString(IDS_REPLACE_WITH), this)),
      m_replaceText(new QLineEdit(this)),
      m_wholeWord(new QCheckBox(LoadQString(IDS_FIND_WHOLE_WORD), this)),
      m_matchCase(new QCheckBox(LoadQString(IDS_FIND_MATCH_CASE), this)),
      m_direction(new QGroupBox(LoadQString(IDS_FIND_DIRECTION), this)),
      m_up(new QRadioButton(LoadQString(IDS_FIND_UP), m_direction)),
      m_down(new QRadioButton(LoadQString(IDS_FIND_DOWN), m_direction)),
      m_findNext(MakeButton(LoadQString(IDS_FIND_NEXT), QStringLiteral("findNext"), this)),
      m_replaceNext(MakeButton(LoadQString(IDS_REPLACE_NEXT), QStringLiteral("replaceNext"), this)),
      m_replaceAll(MakeButton(LoadQString(IDS_REPLACE_ALL), QStringLiteral("replaceAll"), this)) {
    setObjectName(QStringLiteral("FindReplaceDialog"));
    setModal(false);
    m_findText->setObjectName(QStringLiteral("findText"));
    m_replaceText->setObjectName(QStringLiteral("replaceText"));
    m_wholeWord->setObjectName(QStringLiteral("wholeWord"));
    m_matchCase->setObjectName(QStringLiteral("matchCase"));
    m_direction->setObjectName(QStringLiteral("direction"));
    m_up->setObjectName(QStringLiteral("up"));
    m_down->setObjectName(QStringLiteral("down"));
    m_down->setChecked(true);
    m_findNext->setDefault(true);
    QPushButton* cancel = MakeButton(LoadQString(IDS_FIND_CANCEL), QStringLiteral("cancel"), this);

    auto* findLabel = new QLabel(LoadQString(IDS_FIND_WHAT), this);
    findLabel->setBuddy(m_findText);
    m_replaceLabel->setBuddy(m_replaceText);
    auto* fields = new QGridLayout;
    fields->addWidget(findLabel, 0, 0);
    fields->addWidget(m_findText, 0, 1);
    fields->addWidget(m_replaceLabel, 1, 0);
    fields->addWidget(m_replaceText, 1, 1);

    auto* directions = new QHBoxLayout(m_direction);
    directions->addWidget(m_up);
    directions->addWidget(m_down);
    auto* checks = new QVBoxLayout;
    checks->addStretch();
    checks->addWidget(m_wholeWord);
    checks->addWidget(m_matchCase);
    auto* options = new QHBoxLayout;
    options->addLayout(checks);
    options->addStretch();
    options->addWidget(m_direction);

    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addLayout(options);
    left->addStretch();
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {m_findNext, m_replaceNext, m_replaceAll, cancel})
        buttons->addWidget(button);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);

    connect(m_findText, &QLineEdit::textChanged, this, &FindReplaceDialog::UpdateControls);
    connect(m_findNext, &QPushButton::clicked, this, &FindReplaceDialog::FindNext);
    connect(m_replaceNext, &QPushButton::clicked, this, &FindReplaceDialog::ReplaceNext);
    connect(m_replaceAll, &QPushButton::clicked, this, &FindReplaceDialog::ReplaceAll);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    SetMode(FindDialogMode::Find);
    UpdateControls();
}

FindReplaceDialog::~FindReplaceDialog() = default;

void FindReplaceDialog::SetMode(FindDialogMode mode) {
    m_mode = mode;
    const bool replace = mode == FindDialogMode::Replace;
    setWindowTitle(LoadQString(replace ? IDS_REPLACE_CAPTION : IDS_FIND_CAPTION));
    m_replaceLabel->setVisible(replace);
    m_replaceText->setVisible(replace);
    m_replaceNext->setVisible(replace);
    m_replaceAll->setVisible(replace);
    m_direction->setVisible(!replace);
    adjustSize();
}

void FindReplaceDialog::Open(FindDialogMode mode) {
    SetMode(mode);
    if (EditorView* view = m_currentView()) {
        const QString selected = view->textCursor().selectedText();
        if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator) &&
            selected.size() <= m_findText->maxLength())
            m_findText->setText(selected);
    }
    UpdateControls();
    show();
    raise();
    activateWindow();
    m_findText->setFocus();
    m_findText->selectAll();
}

bool FindReplaceDialog::HasSearchText() const {
    return !m_findText->text().isEmpty();
}

void FindReplaceDialog::UpdateControls() {
    const bool enabled = HasSearchText() && m_currentView() != nullptr;
    m_findNext->setEnabled(enabled);
    m_replaceNext->setEnabled(enabled);
    m_replaceAll->setEnabled(enabled);
}

SearchOptions FindReplaceDialog::Options() const {
    return {.matchCase = m_matchCase->isChecked(), .wholeWord = m_wholeWord->isChecked()};
}

std::optional<std::u16string> FindReplaceDialog::Pattern() const {
    const QString text = m_findText->text();
    const std::u16string_view typed = Units(text);
    // A NUL is refused as input but is in the text as its mark, which is
    // what PrepareInput() makes of it.
    if (const auto refusal = cp932::CheckInput(typed);
        refusal && refusal->reason == cp932::RefusalReason::NotInCodePage)
        return std::nullopt;
    std::u16string pattern = cp932::PrepareInput(typed);
    // The widget's raw text separates lines with U+2029.
    for (char16_t& unit : pattern)
        if (unit == u'\n')
            unit = QChar::ParagraphSeparator;
    return pattern;
}

bool FindReplaceDialog::FindNext() {
    EditorView* view = m_currentView();
    if (!view || !HasSearchText())
        return false;
    return Find(*view, m_mode == FindDialogMode::Replace || m_down->isChecked());
}

bool FindReplaceDialog::Find(EditorView& view, bool down) {
    const QString raw = view.document()->toRawText();
    const std::optional<std::u16string> pattern = Pattern();
    std::optional<std::size_t> found;
    if (pattern) {
        const QTextCursor cursor = view.textCursor();
        found = down ? FindForward(Units(raw), *pattern,
                                   static_cast<std::size_t>(cursor.selectionEnd()), Options())
                     : FindBackward(Units(raw), *pattern,
                                    static_cast<std::size_t>(cursor.selectionStart()), Options());
    }
    if (!found) {
        ReportNotFound(view);
        return false;
    }
    Select(view, *found, pattern->size());
    return true;
}

bool FindReplaceDialog::ReplaceNext() {
    EditorView* view = m_currentView();
    if (!view || !HasSearchText())
        return false;
    const std::optional<std::u16string> pattern = Pattern();
    const QTextCursor cursor = view->textCursor();
    if (pattern && cursor.hasSelection()) {
        const QString raw = view->document()->toRawText();
        const auto start = static_cast<std::size_t>(cursor.selectionStart());
        const auto length = static_cast<std::size_t>(cursor.selectionEnd()) - start;
        if (MatchesAt(Units(raw), *pattern, start, length, Options()) &&
            !view->InsertText(m_replaceText->text()))
            return false;
    }
    return Find(*view, true);
}

std::size_t FindReplaceDialog::ReplaceAll() {
    EditorView* view = m_currentView();
    if (!view || !HasSearchText())
        return 0;
    const std::optional<std::u16string> pattern = Pattern();
    std::vector<std::size_t> starts;
    if (pattern)
        starts = FindAll(Units(view->document()->toRawText()), *pattern, Options());
    if (starts.empty()) {
        ReportNotFound(*view);
        return 0;
    }
    if (!view->ReplaceEach(starts, pattern->size(), m_replaceText->text()))
        return 0;
    return starts.size();
}

void FindReplaceDialog::ReportNotFound(EditorView& view) {
    QWidget* parent = isVisible() ? static_cast<QWidget*>(this) : &view;
    ShowMessageBox({parent, LoadQString(AFX_IDS_APP_TITLE),
                    LoadQString(IDS_FIND_NOT_FOUND).arg(m_findText->text()),
                    QMessageBox::Information, QMessageBox::Ok});
}

} // namespace tessel
