#pragma once

#include <QDialog>

#include <optional>

class QLineEdit;

namespace tessel {

// A renumbering as chosen: the new number of the first renumbered line, the
// old number it now has, and the step.
struct RenumberChoice {
    unsigned newStart = 10;
    unsigned oldStart = 10;
    unsigned step = 10;
};

// "行番号の変更": the three numbers of a RenumberChoice. Every time it opens
// all three are 10.
class RenumberDialog : public QDialog {
    Q_OBJECT

public:
    explicit RenumberDialog(QWidget* parent = nullptr);

    // Runs the dialog: the renumbering chosen on OK, none on Cancel.
    std::optional<RenumberChoice> Choose();

    void accept() override;

private:
    QLineEdit* m_newStart;
    QLineEdit* m_oldStart;
    QLineEdit* m_step;
    RenumberChoice m_choice;
};

} // namespace tessel
