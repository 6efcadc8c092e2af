#include "app/TabStopDialog.h"

#include "res/StringTable.h"
#include "ui/DialogFields.h"
#include "ui/MessageBox.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

namespace tessel {

TabStopDialog::TabStopDialog(unsigned tabStop, QWidget* parent)
    : QDialog(parent),
      m_field(MakeDigitsField(QString::number(tabStop), QStringLiteral("tabStop"), this)),
      m_tabStop(tabStop) {
    setWindowTitle(LoadQString(IDS_TABSTOP_CAPTION));
    auto* form = new QFormLayout(this);
    form->addRow(LoadQString(IDS_TABSTOP_LABEL), m_field);
    form->addRow(MakeOkCancel(this));
}

std::optional<unsigned> TabStopDialog::Choose() {
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return m_tabStop;
}

void TabStopDialog::accept() {
    if (!ReadUnsignedField(m_field, kTabStopSetting, m_tabStop))
        return;
    QDialog::accept();
}

} // namespace tessel
