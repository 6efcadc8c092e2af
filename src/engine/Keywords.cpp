#include "engine/Keywords.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <iterator>

namespace tessel {
namespace {

// One group per initial letter, in table order: the first keyword that is a
// prefix of the text wins, so longer keywords stand before their own
// prefixes (DEGREE before DEG). Each group ends with an empty record, which
// matches anything and so ends every search.
constexpr KeywordRecord kKeywordsA[] = {
    {"ABS", kKwPlain, kKcFunction}, {"ACS", kKwPlain, kKcFunction},  {"AHC", kKwPlain, kKcFunction},
    {"AHS", kKwPlain, kKcFunction}, {"AHT", kKwPlain, kKcFunction},  {"AND", kKwPlain, kKcOperator},
    {"ASC", kKwPlain, kKcFunction}, {"ASN", kKwPlain, kKcFunction},  {"AS", kKwPlain, kKcClause},
    {"ATN", kKwPlain, kKcFunction}, {"APPEND", kKwPlain, kKcClause}, {{}, kKwPlain, kKcStatement},
};

constexpr KeywordRecord kKeywordsB[] = {
    {"BEEP", kKwPlain, kKcStatement},
    {{}, kKwPlain, kKcStatement},
};

constexpr KeywordRecord kKeywordsC[] = {
    {"CALL", kKwPlain, kKcStatement},  {"CASE", kKwPlain, kKcStatement},
    {"CHR$", kKwPlain, kKcFunction},   {"CIRCLE", kKwPlain, kKcStatement},
    {"CLEAR", kKwPlain, kKcStatement}, {"CLOAD", kKwPlain, kKcStatement},
    {"CLOSE", kKwPlain, kKcStatement}, {"CLS", kKwPlain, kKcStatement},
    {"CONT", kKwPlain, kKcStatement},  {"COS", kKwPlain, kKcFunction},
    {"CSAVE", kKwPlain, kKcStatement}, {"CUB", kKwPlain, kKcFunction},
    {"CUR", kKwPlain, kKcFunction},    {{}, kKwPlain, kKcStatement},
};

constexpr KeywordRecord kKeywordsD[] = {
    {"DATA", kKwPlain, kKcStatement},   {"DEFAULT", kKwPlain, kKcStatement},
    {"DEGREE", kKwPlain, kKcStatement}, {"DEG", kKwPlain, kKcFunction},
    {"DELETE", kKwPlain, kKcStatement}, {"DIM", kKwPlain, kKcStatement},
    {"DMS$", kKwPlain, kKcFunction},    {"DMS", kKwPlain, kKcFunction},
    {{}, kKwPlain, kKcStatement},
};

constexpr KeywordRecord kKeywordsE[] = {
    {"ELSE", kKwElse, kKcClause},      {"ENDSWITCH", kKwPlain, kKcStatement},
    {"ENDIF", kKwPlain, kKcStatement}, {"END", kKwPlain, kKcStatement},
    {"EOF", kKwPlain, kKcFunction},    {"ERASE", kKwPlain, kKcStatement},
    {"EXP", kKwPlain, kKcFunction},    {{}, kKwPlain, kKcStatement},
};

constexpr KeywordRecord kKeywordsF[] = {
    {"FACT", kKwPlain, kKcFunction}, {"FILES", kKwPlain, kKcStatement},
    {"FIX", kKwPlain, kKcFunction},  {"FOR", kKwPlain, kKcStatement},
    {"FRE", kKwPlain, kKcFunction},  {{}, kKwPlain, kKcStatement},
};

constexpr KeywordRecord kKeywordsG[] = {
    {"GCURSOR", kKwPlain, kKcStatement}, {"GOTO", kKwGoto, kKcStatement},
    {"GOSUB", kKwGosub, kKcStatement},   {"GPRINT", kKwPlain, kKcStatement},
    {"GRAD", kKwPlain, kKcStatement},    {{}, kKwPlain, kKcStatement},
};

constexpr KeywordRecord kKeywordsH[] = {
    {"HCS", kKwPlain, kKcFunction},  {"HDCOPY", kKwPlain, kKcStatement},
    {"HEX$", kKwPlain, kKcFunction}, {"HSN", kKwPlain, kKcFunction},
    {"HTN", kKwPlain, kKcFunction},  {{}, kKwPlain, kKcStatement},
};

constexpr KeywordRecord kKeywordsI[] = {
    {"INPUT", kKwPlain, kKcStatement}, {"INP", kKwPlain, kKcFunction},
    {"IF", kKwPlain, kKcStatement},    {"INT", kKwPlain, kKcFunction},
    {"INKEY$", kKwPlain, kKcFunction}, {{}, kKwPlain, kKcStatement},
};

constexpr KeywordRecord kKeywordsK[] = {
    {"KILL", kKwPlain, kKcStatement},
    {{}, kKwPlain, kKcStatement},
};

constexpr KeywordRecord kKeywordsL[] = {
    {"LCOPY", kKwPlain, kKcStatement},   {"LET", kKwPlain, kKcStatement},
    {"LEN", kKwPlain, kKcFunction},      {"LEFT$", kKwPlain, kKcFunction},
    {"LFILES", kKwPlain, kKcStatement},  {"LINE", kKwPlain, kKcStatement},
    {"LIST", kKwPlain, kKcStatement},    {"LLIST", kKwPlain, kKcStatement},
    {"LNINPUT", kKwPlain, kKcStatement}, {"LN", kKwPlain, kKcFunction},
    {"LOAD", kKwPlain, kKcStatement},    {"LOCATE", kKwPlain, kKcStatement},
    {"LOF", kKwPlain, kKcFunction},      {"LOG", kKwPlain, kKcFunction},
    {"LPRINT", kKwPlain, kKcStatement},  {{}, kKwPlain, kKcStatement},
};

constexpr KeywordRecord kKeywordsM[] = {
    {"MDF", kKwPlain, kKcFunction},  {"MID$", kKwPlain, kKcFunction},
    {"MON", kKwPlain, kKcStatement}, {"MOD", kKwPlain, kKcOperator},
    {{}, kKwPlain, kKcStatement},
};

constexpr KeywordRecord kKeywordsN[] = {
    {"NCR", kKwPlain, kKcFunction},  {"NEXT", kKwPlain, kKcStatement},
    {"NEW", kKwPlain, kKcStatement}, {"NOT", kKwPlain, kKcOperator},
    {"NPR", kKwPlain, kKcFunction},  {{}, kKwPlain, kKcStatement},
};

constexpr KeywordRecord kKeywordsO[] = {
    {"ON", kKwPlain, kKcStatement},  {"OPEN", kKwPlain, kKcStatement},
    {"OR", kKwPlain, kKcOperator},   {"OUTPUT", kKwPlain, kKcClause},
    {"OUT", kKwPlain, kKcStatement}, {{}, kKwPlain, kKcStatement},
};

constexpr KeywordRecord kKeywordsP[] = {
    {"PAINT", kKwPlain, kKcStatement},  {"PASS", kKwPlain, kKcStatement},
    {"PEEK", kKwPlain, kKcFunction},    {"PIOSET", kKwPlain, kKcStatement},
    {"PIOPUT", kKwPlain, kKcStatement}, {"PIOGET", kKwPlain, kKcFunction},
    {"PI", kKwPlain, kKcFunction},      {"POL", kKwPlain, kKcFunction},
    {"POKE", kKwPlain, kKcStatement},   {"POINT", kKwPlain, kKcFunction},
    {"PRINT", kKwPlain, kKcStatement},  {"PRESET", kKwPlain, kKcStatement},
    {"PSET", kKwPlain, kKcStatement},   {{}, kKwPlain, kKcStatement},
};

constexpr KeywordRecord kKeywordsR[] = {
    {"RADIAN", kKwPlain, kKcStatement},    {"RANDOMIZE", kKwPlain, kKcStatement},
    {"RCP", kKwPlain, kKcFunction},        {"RETURN", kKwPlain, kKcStatement},
    {"READ", kKwPlain, kKcStatement},      {"REC", kKwPlain, kKcFunction},
    {"REM", kKwRem, kKcStatement},         {"RENUM", kKwPlain, kKcStatement},
    {"REPEAT", kKwPlain, kKcStatement},    {"RESERVED", kKwPlain, kKcStatement},
    {"RESTORE", kKwRestore, kKcStatement}, {"RIGHT$", kKwPlain, kKcFunction},
    {"RND", kKwPlain, kKcFunction},        {"RUN", kKwPlain, kKcStatement},
    {{}, kKwPlain, kKcStatement},
};

constexpr KeywordRecord kKeywordsS[] = {
    {"SAVE", kKwPlain, kKcStatement},   {"SGN", kKwPlain, kKcFunction},
    {"SIN", kKwPlain, kKcFunction},     {"SPOUT", kKwPlain, kKcStatement},
    {"SPINP", kKwPlain, kKcFunction},   {"SQR", kKwPlain, kKcFunction},
    {"SQU", kKwPlain, kKcFunction},     {"STEP", kKwPlain, kKcClause},
    {"STOP", kKwPlain, kKcStatement},   {"STR$", kKwPlain, kKcFunction},
    {"SWITCH", kKwPlain, kKcStatement}, {{}, kKwPlain, kKcStatement},
};

constexpr KeywordRecord kKeywordsT[] = {
    {"TAN", kKwPlain, kKcFunction},   {"TEN", kKwPlain, kKcFunction},
    {"THEN", kKwThen, kKcClause},     {"TO", kKwPlain, kKcClause},
    {"TRON", kKwPlain, kKcStatement}, {"TROFF", kKwPlain, kKcStatement},
    {{}, kKwPlain, kKcStatement},
};

constexpr KeywordRecord kKeywordsU[] = {
    {"UNTIL", kKwPlain, kKcStatement},
    {"USING", kKwPlain, kKcClause},
    {{}, kKwPlain, kKcStatement},
};

constexpr KeywordRecord kKeywordsV[] = {
    {"VAL", kKwPlain, kKcFunction},
    {"VDEG", kKwPlain, kKcFunction},
    {{}, kKwPlain, kKcStatement},
};

constexpr KeywordRecord kKeywordsW[] = {
    {"WAIT", kKwPlain, kKcStatement},
    {"WEND", kKwPlain, kKcStatement},
    {"WHILE", kKwPlain, kKcStatement},
    {{}, kKwPlain, kKcStatement},
};

constexpr KeywordRecord kKeywordsX[] = {
    {"XOR", kKwPlain, kKcOperator},
    {{}, kKwPlain, kKcStatement},
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

// A keyword as FindKeyword compares it: its first 16 bytes (zero after its
// end) as two words, in the machine's byte order, and a mask of its bytes.
struct PackedKeyword {
    std::uint64_t bytes[2];
    std::uint64_t mask[2];
    std::uint8_t length;
    std::uint8_t flag;
    KeywordCategory category;
};
static_assert(kLongestKeyword <= 16);

template <std::size_t N>
constexpr std::array<PackedKeyword, N - 1> Pack(const KeywordRecord (&group)[N]) {
    std::array<PackedKeyword, N - 1> packed{};
    for (std::size_t i = 0; i + 1 < N; ++i) {
        std::array<char, 16> name{};
        std::array<unsigned char, 16> mask{};
        std::size_t n = 0;
        for (; group[i].name[n] != 0; ++n) {
            name[n] = group[i].name[n];
            mask[n] = 0xFF;
        }
        const auto words = std::bit_cast<std::array<std::uint64_t, 2>>(name);
        const auto masks = std::bit_cast<std::array<std::uint64_t, 2>>(mask);
        packed[i] = {{words[0], words[1]},
                     {masks[0], masks[1]},
                     static_cast<std::uint8_t>(n),
                     group[i].flag,
                     group[i].category};
    }
    return packed;
}

constexpr auto kPackedA = Pack(kKeywordsA);
constexpr auto kPackedB = Pack(kKeywordsB);
constexpr auto kPackedC = Pack(kKeywordsC);
constexpr auto kPackedD = Pack(kKeywordsD);
constexpr auto kPackedE = Pack(kKeywordsE);
constexpr auto kPackedF = Pack(kKeywordsF);
constexpr auto kPackedG = Pack(kKeywordsG);
constexpr auto kPackedH = Pack(kKeywordsH);
constexpr auto kPackedI = Pack(kKeywordsI);
constexpr auto kPackedK = Pack(kKeywordsK);
constexpr auto kPackedL = Pack(kKeywordsL);
constexpr auto kPackedM = Pack(kKeywordsM);
constexpr auto kPackedN = Pack(kKeywordsN);
constexpr auto kPackedO = Pack(kKeywordsO);
constexpr auto kPackedP = Pack(kKeywordsP);
constexpr auto kPackedR = Pack(kKeywordsR);
constexpr auto kPackedS = Pack(kKeywordsS);
constexpr auto kPackedT = Pack(kKeywordsT);
constexpr auto kPackedU = Pack(kKeywordsU);
constexpr auto kPackedV = Pack(kKeywordsV);
constexpr auto kPackedW = Pack(kKeywordsW);
constexpr auto kPackedX = Pack(kKeywordsX);

struct PackedGroup {
    const PackedKeyword* keywords;
    std::size_t count;
    // For every letter c, the first keyword of the group whose second byte
    // is c (every keyword has two letters at least), or `count`: no keyword
    // before it can match a text whose second byte is c.
    std::uint8_t firstWithSecond[26];
};

template <std::size_t N>
constexpr PackedGroup GroupOf(const std::array<PackedKeyword, N>& keywords,
                              const KeywordRecord (&records)[N + 1]) {
    PackedGroup group{keywords.data(), N, {}};
    for (std::uint8_t& first : group.firstWithSecond)
        first = static_cast<std::uint8_t>(N);
    for (std::size_t i = N; i > 0; --i)
        group.firstWithSecond[records[i - 1].name[1] - 'A'] = static_cast<std::uint8_t>(i - 1);
    return group;
}

// Indexed by letter A to Z, like kDispatch.
constexpr PackedGroup kPackedGroups[26] = {
    GroupOf(kPackedA, kKeywordsA),
    GroupOf(kPackedB, kKeywordsB),
    GroupOf(kPackedC, kKeywordsC),
    GroupOf(kPackedD, kKeywordsD),
    GroupOf(kPackedE, kKeywordsE),
    GroupOf(kPackedF, kKeywordsF),
    GroupOf(kPackedG, kKeywordsG),
    GroupOf(kPackedH, kKeywordsH),
    GroupOf(kPackedI, kKeywordsI),
    {nullptr, 0, {}},
    GroupOf(kPackedK, kKeywordsK),
    GroupOf(kPackedL, kKeywordsL),
    GroupOf(kPackedM, kKeywordsM),
    GroupOf(kPackedN, kKeywordsN),
    GroupOf(kPackedO, kKeywordsO),
    GroupOf(kPackedP, kKeywordsP),
    {nullptr, 0, {}},
    GroupOf(kPackedR, kKeywordsR),
    GroupOf(kPackedS, kKeywordsS),
    GroupOf(kPackedT, kKeywordsT),
    GroupOf(kPackedU, kKeywordsU),
    GroupOf(kPackedV, kKeywordsV),
    GroupOf(kPackedW, kKeywordsW),
    GroupOf(kPackedX, kKeywordsX),
    {nullptr, 0, {}},
    {nullptr, 0, {}},
};

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

KeywordMatch FindKeyword(std::string_view text) {
    // Every keyword has two letters at least.
    if (text.size() < 2)
        return {};
    // A letter in either case, as 0 to 25 (anything else is above).
    const unsigned first = (static_cast<unsigned char>(text[0]) & 0xDFu) - 'A';
    const unsigned second = (static_cast<unsigned char>(text[1]) & 0xDFu) - 'A';
    if (first > 25 || second > 25)
        return {};
    const PackedGroup& group = kPackedGroups[first];
    std::size_t i = group.firstWithSecond[second];
    if (i >= group.count)
        return {}; // most words are no keyword: their second byte tells
    // The text's first bytes packed as the keywords are. Bytes past its end
    // are zero, which no keyword byte is, so a keyword longer than the text
    // never matches.
    std::uint64_t bytes[2] = {0, 0};
    const std::size_t n = std::min(text.size(), kLongestKeyword);
    if constexpr (std::endian::native == std::endian::little) {
        // Two loads that overlap in the middle instead of a copy of a
        // length only known here (2 to 9 bytes).
        const char* const p = text.data();
        const auto load = [](const char* from, auto word) {
            std::memcpy(&word, from, sizeof word);
            return static_cast<std::uint64_t>(word);
        };
        if (n >= 8) {
            bytes[0] = load(p, std::uint64_t{});
            if (n > 8)
                bytes[1] = static_cast<unsigned char>(p[8]);
        } else if (n >= 4) {
            bytes[0] = load(p, std::uint32_t{}) | load(p + n - 4, std::uint32_t{}) << (8 * (n - 4));
        } else {
            bytes[0] = load(p, std::uint16_t{}) | load(p + n - 2, std::uint16_t{}) << (8 * (n - 2));
        }
    } else {
        std::memcpy(bytes, text.data(), n);
    }
    for (std::uint64_t& word : bytes) {
        // 'a' to 'z' become capitals: bit 0x20 goes where bit 0x40 is set.
        // Other bytes may change too, but never into a capital or a dollar
        // sign, the only bytes keywords hold.
        word &= ~((word & 0x4040404040404040u) >> 1);
    }
    for (; i < group.count; ++i) {
        const PackedKeyword& keyword = group.keywords[i];
        if ((bytes[0] & keyword.mask[0]) == keyword.bytes[0] &&
            (bytes[1] & keyword.mask[1]) == keyword.bytes[1])
            return {keyword.length, static_cast<KeywordFlag>(keyword.flag), keyword.category};
    }
    return {};
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

std::string_view ReferenceKeyword(KeywordFlag flag) {
    switch (flag) {
    case kKwThen:
        return "THEN";
    case kKwElse:
        return "ELSE";
    case kKwRestore:
        return "RESTORE";
    case kKwGosub:
        return "GOSUB";
    default:
        return "GOTO";
    }
}

} // namespace tessel
