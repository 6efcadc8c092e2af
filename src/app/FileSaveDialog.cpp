#include "app/FileSaveDialog.h"

#include "res/StringTable.h"
#include "ui/MessageBox.h"

#include <QCheckBox>
#include <QGridLayout>

namespace tessel {
namespace {

// The filters are the six document types in the order they are registered;
// DATA, the one without line numbers, is the last.
constexpr qsizetype kDataFilterIndex = 6;

} // namespace

FileSaveDialog::FileSaveDialog(QWidget* parent, const QString& caption)
    : QFileDialog(parent, caption),
      m_btnLineNum(new QCheckBox(LoadQString(IDS_SAVE_LINE_NUMBERS), this)),
      m_btnUtf8(new QCheckBox(LoadQString(IDS_SAVE_UTF8), this)) {
    setOption(QFileDialog::DontUseNativeDialog);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    m_btnLineNum->setObjectName(QStringLiteral("lineNumOutput"));
    m_btnUtf8->setObjectName(QStringLiteral("utf8Output"));
    // Below the dialog's own controls, across their width.
    if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
        grid->addWidget(m_btnLineNum, grid->rowCount(), 0, 1, grid->columnCount());
        grid->addWidget(m_btnUtf8, grid->rowCount(), 0, 1, grid->columnCount());
    }
    connect(this, &QFileDialog::filterSelected, this,
            [this](const QString& filter) { OnTypeChange(nameFilters().indexOf(filter) + 1); });
}

void FileSaveDialog::SetOptions(const Options& options, bool lineNumbersEnabled) {
    m_options = options;
    m_lineNumbersEnabled = lineNumbersEnabled;
}

void FileSaveDialog::showEvent(QShowEvent* event) {
    if (!m_initialised) {
        m_initialised = true;
        m_btnLineNum->setChecked(m_options.lineNumbers);
        m_btnLineNum->setEnabled(m_lineNumbersEnabled);
        m_btnUtf8->setChecked(m_options.utf8);
    }
    QFileDialog::showEvent(event);
}

void FileSaveDialog::OnTypeChange(qsizetype index) {
    if (index >= 1 && index < kDataFilterIndex)
        m_btnLineNum->setEnabled(true);
    else if (index == kDataFilterIndex)
        m_btnLineNum->setEnabled(false);
}

void FileSaveDialog::done(int result) {
    if (result == QDialog::Accepted) {
        m_options.lineNumbers = m_btnLineNum->isChecked();
        m_options.utf8 = m_btnUtf8->isChecked();
    }
    QFileDialog::done(result);
}

} // namespace tessel
