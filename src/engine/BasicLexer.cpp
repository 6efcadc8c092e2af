#include "engine/BasicLexer.h"

#include "encoding/Cp932.h"
#include "engine/NumberedLine.h"

#include <array>
#include <bit>
#include <cstring>

namespace tessel {
namespace {

// What the reading of references tells apart, byte by byte: everything
// else is passed over.
enum ByteClass : std::uint8_t { kOtherByte, kLetter, kQuote, kApostrophe, kLead };

constexpr std::array<ByteClass, 256> kByteClasses = [] {
    std::array<ByteClass, 256> classes{};
    for (int c = 'A'; c <= 'Z'; ++c) {
        classes[static_cast<std::size_t>(c)] = kLetter;
        classes[static_cast<std::size_t>(c - 'A' + 'a')] = kLetter;
    }
    classes['"'] = kQuote;
    classes['\''] = kApostrophe;
    for (int c = 0x81; c <= 0xFC; ++c)
        if (cp932::IsLeadByte(static_cast<char>(c)))
            classes[static_cast<std::size_t>(c)] = kLead;
    return classes;
}();

// For the capital of each letter, the letter after it where a keyword that
// leads to REM or references starts (THEN, ELSE, REM, RESTORE, GOTO, GOSUB);
// 0 for the other letters.
constexpr std::array<unsigned char, 256> kSecondLetter = [] {
    std::array<unsigned char, 256> second{};
    second['T'] = 'H';
    second['E'] = 'L';
    second['R'] = 'E';
    second['G'] = 'O';
    return second;
}();

// A word packed as eight bytes, upper case, zeros after its end.
constexpr std::uint64_t Packed(std::string_view word) {
    std::uint64_t packed = 0;
    for (std::size_t i = word.size(); i > 0; --i)
        packed = packed << 8 | static_cast<unsigned char>(word[i - 1]);
    return packed;
}

// The flag of the word from `pos` to `end` when it is, whole and in any
// case, one of the keywords that lead to REM or to references: the lookup
// would find that keyword and nothing after it (each is the first of its
// group that it begins with). kKwPlain for any other word, and where fewer
// than eight bytes are left to read.
KeywordFlag WholeFlaggedWord(const char* text, std::uint32_t pos, std::uint32_t end,
                             std::uint32_t size) {
    const std::uint32_t length = end - pos;
    if (std::endian::native != std::endian::little || length < 3 || length > 7 || size - pos < 8)
        return kKwPlain;
    std::uint64_t word;
    std::memcpy(&word, text + pos, sizeof word);
    // Upper case: the word holds letters only here (a dollar sign would
    // become a 0x04, which no keyword holds).
    word = (word & ((std::uint64_t{1} << (8 * length)) - 1)) & ~0x2020202020202020u;
    switch (word) {
    case Packed("THEN"):
        return kKwThen;
    case Packed("ELSE"):
        return kKwElse;
    case Packed("RESTORE"):
        return kKwRestore;
    case Packed("GOTO"):
        return kKwGoto;
    case Packed("GOSUB"):
        return kKwGosub;
    case Packed("REM"):
        return kKwRem;
    default:
        return kKwPlain;
    }
}

ByteClass ClassOf(char c) {
    return kByteClasses[static_cast<unsigned char>(c)];
}
bool IsLetter(char c) {
    return ClassOf(c) == kLetter;
}
bool IsHexDigit(char c) {
    return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}
bool IsHigh(char c) {
    return static_cast<unsigned char>(c) >= 0x80;
}

// The end of the string whose opening quote is at `pos`: past its closing
// quote, or the end of the text.
std::uint32_t QuoteEnd(const char* text, std::uint32_t pos, std::uint32_t size) {
    const void* close = std::memchr(text + pos + 1, '"', size - pos - 1);
    return close ? static_cast<std::uint32_t>(static_cast<const char*>(close) - text) + 1 : size;
}

} // namespace

void BasicLexer::Make(BasicToken& token, BasicTokenKind kind, std::uint32_t end) {
    token.kind = kind;
    token.flag = kKwPlain;
    token.category = kKcStatement;
    token.begin = m_pos;
    token.end = end;
    token.value = 0;
    m_pos = end;
    m_bodyStart = false;
}

void BasicLexer::SkipBlanks() {
    while (m_pos < m_size && IsBlank(m_text[m_pos]))
        ++m_pos;
}

std::uint32_t BasicLexer::WordEnd(std::uint32_t pos) const {
    while (pos < m_size && IsLetter(m_text[pos]))
        ++pos;
    return At(pos) == '$' ? pos + 1 : pos;
}

std::uint32_t BasicLexer::StringEnd(std::uint32_t pos) const {
    return QuoteEnd(m_text.data(), pos, m_size);
}

std::uint32_t BasicLexer::LabelEnd(std::uint32_t pos) const {
    std::uint32_t end = pos + 2; // the asterisk and a letter
    while (end < m_size && (IsLetter(m_text[end]) || IsDigit(m_text[end])))
        ++end;
    return end;
}

bool BasicLexer::ReferenceItem(BasicToken& token) {
    const char c = At(m_pos);
    if (IsDigit(c)) {
        const DigitRun run = ParseDigitRun(m_text.substr(m_pos));
        Make(token, BasicTokenKind::LineReference, m_pos + static_cast<std::uint32_t>(run.length));
        token.flag = m_refFlag;
        token.value = run.value;
        return true;
    }
    if (c == '*' && IsLetter(At(m_pos + 1))) {
        Make(token, BasicTokenKind::LabelReference, LabelEnd(m_pos));
        token.flag = m_refFlag;
        return true;
    }
    return false;
}

std::uint32_t BasicLexer::NameEnd(std::uint32_t wordEnd) const {
    std::uint32_t end = wordEnd;
    // Digits, and after them letters that start no keyword (which the
    // reading of references passes over), belong to the name: X1, X1Y.
    while (m_text[end - 1] != '$') {
        std::uint32_t digits = end;
        while (digits < m_size && IsDigit(m_text[digits]))
            ++digits;
        if (digits == end)
            break;
        end = digits;
        if (!IsLetter(At(end)))
            break;
        const std::uint32_t next = WordEnd(end);
        if (FindKeyword(m_text.substr(end, next - end)).length != 0)
            break;
        end = next;
    }
    const char suffix = At(end);
    if (m_text[end - 1] != '$' && (suffix == '%' || suffix == '!' || suffix == '#'))
        ++end;
    return end;
}

bool BasicLexer::IsPlainLabel(std::uint32_t end) const {
    // Each run of letters of the name is a word to the reading of
    // references: a label is plain when none of them starts with keywords
    // that lead to REM or to a reference.
    for (std::uint32_t run = m_pos + 1; run < end;) {
        if (!IsLetter(m_text[run])) {
            ++run;
            continue;
        }
        const std::uint32_t wordEnd = WordEnd(run);
        for (std::uint32_t p = run; p < wordEnd;) {
            const KeywordMatch match = FindKeyword(m_text.substr(p, wordEnd - p));
            if (match.length == 0)
                break;
            if (match.flag != kKwPlain)
                return false;
            p += match.length;
        }
        run = wordEnd;
    }
    return true;
}

void BasicLexer::Between(BasicToken& token) {
    const char c = m_text[m_pos];
    const char next = At(m_pos + 1);
    if (IsDigit(c) || (c == '.' && IsDigit(next))) {
        std::uint32_t end = m_pos;
        while (end < m_size && IsDigit(m_text[end]))
            ++end;
        if (At(end) == '.')
            for (++end; end < m_size && IsDigit(m_text[end]);)
                ++end;
        // An exponent: its E alone is a word of one letter, never a keyword.
        if (const char e = At(end); e == 'E' || e == 'e') {
            std::uint32_t digits = end + 1;
            if (At(digits) == '+' || At(digits) == '-')
                ++digits;
            if (IsDigit(At(digits)))
                for (end = digits; end < m_size && IsDigit(m_text[end]);)
                    ++end;
        }
        Make(token, BasicTokenKind::Number, end);
        return;
    }
    if (c == '&' && (next == 'H' || next == 'h')) {
        std::uint32_t end = m_pos + 2;
        while (end < m_size && IsHexDigit(m_text[end]))
            ++end;
        // Letters that run on past the hex digits make one word with the
        // hex letters before them: that word is read as a word.
        if (const char after = At(end); (IsLetter(after) || after == '$')) {
            while (IsLetter(m_text[end - 1]))
                --end;
        }
        if (end > m_pos + 1) {
            Make(token, BasicTokenKind::Number, end);
            return;
        }
    }
    if (c == '*' && m_bodyStart && IsLetter(next)) {
        const std::uint32_t end = LabelEnd(m_pos);
        if (IsPlainLabel(end)) {
            Make(token, BasicTokenKind::Label, end);
            return;
        }
    }
    if (IsHigh(c)) {
        // A run of double-byte characters and other bytes from 0x80 up, a
        // double-byte character always whole.
        std::uint32_t end = m_pos;
        while (end < m_size && IsHigh(m_text[end])) {
            const std::size_t bytes =
                ClassOf(m_text[end]) == kLead ? cp932::CharacterBytes(m_text, end) : 1;
            end += bytes == 2 ? 2 : 1;
        }
        Make(token, BasicTokenKind::Other, end);
        return;
    }
    switch (c) {
    case '<':
        Make(token, BasicTokenKind::Operator, m_pos + (next == '=' || next == '>' ? 2 : 1));
        return;
    case '>':
    case '=':
        Make(token, BasicTokenKind::Operator,
             m_pos + ((next == '=' || next == '<' || next == '>') && next != c ? 2 : 1));
        return;
    case '+':
    case '-':
    case '*':
    case '/':
    case '^':
    case '\\':
    case '&':
        Make(token, BasicTokenKind::Operator, m_pos + 1);
        return;
    default:
        break;
    }
    const auto byte = static_cast<unsigned char>(c);
    Make(token, byte > 0x20 && byte < 0x7F ? BasicTokenKind::Punctuation : BasicTokenKind::Other,
         m_pos + 1);
}

bool BasicLexer::Next(BasicToken& token) {
    for (;;) {
        switch (m_mode) {
        case Mode::LineNumber: {
            m_mode = Mode::Code;
            const DigitRun run = ParseDigitRun(m_text);
            if (run.length == 0)
                continue;
            Make(token, BasicTokenKind::LineNumber, static_cast<std::uint32_t>(run.length));
            token.value = run.value;
            m_bodyStart = true;
            return true;
        }
        case Mode::Code:
            SkipBlanks();
            if (m_pos >= m_size) {
                m_mode = Mode::Done;
                return false;
            }
            switch (ClassOf(m_text[m_pos])) {
            case kLetter:
                m_wordEnd = WordEnd(m_pos);
                m_mode = Mode::Word;
                continue;
            case kQuote:
                Make(token, BasicTokenKind::String, StringEnd(m_pos));
                return true;
            case kApostrophe:
                m_mode = Mode::Done;
                Make(token, BasicTokenKind::Remark, m_size);
                return true;
            case kLead:
            case kOtherByte:
                Between(token);
                return true;
            }
            continue;
        case Mode::Word: {
            if (m_pos >= m_wordEnd) {
                m_mode = Mode::Code;
                continue;
            }
            const KeywordMatch match = FindKeyword(m_text.substr(m_pos, m_wordEnd - m_pos));
            if (match.length == 0) {
                // The rest of the word is no keyword: a name.
                m_mode = Mode::Code;
                if (m_text[m_pos] == '$')
                    Make(token, BasicTokenKind::Punctuation, m_pos + 1);
                else
                    Make(token, BasicTokenKind::Variable, NameEnd(m_wordEnd));
                return true;
            }
            Make(token, BasicTokenKind::Keyword, m_pos + match.length);
            token.flag = match.flag;
            token.category = match.category;
            if (match.flag == kKwRem) {
                m_mode = Mode::Remark;
            } else if (match.flag != kKwPlain && m_pos == m_wordEnd) {
                // References may follow only where the word ends: a
                // letter or dollar sign right after the keyword is none.
                m_refFlag = match.flag;
                m_mode = match.flag >= kKwGoto ? Mode::List : Mode::One;
            }
            return true;
        }
        case Mode::One:
            SkipBlanks();
            m_mode = Mode::Code;
            if (At(m_pos) == '"') {
                Make(token, BasicTokenKind::String, StringEnd(m_pos));
                return true;
            }
            if (ReferenceItem(token))
                return true;
            continue;
        case Mode::List:
            SkipBlanks();
            m_mode = Mode::Item;
            continue;
        case Mode::Item:
            m_mode = Mode::AfterItem;
            if (At(m_pos) == '"') {
                Make(token, BasicTokenKind::String, StringEnd(m_pos));
                return true;
            }
            if (ReferenceItem(token))
                return true;
            m_mode = Mode::Code; // anything else ends the list
            continue;
        case Mode::AfterItem:
            m_mode = Mode::Item;
            if (At(m_pos) == ',') {
                Make(token, BasicTokenKind::Punctuation, m_pos + 1);
                SkipBlanks();
                return true;
            }
            continue;
        case Mode::Remark:
            m_mode = Mode::Done;
            if (m_pos < m_size) {
                Make(token, BasicTokenKind::Remark, m_size);
                return true;
            }
            return false;
        case Mode::Done:
            return false;
        }
    }
}

// The same reading as Next(), passing over all but the references: what
// renumbering and the model's index go through for every line, so it keeps
// its state in locals while it runs and resumes where the last reference
// left it. A word only matters here when one of the keywords that lead to
// REM or a reference can start somewhere in it: each starts with a pair of
// letters (TH, EL, RE, GO) that the word must hold, which most words do
// not, and then the word is split into keywords as Next() splits it.
std::size_t BasicLexer::NextReferences(BasicToken* out, std::size_t room) {
    std::size_t count = 0;
    const char* const text = m_text.data();
    const std::uint32_t size = m_size;
    std::uint32_t pos = m_pos;
    // Whether the last reference was found in a list that may go on.
    bool inReferences = false;
    switch (m_mode) {
    case Mode::LineNumber:
        while (pos < size && IsDigit(text[pos]))
            ++pos;
        break;
    case Mode::One:
    case Mode::List:
    case Mode::Item:
    case Mode::AfterItem:
        inReferences = true;
        break;
    case Mode::Code:
    case Mode::Word: // NextReference() never stops in a word
        break;
    case Mode::Remark:
    case Mode::Done:
        return 0;
    }
    for (;; inReferences = false) {
        if (!inReferences) {
            // Between words: letters, strings, an apostrophe and
            // double-byte characters are all that matter.
            ByteClass c = kOtherByte;
            while (pos < size && (c = ClassOf(text[pos])) == kOtherByte)
                ++pos;
            if (pos >= size || c == kApostrophe)
                break;
            if (c == kQuote) {
                pos = QuoteEnd(text, pos, size);
                continue;
            }
            if (c == kLead) {
                pos += cp932::CharacterBytes(m_text, pos) == 2 ? 2 : 1;
                continue;
            }
            // A word, and whether a keyword that matters can start in it.
            std::uint32_t wordEnd = pos + 1;
            auto previous = static_cast<unsigned char>(text[pos] & ~0x20);
            bool matters = false;
            for (; wordEnd < size && IsLetter(text[wordEnd]); ++wordEnd) {
                const auto letter = static_cast<unsigned char>(text[wordEnd] & ~0x20);
                matters |= kSecondLetter[previous] == letter;
                previous = letter;
            }
            if (wordEnd < size && text[wordEnd] == '$')
                ++wordEnd;
            Mode mode = Mode::Code;
            // The word may be one of those keywords, whole: no lookup.
            if (const KeywordFlag flag =
                    matters ? WholeFlaggedWord(text, pos, wordEnd, size) : kKwPlain;
                flag != kKwPlain) {
                matters = false;
                pos = wordEnd;
                if (flag == kKwRem) {
                    m_pos = pos;
                    m_mode = Mode::Done;
                    return count;
                }
                m_refFlag = flag;
                mode = flag >= kKwGoto ? Mode::List : Mode::One;
            }
            while (matters && pos < wordEnd) {
                const KeywordMatch match = FindKeyword(std::string_view(text + pos, wordEnd - pos));
                if (match.length == 0)
                    break;
                pos += match.length;
                if (match.flag == kKwRem) {
                    m_pos = pos;
                    m_mode = Mode::Done;
                    return count;
                }
                if (match.flag != kKwPlain && pos == wordEnd) {
                    m_refFlag = match.flag;
                    mode = match.flag >= kKwGoto ? Mode::List : Mode::One;
                }
            }
            pos = wordEnd;
            if (mode == Mode::Code)
                continue;
            m_mode = mode;
        }
        // After a keyword that references follow: one, or a list of items
        // joined by commas (blanks after a comma, not before it).
        for (;;) {
            if (m_mode == Mode::AfterItem) {
                if (pos < size && text[pos] == ',')
                    for (++pos; pos < size && IsBlank(text[pos]);)
                        ++pos;
                m_mode = Mode::Item;
            } else if (m_mode != Mode::Item) {
                while (pos < size && IsBlank(text[pos]))
                    ++pos;
            }
            const Mode after = m_mode == Mode::One ? Mode::Code : Mode::AfterItem;
            const char first = pos < size ? text[pos] : '\0';
            if (first == '"') {
                pos = QuoteEnd(text, pos, size);
                m_mode = after;
                if (after == Mode::Code)
                    break;
                continue;
            }
            std::uint32_t end = pos + 1;
            if (IsDigit(first)) {
                const DigitRun run = ReadDigitRun(m_text.substr(pos));
                end = pos + static_cast<std::uint32_t>(run.length);
                out[count++] = {
                    BasicTokenKind::LineReference, m_refFlag, kKcStatement, pos, end, run.value};
            } else if (first == '*' && end < size && IsLetter(text[end])) {
                end = LabelEnd(pos);
                out[count++] = {
                    BasicTokenKind::LabelReference, m_refFlag, kKcStatement, pos, end, 0};
            } else {
                break; // no reference, or the end of the list
            }
            pos = end;
            m_mode = after;
            if (count == room) {
                m_pos = pos;
                m_bodyStart = false;
                return count;
            }
            if (after == Mode::Code)
                break;
        }
        m_mode = Mode::Code;
    }
    m_pos = pos;
    m_mode = Mode::Done;
    return count;
}

} // namespace tessel
