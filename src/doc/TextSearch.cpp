#include "doc/TextSearch.h"

#include <algorithm>
#include <string>

namespace tessel {
namespace {

char16_t FoldAscii(char16_t unit) {
    return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit - u'A' + u'a') : unit;
}

bool IsWordUnit(char16_t unit) {
    return (unit >= u'a' && unit <= u'z') || (unit >= u'A' && unit <= u'Z') ||
           (unit >= u'0' && unit <= u'9') || unit == u'_';
}

// True unless the match [start, end) cuts a word at either end.
bool IsWholeWord(std::u16string_view text, std::size_t start, std::size_t end) {
    if (start > 0 && IsWordUnit(text[start - 1]) && IsWordUnit(text[start]))
        return false;
    if (end < text.size() && IsWordUnit(text[end - 1]) && IsWordUnit(text[end]))
        return false;
    return true;
}

// Knuth-Morris-Pratt matching, fed one unit at a time, so that no text or
// pattern can make a search slower than linear. The pattern is kept folded
// as the options ask; each unit fed is folded the same way.
class Matcher {
public:
    Matcher(std::u16string_view pattern, bool reversed, bool matchCase)
        : m_pattern(reversed ? std::u16string(pattern.rbegin(), pattern.rend())
                             : std::u16string(pattern)),
          m_fold(!matchCase), m_fallback(m_pattern.size(), 0) {
        if (m_fold)
            for (char16_t& unit : m_pattern)
                unit = FoldAscii(unit);
        // m_fallback[i]: the longest proper prefix of m_pattern[0..i] that
        // is also a suffix of it.
        std::size_t k = 0;
        for (std::size_t i = 1; i < m_pattern.size(); ++i) {
            while (k > 0 && m_pattern[i] != m_pattern[k])
                k = m_fallback[k - 1];
            if (m_pattern[i] == m_pattern[k])
                ++k;
            m_fallback[i] = k;
        }
    }

    // True when the units fed so far end with the pattern.
    bool Feed(char16_t unit) {
        if (m_fold)
            unit = FoldAscii(unit);
        while (m_matched > 0 && m_pattern[m_matched] != unit)
            m_matched = m_fallback[m_matched - 1];
        if (m_pattern[m_matched] == unit)
            ++m_matched;
        if (m_matched < m_pattern.size())
            return false;
        m_matched = m_fallback[m_matched - 1];
        return true;
    }

    // Forgets the units fed, so that the next match cannot overlap the last.
    void Reset() { m_matched = 0; }

private:
    std::u16string m_pattern;
    bool m_fold;
    std::vector<std::size_t> m_fallback;
    std::size_t m_matched = 0;
};

} // namespace

std::optional<std::size_t> FindForward(std::u16string_view text, std::u16string_view pattern,
                                       std::size_t from, SearchOptions options) {
    if (pattern.empty())
        return std::nullopt;
    Matcher matcher(pattern, false, options.matchCase);
    for (std::size_t i = from; i < text.size(); ++i) {
        if (!matcher.Feed(text[i]))
            continue;
        const std::size_t start = i + 1 - pattern.size();
        if (!options.wholeWord || IsWholeWord(text, start, i + 1))
            return start;
    }
    return std::nullopt;
}

std::optional<std::size_t> FindBackward(std::u16string_view text, std::u16string_view pattern,
                                        std::size_t before, SearchOptions options) {
    if (pattern.empty())
        return std::nullopt;
    // The text read from `before` towards its start, against the pattern
    // read backwards: the first match seen is the last one in the text.
    Matcher matcher(pattern, true, options.matchCase);
    for (std::size_t i = std::min(before, text.size()); i-- > 0;) {
        if (!matcher.Feed(text[i]))
            continue;
        if (!options.wholeWord || IsWholeWord(text, i, i + pattern.size()))
            return i;
    }
    return std::nullopt;
}

std::vector<std::size_t> FindAll(std::u16string_view text, std::u16string_view pattern,
                                 SearchOptions options) {
    std::vector<std::size_t> starts;
    if (pattern.empty())
        return starts;
    Matcher matcher(pattern, false, options.matchCase);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!matcher.Feed(text[i]))
            continue;
        const std::size_t start = i + 1 - pattern.size();
        if (options.wholeWord && !IsWholeWord(text, start, i + 1))
            continue;
        starts.push_back(start);
        matcher.Reset();
    }
    return starts;
}

bool MatchesAt(std::u16string_view text, std::u16string_view pattern, std::size_t start,
               std::size_t length, SearchOptions options) {
    if (pattern.empty() || length != pattern.size() || start > text.size() ||
        text.size() - start < length)
        return false;
    for (std::size_t i = 0; i < length; ++i) {
        const char16_t a = text[start + i];
        const char16_t b = pattern[i];
        if (options.matchCase ? a != b : FoldAscii(a) != FoldAscii(b))
            return false;
    }
    return !options.wholeWord || IsWholeWord(text, start, start + length);
}

} // namespace tessel
