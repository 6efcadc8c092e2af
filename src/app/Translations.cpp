#include "app/Translations.h"

#include "settings/AppSettings.h"
#include "settings/ProfileStore.h"
#include "sys/Platform.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>
#include <vector>

namespace tessel {
namespace {

// The catalogues of what Qt draws, for a language Qt does not speak by
// itself: Qt's own, from where Qt keeps them, and the program's few
// additions, built in.
struct Catalogues {
    const char* qt;      // Qt's own: qtbase_<code>.qm
    const char* program; // the program's: tessel_<code>.qm
};

Catalogues CataloguesOf(Language language) {
    if (language == Language::Japanese)
        return {"qtbase_ja", "tessel_ja"};
    return {nullptr, nullptr}; // English is Qt's own
}

std::vector<std::unique_ptr<QTranslator>>& Installed() {
    static std::vector<std::unique_ptr<QTranslator>> translators;
    return translators;
}

bool Install(const char* name, const QString& folder) {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QString::fromLatin1(name), folder))
        return false;
    QCoreApplication::installTranslator(translator.get());
    Installed().push_back(std::move(translator));
    return true;
}

} // namespace

Language StartLanguage(const ProfileStore& profile) {
    return ChooseLanguage(LanguageSetting(profile), sys::LocaleVariable);
}

bool ApplyLanguage(Language language, const QString& qtFolder) {
    SetLanguage(language);
    for (const std::unique_ptr<QTranslator>& translator : Installed())
        QCoreApplication::removeTranslator(translator.get());
    Installed().clear();
    const Catalogues catalogues = CataloguesOf(language);
    if (!catalogues.qt)
        return true;
    const bool program = Install(catalogues.program, QStringLiteral(":/i18n"));
    // Installed last, so it is asked first.
    const bool qt =
        Install(catalogues.qt,
                qtFolder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : qtFolder);
    return program && qt;
}

QString QtCataloguePath(Language language) {
    const Catalogues catalogues = CataloguesOf(language);
    if (!catalogues.qt)
        return {};
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath) + u'/' +
           QString::fromLatin1(catalogues.qt) + QStringLiteral(".qm");
}

} // namespace tessel
