#include "ui/DialogFields.h"

#include "res/StringTable.h"
#include "ui/MessageBox.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QLayout>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyle>

#include <algorithm>

namespace tessel {
namespace {

bool ParseUnsigned(const QString& text, unsigned& value) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return false;
    unsigned long long parsed = 0;
    for (const QChar c : trimmed) {
        if (c < u'0' || c > u'9')
            return false;
        parsed = parsed * 10 + static_cast<unsigned>(c.unicode() - u'0');
        if (parsed > 0xFFFFFFFFull)
            return false;
    }
    value = static_cast<unsigned>(parsed);
    return true;
}

void Complain(QLineEdit* field, const QString& text) {
    ShowMessageBox({field->window(), LoadQString(AFX_IDS_APP_TITLE), text, QMessageBox::Warning,
                    QMessageBox::Ok});
    field->setFocus();
    field->selectAll();
}

// Selects the text of the field a dialog gives the focus to as it opens:
// the first focus a dialog gives after it is shown, unless a click gave it.
class FieldSelector final : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::Show:
            if (auto* dialog = qobject_cast<QDialog*>(watched); dialog && !event->spontaneous())
                m_opening.append(dialog);
            break;
        case QEvent::Hide:
            if (auto* dialog = qobject_cast<QDialog*>(watched); dialog && !event->spontaneous())
                m_opening.removeAll(dialog);
            break;
        case QEvent::FocusIn:
            if (auto* widget = qobject_cast<QWidget*>(watched))
                OnFocusIn(widget, static_cast<QFocusEvent*>(event)->reason());
            break;
        default:
            break;
        }
        return false;
    }

private:
    void OnFocusIn(QWidget* widget, Qt::FocusReason reason) {
        // The dialog itself may have the focus for a moment on its way to
        // the first field.
        auto* dialog = qobject_cast<QDialog*>(widget->window());
        if (!dialog || dialog == widget || !m_opening.removeAll(dialog))
            return;
        m_opening.removeAll(nullptr);
        if (reason == Qt::MouseFocusReason)
            return;
        QLineEdit* field = qobject_cast<QLineEdit*>(widget);
        if (auto* list = qobject_cast<QComboBox*>(widget); list && list->isEditable())
            field = list->lineEdit();
        if (field && !field->isReadOnly())
            field->selectAll();
    }

    QList<QPointer<QDialog>> m_opening; // shown, and not given the focus yet
};

// Fixes a dialog's size as it is shown (before its window is on screen):
// what the contents need, and room for the caption.
class FrameSizer final : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (dialog && event->type() == QEvent::Show && !event->spontaneous()) {
            if (QLayout* layout = dialog->layout())
                layout->activate();
            QSize size = dialog->sizeHint().expandedTo(dialog->minimumSizeHint());
            size = size.expandedTo(dialog->minimumSize());
            size.setWidth(std::max(size.width(), CaptionWidth(dialog, dialog->windowTitle())));
            dialog->setFixedSize(size);
        }
        return false;
    }
};

} // namespace

bool ReadUnsignedField(QLineEdit* field, unsigned min, unsigned max, unsigned& value) {
    unsigned parsed = 0;
    if (!ParseUnsigned(field->text(), parsed)) {
        Complain(field, LoadQString(AFX_IDP_PARSE_UINT));
        return false;
    }
    if (parsed < min || parsed > max) {
        Complain(
            field,
            LoadQString(AFX_IDP_PARSE_INT_RANGE).arg(QString::number(min), QString::number(max)));
        return false;
    }
    value = parsed;
    return true;
}

QLineEdit* MakeDigitsField(const QString& text, const QString& name, QWidget* parent) {
    auto* field = new QLineEdit(text, parent);
    field->setObjectName(name);
    field->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
    return field;
}

QLineEdit* MakeTextField(const QString& text, const QString& name, QWidget* parent) {
    auto* field = new QLineEdit(text, parent);
    field->setObjectName(name);
    return field;
}

QDialogButtonBox* MakeOkCancel(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(LoadQString(IDS_BUTTON_CANCEL));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

void SelectFieldTextWhenDialogsOpen(QObject* owner) {
    // The filter goes with its owner, and with it from the application.
    QCoreApplication::instance()->installEventFilter(new FieldSelector(owner));
}

void SetDialogFrame(QDialog* dialog, bool closeBox) {
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (closeBox)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    dialog->setWindowFlags(flags);
    dialog->installEventFilter(new FrameSizer(dialog));
}

int CaptionWidth(const QWidget* window, const QString& caption) {
    // Title bars draw their text bold, at most as large as the window's.
    QFont font = window->font();
    font.setBold(true);
    const int text = QFontMetrics(font).horizontalAdvance(caption);
    const int button = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    // The icon, three buttons, and the frame's margins.
    return text + 5 * std::max(button, QFontMetrics(font).height());
}

} // namespace tessel
