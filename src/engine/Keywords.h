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

// True when `keyword` is a prefix of the NUL-terminated `text`, ASCII letters
// compared without case.
bool MatchKeyword(const char* text, const char* keyword);

// The length of the first keyword, in table order, that the NUL-terminated
// `text` starts with, and its flag; 0 and flag 0 when there is none.
std::size_t LookupKeyword(const char* text, std::uint8_t& flag);

// The same as LookupKeyword for `text`, which holds no NUL, followed by a
// NUL, without copying it, with the keyword's category: the lexer's lookup.
KeywordMatch FindKeyword(std::string_view text);

// The keyword that a line reference of `flag` follows, as written (GOTO for
// one that names no such keyword).
std::string_view ReferenceKeyword(KeywordFlag flag);

// The per-letter lookups (none for J, Q, Y and Z).
std::size_t LookupKeywordA(const char* text, std::uint8_t& flag);
std::size_t LookupKeywordB(const char* text, std::uint8_t& flag);
std::size_t LookupKeywordC(const char* text, std::uint8_t& flag);
std::size_t LookupKeywordD(const char* text, std::uint8_t& flag);
std::size_t LookupKeywordE(const char* text, std::uint8_t& flag);
std::size_t LookupKeywordF(const char* text, std::uint8_t& flag);
std::size_t LookupKeywordG(const char* text, std::uint8_t& flag);
std::size_t LookupKeywordH(const char* text, std::uint8_t& flag);
std::size_t LookupKeywordI(const char* text, std::uint8_t& flag);
std::size_t LookupKeywordK(const char* text, std::uint8_t& flag);
std::size_t LookupKeywordL(const char* text, std::uint8_t& flag);
std::size_t LookupKeywordM(const char* text, std::uint8_t& flag);
std::size_t LookupKeywordN(const char* text, std::uint8_t& flag);
std::size_t LookupKeywordO(const char* text, std::uint8_t& flag);
std::size_t LookupKeywordP(const char* text, std::uint8_t& flag);
std::size_t LookupKeywordR(const char* text, std::uint8_t& flag);
std::size_t LookupKeywordS(const char* text, std::uint8_t& flag);
std::size_t LookupKeywordT(const char* text, std::uint8_t& flag);
std::size_t LookupKeywordU(const char* text, std::uint8_t& flag);
std::size_t LookupKeywordV(const char* text, std::uint8_t& flag);
std::size_t LookupKeywordW(const char* text, std::uint8_t& flag);
std::size_t LookupKeywordX(const char* text, std::uint8_t& flag);

// Every keyword record, group by group in table order (for tests and tools).
std::size_t KeywordTableSize();
const KeywordRecord& KeywordAt(std::size_t index);

} // namespace tessel
