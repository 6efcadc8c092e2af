#pragma once

#include <QDialog>

class QLineEdit;

namespace tessel {

// "行番号の変更": the new number of the first renumbered line, the old
// number it now has, and the step. Every time it opens all three are 10.
class CRenumberDlg : public QDialog {
    Q_OBJECT

public:
    explicit CRenumberDlg(QWidget* parent = nullptr);

    unsigned m_nNewStart = 10;
    unsigned m_nOldStart = 10;
    unsigned m_nStep = 10;

    void accept() override;

private:
    QLineEdit* m_newStart;
    QLineEdit* m_oldStart;
    QLineEdit* m_step;
};

} // namespace tessel
