#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

namespace tessel {

// Every message box of the program goes through here, so that tests can
// answer them without a person at the screen.
struct MessageBoxRequest {
    // Made as {parent, caption, text, icon, buttons}, the detail left out
    // unless there is one.
    MessageBoxRequest(QWidget* parent_ = nullptr, QString caption_ = {}, QString text_ = {},
                      QMessageBox::Icon icon_ = QMessageBox::Warning,
                      QMessageBox::StandardButtons buttons_ = QMessageBox::Ok, QString detail_ = {})
        : parent(parent_), caption(std::move(caption_)), text(std::move(text_)), icon(icon_),
          buttons(buttons_), detail(std::move(detail_)) {}

    QWidget* parent;
    QString caption;
    QString text;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    // More about the message, in smaller print below it (may be empty).
    QString detail;
    // The button that Return presses, and the one that Escape (or closing the
    // box) answers with; NoButton leaves the choice to the toolkit.
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QMessageBox::StandardButton escapeButton = QMessageBox::NoButton;
};

// Shows the box modally and returns the button pressed.
QMessageBox::StandardButton ShowMessageBox(const MessageBoxRequest& request);
// The same on the screen, whatever hook is set: for a hook that wants the
// real box (a test that presses its keys).
QMessageBox::StandardButton ExecMessageBox(const MessageBoxRequest& request);

// The application's standard box: caption "TESSEL Software", warning icon, OK.
void ShowAppMessage(QWidget* parent, unsigned stringId);

// Replaces the boxes by `hook` (empty: real boxes again). For tests.
using MessageBoxHook = std::function<QMessageBox::StandardButton(const MessageBoxRequest&)>;
void SetMessageBoxHook(MessageBoxHook hook);

// A string-table text as a QString.
QString LoadQString(unsigned stringId);

} // namespace tessel
