#pragma once

#include <QDialog>

class QLineEdit;

namespace tessel {

// "タブストップの設定": the tab width, 1 to 10 characters.
class CTabStopDlg : public QDialog {
    Q_OBJECT

public:
    explicit CTabStopDlg(unsigned tabStop, QWidget* parent = nullptr);

    unsigned m_nTabStop;

    void accept() override;

private:
    QLineEdit* m_field;
};

} // namespace tessel
