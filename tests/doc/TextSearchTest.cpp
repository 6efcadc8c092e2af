#include "doc/TextSearch.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tessel {
namespace {

constexpr SearchOptions kPlain{};
constexpr SearchOptions kCase{.matchCase = true};
constexpr SearchOptions kWord{.wholeWord = true};

TEST(TextSearch, ForwardFromAPosition) {
    const std::u16string_view text = u"abc abc";
    EXPECT_EQ(FindForward(text, u"abc", 0, kPlain), 0u);
    EXPECT_EQ(FindForward(text, u"abc", 1, kPlain), 4u);
    // A match that starts before `from` is not taken, even when it ends after.
    EXPECT_EQ(FindForward(text, u"c a", 3, kPlain), std::nullopt);
    EXPECT_EQ(FindForward(text, u"abc", 5, kPlain), std::nullopt);
    EXPECT_EQ(FindForward(text, u"abc", 100, kPlain), std::nullopt);
    EXPECT_EQ(FindForward(text, u"", 0, kPlain), std::nullopt);
    EXPECT_EQ(FindForward(u"", u"a", 0, kPlain), std::nullopt);
    EXPECT_EQ(FindForward(u"ab", u"abc", 0, kPlain), std::nullopt);
}

TEST(TextSearch, BackwardEndsAtOrBeforeThePosition) {
    const std::u16string_view text = u"abc abc";
    EXPECT_EQ(FindBackward(text, u"abc", 7, kPlain), 4u);
    EXPECT_EQ(FindBackward(text, u"abc", 6, kPlain), 0u);
    EXPECT_EQ(FindBackward(text, u"abc", 3, kPlain), 0u);
    EXPECT_EQ(FindBackward(text, u"abc", 2, kPlain), std::nullopt);
    EXPECT_EQ(FindBackward(text, u"abc", 100, kPlain), 4u);
    EXPECT_EQ(FindBackward(text, u"abc", 0, kPlain), std::nullopt);
    // Going up through overlapping matches mirrors going down.
    EXPECT_EQ(FindBackward(u"aaaa", u"aa", 4, kPlain), 2u);
    EXPECT_EQ(FindBackward(u"aaaa", u"aa", 2, kPlain), 0u);
    EXPECT_EQ(FindForward(u"aaaa", u"aa", 2, kPlain), 2u);
}

TEST(TextSearch, CaseFoldsOnlyAsciiLetters) {
    EXPECT_EQ(FindForward(u"xABCx", u"abc", 0, kPlain), 1u);
    EXPECT_EQ(FindForward(u"xabcx", u"ABC", 0, kPlain), 1u);
    EXPECT_EQ(FindForward(u"xABCx", u"abc", 0, kCase), std::nullopt);
    EXPECT_EQ(FindForward(u"xABCxabc", u"abc", 0, kCase), 5u);
    // Full-width letters, Greek and the characters next to A-Z and a-z in
    // the code table are not folded.
    EXPECT_EQ(FindForward(u"ＡＢＣ", u"ａｂｃ", 0, kPlain), std::nullopt);
    EXPECT_EQ(FindForward(u"ＡＢＣ", u"ＡＢＣ", 0, kPlain), 0u);
    EXPECT_EQ(FindForward(u"Α", u"α", 0, kPlain), std::nullopt);
    EXPECT_EQ(FindForward(u"@[`{", u"`{", 0, kPlain), 2u);
    EXPECT_EQ(FindForward(u"@[", u"`{", 0, kPlain), std::nullopt);
}

TEST(TextSearch, WholeWordDoesNotCutAWord) {
    EXPECT_EQ(FindForward(u"cats cat", u"cat", 0, kWord), 5u);
    EXPECT_EQ(FindForward(u"a_cat cat1 cat", u"cat", 0, kWord), 11u);
    EXPECT_EQ(FindForward(u"(cat)", u"cat", 0, kWord), 1u);
    EXPECT_EQ(FindBackward(u"cat cats", u"cat", 8, kWord), 0u);
    // Only ASCII letters, digits and '_' make words: double-byte text and
    // half-width kana around a match do not.
    EXPECT_EQ(FindForward(u"全角cat文字", u"cat", 0, kWord), 2u);
    EXPECT_EQ(FindForward(u"全角文字", u"角文", 0, kWord), 1u);
    EXPECT_EQ(FindForward(u"ｶﾅcatｶﾅ", u"cat", 0, kWord), 2u);
    // An end of the pattern that is not a word character may touch a word.
    EXPECT_EQ(FindForward(u"a.b", u".b", 0, kWord), 1u);
    EXPECT_EQ(FindForward(u"a.bc", u".b", 0, kWord), std::nullopt);
    // A rejected candidate does not hide a match that overlaps it.
    EXPECT_EQ(FindForward(u"aab a", u"a", 0, kWord), 4u);
    EXPECT_EQ(FindForward(u"xaba ab", u"ab", 0, kWord), 5u);
}

TEST(TextSearch, FindAllTakesMatchesThatDoNotOverlap) {
    EXPECT_EQ(FindAll(u"aaaaa", u"aa", kPlain), (std::vector<std::size_t>{0, 2}));
    EXPECT_EQ(FindAll(u"Ab ab AB", u"ab", kPlain), (std::vector<std::size_t>{0, 3, 6}));
    EXPECT_EQ(FindAll(u"Ab ab AB", u"ab", kCase), (std::vector<std::size_t>{3}));
    EXPECT_EQ(FindAll(u"ab abc ab", u"ab", kWord), (std::vector<std::size_t>{0, 7}));
    EXPECT_TRUE(FindAll(u"abc", u"", kPlain).empty());
    EXPECT_TRUE(FindAll(u"", u"a", kPlain).empty());
    // Lines are separated by U+2029 in the widget's text; a pattern may span them.
    EXPECT_EQ(FindAll(u"a\u2029b a\u2029b", u"a\u2029b", kPlain), (std::vector<std::size_t>{0, 4}));
}

TEST(TextSearch, MatchesAtChecksTheWholeRange) {
    EXPECT_TRUE(MatchesAt(u"xABx", u"ab", 1, 2, kPlain));
    EXPECT_FALSE(MatchesAt(u"xABx", u"ab", 1, 2, kCase));
    EXPECT_FALSE(MatchesAt(u"xABx", u"ab", 1, 3, kPlain));
    EXPECT_FALSE(MatchesAt(u"xABx", u"ab", 0, 2, kPlain));
    EXPECT_FALSE(MatchesAt(u"xab", u"ab", 1, 2, kWord));
    EXPECT_TRUE(MatchesAt(u"x ab", u"ab", 2, 2, kWord));
    EXPECT_FALSE(MatchesAt(u"ab", u"ab", 1, 2, kPlain));
    EXPECT_FALSE(MatchesAt(u"ab", u"ab", 5, 2, kPlain));
    EXPECT_FALSE(MatchesAt(u"ab", u"", 0, 0, kPlain));
}

// The linear matcher against the obvious quadratic one, on texts over a small
// alphabet where matches overlap, repeat and touch words.
TEST(TextSearch, AgreesWithADirectComparison) {
    const std::u16string alphabet = u"aAb_ 全";
    std::mt19937 rng(7);
    auto randomText = [&](std::size_t maxLength) {
        std::u16string text(rng() % (maxLength + 1), u' ');
        for (char16_t& unit : text)
            unit = alphabet[rng() % alphabet.size()];
        return text;
    };
    for (int round = 0; round < 3000; ++round) {
        const std::u16string text = randomText(30);
        std::u16string pattern = randomText(4);
        if (pattern.empty())
            pattern.push_back(u'a');
        const SearchOptions options{.matchCase = rng() % 2 == 0, .wholeWord = rng() % 2 == 0};
        std::vector<std::size_t> all;
        for (std::size_t start = 0; start + pattern.size() <= text.size(); ++start)
            if (MatchesAt(text, pattern, start, pattern.size(), options))
                all.push_back(start);

        const std::size_t from = rng() % (text.size() + 2);
        std::optional<std::size_t> first;
        std::optional<std::size_t> last;
        for (std::size_t start : all) {
            if (start >= from && !first)
                first = start;
            if (start + pattern.size() <= from)
                last = start;
        }
        ASSERT_EQ(FindForward(text, pattern, from, options), first) << round;
        ASSERT_EQ(FindBackward(text, pattern, from, options), last) << round;

        std::vector<std::size_t> apart;
        for (std::size_t start : all)
            if (apart.empty() || start >= apart.back() + pattern.size())
                apart.push_back(start);
        ASSERT_EQ(FindAll(text, pattern, options), apart) << round;
    }
}

} // namespace
} // namespace tessel
