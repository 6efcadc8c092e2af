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

// A keyword as LookupWord compares it: its first 16 bytes (zero after its
// end) as two words, in the machine's byte order, and a mask of its bytes.
struct PackedKeyword {
    std::uint64_t bytes[2];
    std::uint64_t mask[2];
    std::uint8_t length;
    std::uint8_t flag;
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
                     group[i].flag};
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

std::size_t LookupWord(std::string_view text, std::uint8_t& flag) {
    flag = kKwPlain;
    // Every keyword has two letters at least.
    if (text.size() < 2)
        return 0;
    const char first = Upper(text[0]);
    const char second = Upper(text[1]);
    if (first < 'A' || first > 'Z' || second < 'A' || second > 'Z')
        return 0;
    const PackedGroup& group = kPackedGroups[first - 'A'];
    std::size_t i = group.count == 0 ? 0 : group.firstWithSecond[second - 'A'];
    if (i == group.count)
        return 0; // most words are no keyword: their second byte tells
    // The text's first bytes packed as the keywords are. Bytes past its end
    // are zero, which no keyword byte is, so a keyword longer than the text
    // never matches.
    std::uint64_t bytes[2] = {0, 0};
    std::memcpy(bytes, text.data(), std::min(text.size(), kLongestKeyword));
    for (std::uint64_t& word : bytes) {
        // 'a' to 'z' become capitals: bit 0x20 goes where bit 0x40 is set.
        // Other bytes may change too, but never into a capital or a dollar
        // sign, the only bytes keywords hold.
        word &= ~((word & 0x4040404040404040u) >> 1);
    }
    for (; i < group.count; ++i) {
        const PackedKeyword& keyword = group.keywords[i];
        if ((bytes[0] & keyword.mask[0]) == keyword.bytes[0] &&
            (bytes[1] & keyword.mask[1]) == keyword.bytes[1]) {
            flag = keyword.flag;
            return keyword.length;
        }
    }
    return 0;
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
