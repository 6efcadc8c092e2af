#include "app/Translations.h"

#include "settings/AppSettings.h"
#include "settings/ProfileStore.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdlib>
#include <memory>

namespace tessel {
namespace {

// The catalogue of Qt's own texts (qtbase_<code>.qm) for a language Qt does
// not speak by itself; none for English.
const char* QtCatalogue(Language language) {
    return language == Language::Japanese ? "qtbase_ja" : nullptr;
}

std::unique_ptr<QTranslator>& Installed() {
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

} // namespace

Language StartLanguage(const ProfileStore& profile) {
    return ChooseLanguage(LanguageSetting(profile),
                          [](const char* name) -> const char* { return std::getenv(name); });
}

bool ApplyLanguage(Language language) {
    SetLanguage(language);
    std::unique_ptr<QTranslator>& installed = Installed();
    if (installed) {
        QCoreApplication::removeTranslator(installed.get());
        installed.reset();
    }
    const char* catalogue = QtCatalogue(language);
    if (!catalogue)
        return true;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QString::fromLatin1(catalogue),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(translator.get());
    installed = std::move(translator);
    return true;
}

} // namespace tessel
