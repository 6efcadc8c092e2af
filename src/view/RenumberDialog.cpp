#include "view/RenumberDialog.h"

#include "engine/NumberedLine.h"
#include "res/StringTable.h"
#include "ui/DialogFields.h"
#include "ui/MessageBox.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

namespace tessel {

RenumberDialog::RenumberDialog(QWidget* parent)
    : QDialog(parent), m_newStart(new QLineEdit(QStringLiteral("10"), this)),
      m_oldStart(new QLineEdit(QStringLiteral("10"), this)),
      m_step(new QLineEdit(QStringLiteral("10"), this)) {
    setWindowTitle(LoadQString(IDS_RENUM_CAPTION));
    m_newStart->setObjectName(QStringLiteral("newStart"));
    m_oldStart->setObjectName(QStringLiteral("oldStart"));
    m_step->setObjectName(QStringLiteral("step"));

    auto* form = new QFormLayout(this);
    form->addRow(LoadQString(IDS_RENUM_NEW), m_newStart);
    form->addRow(LoadQString(IDS_RENUM_OLD), m_oldStart);
    form->addRow(LoadQString(IDS_LABEL_STEP), m_step);
    form->addRow(MakeOkCancel(this));
}

std::optional<RenumberChoice> RenumberDialog::Choose() {
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return m_choice;
}

void RenumberDialog::accept() {
    // Checked in the order new, old, step; the first bad field keeps the dialog open.
    if (!ReadUnsignedField(m_newStart, 1, kMaxLineNum, m_choice.newStart) ||
        !ReadUnsignedField(m_oldStart, 1, kMaxLineNum, m_choice.oldStart) ||
        !ReadUnsignedField(m_step, kLineStepSetting, m_choice.step))
        return;
    QDialog::accept();
}

} // namespace tessel
