#include "ui/MessageBox.h"

#include "res/StringTable.h"
#include "ui/DialogFields.h"

namespace tessel {
namespace {

MessageBoxHook& Hook() {
    static MessageBoxHook hook;
    return hook;
}

} // namespace

QString LoadQString(unsigned stringId) {
    const std::string_view text = LoadString(stringId);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QMessageBox::StandardButton ShowMessageBox(const MessageBoxRequest& request) {
    if (Hook())
        return Hook()(request);
    return ExecMessageBox(request);
}

QMessageBox::StandardButton ExecMessageBox(const MessageBoxRequest& request) {
    QMessageBox box(request.icon, request.caption, request.text, request.buttons, request.parent);
    SetDialogFrame(&box, true);
    if (!request.detail.isEmpty())
        box.setInformativeText(request.detail);
    if (request.defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(request.defaultButton);
    if (request.escapeButton != QMessageBox::NoButton)
        box.setEscapeButton(request.escapeButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void ShowAppMessage(QWidget* parent, unsigned stringId) {
    ShowMessageBox({parent, LoadQString(AFX_IDS_APP_TITLE), LoadQString(stringId),
                    QMessageBox::Warning, QMessageBox::Ok});
}

void SetMessageBoxHook(MessageBoxHook hook) {
    Hook() = std::move(hook);
}

} // namespace tessel
