#include "ui/DialogFields.h"

#include "res/StringTable.h"
#include "ui/MessageBox.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

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
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

} // namespace tessel
