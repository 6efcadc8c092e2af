#include "engine/BasicLexer.h"

#include "encoding/Cp932.h"
#include "engine/LineWithNum.h"

#include <array>

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

ByteClass ClassOf(char c) {
    return kByteClasses[static_cast<unsigned char>(c)];
}
bool IsLetter(char c) {
    return ClassOf(c) == kLetter;
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsHexDigit(char c) {
    return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}
bool IsHigh(char c) {
    return static_cast<unsigned char>(c) >= 0x80;
}

// The text without the one line end it may close with.
std::string_view WithoutLineEnd(std::string_view text) {
    if (text.ends_with("\r\n"))
        text.remove_suffix(2);
    else if (text.ends_with('\r') || text.ends_with('\n'))
        text.remove_suffix(1);
    return text;
}

} // namespace

BasicLexer::BasicLexer(std::string_view text, Start start)
    : m_text(WithoutLineEnd(text)), m_size(static_cast<std::uint32_t>(m_text.size())),
      m_mode(start == Start::Line ? Mode::LineNumber : Mode::Code) {}

bool BasicLexer::Next(BasicToken& token) {
    return Advance<true>(token);
}

bool BasicLexer::NextReference(BasicToken& token) {
    return Advance<false>(token);
}

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
    const std::size_t close = m_text.find('"', pos + 1);
    return close == std::string_view::npos ? m_size : static_cast<std::uint32_t>(close + 1);
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

template <bool kAll>
bool BasicLexer::Advance(BasicToken& token) {
    const char* const text = m_text.data();
    for (;;) {
        switch (m_mode) {
        case Mode::LineNumber: {
            m_mode = Mode::Code;
            const DigitRun run = ParseDigitRun(m_text);
            if (run.length == 0)
                continue;
            if constexpr (kAll) {
                Make(token, BasicTokenKind::LineNumber, static_cast<std::uint32_t>(run.length));
                token.value = run.value;
                m_bodyStart = true;
                return true;
            }
            m_pos = static_cast<std::uint32_t>(run.length);
            continue;
        }
        case Mode::Code: {
            ByteClass c = kOtherByte;
            if constexpr (kAll) {
                SkipBlanks();
                if (m_pos < m_size)
                    c = ClassOf(text[m_pos]);
            } else {
                while (m_pos < m_size && (c = ClassOf(text[m_pos])) == kOtherByte)
                    ++m_pos;
            }
            if (m_pos >= m_size) {
                m_mode = Mode::Done;
                return false;
            }
            switch (c) {
            case kLetter:
                m_wordEnd = WordEnd(m_pos);
                m_mode = Mode::Word;
                continue;
            case kQuote:
                if constexpr (kAll) {
                    Make(token, BasicTokenKind::String, StringEnd(m_pos));
                    return true;
                }
                m_pos = StringEnd(m_pos);
                continue;
            case kApostrophe:
                m_mode = Mode::Done;
                if constexpr (kAll) {
                    Make(token, BasicTokenKind::Remark, m_size);
                    return true;
                }
                return false;
            case kLead:
                if constexpr (!kAll) {
                    m_pos += cp932::CharacterBytes(m_text, m_pos) == 2 ? 2 : 1;
                    continue;
                }
                [[fallthrough]];
            case kOtherByte:
                if constexpr (kAll) {
                    Between(token);
                    return true;
                }
                continue; // not reached: other bytes were passed over
            }
            continue;
        }
        case Mode::Word: {
            if (m_pos >= m_wordEnd) {
                m_mode = Mode::Code;
                continue;
            }
            const KeywordMatch match = FindKeyword(m_text.substr(m_pos, m_wordEnd - m_pos));
            if (match.length == 0) {
                // The rest of the word is no keyword: a name.
                m_mode = Mode::Code;
                if constexpr (kAll) {
                    if (text[m_pos] == '$') {
                        Make(token, BasicTokenKind::Punctuation, m_pos + 1);
                        return true;
                    }
                    Make(token, BasicTokenKind::Variable, NameEnd(m_wordEnd));
                    return true;
                }
                m_pos = m_wordEnd;
                continue;
            }
            const std::uint32_t begin = m_pos;
            m_pos += match.length;
            if (match.flag == kKwRem) {
                m_mode = Mode::Remark;
            } else if (match.flag != kKwPlain && m_pos == m_wordEnd) {
                // References may follow only where the word ends: a
                // letter or dollar sign right after the keyword is none.
                m_refFlag = match.flag;
                m_mode = match.flag >= kKwGoto ? Mode::List : Mode::One;
            }
            if constexpr (kAll) {
                const std::uint32_t end = m_pos;
                m_pos = begin;
                Make(token, BasicTokenKind::Keyword, end);
                token.flag = match.flag;
                token.category = match.category;
                return true;
            }
            continue;
        }
        case Mode::One:
            SkipBlanks();
            m_mode = Mode::Code;
            if (At(m_pos) == '"') {
                if constexpr (kAll) {
                    Make(token, BasicTokenKind::String, StringEnd(m_pos));
                    return true;
                }
                m_pos = StringEnd(m_pos);
                continue;
            }
            if (ReferenceItem(token))
                return true;
            continue;
        case Mode::List:
            SkipBlanks();
            m_mode = Mode::Item;
            continue;
        case Mode::Item: {
            m_mode = Mode::AfterItem;
            if (At(m_pos) == '"') {
                if constexpr (kAll) {
                    Make(token, BasicTokenKind::String, StringEnd(m_pos));
                    return true;
                }
                m_pos = StringEnd(m_pos);
                continue;
            }
            if (ReferenceItem(token))
                return true;
            m_mode = Mode::Code; // anything else ends the list
            continue;
        }
        case Mode::AfterItem:
            m_mode = Mode::Item;
            if (At(m_pos) == ',') {
                if constexpr (kAll) {
                    Make(token, BasicTokenKind::Punctuation, m_pos + 1);
                    SkipBlanks();
                    return true;
                }
                ++m_pos;
                SkipBlanks();
            }
            continue;
        case Mode::Remark:
            m_mode = Mode::Done;
            if constexpr (kAll) {
                if (m_pos < m_size) {
                    Make(token, BasicTokenKind::Remark, m_size);
                    return true;
                }
            }
            return false;
        case Mode::Done:
            return false;
        }
    }
}

template bool BasicLexer::Advance<true>(BasicToken&);
template bool BasicLexer::Advance<false>(BasicToken&);

} // namespace tessel
