#include "app/TabStopDialog.h"

#include "res/StringTable.h"
#include "ui/DialogFields.h"
#include "ui/MessageBox.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

namespace tessel {

TabStopDialog::TabStopDialog(unsigned tabStop, QWidget* parent)
    : QDialog(parent), tabStop(tabStop),
      m_field(MakeDigitsField(QString::number(tabStop), QStringLiteral("tabStop"), this)) {
    setWindowTitle(LoadQString(IDS_TABSTOP_CAPTION));
    auto* form = new QFormLayout(this);
    form->addRow(LoadQString(IDS_TABSTOP_LABEL), m_field);
    form->addRow(MakeOkCancel(this));
}

void TabStopDialog::accept() {
    if (!ReadUnsignedField(m_field, kTabStopSetting, tabStop))
        return;
    QDialog::accept();
}

} // namespace tessel
