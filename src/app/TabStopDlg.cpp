#include "app/TabStopDlg.h"

#include "res/StringTable.h"
#include "ui/DialogFields.h"
#include "ui/MessageBox.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

namespace tessel {

CTabStopDlg::CTabStopDlg(unsigned tabStop, QWidget* parent)
    : QDialog(parent), m_nTabStop(tabStop),
      m_field(MakeDigitsField(QString::number(tabStop), QStringLiteral("tabStop"), this)) {
    setWindowTitle(LoadQString(IDS_TABSTOP_CAPTION));
    auto* form = new QFormLayout(this);
    form->addRow(LoadQString(IDS_TABSTOP_LABEL), m_field);
    form->addRow(MakeOkCancel(this));
}

void CTabStopDlg::accept() {
    if (!ReadUnsignedField(m_field, kTabStopSetting, m_nTabStop))
        return;
    QDialog::accept();
}

} // namespace tessel
