#include "doc/TextSearch.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace tessel {
namespace {

constexpr SearchOptions kPlain{};
constexpr SearchOptions kCase{.matchCase = true};
constexpr SearchOptions kWord{.wholeWord = true};

TEST(TextSearch, AnEmptyPatternMatchesNowhere) {
    EXPECT_EQ(FindForward(u"abc", u"", 0, kPlain), std::nullopt);
    EXPECT_EQ(FindBackward(u"abc", u"", 3, kPlain), std::nullopt);
    EXPECT_TRUE(FindAll(u"abc", u"", kPlain).empty());
    EXPECT_FALSE(MatchesAt(u"abc", u"", 0, 0, kPlain));
}

TEST(TextSearch, CaseFoldsOnlyAsciiLetters) {
    EXPECT_EQ(FindAll(u"Ab ab AB", u"aB", kPlain), (std::vector<std::size_t>{0, 3, 6}));
    EXPECT_EQ(FindAll(u"Ab ab AB", u"ab", kCase), (std::vector<std::size_t>{3}));
    // Full-width letters, Greek and the neighbours of A-Z and a-z in the code
    // table are not folded.
    EXPECT_EQ(FindForward(u"ＡＢＣ", u"ａｂｃ", 0, kPlain), std::nullopt);
    EXPECT_EQ(FindForward(u"Α", u"α", 0, kPlain), std::nullopt);
    EXPECT_EQ(FindForward(u"@[", u"`{", 0, kPlain), std::nullopt);
}

TEST(TextSearch, WholeWordDoesNotCutAWord) {
    EXPECT_EQ(FindForward(u"cats a_cat cat1 (cat)", u"cat", 0, kWord), 17u);
    EXPECT_EQ(FindBackward(u"cat cats", u"cat", 8, kWord), 0u);
    // Only ASCII letters, digits and '_' make words.
    EXPECT_EQ(FindForward(u"全角cat文字ｶﾅ", u"cat", 0, kWord), 2u);
    EXPECT_EQ(FindForward(u"全角文字", u"角文", 0, kWord), 1u);
    // An end of the pattern that is no word character may touch a word.
    EXPECT_EQ(FindForward(u"a.b", u".b", 0, kWord), 1u);
    EXPECT_EQ(FindForward(u"a.bc", u".b", 0, kWord), std::nullopt);
    EXPECT_TRUE(MatchesAt(u"x ab", u"AB", 2, 2, kWord));
    EXPECT_FALSE(MatchesAt(u"xab", u"ab", 1, 2, kWord));
}

// The linear matcher against a direct comparison at every position, on texts
// over a small alphabet where matches overlap, repeat and touch words: a
// match down lies wholly at or after the position, one up wholly before it,
// and replacing takes matches that do not overlap.
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
        const std::size_t from = rng() % (text.size() + 2);
        std::optional<std::size_t> first;
        std::optional<std::size_t> last;
        std::vector<std::size_t> apart;
        for (std::size_t start = 0; start + pattern.size() <= text.size(); ++start) {
            if (!MatchesAt(text, pattern, start, pattern.size(), options))
                continue;
            if (start >= from && !first)
                first = start;
            if (start + pattern.size() <= from)
                last = start;
            if (apart.empty() || start >= apart.back() + pattern.size())
                apart.push_back(start);
        }
        ASSERT_EQ(FindForward(text, pattern, from, options), first) << round;
        ASSERT_EQ(FindBackward(text, pattern, from, options), last) << round;
        ASSERT_EQ(FindAll(text, pattern, options), apart) << round;
    }
}

} // namespace
} // namespace tessel
