#pragma once

#include <QDialog>

class QLineEdit;

namespace tessel {

// "行番号の変更": the new number of the first renumbered line, the old
// number it now has, and the step. Every time it opens all three are 10.
class RenumberDialog : public QDialog {
    Q_OBJECT

public:
    explicit RenumberDialog(QWidget* parent = nullptr);

    unsigned newStart = 10;
    unsigned oldStart = 10;
    unsigned step = 10;

    void accept() override;

private:
    QLineEdit* m_newStart;
    QLineEdit* m_oldStart;
    QLineEdit* m_step;
};

} // namespace tessel
