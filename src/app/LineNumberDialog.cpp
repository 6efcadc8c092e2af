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

LineNumberDialog::LineNumberDialog(const LineNumbering& current, QWidget* parent)
    : QDialog(parent), m_start(MakeDigitsField(QString::number(current.startLine),
                                               QStringLiteral("startLine"), this)),
      m_step(MakeDigitsField(QString::number(current.lineStep), QStringLiteral("step"), this)),
      m_choice(current) {
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

std::optional<LineNumbering> LineNumberDialog::Choose() {
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return m_choice;
}

void LineNumberDialog::accept() {
    // The start line is checked before the step.
    if (!ReadUnsignedField(m_start, kStartLineSetting, m_choice.startLine) ||
        !ReadUnsignedField(m_step, kLineStepSetting, m_choice.lineStep))
        return;
    QDialog::accept();
}

} // namespace tessel
