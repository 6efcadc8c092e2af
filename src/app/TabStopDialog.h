#pragma once

#include <QDialog>

class QLineEdit;

namespace tessel {

// "タブストップの設定": the tab width, 1 to 10 characters.
class TabStopDialog : public QDialog {
    Q_OBJECT

public:
    explicit TabStopDialog(unsigned tabStop, QWidget* parent = nullptr);

    unsigned tabStop;

    void accept() override;

private:
    QLineEdit* m_field;
};

} // namespace tessel
