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
// prefixes (DEGREE before DEG).
constexpr KeywordRecord kKeywordsA[] = {
    {"ABS", kKwPlain, kKcFunction}, {"ACS", kKwPlain, kKcFunction},  {"AHC", kKwPlain, kKcFunction},
    {"AHS", kKwPlain, kKcFunction}, {"AHT", kKwPlain, kKcFunction},  {"AND", kKwPlain, kKcOperator},
    {"ASC", kKwPlain, kKcFunction}, {"ASN", kKwPlain, kKcFunction},  {"AS", kKwPlain, kKcClause},
    {"ATN", kKwPlain, kKcFunction}, {"APPEND", kKwPlain, kKcClause},
};

constexpr KeywordRecord kKeywordsB[] = {
    {"BEEP", kKwPlain, kKcStatement},
};

constexpr KeywordRecord kKeywordsC[] = {
    {"CALL", kKwPlain, kKcStatement},  {"CASE", kKwPlain, kKcStatement},
    {"CHR$", kKwPlain, kKcFunction},   {"CIRCLE", kKwPlain, kKcStatement},
    {"CLEAR", kKwPlain, kKcStatement}, {"CLOAD", kKwPlain, kKcStatement},
    {"CLOSE", kKwPlain, kKcStatement}, {"CLS", kKwPlain, kKcStatement},
    {"CONT", kKwPlain, kKcStatement},  {"COS", kKwPlain, kKcFunction},
    {"CSAVE", kKwPlain, kKcStatement}, {"CUB", kKwPlain, kKcFunction},
    {"CUR", kKwPlain, kKcFunction},
};

constexpr KeywordRecord kKeywordsD[] = {
    {"DATA", kKwPlain, kKcStatement},   {"DEFAULT", kKwPlain, kKcStatement},
    {"DEGREE", kKwPlain, kKcStatement}, {"DEG", kKwPlain, kKcFunction},
    {"DELETE", kKwPlain, kKcStatement}, {"DIM", kKwPlain, kKcStatement},
    {"DMS$", kKwPlain, kKcFunction},    {"DMS", kKwPlain, kKcFunction},
};

constexpr KeywordRecord kKeywordsE[] = {
    {"ELSE", kKwElse, kKcClause},      {"ENDSWITCH", kKwPlain, kKcStatement},
    {"ENDIF", kKwPlain, kKcStatement}, {"END", kKwPlain, kKcStatement},
    {"EOF", kKwPlain, kKcFunction},    {"ERASE", kKwPlain, kKcStatement},
    {"EXP", kKwPlain, kKcFunction},
};

constexpr KeywordRecord kKeywordsF[] = {
    {"FACT", kKwPlain, kKcFunction}, {"FILES", kKwPlain, kKcStatement},
    {"FIX", kKwPlain, kKcFunction},  {"FOR", kKwPlain, kKcStatement},
    {"FRE", kKwPlain, kKcFunction},
};

constexpr KeywordRecord kKeywordsG[] = {
    {"GCURSOR", kKwPlain, kKcStatement}, {"GOTO", kKwGoto, kKcStatement},
    {"GOSUB", kKwGosub, kKcStatement},   {"GPRINT", kKwPlain, kKcStatement},
    {"GRAD", kKwPlain, kKcStatement},
};

constexpr KeywordRecord kKeywordsH[] = {
    {"HCS", kKwPlain, kKcFunction},  {"HDCOPY", kKwPlain, kKcStatement},
    {"HEX$", kKwPlain, kKcFunction}, {"HSN", kKwPlain, kKcFunction},
    {"HTN", kKwPlain, kKcFunction},
};

constexpr KeywordRecord kKeywordsI[] = {
    {"INPUT", kKwPlain, kKcStatement}, {"INP", kKwPlain, kKcFunction},
    {"IF", kKwPlain, kKcStatement},    {"INT", kKwPlain, kKcFunction},
    {"INKEY$", kKwPlain, kKcFunction},
};

constexpr KeywordRecord kKeywordsK[] = {
    {"KILL", kKwPlain, kKcStatement},
};

constexpr KeywordRecord kKeywordsL[] = {
    {"LCOPY", kKwPlain, kKcStatement},   {"LET", kKwPlain, kKcStatement},
    {"LEN", kKwPlain, kKcFunction},      {"LEFT$", kKwPlain, kKcFunction},
    {"LFILES", kKwPlain, kKcStatement},  {"LINE", kKwPlain, kKcStatement},
    {"LIST", kKwPlain, kKcStatement},    {"LLIST", kKwPlain, kKcStatement},
    {"LNINPUT", kKwPlain, kKcStatement}, {"LN", kKwPlain, kKcFunction},
    {"LOAD", kKwPlain, kKcStatement},    {"LOCATE", kKwPlain, kKcStatement},
    {"LOF", kKwPlain, kKcFunction},      {"LOG", kKwPlain, kKcFunction},
    {"LPRINT", kKwPlain, kKcStatement},
};

constexpr KeywordRecord kKeywordsM[] = {
    {"MDF", kKwPlain, kKcFunction},
    {"MID$", kKwPlain, kKcFunction},
    {"MON", kKwPlain, kKcStatement},
    {"MOD", kKwPlain, kKcOperator},
};

constexpr KeywordRecord kKeywordsN[] = {
    {"NCR", kKwPlain, kKcFunction},  {"NEXT", kKwPlain, kKcStatement},
    {"NEW", kKwPlain, kKcStatement}, {"NOT", kKwPlain, kKcOperator},
    {"NPR", kKwPlain, kKcFunction},
};

constexpr KeywordRecord kKeywordsO[] = {
    {"ON", kKwPlain, kKcStatement},  {"OPEN", kKwPlain, kKcStatement},
    {"OR", kKwPlain, kKcOperator},   {"OUTPUT", kKwPlain, kKcClause},
    {"OUT", kKwPlain, kKcStatement},
};

