#pragma once

#include "app/DocumentType.h"
#include "settings/AppSettings.h"
#include "settings/ProfileStore.h"
#include "ui/CommandTarget.h"
#include "view/ViewShell.h"

#include <QFont>
#include <QObject>
#include <QStringList>

#include <array>
#include <memory>

namespace tessel {

class DocumentManager;
class RecoveryStore;
class MainWindow;
class SplashDialog;
class CommandRouter;

// The application: settings, document types, the main window, the splash,
// and the commands that create documents. There is one, made by main().
class Application : public QObject, public CommandTarget, public ViewShell {
    Q_OBJECT

public:
    // `profilePath` is the settings file (beside the executable).
    explicit Application(std::string profilePath);
    ~Application() override;

    // Start-up in its fixed order; false when the program cannot start.
    // `arguments` are the command-line arguments after the program name.
    bool InitInstance(const QStringList& arguments);
    // Stores the recent-file list and "PreviewPages".
    void ExitInstance();

    // The communication settings dialog; on OK the settings are applied and
    // written to the settings file.
    void OnComSettings();

    AppSettings& Settings() override { return m_settings; }
    // Writes a group of keys; a failure is reported in a message box.
    void StoreSettings(SettingGroup group) override;
    ProfileStore& Profile() { return m_profile; }
    MainWindow* Window() const { return m_mainFrame.get(); }
    DocumentManager& Documents() { return *m_docManager; }
    CommandRouter& Router() { return *m_router; }
    // The six document types in registration order.
    std::array<DocumentType*, 6> Templates();
    // The type of documents of `kind`.
    DocumentType& TemplateFor(DocKind kind);
    DocumentType* m_basicType = nullptr;
    DocumentType* m_cType = nullptr;
    DocumentType* m_asmType = nullptr;
    DocumentType* m_caslType = nullptr;
    DocumentType* m_textType = nullptr;
    DocumentType* m_dataType = nullptr;

    // The editor font every view uses.
    const QFont& EditFont() const override { return m_fontEdit; }
    void CreateEditFont(const std::string& face, int points);
    void SetEditFont(const QFont& font) { m_fontEdit = font; }

    // The line-number output flag of the active view (for the Save-As dialog).
    bool GetLineNumOutput() const;
    void SetLineNumOutput(bool output);

    // The recent-file list, most recent first.
    const QStringList& RecentFiles() const { return m_recentFiles; }
    void AddToRecentFileList(const QString& path);
    void RemoveFromRecentFileList(const QString& path);

    // F1: the user's guide in the program that opens such files, looked for
    // in `places` (UserGuidePlaces() unless set); a message when it is not
    // there, or nothing opens it.
    void OnHelp();
    void SetUserGuidePlaces(QStringList places) { m_guidePlaces = std::move(places); }
    const QStringList& UserGuidePlacesLooked() const { return m_guidePlaces; }

    // What the views ask of the main window.
    void ScheduleCommandUpdate() override;
    void OpenFindReplace(FindDialogMode mode) override;
    void FindAgain() override;
    QWidget* DialogParent() const override;
    void ShowStatusMessage(const QString& text) override;
    bool ChangeKind(EditorView& view, DocKind kind) override;

    // Whether the splash is still up, and how long it stays up: alone while
    // start-up waits, then until the first idle moment after that time
    // (2000 ms; tests set less).
    bool SplashShown() const;
    void SetSplashTime(int milliseconds) { m_splashTime = milliseconds; }

    // The copies of this run's unsaved work; null when the program has no
    // folder for them. A window writes its copy this long after the last
    // change (3000 ms; tests set less), and at most 30 s after the first.
    RecoveryStore* Recovery() const { return m_recovery.get(); }
    int RecoveryDelay() const { return m_recoveryDelay; }
    void SetRecoveryDelay(int milliseconds) { m_recoveryDelay = milliseconds; }
    // Says once in the status bar that a copy could not be written.
    void RecoveryWriteFailed(const std::string& reason);

private:
    // New, Open, the new document of each type, the recent files, the port
    // settings, help, About and Exit.
    void AddCommandRows();
    void OnIdle();
    // After the splash: offers the work a run that did not end cleanly left.
    void OfferRecovery();

    AppSettings m_settings;
    ProfileStore m_profile;
    std::vector<std::unique_ptr<DocumentType>> m_templates;
    std::unique_ptr<CommandRouter> m_router;
    std::unique_ptr<DocumentManager> m_docManager;
    std::unique_ptr<MainWindow> m_mainFrame;
    std::unique_ptr<SplashDialog> m_splash;
    qint64 m_splashStart = 0;
    int m_splashTime = 2000;
    QFont m_fontEdit;
    QStringList m_recentFiles;
    QStringList m_guidePlaces;
    std::unique_ptr<RecoveryStore> m_recovery;
    int m_recoveryDelay = 3000;
    bool m_recoveryFailureSaid = false;
};

} // namespace tessel
