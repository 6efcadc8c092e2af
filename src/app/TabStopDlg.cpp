#include "app/TabStopDlg.h"

#include "ui/DialogFields.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

namespace tessel {

CTabStopDlg::CTabStopDlg(unsigned tabStop, QWidget* parent)
    : QDialog(parent), m_nTabStop(tabStop),
      m_field(MakeDigitsField(QString::number(tabStop), QStringLiteral("tabStop"), this)) {
    setWindowTitle(QStringLiteral("タブストップの設定"));
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("タブストップ"), m_field);
    form->addRow(MakeOkCancel(this));
}

void CTabStopDlg::accept() {
    if (!ReadUnsignedField(m_field, 1, 10, m_nTabStop))
        return;
    QDialog::accept();
}

} // namespace tessel
