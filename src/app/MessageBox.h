#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

namespace tessel {

// Every message box of the program goes through here, so that tests can
// answer them without a person at the screen.
struct MessageBoxRequest {
    QWidget* parent = nullptr;
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::Warning;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
};

// Shows the box modally and returns the button pressed.
QMessageBox::StandardButton ShowMessageBox(const MessageBoxRequest& request);

// The application's standard box: caption "TESSEL Software", warning icon, OK.
void ShowAppMessage(QWidget* parent, unsigned stringId);

// Replaces the boxes by `hook` (empty: real boxes again). For tests.
using MessageBoxHook = std::function<QMessageBox::StandardButton(const MessageBoxRequest&)>;
void SetMessageBoxHook(MessageBoxHook hook);

// A string-table text as a QString.
QString LoadQString(unsigned stringId);

} // namespace tessel
