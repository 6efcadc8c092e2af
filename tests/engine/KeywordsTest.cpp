#include "engine/Keywords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tessel {
namespace {

struct Found {
    std::size_t length;
    std::uint8_t flag;
};

Found Lookup(const char* text) {
    std::uint8_t flag = 99;
    const std::size_t length = LookupKeyword(text, flag);
    return {length, flag};
}

// The lexer's lookup as the scanner calls it: the keyword's length and flag.
std::size_t LookupWord(std::string_view text, std::uint8_t& flag) {
    const KeywordMatch match = FindKeyword(text);
    flag = match.flag;
    return match.length;
}

TEST(KeywordTable, HoldsTheDeviceKeywordsOnce) {
    ASSERT_EQ(KeywordTableSize(), kKeywordCount);
    std::set<std::string> names;
    std::set<char> letters;
    for (std::size_t i = 0; i < KeywordTableSize(); ++i) {
        const KeywordRecord& record = KeywordAt(i);
        const std::string name(record.name);
        ASSERT_FALSE(name.empty());
        EXPECT_TRUE(names.insert(name).second) << name;
        letters.insert(name[0]);
        EXPECT_LE(name.size(), kLongestKeyword); // the lookup relies on both
        EXPECT_TRUE(std::ranges::all_of(name, [](char c) {
            return (c >= 'A' && c <= 'Z') || c == '$';
        })) << name;
        // The rest of the name field is zero-filled.
        for (std::size_t k = name.size(); k < sizeof record.name; ++k)
            ASSERT_EQ(record.name[k], 0) << name;
    }
    EXPECT_EQ(letters.size(), 22u);
    for (char missing : {'J', 'Q', 'Y', 'Z'})
        EXPECT_EQ(letters.count(missing), 0u);
}

TEST(KeywordTable, OnlySixKeywordsCarryFlags) {
    std::set<std::string> flagged;
    for (std::size_t i = 0; i < KeywordTableSize(); ++i)
        if (KeywordAt(i).flag != kKwPlain)
            flagged.insert(KeywordAt(i).name);
    EXPECT_EQ(flagged, (std::set<std::string>{"REM", "THEN", "ELSE", "RESTORE", "GOTO", "GOSUB"}));

    EXPECT_EQ(Lookup("REM").flag, kKwRem);
    EXPECT_EQ(Lookup("THEN").flag, kKwThen);
    EXPECT_EQ(Lookup("ELSE").flag, kKwElse);
    EXPECT_EQ(Lookup("RESTORE").flag, kKwRestore);
    EXPECT_EQ(Lookup("GOTO").flag, kKwGoto);
    EXPECT_EQ(Lookup("GOSUB").flag, kKwGosub);
}

TEST(LookupKeyword, FirstPrefixInTableOrderWins) {
    EXPECT_EQ(Lookup("DEGREE").length, 6u);
    EXPECT_EQ(Lookup("DEGX").length, 3u);
    EXPECT_EQ(Lookup("DMS$").length, 4u);
    EXPECT_EQ(Lookup("INPUT").length, 5u);
    EXPECT_EQ(Lookup("INPX").length, 3u);
    EXPECT_EQ(Lookup("OUTPUT").length, 6u);
    EXPECT_EQ(Lookup("ENDIF").length, 5u);
    EXPECT_EQ(Lookup("ENDSWITCH").length, 9u);
    EXPECT_EQ(Lookup("END").length, 3u);
    EXPECT_EQ(Lookup("LNINPUT").length, 7u);
    EXPECT_EQ(Lookup("LN").length, 2u);
    // Not the longest match: TOTAL starts with TO, GOTOX with GOTO.
    EXPECT_EQ(Lookup("TOTAL").length, 2u);
    EXPECT_EQ(Lookup("GOTOX").length, 4u);
    EXPECT_EQ(Lookup("GOTOX").flag, kKwGoto);
    // ASN stands before AS, so ASN wins; ASX falls to AS.
    EXPECT_EQ(Lookup("ASN").length, 3u);
    EXPECT_EQ(Lookup("ASX").length, 2u);
    // REMAIN begins with REM.
    EXPECT_EQ(Lookup("REMAIN").flag, kKwRem);
}

TEST(LookupKeyword, CaseAndNonKeywords) {
    EXPECT_EQ(Lookup("goto").length, 4u);
    EXPECT_EQ(Lookup("GoSuB").flag, kKwGosub);
    for (const char* text : {"", "1GOTO", "$", "JUMP", "QUIT", "YES", "ZAP", "XYZ", "\x82\x60"}) {
        const Found found = Lookup(text);
        EXPECT_EQ(found.length, 0u) << text;
        EXPECT_EQ(found.flag, kKwPlain) << text;
    }
    // The text's end stops a match that would run past it.
    EXPECT_EQ(Lookup("GOT").length, 0u);
    EXPECT_EQ(Lookup("G").length, 0u);
}

TEST(MatchKeyword, PrefixWithoutCase) {
    EXPECT_TRUE(MatchKeyword("printX", "PRINT"));
    EXPECT_TRUE(MatchKeyword("PRINT", "PRINT"));
    EXPECT_FALSE(MatchKeyword("PRIN", "PRINT"));
    EXPECT_TRUE(MatchKeyword("anything", ""));
    // Only ASCII letters fold: '@' is not '`', and bytes above 0x7F never match letters.
    EXPECT_FALSE(MatchKeyword("@", "`"));
    EXPECT_FALSE(MatchKeyword("\xc1", "A"));
}

TEST(LookupKeyword, PerLetterGroupsAgreeWithDispatch) {
    std::uint8_t flag = 0;
    EXPECT_EQ(LookupKeywordA("APPEND", flag), 6u);
    EXPECT_EQ(LookupKeywordG("GOSUB", flag), 5u);
    EXPECT_EQ(flag, kKwGosub);
    // A group only knows its own letter.
    EXPECT_EQ(LookupKeywordA("BEEP", flag), 0u);
    EXPECT_EQ(flag, kKwPlain);
    EXPECT_EQ(LookupKeywordX("XOR", flag), 3u);
}

// The scanner's lookup packs the word's bytes instead of walking the
// table record by record; it must find what LookupKeyword finds for every
// keyword, its prefixes and longer words, in any case.
TEST(LookupWord, AgreesWithLookupKeyword) {
    std::vector<std::string> words = {"",       "A",     "$",          "GOTO$",      "TOTAL",
                                      "REMAIN", "GOTOX", "ENDSWITCHX", "RANDOMIZED", "abcdefghijkl",
                                      "G@",     "g`",    "\xc7O"};
    for (std::size_t i = 0; i < KeywordTableSize(); ++i) {
        const std::string name = KeywordAt(i).name;
        for (std::size_t n = 1; n <= name.size(); ++n) {
            std::string lower = name.substr(0, n);
            for (char& c : lower)
                c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            for (const std::string& suffix : {"", "X", "$", "1", "ZZZZZZZZ"}) {
                words.push_back(name.substr(0, n) + suffix);
                words.push_back(lower + suffix);
            }
        }
    }
    std::mt19937 rng(5);
    const std::string letters = "AEGILNOPRSTUaegilnoprstu$`@[{";
    for (int i = 0; i < 20000; ++i) {
        std::string word(1 + rng() % 11, ' ');
        for (char& c : word)
            c = letters[rng() % letters.size()];
        words.push_back(word);
    }
    for (const std::string& word : words) {
        std::uint8_t flag = 99;
        const std::size_t length = LookupWord(word, flag);
        const Found found = Lookup(word.c_str());
        EXPECT_EQ(length, found.length) << word;
        EXPECT_EQ(flag, found.flag) << word;
        // The lexer's lookup finds the same keyword, with its record's category.
        const KeywordMatch match = FindKeyword(word);
        EXPECT_EQ(match.length, found.length) << word;
        EXPECT_EQ(match.flag, found.flag) << word;
        if (match.length != 0) {
            std::string upper = word.substr(0, match.length);
            for (char& c : upper)
                c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
            for (std::size_t i = 0; i < KeywordTableSize(); ++i)
                if (upper == KeywordAt(i).name)
                    EXPECT_EQ(match.category, KeywordAt(i).category) << word;
        }
    }
}

TEST(KeywordTable, CategoriesForAHighlighter) {
    std::map<KeywordCategory, std::set<std::string>> names;
    for (std::size_t i = 0; i < KeywordTableSize(); ++i)
        names[KeywordAt(i).category].insert(KeywordAt(i).name);
    EXPECT_EQ(names[kKcOperator], (std::set<std::string>{"AND", "MOD", "NOT", "OR", "XOR"}));
    EXPECT_EQ(names[kKcClause], (std::set<std::string>{"APPEND", "AS", "ELSE", "OUTPUT", "STEP",
                                                       "THEN", "TO", "USING"}));
    // Every statement that takes references is a statement; functions give
    // values, strings among them.
    for (const char* name : {"GOTO", "GOSUB", "RESTORE", "REM", "PRINT", "IF", "ENDSWITCH"})
        EXPECT_TRUE(names[kKcStatement].contains(name)) << name;
    for (const char* name : {"ABS", "CHR$", "INKEY$", "MID$", "PI", "RND", "EOF", "PEEK"})
        EXPECT_TRUE(names[kKcFunction].contains(name)) << name;
    EXPECT_EQ(names[kKcStatement].size() + names[kKcFunction].size(), kKeywordCount - 13);
}

} // namespace
} // namespace tessel
