#include "app/LineNumberDialog.h"

#include "engine/NumberedLine.h"
#include "res/StringTable.h"
#include "ui/DialogFields.h"
#include "ui/MessageBox.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

namespace tessel {

LineNumberDialog::LineNumberDialog(QWidget* parent)
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

int LineNumberDialog::exec() {
    m_start->setText(QString::number(startLine));
    m_step->setText(QString::number(lineStep));
    return QDialog::exec();
}

void LineNumberDialog::accept() {
    // The start line is checked before the step.
    if (!ReadUnsignedField(m_start, kStartLineSetting, startLine) ||
        !ReadUnsignedField(m_step, kLineStepSetting, lineStep))
        return;
    QDialog::accept();
}

} // namespace tessel
