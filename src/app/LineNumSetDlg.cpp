#include "app/LineNumSetDlg.h"

#include "engine/LineWithNum.h"
#include "res/StringTable.h"
#include "ui/DialogFields.h"
#include "ui/MessageBox.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

namespace tessel {

CLineNumSetDlg::CLineNumSetDlg(QWidget* parent)
    : QDialog(parent), m_start(MakeDigitsField({}, QStringLiteral("startLine"), this)),
      m_step(MakeDigitsField({}, QStringLiteral("step"), this)) {
    setWindowTitle(LoadQString(IDS_LINENUM_CAPTION));
    auto* form = new QFormLayout(this);
    // What the two numbers are for, in a few lines above them.
    auto* note = new QLabel(LoadQString(IDS_LINENUM_NOTE), this);
    note->setObjectName(QStringLiteral("note"));
    note->setWordWrap(true);
    note->setMinimumWidth(note->fontMetrics().averageCharWidth() * 40);
    form->addRow(note);
    form->addRow(LoadQString(IDS_LINENUM_START), m_start);
    form->addRow(LoadQString(IDS_LABEL_STEP), m_step);
    form->addRow(MakeOkCancel(this));
}

int CLineNumSetDlg::exec() {
    m_start->setText(QString::number(m_nStartLine));
    m_step->setText(QString::number(m_nLineStep));
    return QDialog::exec();
}

void CLineNumSetDlg::accept() {
    // The start line is checked before the step.
    if (!ReadUnsignedField(m_start, kStartLineSetting, m_nStartLine) ||
        !ReadUnsignedField(m_step, kLineStepSetting, m_nLineStep))
        return;
    QDialog::accept();
}

} // namespace tessel
