#include "res/Language.h"

#include <atomic>

namespace tessel {
namespace {

std::atomic<Language> g_language{Language::Japanese};

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

// The language of one locale name ("ja_JP.UTF-8", "C", "de_DE@euro").
Language OfLocaleName(std::string_view name) {
    const std::string_view language = name.substr(0, name.find_first_of("_.@"));
    if (language.empty() || EqualsNoCase(language, "ja") || language == "C" || name == "POSIX")
        return Language::Japanese;
    return Language::English;
}

} // namespace

std::string_view LanguageCode(Language language) {
    return language == Language::English ? "en" : "ja";
}

std::optional<Language> ParseLanguage(std::string_view code) {
    for (const Language language : {Language::Japanese, Language::English})
        if (EqualsNoCase(code, LanguageCode(language)))
            return language;
    return std::nullopt;
}

Language LanguageOfLocale(EnvironmentReader getenv) {
    // LANGUAGE is a list; entries the program has no texts for are passed
    // over, and a list of nothing but those means English.
    if (const char* list = getenv("LANGUAGE"); list && *list) {
        std::string_view rest = list;
        while (!rest.empty()) {
            const std::size_t colon = rest.find(':');
            const std::string_view entry = rest.substr(0, colon);
            rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
            const std::string_view language = entry.substr(0, entry.find_first_of("_.@"));
            if (EqualsNoCase(language, "ja") || EqualsNoCase(language, "en"))
                return OfLocaleName(entry);
        }
        return Language::English;
    }
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* value = getenv(name); value && *value)
            return OfLocaleName(value);
    return Language::Japanese;
}

Language ChooseLanguage(std::string_view setting, EnvironmentReader getenv) {
    if (const std::optional<Language> chosen = ParseLanguage(setting))
        return *chosen;
    return LanguageOfLocale(getenv);
}

void SetLanguage(Language language) {
    g_language.store(language, std::memory_order_relaxed);
}

Language CurrentLanguage() {
    return g_language.load(std::memory_order_relaxed);
}

} // namespace tessel
