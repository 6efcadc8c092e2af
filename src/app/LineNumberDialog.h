#pragma once

#include <QDialog>

class QLineEdit;

namespace tessel {

// "行番号の設定": where automatic numbering starts and its step.
class LineNumberDialog : public QDialog {
    Q_OBJECT

public:
    explicit LineNumberDialog(QWidget* parent = nullptr);

    // Filled in by the caller before exec(), read back after OK.
    unsigned startLine = 0;
    unsigned lineStep = 0;

    int exec() override;
    void accept() override;

private:
    QLineEdit* m_start;
    QLineEdit* m_step;
};

} // namespace tessel
