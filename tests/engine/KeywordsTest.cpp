#include "engine/Keywords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tessel {
namespace {

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The lookup written the slow and obvious way, to check the fast one against:
// record by record in table order, the first whose name the text starts
// with, only ASCII letters folded.
KeywordMatch ReferenceLookup(std::string_view text) {
    for (std::size_t i = 0; i < KeywordTableSize(); ++i) {
        const KeywordRecord& record = KeywordAt(i);
        const std::string_view name(record.name);
        if (name.size() <= text.size() &&
            std::ranges::equal(name, text.substr(0, name.size()),
                               [](char n, char t) { return n == Upper(t); }))
            return {static_cast<std::uint8_t>(name.size()), static_cast<KeywordFlag>(record.flag),
                    record.category};
    }
    return {};
}

void ExpectSame(const KeywordMatch& found, const KeywordMatch& expected, std::string_view word) {
    EXPECT_EQ(found.length, expected.length) << word;
    EXPECT_EQ(found.flag, expected.flag) << word;
    EXPECT_EQ(found.category, expected.category) << word;
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

    EXPECT_EQ(FindKeyword("REM").flag, kKwRem);
    EXPECT_EQ(FindKeyword("THEN").flag, kKwThen);
    EXPECT_EQ(FindKeyword("ELSE").flag, kKwElse);
    EXPECT_EQ(FindKeyword("RESTORE").flag, kKwRestore);
    EXPECT_EQ(FindKeyword("GOTO").flag, kKwGoto);
    EXPECT_EQ(FindKeyword("GOSUB").flag, kKwGosub);
}

// Every record can be found as itself, in either case and followed by what
// ends a word: a record shadowed by an earlier prefix of it, or one the fast
// lookup's packing lost, would fail here.
TEST(FindKeyword, FindsEveryRecordWithItsFlagAndCategory) {
    for (std::size_t i = 0; i < KeywordTableSize(); ++i) {
        const KeywordRecord& record = KeywordAt(i);
        const std::string name = record.name;
        std::string lower = name;
        for (char& c : lower)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        const KeywordMatch expected{static_cast<std::uint8_t>(name.size()),
                                    static_cast<KeywordFlag>(record.flag), record.category};
        for (const std::string& word : {name, lower, name + "1", lower + "(", name + " 10"})
            ExpectSame(FindKeyword(word), expected, word);
    }
}

TEST(FindKeyword, FirstPrefixInTableOrderWins) {
    EXPECT_EQ(FindKeyword("DEGREE").length, 6u);
    EXPECT_EQ(FindKeyword("DEGX").length, 3u);
    EXPECT_EQ(FindKeyword("DMS$").length, 4u);
    EXPECT_EQ(FindKeyword("INPUT").length, 5u);
    EXPECT_EQ(FindKeyword("INPX").length, 3u);
    EXPECT_EQ(FindKeyword("OUTPUT").length, 6u);
    EXPECT_EQ(FindKeyword("ENDIF").length, 5u);
    EXPECT_EQ(FindKeyword("ENDSWITCH").length, 9u);
    EXPECT_EQ(FindKeyword("END").length, 3u);
    EXPECT_EQ(FindKeyword("LNINPUT").length, 7u);
    EXPECT_EQ(FindKeyword("LN").length, 2u);
    // Not the longest match: TOTAL starts with TO, GOTOX with GOTO.
    EXPECT_EQ(FindKeyword("TOTAL").length, 2u);
    EXPECT_EQ(FindKeyword("GOTOX").length, 4u);
    EXPECT_EQ(FindKeyword("GOTOX").flag, kKwGoto);
    // ASN stands before AS, so ASN wins; ASX falls to AS.
    EXPECT_EQ(FindKeyword("ASN").length, 3u);
    EXPECT_EQ(FindKeyword("ASX").length, 2u);
    // REMAIN begins with REM.
    EXPECT_EQ(FindKeyword("REMAIN").flag, kKwRem);
}

TEST(FindKeyword, CaseAndNonKeywords) {
    EXPECT_EQ(FindKeyword("goto").length, 4u);
    EXPECT_EQ(FindKeyword("GoSuB").flag, kKwGosub);
    EXPECT_EQ(FindKeyword("printX").length, 5u);
    for (const char* text : {"", "1GOTO", "$", "JUMP", "QUIT", "YES", "ZAP", "XYZ", "\x82\x60",
                             "PRIN", "@ND", "`ND"}) {
        const KeywordMatch match = FindKeyword(text);
        EXPECT_EQ(match.length, 0u) << text;
        EXPECT_EQ(match.flag, kKwPlain) << text;
    }
    // Only ASCII letters fold: a byte above 0x7F that is a letter with its
    // top bit set is no letter, wherever it stands.
    for (const char* text :
         {"\xc7OTO", "\xe7OTO", "G\xcfTO", "G\xefTO", "GO\xd4O", "GO\xf4O", "\xc1ND", "\xe1nd"})
        EXPECT_EQ(FindKeyword(text).length, 0u) << text;
    EXPECT_EQ(FindKeyword("ENDSWITC\xc8").length, 3u);
    // The text's end stops a match that would run past it, though the bytes
    // after it would complete one.
    const std::string_view line = "GOTO ENDSWITCH";
    EXPECT_EQ(FindKeyword(line.substr(0, 3)).length, 0u);
    EXPECT_EQ(FindKeyword(line.substr(0, 1)).length, 0u);
    EXPECT_EQ(FindKeyword(line.substr(5, 8)).length, 3u);
    EXPECT_EQ(FindKeyword(line.substr(5, 9)).length, 9u);
}

// The fast lookup packs the word's bytes instead of walking the table record
// by record; it must find what the slow one finds for every keyword, its
// prefixes and longer words, in any case, with bytes above 0x7F among them.
// Every prefix of every word is looked up in place, so a lookup that read
// past the end of its text would see the rest of the word.
TEST(FindKeyword, AgreesWithRecordByRecordLookup) {
    std::vector<std::string> words = {"GOTO$",      "TOTAL",        "REMAIN",      "GOTOX",
                                      "ENDSWITCHX", "RANDOMIZED",   "G@",          "g`",
                                      "\xc7O",      "abcdefghijkl", "GOTO\x81\x40"};
    for (std::size_t i = 0; i < KeywordTableSize(); ++i) {
        const std::string name = KeywordAt(i).name;
        std::string lower = name;
        for (char& c : lower)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        for (const std::string_view suffix : {"", "X", "$", "1", "ZZZZZZZZ", "\xc1"}) {
            words.push_back(name + std::string(suffix));
            words.push_back(lower + std::string(suffix));
        }
    }
    std::mt19937 rng(5);
    const std::string letters = "AEGILNOPRSTUaegilnoprstu$`@[{\xc1\xc5\xc7\xcf\xd2\xe5\xef\xf4";
    for (int i = 0; i < 20000; ++i) {
        std::string word(1 + rng() % 11, ' ');
        for (char& c : word)
            c = letters[rng() % letters.size()];
        words.push_back(word);
    }
    for (const std::string& word : words)
        for (std::size_t n = 0; n <= word.size(); ++n) {
            const std::string_view text = std::string_view(word).substr(0, n);
            ExpectSame(FindKeyword(text), ReferenceLookup(text), text);
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
