#pragma once

#include <QDialog>

#include <optional>

class QLineEdit;

namespace tessel {

// Where automatic numbering starts and its step.
struct LineNumbering {
    unsigned startLine = 0;
    unsigned lineStep = 0;
};

// "行番号の設定": where automatic numbering starts and its step.
class LineNumberDialog : public QDialog {
    Q_OBJECT

public:
    // The fields open with `current`.
    explicit LineNumberDialog(const LineNumbering& current, QWidget* parent = nullptr);

    // Runs the dialog: the numbering chosen on OK, none on Cancel.
    std::optional<LineNumbering> Choose();

    void accept() override;

private:
    QLineEdit* m_start;
    QLineEdit* m_step;
    LineNumbering m_choice;
};

} // namespace tessel
