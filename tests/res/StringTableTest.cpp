#include "res/StringTable.h"
#include "res/Language.h"
#include "res/Problem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace tessel {
namespace {

// The placeholders of a text ("%1", "%2"), in order, and how many fields
// its "\n" make.
std::string Shape(std::string_view text) {
    std::string shape;
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '%' && text[i + 1] >= '1' && text[i + 1] <= '9')
            shape += text.substr(i, 2);
    std::vector<std::string> sorted;
    for (std::size_t i = 0; i < shape.size(); i += 2)
        sorted.push_back(shape.substr(i, 2));
    std::ranges::sort(sorted);
    shape.clear();
    for (const std::string& p : sorted)
        shape += p;
    return shape + "/" + std::to_string(std::ranges::count(text, '\n'));
}

TEST(StringTable, EveryTextHasBothLanguagesWithTheSamePlaceholders) {
    for (const StringEntry& entry : AllStrings()) {
        EXPECT_FALSE(entry.japanese.empty()) << entry.id;
        EXPECT_FALSE(entry.english.empty()) << entry.id;
        EXPECT_EQ(Shape(entry.japanese), Shape(entry.english)) << entry.id;
        EXPECT_EQ(LoadString(entry.id, Language::English), entry.english);
    }
    // A document type's extension and type id are no words: the same in both.
    for (const unsigned id :
         {IDR_BASICTYPE, IDR_CTYPE, IDR_ASMTYPE, IDR_CASLTYPE, IDR_DATATYPE, IDR_TEXTTYPE}) {
        const std::string_view ja = LoadString(id, Language::Japanese);
        const std::string_view en = LoadString(id, Language::English);
        EXPECT_EQ(ja.substr(ja.find("\n."), std::string_view::npos),
                  en.substr(en.find("\n."), std::string_view::npos));
    }
    EXPECT_EQ(LoadString(99999, Language::English), "");
}

// How often `word` stands as a whole word in `text`.
int CountWord(const std::string& text, const std::string& word) {
    const auto isWordChar = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
    };
    int count = 0;
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1))
        if ((at == 0 || !isWordChar(text[at - 1])) &&
            (at + word.size() == text.size() || !isWordChar(text[at + word.size()])))
            ++count;
    return count;
}

// Every text the table holds under a name is used somewhere in the program,
// besides its own line in the table.
TEST(StringTable, EveryNamedTextIsUsed) {
    const std::filesystem::path src = TESSEL_SOURCE_DIR "/src";
    const auto read = [](const std::filesystem::path& path) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    };
    const std::string names = read(src / "res/StringTable.h");
    std::string program;
    for (const auto& file : std::filesystem::recursive_directory_iterator(src))
        if (file.is_regular_file() && file.path().filename() != "StringTable.h")
            program += read(file.path()) + "\n";
    // The framework's text for a document it could not make: making an
    // empty document cannot fail here, but the text stays with its fellows.
    const std::set<std::string> unused = {"IDS_NONE", "AFX_IDP_FAILED_TO_CREATE_DOC"};
    const std::regex name(R"(\n    ((?:IDS|IDR|AFX_IDS|AFX_IDP|ID_INDICATOR)_\w+) = )");
    int count = 0;
    for (auto it = std::sregex_iterator(names.begin(), names.end(), name);
         it != std::sregex_iterator(); ++it, ++count) {
        const std::string id = (*it)[1];
        if (!unused.contains(id)) {
            EXPECT_GE(CountWord(program, id), 2) << id;
        }
    }
    EXPECT_GT(count, 100);
}

TEST(StringTable, TheSystemsReasonInTheLanguageForTheCommonErrors) {
    SetLanguage(Language::Japanese);
    EXPECT_EQ(SystemReason(ENOENT), "ファイルまたはフォルダーが見つかりません");
    EXPECT_EQ(SystemReason(EROFS), "読み取り専用のファイルシステムです");
    EXPECT_EQ(SystemReason(ENODEV), SystemReason(ENXIO));
    EXPECT_EQ(SystemReason(EPERM), SystemReason(EACCES));
    // The rest as the system words it.
    EXPECT_EQ(SystemReason(EIO), std::strerror(EIO));
    // Windows gives its own text, used where the table has none.
    EXPECT_EQ(SystemReason(EIO, "Der Vorgang ist fehlgeschlagen"),
              "Der Vorgang ist fehlgeschlagen");
    EXPECT_EQ(SystemReason(ETIMEDOUT, "x"), "時間内に応答がありませんでした");
    SetLanguage(Language::English);
    EXPECT_EQ(SystemReason(ENOSPC), "No space left on the device");
    EXPECT_EQ(LoadString(IDS_LINE_REF_MISSING),
              "The program refers to a line number that does not exist.");
    SetLanguage(Language::Japanese);
    EXPECT_EQ(LoadString(IDS_LINE_REF_MISSING), "プログラム中で参照している行番号が存在しません。");
}

