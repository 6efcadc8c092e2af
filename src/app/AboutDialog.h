#pragma once

#include <QDialog>

namespace tessel {

// "バージョン情報": the program's name, version and copyright, and the
// settings file it uses (`settingsPath`).
class AboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(const QString& settingsPath, QWidget* parent = nullptr);
};

} // namespace tessel
