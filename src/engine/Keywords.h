#pragma once

// The device BASIC's 142 keywords and how the reference scanner finds them.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tessel {

// What follows a keyword.
enum KeywordFlag : std::uint8_t {
    kKwPlain = 0,   // nothing the scanner cares about
    kKwRem = 1,     // REM: the rest of the line is a remark
    kKwThen = 2,    // one reference may follow
    kKwElse = 3,    // one reference may follow
    kKwRestore = 4, // one reference may follow
    kKwGoto = 5,    // a list of references may follow
    kKwGosub = 6,   // a list of references may follow
};

// What a keyword is in the language, for showing it (the scanner does not
// look at it): a statement or command, a function that gives a value, an
// operator, or a word that only stands inside a statement (THEN, TO, STEP,
// AS).
enum KeywordCategory : std::uint8_t {
    kKcStatement = 0,
    kKcFunction = 1,
    kKcOperator = 2,
    kKcClause = 3,
};

struct KeywordRecord {
    char name[100]; // upper case, zero-filled
    std::uint8_t flag;
    KeywordCategory category;
};
static_assert(sizeof(KeywordRecord) == 102);

// What a lookup matched: the keyword's length (0 for none), flag and category.
struct KeywordMatch {
    std::uint8_t length = 0;
    KeywordFlag flag = kKwPlain;
    KeywordCategory category = kKcStatement;
};

inline constexpr std::size_t kKeywordCount = 142;
// The longest keyword, ENDSWITCH.
inline constexpr std::size_t kLongestKeyword = 9;

// The first keyword, in table order, that `text` starts with, ASCII letters
// compared without case: its length, flag and category; length 0, kKwPlain
// and kKcStatement when there is none. Not the longest match: TOTAL gives TO
// and REMAIN gives REM, but a keyword stands before its own prefixes (DEGREE
// before DEG). Reads no byte past the end of `text`.
KeywordMatch FindKeyword(std::string_view text);

// The keyword that a line reference of `flag` follows, as written (GOTO for
// one that names no such keyword).
std::string_view ReferenceKeyword(KeywordFlag flag);

// Every keyword record, group by group in table order (for completion, tests
// and tools); an empty record past the end.
std::size_t KeywordTableSize();
const KeywordRecord& KeywordAt(std::size_t index);

} // namespace tessel