TEST(StringTable, PlaceholdersAreFilledInTheTextsOrder) {
    EXPECT_EQ(FormatText("%2 から %1", {"a", "b"}), "b から a");
    EXPECT_EQ(FormatText("100% %1 %3", {"x"}), "100% x %3");
    EXPECT_EQ(FormatText("%1%", {"%2"}), "%2%");
    SetLanguage(Language::English);
    EXPECT_EQ(LoadFormatted(IDS_TRANSFER_TIME_LEFT, {"1:05"}), "1:05 left");
    SetLanguage(Language::Japanese);
}

std::map<std::string, std::string> g_environment;
const char* FakeEnvironment(const char* name) {
    const auto it = g_environment.find(name);
    return it == g_environment.end() ? nullptr : it->second.c_str();
}

TEST(Language, TheLocaleDecidesInThePrecedenceOfGettext) {
    const struct {
        std::map<std::string, std::string> environment;
        Language expected;
    } cases[] = {
        {{}, Language::Japanese},
        {{{"LANG", "C"}}, Language::Japanese},
        {{{"LANG", "C.UTF-8"}}, Language::Japanese},
        {{{"LANG", "POSIX"}}, Language::Japanese},
        {{{"LANG", "ja_JP.UTF-8"}}, Language::Japanese},
        {{{"LANG", "ja_JP.eucJP"}}, Language::Japanese},
        {{{"LANG", "en_US.UTF-8"}}, Language::English},
        {{{"LANG", "de_DE@euro"}}, Language::English},
        {{{"LANG", ""}}, Language::Japanese},
        // LC_MESSAGES before LANG, LC_ALL before both, LANGUAGE first.
        {{{"LANG", "ja_JP.UTF-8"}, {"LC_MESSAGES", "en_GB.UTF-8"}}, Language::English},
        {{{"LC_MESSAGES", "en_GB.UTF-8"}, {"LC_ALL", "C"}}, Language::Japanese},
        {{{"LC_ALL", "ja_JP.UTF-8"}, {"LANGUAGE", "en"}}, Language::English},
        {{{"LANG", "en_US.UTF-8"}, {"LANGUAGE", "fr:ja_JP:en"}}, Language::Japanese},
        {{{"LANG", "ja_JP.UTF-8"}, {"LANGUAGE", "fr:de"}}, Language::English},
        {{{"LANG", "en_US.UTF-8"}, {"LANGUAGE", ""}, {"LC_ALL", ""}}, Language::English},
    };
    for (const auto& c : cases) {
        g_environment = c.environment;
        EXPECT_EQ(LanguageOfLocale(FakeEnvironment), c.expected)
            << ::testing::PrintToString(c.environment);
    }
    // The setting, when it names a language, beats the locale.
    g_environment = {{"LANG", "ja_JP.UTF-8"}};
    EXPECT_EQ(ChooseLanguage("en", FakeEnvironment), Language::English);
    EXPECT_EQ(ChooseLanguage("JA", FakeEnvironment), Language::Japanese);
    EXPECT_EQ(ChooseLanguage("", FakeEnvironment), Language::Japanese);
    EXPECT_EQ(ChooseLanguage("fr", FakeEnvironment), Language::Japanese);
    g_environment = {{"LANG", "en_US.UTF-8"}};
    EXPECT_EQ(ChooseLanguage("ja", FakeEnvironment), Language::Japanese);
    EXPECT_EQ(ChooseLanguage("", FakeEnvironment), Language::English);
}

TEST(Problem, IsPutIntoWordsOnlyWhereItIsRead) {
    const Language before = CurrentLanguage();
    // No problem says nothing.
    EXPECT_TRUE(Problem{}.Ok());
    EXPECT_EQ(DescribeProblem(Problem{}), "");
    // The message's placeholders are filled in the language of the moment.
    const Problem cut = Problem::Of(IDS_NUL_CUT_OPENED, {"a.bas", "7", "3"});
    EXPECT_TRUE(cut);
    SetLanguage(Language::English);
    const std::string english = DescribeProblem(cut);
    SetLanguage(Language::Japanese);
    const std::string japanese = DescribeProblem(cut);
    EXPECT_NE(english, japanese);
    for (const std::string& text : {english, japanese}) {
        EXPECT_NE(text.find("a.bas"), std::string::npos) << text;
        EXPECT_EQ(text.find('%'), std::string::npos) << text;
    }
    // The system's reason goes on a line of its own: the table's words for a
    // number it knows, else the system's own.
    const Problem missing = Problem::FromSystem(IDS_PORT_OPEN_FAILED, ENOENT);
    EXPECT_EQ(DescribeProblem(missing), std::string(LoadString(IDS_PORT_OPEN_FAILED)) + "\n" +
                                            std::string(LoadString(IDS_REASON_NOT_FOUND)));
    const Problem odd = Problem::FromSystem(IDS_PORT_OPEN_FAILED, 12345, "Odd failure");
    EXPECT_EQ(DescribeSystemReason(odd), "Odd failure");
    EXPECT_EQ(Problem::AtLine(IDS_LINE_NO_NUMBER, 4, 40).line, 4u);
    SetLanguage(before);
}

} // namespace
} // namespace tessel
