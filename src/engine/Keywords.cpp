#include "engine/Keywords.h"

#include <cstring>
#include <iterator>

namespace tessel {
namespace {

// One group per initial letter, in table order: the first keyword that is a
// prefix of the text wins, so longer keywords stand before their own
// prefixes (DEGREE before DEG). Each group ends with an empty record, which
// matches anything and so ends every search.
constexpr KeywordRecord kKeywordsA[] = {
    {"ABS", kKwPlain}, {"ACS", kKwPlain}, {"AHC", kKwPlain},    {"AHS", kKwPlain},
    {"AHT", kKwPlain}, {"AND", kKwPlain}, {"ASC", kKwPlain},    {"ASN", kKwPlain},
    {"AS", kKwPlain},  {"ATN", kKwPlain}, {"APPEND", kKwPlain}, {{}, kKwPlain},
};

constexpr KeywordRecord kKeywordsB[] = {
    {"BEEP", kKwPlain},
    {{}, kKwPlain},
};

constexpr KeywordRecord kKeywordsC[] = {
    {"CALL", kKwPlain},  {"CASE", kKwPlain},  {"CHR$", kKwPlain},  {"CIRCLE", kKwPlain},
    {"CLEAR", kKwPlain}, {"CLOAD", kKwPlain}, {"CLOSE", kKwPlain}, {"CLS", kKwPlain},
    {"CONT", kKwPlain},  {"COS", kKwPlain},   {"CSAVE", kKwPlain}, {"CUB", kKwPlain},
    {"CUR", kKwPlain},   {{}, kKwPlain},
};

constexpr KeywordRecord kKeywordsD[] = {
    {"DATA", kKwPlain}, {"DEFAULT", kKwPlain}, {"DEGREE", kKwPlain},
    {"DEG", kKwPlain},  {"DELETE", kKwPlain},  {"DIM", kKwPlain},
    {"DMS$", kKwPlain}, {"DMS", kKwPlain},     {{}, kKwPlain},
};

constexpr KeywordRecord kKeywordsE[] = {
    {"ELSE", kKwElse}, {"ENDSWITCH", kKwPlain}, {"ENDIF", kKwPlain}, {"END", kKwPlain},
    {"EOF", kKwPlain}, {"ERASE", kKwPlain},     {"EXP", kKwPlain},   {{}, kKwPlain},
};

constexpr KeywordRecord kKeywordsF[] = {
    {"FACT", kKwPlain}, {"FILES", kKwPlain}, {"FIX", kKwPlain},
    {"FOR", kKwPlain},  {"FRE", kKwPlain},   {{}, kKwPlain},
};

constexpr KeywordRecord kKeywordsG[] = {
    {"GCURSOR", kKwPlain}, {"GOTO", kKwGoto},  {"GOSUB", kKwGosub},
    {"GPRINT", kKwPlain},  {"GRAD", kKwPlain}, {{}, kKwPlain},
};

constexpr KeywordRecord kKeywordsH[] = {
    {"HCS", kKwPlain}, {"HDCOPY", kKwPlain}, {"HEX$", kKwPlain},
    {"HSN", kKwPlain}, {"HTN", kKwPlain},    {{}, kKwPlain},
};

constexpr KeywordRecord kKeywordsI[] = {
    {"INPUT", kKwPlain}, {"INP", kKwPlain},    {"IF", kKwPlain},
    {"INT", kKwPlain},   {"INKEY$", kKwPlain}, {{}, kKwPlain},
};

constexpr KeywordRecord kKeywordsK[] = {
    {"KILL", kKwPlain},
    {{}, kKwPlain},
};

constexpr KeywordRecord kKeywordsL[] = {
    {"LCOPY", kKwPlain},   {"LET", kKwPlain},  {"LEN", kKwPlain},    {"LEFT$", kKwPlain},
    {"LFILES", kKwPlain},  {"LINE", kKwPlain}, {"LIST", kKwPlain},   {"LLIST", kKwPlain},
    {"LNINPUT", kKwPlain}, {"LN", kKwPlain},   {"LOAD", kKwPlain},   {"LOCATE", kKwPlain},
    {"LOF", kKwPlain},     {"LOG", kKwPlain},  {"LPRINT", kKwPlain}, {{}, kKwPlain},
};

constexpr KeywordRecord kKeywordsM[] = {
    {"MDF", kKwPlain}, {"MID$", kKwPlain}, {"MON", kKwPlain}, {"MOD", kKwPlain}, {{}, kKwPlain},
};

constexpr KeywordRecord kKeywordsN[] = {
    {"NCR", kKwPlain}, {"NEXT", kKwPlain}, {"NEW", kKwPlain},
    {"NOT", kKwPlain}, {"NPR", kKwPlain},  {{}, kKwPlain},
};

constexpr KeywordRecord kKeywordsO[] = {
    {"ON", kKwPlain},     {"OPEN", kKwPlain}, {"OR", kKwPlain},
    {"OUTPUT", kKwPlain}, {"OUT", kKwPlain},  {{}, kKwPlain},
};

constexpr KeywordRecord kKeywordsP[] = {
    {"PAINT", kKwPlain},  {"PASS", kKwPlain},   {"PEEK", kKwPlain},  {"PIOSET", kKwPlain},
    {"PIOPUT", kKwPlain}, {"PIOGET", kKwPlain}, {"PI", kKwPlain},    {"POL", kKwPlain},
    {"POKE", kKwPlain},   {"POINT", kKwPlain},  {"PRINT", kKwPlain}, {"PRESET", kKwPlain},
    {"PSET", kKwPlain},   {{}, kKwPlain},
};

constexpr KeywordRecord kKeywordsR[] = {
    {"RADIAN", kKwPlain}, {"RANDOMIZE", kKwPlain}, {"RCP", kKwPlain},       {"RETURN", kKwPlain},
    {"READ", kKwPlain},   {"REC", kKwPlain},       {"REM", kKwRem},         {"RENUM", kKwPlain},
    {"REPEAT", kKwPlain}, {"RESERVED", kKwPlain},  {"RESTORE", kKwRestore}, {"RIGHT$", kKwPlain},
    {"RND", kKwPlain},    {"RUN", kKwPlain},       {{}, kKwPlain},
};

constexpr KeywordRecord kKeywordsS[] = {
    {"SAVE", kKwPlain},  {"SGN", kKwPlain},  {"SIN", kKwPlain},    {"SPOUT", kKwPlain},
    {"SPINP", kKwPlain}, {"SQR", kKwPlain},  {"SQU", kKwPlain},    {"STEP", kKwPlain},
    {"STOP", kKwPlain},  {"STR$", kKwPlain}, {"SWITCH", kKwPlain}, {{}, kKwPlain},
};

constexpr KeywordRecord kKeywordsT[] = {
    {"TAN", kKwPlain},  {"TEN", kKwPlain},   {"THEN", kKwThen}, {"TO", kKwPlain},
    {"TRON", kKwPlain}, {"TROFF", kKwPlain}, {{}, kKwPlain},
};

constexpr KeywordRecord kKeywordsU[] = {
    {"UNTIL", kKwPlain},
    {"USING", kKwPlain},
    {{}, kKwPlain},
};

constexpr KeywordRecord kKeywordsV[] = {
    {"VAL", kKwPlain},
    {"VDEG", kKwPlain},
    {{}, kKwPlain},
};

constexpr KeywordRecord kKeywordsW[] = {
    {"WAIT", kKwPlain},
    {"WEND", kKwPlain},
    {"WHILE", kKwPlain},
    {{}, kKwPlain},
};

constexpr KeywordRecord kKeywordsX[] = {
    {"XOR", kKwPlain},
    {{}, kKwPlain},
};

char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The first record of the group whose name the text starts with. Names are
// upper case, so comparing them with the text upper-cased once is the test
// MatchKeyword makes, without folding every byte again for every record.
std::size_t LookupIn(const KeywordRecord* group, const char* text, std::uint8_t& flag) {
    char upper[kLongestKeyword + 1];
    std::size_t n = 0;
    for (; n < kLongestKeyword && text[n] != 0; ++n)
        upper[n] = Upper(text[n]);
    upper[n] = 0;
    for (;; ++group) {
        const char* name = group->name;
        std::size_t k = 0;
        while (name[k] != 0 && name[k] == upper[k])
            ++k;
        if (name[k] == 0) {
            flag = group->flag;
            return k;
        }
    }
}

using Lookup = std::size_t (*)(const char*, std::uint8_t&);

// Indexed by letter A to Z; no keyword starts with J, Q, Y or Z.
constexpr Lookup kDispatch[26] = {
    LookupKeywordA, LookupKeywordB, LookupKeywordC, LookupKeywordD, LookupKeywordE, LookupKeywordF,
    LookupKeywordG, LookupKeywordH, LookupKeywordI, nullptr,        LookupKeywordK, LookupKeywordL,
    LookupKeywordM, LookupKeywordN, LookupKeywordO, LookupKeywordP, nullptr,        LookupKeywordR,
    LookupKeywordS, LookupKeywordT, LookupKeywordU, LookupKeywordV, LookupKeywordW, LookupKeywordX,
    nullptr,        nullptr,
};

struct Group {
    const KeywordRecord* records;
    std::size_t count; // without the closing empty record
};

constexpr Group kGroups[] = {
    {kKeywordsA, std::size(kKeywordsA) - 1}, {kKeywordsB, std::size(kKeywordsB) - 1},
    {kKeywordsC, std::size(kKeywordsC) - 1}, {kKeywordsD, std::size(kKeywordsD) - 1},
    {kKeywordsE, std::size(kKeywordsE) - 1}, {kKeywordsF, std::size(kKeywordsF) - 1},
    {kKeywordsG, std::size(kKeywordsG) - 1}, {kKeywordsH, std::size(kKeywordsH) - 1},
    {kKeywordsI, std::size(kKeywordsI) - 1}, {kKeywordsK, std::size(kKeywordsK) - 1},
    {kKeywordsL, std::size(kKeywordsL) - 1}, {kKeywordsM, std::size(kKeywordsM) - 1},
    {kKeywordsN, std::size(kKeywordsN) - 1}, {kKeywordsO, std::size(kKeywordsO) - 1},
    {kKeywordsP, std::size(kKeywordsP) - 1}, {kKeywordsR, std::size(kKeywordsR) - 1},
    {kKeywordsS, std::size(kKeywordsS) - 1}, {kKeywordsT, std::size(kKeywordsT) - 1},
    {kKeywordsU, std::size(kKeywordsU) - 1}, {kKeywordsV, std::size(kKeywordsV) - 1},
    {kKeywordsW, std::size(kKeywordsW) - 1}, {kKeywordsX, std::size(kKeywordsX) - 1},
};

} // namespace

bool MatchKeyword(const char* text, const char* keyword) {
    for (;; ++text, ++keyword) {
        if (*keyword == 0)
            return true;
        if (*text == 0 || Upper(*text) != Upper(*keyword))
            return false;
    }
}

std::size_t LookupKeyword(const char* text, std::uint8_t& flag) {
    flag = kKwPlain;
    const char c = Upper(text[0]);
    if (c < 'A' || c > 'Z')
        return 0;
    const Lookup lookup = kDispatch[c - 'A'];
    return lookup ? lookup(text, flag) : 0;
}

std::size_t LookupKeywordA(const char* text, std::uint8_t& flag) {
    return LookupIn(kKeywordsA, text, flag);
}
std::size_t LookupKeywordB(const char* text, std::uint8_t& flag) {
    return LookupIn(kKeywordsB, text, flag);
}
std::size_t LookupKeywordC(const char* text, std::uint8_t& flag) {
    return LookupIn(kKeywordsC, text, flag);
}
std::size_t LookupKeywordD(const char* text, std::uint8_t& flag) {
    return LookupIn(kKeywordsD, text, flag);
}
std::size_t LookupKeywordE(const char* text, std::uint8_t& flag) {
    return LookupIn(kKeywordsE, text, flag);
}
std::size_t LookupKeywordF(const char* text, std::uint8_t& flag) {
    return LookupIn(kKeywordsF, text, flag);
}
std::size_t LookupKeywordG(const char* text, std::uint8_t& flag) {
    return LookupIn(kKeywordsG, text, flag);
}
std::size_t LookupKeywordH(const char* text, std::uint8_t& flag) {
    return LookupIn(kKeywordsH, text, flag);
}
std::size_t LookupKeywordI(const char* text, std::uint8_t& flag) {
    return LookupIn(kKeywordsI, text, flag);
}
std::size_t LookupKeywordK(const char* text, std::uint8_t& flag) {
    return LookupIn(kKeywordsK, text, flag);
}
std::size_t LookupKeywordL(const char* text, std::uint8_t& flag) {
    return LookupIn(kKeywordsL, text, flag);
}
std::size_t LookupKeywordM(const char* text, std::uint8_t& flag) {
    return LookupIn(kKeywordsM, text, flag);
}
std::size_t LookupKeywordN(const char* text, std::uint8_t& flag) {
    return LookupIn(kKeywordsN, text, flag);
}
std::size_t LookupKeywordO(const char* text, std::uint8_t& flag) {
    return LookupIn(kKeywordsO, text, flag);
}
std::size_t LookupKeywordP(const char* text, std::uint8_t& flag) {
    return LookupIn(kKeywordsP, text, flag);
}
std::size_t LookupKeywordR(const char* text, std::uint8_t& flag) {
    return LookupIn(kKeywordsR, text, flag);
}
std::size_t LookupKeywordS(const char* text, std::uint8_t& flag) {
    return LookupIn(kKeywordsS, text, flag);
}
std::size_t LookupKeywordT(const char* text, std::uint8_t& flag) {
    return LookupIn(kKeywordsT, text, flag);
}
std::size_t LookupKeywordU(const char* text, std::uint8_t& flag) {
    return LookupIn(kKeywordsU, text, flag);
}
std::size_t LookupKeywordV(const char* text, std::uint8_t& flag) {
    return LookupIn(kKeywordsV, text, flag);
}
std::size_t LookupKeywordW(const char* text, std::uint8_t& flag) {
    return LookupIn(kKeywordsW, text, flag);
}
std::size_t LookupKeywordX(const char* text, std::uint8_t& flag) {
    return LookupIn(kKeywordsX, text, flag);
}

std::size_t KeywordTableSize() {
    std::size_t n = 0;
    for (const Group& group : kGroups)
        n += group.count;
    return n;
}

const KeywordRecord& KeywordAt(std::size_t index) {
    for (const Group& group : kGroups) {
        if (index < group.count)
            return group.records[index];
        index -= group.count;
    }
    return kKeywordsX[std::size(kKeywordsX) - 1];
}

} // namespace tessel
