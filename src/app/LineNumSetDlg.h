#pragma once

#include <QDialog>

class QLineEdit;

namespace tessel {

// "行番号の設定": where automatic numbering starts and its step.
class CLineNumSetDlg : public QDialog {
    Q_OBJECT

public:
    explicit CLineNumSetDlg(QWidget* parent = nullptr);

    // Filled in by the caller before exec(), read back after OK.
    unsigned m_nStartLine = 0;
    unsigned m_nLineStep = 0;

    int exec() override;
    void accept() override;

private:
    QLineEdit* m_start;
    QLineEdit* m_step;
};

} // namespace tessel
