#pragma once

// The language of the program's texts: Japanese or English, one at a time,
// chosen once at start-up for the whole run. It changes nothing but texts.
//
// To add a language: a value here, its code in LanguageCode and ParseLanguage,
// its locales in LanguageOfLocale, a column in the string table
// (res/StringTable.cpp) and in the command table (app/CommandTable.cpp), and
// the name of Qt's own catalogue for it in app/Translations.cpp.

#include <optional>
#include <string_view>

namespace tessel {

enum class Language { Japanese, English };

// "ja" or "en".
std::string_view LanguageCode(Language language);
// The language of a code ("ja", "en", in any case); none for anything else,
// the empty text included.
std::optional<Language> ParseLanguage(std::string_view code);

// Reads one environment variable; null when it is not set.
using EnvironmentReader = const char* (*)(const char* name);

// The language the locale asks for: the first of LANGUAGE, LC_ALL,
// LC_MESSAGES and LANG that is set and not empty decides. A Japanese locale
// ("ja", "ja_JP.UTF-8"), the plain "C", "C.UTF-8" and "POSIX" locales and no
// locale at all give Japanese; any other locale gives English. LANGUAGE may
// list several ("fr:ja"): its first Japanese or English entry decides.
Language LanguageOfLocale(EnvironmentReader getenv);
// The setting's language when it names one ("ja" or "en"), else the locale's.
Language ChooseLanguage(std::string_view setting, EnvironmentReader getenv);

// The language of every text from now on (Japanese until set).
void SetLanguage(Language language);
Language CurrentLanguage();

} // namespace tessel