constexpr KeywordRecord kKeywordsP[] = {
    {"PAINT", kKwPlain, kKcStatement},  {"PASS", kKwPlain, kKcStatement},
    {"PEEK", kKwPlain, kKcFunction},    {"PIOSET", kKwPlain, kKcStatement},
    {"PIOPUT", kKwPlain, kKcStatement}, {"PIOGET", kKwPlain, kKcFunction},
    {"PI", kKwPlain, kKcFunction},      {"POL", kKwPlain, kKcFunction},
    {"POKE", kKwPlain, kKcStatement},   {"POINT", kKwPlain, kKcFunction},
    {"PRINT", kKwPlain, kKcStatement},  {"PRESET", kKwPlain, kKcStatement},
    {"PSET", kKwPlain, kKcStatement},
};

constexpr KeywordRecord kKeywordsR[] = {
    {"RADIAN", kKwPlain, kKcStatement},    {"RANDOMIZE", kKwPlain, kKcStatement},
    {"RCP", kKwPlain, kKcFunction},        {"RETURN", kKwPlain, kKcStatement},
    {"READ", kKwPlain, kKcStatement},      {"REC", kKwPlain, kKcFunction},
    {"REM", kKwRem, kKcStatement},         {"RENUM", kKwPlain, kKcStatement},
    {"REPEAT", kKwPlain, kKcStatement},    {"RESERVED", kKwPlain, kKcStatement},
    {"RESTORE", kKwRestore, kKcStatement}, {"RIGHT$", kKwPlain, kKcFunction},
    {"RND", kKwPlain, kKcFunction},        {"RUN", kKwPlain, kKcStatement},
};

constexpr KeywordRecord kKeywordsS[] = {
    {"SAVE", kKwPlain, kKcStatement},   {"SGN", kKwPlain, kKcFunction},
    {"SIN", kKwPlain, kKcFunction},     {"SPOUT", kKwPlain, kKcStatement},
    {"SPINP", kKwPlain, kKcFunction},   {"SQR", kKwPlain, kKcFunction},
    {"SQU", kKwPlain, kKcFunction},     {"STEP", kKwPlain, kKcClause},
    {"STOP", kKwPlain, kKcStatement},   {"STR$", kKwPlain, kKcFunction},
    {"SWITCH", kKwPlain, kKcStatement},
};

constexpr KeywordRecord kKeywordsT[] = {
    {"TAN", kKwPlain, kKcFunction},   {"TEN", kKwPlain, kKcFunction},
    {"THEN", kKwThen, kKcClause},     {"TO", kKwPlain, kKcClause},
    {"TRON", kKwPlain, kKcStatement}, {"TROFF", kKwPlain, kKcStatement},
};

constexpr KeywordRecord kKeywordsU[] = {
    {"UNTIL", kKwPlain, kKcStatement},
    {"USING", kKwPlain, kKcClause},
};

constexpr KeywordRecord kKeywordsV[] = {
    {"VAL", kKwPlain, kKcFunction},
    {"VDEG", kKwPlain, kKcFunction},
};

constexpr KeywordRecord kKeywordsW[] = {
    {"WAIT", kKwPlain, kKcStatement},
    {"WEND", kKwPlain, kKcStatement},
    {"WHILE", kKwPlain, kKcStatement},
};

constexpr KeywordRecord kKeywordsX[] = {
    {"XOR", kKwPlain, kKcOperator},
};

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
constexpr std::array<PackedKeyword, N> Pack(const KeywordRecord (&group)[N]) {
    std::array<PackedKeyword, N> packed{};
    for (std::size_t i = 0; i < N; ++i) {
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
                              const KeywordRecord (&records)[N]) {
    PackedGroup group{keywords.data(), N, {}};
    for (std::uint8_t& first : group.firstWithSecond)
        first = static_cast<std::uint8_t>(N);
    for (std::size_t i = N; i > 0; --i)
        group.firstWithSecond[records[i - 1].name[1] - 'A'] = static_cast<std::uint8_t>(i - 1);
    return group;
}

// Indexed by letter A to Z; no keyword starts with J, Q, Y or Z.
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

struct Group {
    const KeywordRecord* records;
    std::size_t count;
};

constexpr Group kGroups[] = {
    {kKeywordsA, std::size(kKeywordsA)}, {kKeywordsB, std::size(kKeywordsB)},
    {kKeywordsC, std::size(kKeywordsC)}, {kKeywordsD, std::size(kKeywordsD)},
    {kKeywordsE, std::size(kKeywordsE)}, {kKeywordsF, std::size(kKeywordsF)},
    {kKeywordsG, std::size(kKeywordsG)}, {kKeywordsH, std::size(kKeywordsH)},
    {kKeywordsI, std::size(kKeywordsI)}, {kKeywordsK, std::size(kKeywordsK)},
    {kKeywordsL, std::size(kKeywordsL)}, {kKeywordsM, std::size(kKeywordsM)},
    {kKeywordsN, std::size(kKeywordsN)}, {kKeywordsO, std::size(kKeywordsO)},
    {kKeywordsP, std::size(kKeywordsP)}, {kKeywordsR, std::size(kKeywordsR)},
    {kKeywordsS, std::size(kKeywordsS)}, {kKeywordsT, std::size(kKeywordsT)},
    {kKeywordsU, std::size(kKeywordsU)}, {kKeywordsV, std::size(kKeywordsV)},
    {kKeywordsW, std::size(kKeywordsW)}, {kKeywordsX, std::size(kKeywordsX)},
};

} // namespace

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
    static constexpr KeywordRecord kNone{};
    return kNone;
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
