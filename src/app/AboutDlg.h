#pragma once

#include <QDialog>

namespace tessel {

// "バージョン情報": the program's name, version and copyright.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

} // namespace tessel
