#pragma once

#include "doc/DocKind.h"

class QFont;
class QString;
class QWidget;

namespace tessel {

class EditorView;
struct AppSettings;
enum class FindDialogMode;
enum class SettingGroup;

// What an editor view asks of the program around it. The views know nothing
// else of the application or its windows; the application implements this.
class ViewShell {
public:
    virtual ~ViewShell() = default;

    // The settings in memory, read at the moment of use.
    virtual AppSettings& Settings() = 0;
    // Writes the keys of `group` from the settings in memory to the settings
    // file; a key that cannot be written is reported to the user.
    virtual void StoreSettings(SettingGroup group) = 0;
    // The editor font every view uses.
    virtual const QFont& EditFont() const = 0;
    // The state of the commands may have changed (text, selection, undo).
    virtual void ScheduleCommandUpdate() = 0;
    // The one find and replace dialog, and the last search again.
    virtual void OpenFindReplace(FindDialogMode mode) = 0;
    virtual void FindAgain() = 0;
    // The window that owns the dialogs a view opens.
    virtual QWidget* DialogParent() const = 0;
    // Says `text` in the status bar for a while, where it stops nobody's
    // typing.
    virtual void ShowStatusMessage(const QString& text) = 0;
    // Makes the document of `view` a document of `kind` (one with line
    // numbers when its own has them), keeping its text, its file and its
    // window. False when it could not be.
    virtual bool ChangeKind(EditorView& view, DocKind kind) = 0;

protected:
    ViewShell() = default;
    ViewShell(const ViewShell&) = default;
    ViewShell& operator=(const ViewShell&) = default;
};

} // namespace tessel
