#pragma once

#include "settings/SettingRange.h"

class QDialog;
class QDialogButtonBox;
class QLineEdit;
class QObject;
class QString;
class QWidget;

namespace tessel {

// Reads a dialog's number field as the settings dialogs check them: it must
// hold an unsigned decimal number ("正の整数を入力してください。" otherwise)
// from `min` to `max` ("%1 から %2 までの整数を入力してください。" with the
// limits otherwise). On a message the field gets the focus with its text
// selected, and the caller keeps the dialog open.
bool ReadUnsignedField(QLineEdit* field, unsigned min, unsigned max, unsigned& value);
// The same for a value the settings file keeps, in its range.
inline bool ReadUnsignedField(QLineEdit* field, const NumberSetting& setting, unsigned& value) {
    return ReadUnsignedField(field, setting.min, setting.max, value);
}

// A field that takes digits only.
QLineEdit* MakeDigitsField(const QString& text, const QString& name, QWidget* parent);
// A field that takes any text: what it holds is checked on OK, with a word
// for anything that is no number (a "-" too).
QLineEdit* MakeTextField(const QString& text, const QString& name, QWidget* parent);
// "OK" and "ｷｬﾝｾﾙ", wired to the dialog's accept and reject.
QDialogButtonBox* MakeOkCancel(QDialog* dialog);

// From now on, for as long as `owner` lives, every dialog of the program
// that opens with the focus in an edit field (or an editable list) opens
// with the field's text selected, so that typing replaces it. A click into
// the field, or the dialog coming back to the front, leaves the text as it is.
void SelectFieldTextWhenDialogsOpen(QObject* owner);

// The frame the program's own dialogs have: a caption wide enough to be
// read whole, beside the frame's icon and buttons; no minimise or maximise
// button; and a size fixed, when the dialog is shown, at what its contents
// need. `closeBox`: the dialog has a system menu and its close box; without
// them the caption stands alone (Esc still cancels).
void SetDialogFrame(QDialog* dialog, bool closeBox);
// The width a window needs to show `caption` whole in its title bar, with
// the frame's icon and three buttons beside it.
int CaptionWidth(const QWidget* window, const QString& caption);

} // namespace tessel
