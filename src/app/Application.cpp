#include "app/Application.h"

#include "app/AboutDialog.h"
#include "app/ComSettingsDialog.h"
#include "app/CommandRouter.h"
#include "app/DocumentManager.h"
#include "app/DocumentWindow.h"
#include "app/GuiMessageSink.h"
#include "app/MainWindow.h"
#include "app/SplashDialog.h"
#include "app/StartCommandLine.h"
#include "app/Translations.h"
#include "app/UserGuide.h"
#include "doc/Recovery.h"
#include "encoding/Cp932.h"
#include "res/StringTable.h"
#include "settings/StateFolder.h"
#include "sys/FileIo.h"
#include "ui/CommandIds.h"
#include "ui/DialogFields.h"
#include "ui/MessageBox.h"
#include "view/EditorView.h"
#include "view/FindReplaceDialog.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <cstdio>

namespace tessel {
namespace {

// Show commands.
constexpr int kShowHide = 0;
constexpr int kShowNormal = 1;

// Faces that a settings file may name but this system lacks stand for the
// Japanese fixed-pitch fonts that are usually installed.
const QStringList kJapaneseMonospace = {
    QStringLiteral("IPAGothic"),   QStringLiteral("Noto Sans Mono CJK JP"),
    QStringLiteral("VL Gothic"),   QStringLiteral("TakaoGothic"),
    QStringLiteral("IPAexGothic"), QStringLiteral("Noto Sans CJK JP"),
};

// Whether the command line holds the switch `name` (after "/" or "-").
bool HasSwitch(const QStringList& arguments, const QString& name) {
    for (const QString& argument : arguments) {
        if ((argument.startsWith(u'/') || argument.startsWith(u'-')) &&
            argument.mid(1).compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace
} // namespace tessel

// The pictures live in the GUI library, which is static: its resources are
// registered by hand.
static void InitResources() {
    Q_INIT_RESOURCE(tessel);
}

namespace tessel {

Application::Application(std::string profilePath)
    : m_profile(std::move(profilePath)), m_router(std::make_unique<CommandRouter>([this] {
          std::vector<CommandTarget*> chain;
          if (m_mainFrame) {
              if (DocumentWindow* child = m_mainFrame->ActiveChild()) {
                  chain.push_back(child->GetActiveView());
                  chain.push_back(child->DocumentTarget());
                  chain.push_back(child);
              }
              chain.push_back(m_mainFrame.get());
          }
          chain.push_back(this);
          return chain;
      })),
      m_docManager(std::make_unique<DocumentManager>(*this)),
      m_guidePlaces(UserGuidePlaces(QString::fromStdString(ExecutablePath()))) {
    InitResources();
    // Typing in a dialog that has just opened replaces its first field.
    SelectFieldTextWhenDialogsOpen(this);
    AddCommandRows();
}

Application::~Application() {
    m_splash.reset();
    m_mainFrame.reset();
}

std::array<DocumentType*, 6> Application::Templates() {
    return {m_basicType, m_cType, m_asmType, m_caslType, m_textType, m_dataType};
}

DocumentType& Application::TemplateFor(DocKind kind) {
    for (DocumentType* docTemplate : Templates())
        if (docTemplate->Kind() == kind)
            return *docTemplate;
    return *m_basicType; // every kind has its type
}

bool Application::ChangeKind(EditorView& view, DocKind kind) {
    for (DocumentWindow* child : m_mainFrame->Children())
        if (child->GetActiveView() == &view)
            return child->ChangeKind(TemplateFor(kind));
    return false;
}

void Application::CreateEditFont(const std::string& face, int points) {
    const std::u16string decoded = cp932::Decode(face);
    QFont font;
    QStringList families{
        QString::fromUtf16(decoded.data(), static_cast<qsizetype>(decoded.size()))};
    families.append(kJapaneseMonospace);
    font.setFamilies(families);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setWeight(QFont::Normal);
    font.setPixelSize(std::max(1, EditFontHeight(points)));
    m_fontEdit = font;
}

bool Application::InitInstance(const QStringList& arguments) {
    // Every text from here on is in the language chosen. Without Qt's
    // catalogue the program still runs, with Qt's own texts in English.
    if (const Language language = StartLanguage(m_profile); !ApplyLanguage(language))
        std::fprintf(stderr,
                     "tessel: %s is missing, so the buttons and the file, font and print "
                     "dialogs stay in English; install the package qt6-translations-l10n\n",
                     QFile::encodeName(QtCataloguePath(language)).constData());
    if (const std::string state = StateFolder(); !state.empty())
        m_recovery = std::make_unique<RecoveryStore>(state + "/recovery");
    m_settings.LoadSettings(m_profile);
    m_recentFiles.clear();
    for (const std::string& path : m_settings.m_recentFiles)
        m_recentFiles.append(QString::fromStdString(path));
    CreateEditFont(m_settings.faceName, m_settings.fontSize);
    m_settings.LoadLineNumberSettings(m_profile);

    // The six types, in this order: it is the order of the "new" list and
    // of the file dialogs' filters.
    auto add = [this](DocKind kind, unsigned resource, int command) {
        m_templates.push_back(std::make_unique<DocumentType>(kind, resource, command));
        return m_templates.back().get();
    };
    m_basicType = add(DocKind::Basic, IDR_BASICTYPE, ID_NEW_BASIC);
    m_cType = add(DocKind::C, IDR_CTYPE, ID_NEW_C);
    m_asmType = add(DocKind::Asm, IDR_ASMTYPE, ID_NEW_ASM);
    m_caslType = add(DocKind::Casl, IDR_CASLTYPE, ID_NEW_CASL);
    m_textType = add(DocKind::Text, IDR_TEXTTYPE, ID_NEW_TEXT);
    m_dataType = add(DocKind::Data, IDR_DATATYPE, ID_NEW_DATA);

    m_mainFrame = std::make_unique<MainWindow>(*this);
    if (!m_mainFrame->OnCreate())
        return false;

    const bool embedding = HasSwitch(arguments, QStringLiteral("Embedding"));
    const bool automation = HasSwitch(arguments, QStringLiteral("Automation"));
    const int show = embedding ? kShowHide : kShowNormal;
    if (!embedding) {
        if (!automation) {
            m_splash = std::make_unique<SplashDialog>(m_mainFrame.get());
            if (m_splash->Create()) {
                m_splash->show();
                m_splash->repaint();
            } else {
                m_splash.reset();
            }
        }
        m_splashStart = QDateTime::currentMSecsSinceEpoch();
    }
    // The splash is on screen alone for a moment.
    if (m_splashTime > 0)
        QThread::msleep(static_cast<unsigned long>(m_splashTime));

    m_mainFrame->InitialShowWindow(show);
    // Shown once more as the start asked: a window kept minimised comes
    // back, a maximised one stays so.
    if (show == kShowNormal) {
        if (!m_mainFrame->isMaximized())
            m_mainFrame->showNormal();
        m_mainFrame->repaint();
    }
    // The files the command line names, as File > Open opens them.
    for (const QString& path : ParseStartCommandLine(arguments).open)
        m_docManager->OpenDocumentFile(path);
    QTimer::singleShot(0, this, &Application::OnIdle);
    return true;
}

void Application::OnIdle() {
    if (!m_splash) {
        OfferRecovery();
        return;
    }
    const qint64 elapsed = QDateTime::currentMSecsSinceEpoch() - m_splashStart;
    if (elapsed <= m_splashTime) {
        QTimer::singleShot(static_cast<int>(m_splashTime - elapsed) + 1, this,
                           &Application::OnIdle);
        return;
    }
    m_splash.reset();
    m_mainFrame->repaint();
    OfferRecovery();
}

namespace {

// An untitled copy as this run names such a document: its type's untitled
// title in the current language, with the number the copy's title ends in
// ("BASIC：無題2" saved by a Japanese run reads "BASIC: Untitled2" in English).
QString UntitledName(const DocumentType& docTemplate, const QString& savedTitle) {
    qsizetype digits = savedTitle.size();
    while (digits > 0 && savedTitle.at(digits - 1).isDigit())
        --digits;
    if (digits == savedTitle.size())
        return savedTitle;
    return docTemplate.DefaultName() + savedTitle.mid(digits);
}

} // namespace

void Application::OfferRecovery() {
    if (!m_recovery)
        return;
    for (const RecoveryStore::LeftBehind& left : m_recovery->FindLeftBehind()) {
        const RecoveryCopy& copy = left.copy;
        DocumentType* docTemplate = m_basicType;
        for (DocumentType* candidate : Templates())
            if (candidate->Kind() == copy.kind)
                docTemplate = candidate;
        const QString name = copy.path.empty()
                                 ? UntitledName(*docTemplate, QString::fromStdString(copy.title))
                                 : QFileInfo(QFile::decodeName(copy.path.c_str())).fileName();
        // Restoring is the default: what is discarded cannot come back.
        const auto answer =
            ShowMessageBox({m_mainFrame.get(), LoadQString(AFX_IDS_APP_TITLE),
                            LoadQString(IDS_RECOVERY_OFFER).arg(name), QMessageBox::Question,
                            QMessageBox::Yes | QMessageBox::No});
        if (answer != QMessageBox::No) {
            if (!m_docManager->Restore(*docTemplate, copy))
                continue; // kept for the next start: the editor could not hold it
        }
        RecoveryStore::Discard(left);
    }
}

void Application::RecoveryWriteFailed(const std::string& reason) {
    if (m_recoveryFailureSaid || !m_mainFrame)
        return;
    m_recoveryFailureSaid = true;
    m_mainFrame->statusBar()->showMessage(
        LoadQString(IDS_RECOVERY_WRITE_FAILED).arg(QString::fromLocal8Bit(reason.c_str())));
}

bool Application::SplashShown() const {
    return m_splash != nullptr;
}

void Application::ExitInstance() {
    // A clean end: no copy of this run's work is needed any more.
    if (m_recovery)
        m_recovery->RemoveAll();
    m_settings.m_recentFiles.clear();
    for (const QString& path : m_recentFiles)
        m_settings.m_recentFiles.push_back(path.toStdString());
    StoreSettings(SettingGroup::RecentFiles);
    StoreSettings(SettingGroup::PreviewPages);
    // Where the main window was, to open there next time.
    if (const auto placement = m_mainFrame ? m_mainFrame->PlacementToStore() : std::nullopt) {
        m_settings.windowPos = FormatWindowPlacement(*placement).toStdString();
        StoreSettings(SettingGroup::WindowPos);
    }
}

void Application::StoreSettings(SettingGroup group) {
    // The user's own settings file may be the first in its folder.
    const QString folder = QFileInfo(QString::fromStdString(m_profile.Path())).absolutePath();
    if (!QFileInfo::exists(folder))
        (void)MakeFolders(folder.toStdString(), 0700); // a failure shows as the write's
    if (!m_settings.Write(m_profile, group))
        GuiMessageSink(m_mainFrame.get())
            .ShowFileError(MessageSink::FileAction::Save, m_profile.Path(), m_profile.LastError());
}

void Application::ScheduleCommandUpdate() {
    m_router->ScheduleUpdate();
}

void Application::OpenFindReplace(FindDialogMode mode) {
    m_mainFrame->OpenFindReplace(mode);
}

void Application::FindAgain() {
    m_mainFrame->FindAgain();
}

QWidget* Application::DialogParent() const {
    return m_mainFrame.get();
}

void Application::ShowStatusMessage(const QString& text) {
    // Long enough to be read after a glance up from the keys.
    constexpr int kShownFor = 10000; // ms
    if (m_mainFrame)
        m_mainFrame->statusBar()->showMessage(text, kShownFor);
}

void Application::AddCommandRows() {
    Rows()
        .Add(ID_FILE_NEW, [this] { m_docManager->OnFileNew(); })
        .Add(ID_FILE_OPEN, [this] { m_docManager->OnFileOpen(); })
        .Add(ID_COM_SETTINGS, [this] { OnComSettings(); })
        .Add(ID_APP_ABOUT,
             [this] {
                 AboutDialog dialog(QFile::decodeName(m_profile.Path().c_str()), m_mainFrame.get());
                 dialog.exec();
             })
        .Add(ID_HELP, [this] { OnHelp(); })
        .Add(ID_APP_EXIT, [this] { m_mainFrame->close(); });
    for (const int id : {ID_NEW_BASIC, ID_NEW_C, ID_NEW_ASM, ID_NEW_CASL, ID_NEW_TEXT, ID_NEW_DATA})
        Rows().Add(id, [this, id] {
            for (DocumentType* docTemplate : Templates())
                if (docTemplate->NewCommand() == id)
                    m_docManager->CreateNewDocument(*docTemplate);
        });
    for (int index = 0; index < kRecentFileCount; ++index)
        Rows().Add(
            ID_FILE_MRU_FILE1 + index,
            [this, index] {
                if (index < m_recentFiles.size())
                    m_docManager->OpenDocumentFile(m_recentFiles[index]);
            },
            [this, index] { return index < m_recentFiles.size(); });
}

void Application::OnHelp() {
    const QString guide = FindUserGuide(m_guidePlaces);
    QString problem;
    if (guide.isEmpty())
        problem = LoadQString(IDS_GUIDE_MISSING).arg(m_guidePlaces.join(u'\n'));
    else if (!QDesktopServices::openUrl(QUrl::fromLocalFile(guide)))
        problem = LoadQString(IDS_GUIDE_NOT_OPENED).arg(guide);
    if (!problem.isEmpty())
        ShowMessageBox({m_mainFrame.get(), LoadQString(AFX_IDS_APP_TITLE), problem,
                        QMessageBox::Warning, QMessageBox::Ok});
}

void Application::OnComSettings() {
    ComSettings& settings = m_settings.m_comSettings;
    ComSettingsDialog dialog(settings, m_mainFrame.get());
    if (dialog.exec() != QDialog::Accepted)
        return;
    settings.ApplyComSettings(dialog.Settings());
    // The eight keys at once, in their order, then the pacing and devices.
    StoreSettings(SettingGroup::ComPort);
}

bool Application::GetLineNumOutput() const {
    DocumentWindow* child = m_mainFrame ? m_mainFrame->ActiveChild() : nullptr;
    return child && child->GetActiveView()->GetLineNumOutput();
}

void Application::SetLineNumOutput(bool output) {
    if (DocumentWindow* child = m_mainFrame ? m_mainFrame->ActiveChild() : nullptr)
        child->GetActiveView()->SetLineNumOutput(output);
}

void Application::AddToRecentFileList(const QString& path) {
    m_recentFiles.removeAll(path);
    m_recentFiles.prepend(path);
    while (m_recentFiles.size() > kRecentFileCount)
        m_recentFiles.removeLast();
}

void Application::RemoveFromRecentFileList(const QString& path) {
    m_recentFiles.removeAll(path);
}

} // namespace tessel
