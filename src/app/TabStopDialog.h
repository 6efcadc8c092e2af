#pragma once

#include <QDialog>

#include <optional>

class QLineEdit;

namespace tessel {

// "タブストップの設定": the tab width, 1 to 10 characters.
class TabStopDialog : public QDialog {
    Q_OBJECT

public:
    explicit TabStopDialog(unsigned tabStop, QWidget* parent = nullptr);

    // Runs the dialog: the width chosen on OK, none on Cancel.
    std::optional<unsigned> Choose();

    void accept() override;

private:
    QLineEdit* m_field;
    unsigned m_tabStop;
};

} // namespace tessel
