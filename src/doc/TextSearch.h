#pragma once

// Finding a piece of text in the editor's text, as the find and replace
// commands do. Both texts are UTF-16 as the editor widget holds them (see
// Cp932.h); positions and lengths count code units.
//
// Without "match case" only the ASCII letters A-Z and a-z are taken as equal
// to each other; every other character, full-width letters too, matches only
// itself. With "whole word" a match must not cut a word in two: at either
// end, the character inside the match and the one next to it outside are
// not both word characters (the ASCII letters, digits and '_').
//
// An empty pattern matches nowhere. Every search is linear in the length of
// the text, whatever the pattern.

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace tessel {

struct SearchOptions {
    bool matchCase = false;
    bool wholeWord = false;
};

// The start of the first match that lies wholly at or after `from`.
std::optional<std::size_t> FindForward(std::u16string_view text, std::u16string_view pattern,
                                       std::size_t from, SearchOptions options);
// The start of the last match that ends at or before `before`.
std::optional<std::size_t> FindBackward(std::u16string_view text, std::u16string_view pattern,
                                        std::size_t before, SearchOptions options);
// The starts of all matches from the start of the text, none overlapping the
// one before it, in ascending order.
std::vector<std::size_t> FindAll(std::u16string_view text, std::u16string_view pattern,
                                 SearchOptions options);
// Whether the units [start, start + length) are a match (the current
// selection, before it is replaced).
bool MatchesAt(std::u16string_view text, std::u16string_view pattern, std::size_t start,
               std::size_t length, SearchOptions options);

} // namespace tessel
