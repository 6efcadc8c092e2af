#include "engine/DocBasic.h"

#include "doc/LinePlace.h"
#include "engine/Keywords.h"
#include "res/StringTable.h"

#include <array>
#include <cstring>
#include <memory>

namespace tessel {
namespace {

// What the scan tells apart, byte by byte.
enum ByteClass : std::uint8_t { kOtherByte, kLetter, kQuote, kApostrophe, kLineEnd };

constexpr std::array<ByteClass, 256> kByteClasses = [] {
    std::array<ByteClass, 256> classes{};
    for (int c = 'A'; c <= 'Z'; ++c) {
        classes[static_cast<std::size_t>(c)] = kLetter;
        classes[static_cast<std::size_t>(c - 'A' + 'a')] = kLetter;
    }
    classes['"'] = kQuote;
    classes['\''] = kApostrophe;
    classes['\n'] = kLineEnd; // a body's last byte: it stops every scan
    return classes;
}();

ByteClass ClassOf(char c) {
    return kByteClasses[static_cast<unsigned char>(c)];
}
bool IsAsciiLetter(char c) {
    return ClassOf(c) == kLetter;
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The new number of every line, looked up by its old number, written out
// once for the line and every reference to it.
class NewNumbers {
public:
    struct Digits {
        char text[CDocWithLineNum::kMaxNumberDigits];
        std::uint8_t length;
        // Writes the number from `out` on, which has room for five bytes.
        char* WriteTo(char* out) const {
            std::memcpy(out, text, sizeof text);
            return out + length;
        }
    };

    explicit NewNumbers(const LineTable& lines)
        : m_digits(std::make_unique_for_overwrite<Digits[]>(kMaxLineNum + 1)) {
        for (const CLineWithNum& line : lines) {
            m_present[line.m_nLineNum / 64] |= std::uint64_t{1} << (line.m_nLineNum % 64);
            Digits& digits = m_digits[line.m_nLineNum];
            digits.length = static_cast<std::uint8_t>(
                WriteLineNumber(digits.text, line.m_nNewLineNum) - digits.text);
        }
    }
    // Null when no line has that number.
    const Digits* Find(std::uint32_t number) const {
        if (number > kMaxLineNum || ((m_present[number / 64] >> (number % 64)) & 1) == 0)
            return nullptr;
        return &m_digits[number];
    }

private:
    // Which numbers have a line: only their entries of m_digits are written.
    std::array<std::uint64_t, kMaxLineNum / 64 + 1> m_present{};
    std::unique_ptr<Digits[]> m_digits;
};

// What handling a reference did.
enum class Outcome { Rewritten, NoReference, MissingLine };

// Scans one line's body and writes it out with the line numbers it refers
// to rewritten. Bytes are examined one at a time: bytes from 0x80 up are
// never letters, quotes or digits, so double-byte characters need no
// special care.
//
// The scan only ever looks forward, so it reads the original body and writes
// the rewritten one as it goes: what lies behind the scan position is never
// looked at again.
//
// Without numbers to rewrite to, it only looks for the first reference: a
// scan that writes nothing.
class LineScanner {
public:
    // Writes the body, which ends in CR LF, from `out` on, which has room for
    // five bytes for each byte of the body.
    LineScanner(std::string_view body, const NewNumbers& numbers, char* out)
        : m_text(body), m_numbers(&numbers), m_out(out) {}
    // Looks for the first reference in the body, which ends in CR LF.
    explicit LineScanner(std::string_view body)
        : m_text(body), m_numbers(nullptr), m_out(nullptr) {}

    // False when a reference names a line that does not exist, or, without
    // numbers, at the first reference; Reference() gives its digits.
    bool Scan() {
        std::size_t start = 0;
        while (FindWord(start)) {
            m_pos = start;
            std::size_t offset = 0;
            // Within the word: a keyword may be followed by another one (TOTAL
            // is TO, then TAL). The lookup sees only the rest of the word.
            while (offset < m_word.size()) {
                // No keyword is shorter than two letters.
                std::uint8_t flag = 0;
                const std::size_t n =
                    m_word.size() - offset < 2 ? 0 : LookupWord(m_word.substr(offset), flag);
                if (n == 0) {
                    m_pos += m_word.size() - offset;
                    break;
                }
                offset += n;
                m_pos += n;
                if (flag == kKwRem)
                    return true;
                if (flag == kKwPlain)
                    continue;
                const Outcome outcome = flag <= kKwRestore ? OneReference() : ReferenceList();
                if (outcome == Outcome::MissingLine)
                    return false;
                if (outcome == Outcome::Rewritten)
                    break;
            }
            start = m_pos;
        }
        return true;
    }

    // Ends the scan: writes the rest of the body and returns the end of what
    // was written.
    char* Finish() {
        Copy(m_text.size());
        return m_out;
    }

    // The digits of the reference that stopped the scan.
    std::string_view Reference() const { return m_reference; }

private:
    // Writes the body up to `end`.
    void Copy(std::size_t end) {
        std::memcpy(m_out, m_text.data() + m_copied, end - m_copied);
        m_out += end - m_copied;
        m_copied = end;
    }

    // The next word at or after `start`: a run of ASCII letters plus one
    // dollar sign right after it. An apostrophe starts a comment, which ends
    // the scan; string literals are passed over.
    bool FindWord(std::size_t& start) {
        // The body ends in LF, which stops every loop here before its end.
        const char* const text = m_text.data();
        std::size_t i = start;
        while (i < m_text.size()) {
            ByteClass c = kOtherByte;
            while ((c = ClassOf(text[i])) == kOtherByte)
                ++i;
            if (c == kLetter) {
                std::size_t end = i + 1;
                while (IsAsciiLetter(text[end]))
                    ++end;
                if (text[end] == '$')
                    ++end;
                m_word = m_text.substr(i, end - i);
                start = i;
                return true;
            }
            if (c != kQuote)
                return false; // a comment, or the end of the line
            // A string literal is passed over.
            const std::size_t close = m_text.find('"', i + 1);
            if (close == std::string_view::npos)
                return false;
            i = close + 1;
        }
        return false;
    }

    void SkipBlanks() {
        while (m_pos < m_text.size() && IsBlank(m_text[m_pos]))
            ++m_pos;
    }

    char At(std::size_t pos) const { return pos < m_text.size() ? m_text[pos] : '\0'; }

    // Bytes to skip for the string or label at m_pos: a string runs through
    // its closing quote (or to the end); a label is an asterisk, a letter,
    // then letters and digits. An asterisk without a letter is no label: 0.
    std::size_t StringOrLabelLength() const {
        if (m_text[m_pos] == '"') {
            const std::size_t close = m_text.find('"', m_pos + 1);
            return close == std::string_view::npos ? m_text.size() - m_pos : close + 1 - m_pos;
        }
        if (!IsAsciiLetter(At(m_pos + 1)))
            return 0;
        std::size_t end = m_pos + 2;
        while (end < m_text.size() && (IsAsciiLetter(m_text[end]) || IsDigit(m_text[end])))
            ++end;
        return end - m_pos;
    }

    // Replaces the number at m_pos by the new number of the line it names.
    bool RewriteNumber() {
        const DigitRun run = ParseDigitRun(m_text.substr(m_pos));
        const NewNumbers::Digits* digits = m_numbers ? m_numbers->Find(run.value) : nullptr;
        if (digits == nullptr) {
            m_reference = m_text.substr(m_pos, run.length);
            return false;
        }
        Copy(m_pos);
        m_out = digits->WriteTo(m_out);
        m_pos += run.length;
        m_copied = m_pos;
        return true;
    }

    // THEN, ELSE, RESTORE: one reference may follow.
    Outcome OneReference() {
        SkipBlanks();
        const char c = At(m_pos);
        if (IsDigit(c))
            return RewriteNumber() ? Outcome::Rewritten : Outcome::MissingLine;
        if (c == '"' || c == '*') {
            m_pos += StringOrLabelLength();
            return Outcome::Rewritten;
        }
        return Outcome::NoReference;
    }

    // GOTO, GOSUB: a list of references, items joined by commas (blanks may
    // follow a comma but not precede it).
    Outcome ReferenceList() {
        SkipBlanks();
        bool handled = false;
        for (;;) {
            const char c = At(m_pos);
            if (IsDigit(c)) {
                if (!RewriteNumber())
                    return Outcome::MissingLine;
            } else if (c == '"' || c == '*') {
                const std::size_t n = StringOrLabelLength();
                if (n == 0)
                    break; // "*" without a label name ends the list
                m_pos += n;
            } else {
                break;
            }
            handled = true;
            if (At(m_pos) == ',') {
                ++m_pos;
                SkipBlanks();
            }
        }
        return handled ? Outcome::Rewritten : Outcome::NoReference;
    }

    std::string_view m_text;
    const NewNumbers* m_numbers;
    std::string_view m_reference;
    std::size_t m_pos = 0;
    std::string_view m_word;
    char* m_out;              // the rewritten body up to m_copied ends here
    std::size_t m_copied = 0; // how much of m_text is written
};

} // namespace

TextResult CDocBasic::RewriteLineRefs(const LineTable& lines, char*& out) {
    const NewNumbers numbers(lines);
    // The start of each line in the text the renumbering writes back.
    std::size_t lineStart = 0;
    for (const CLineWithNum& line : lines) {
        out = numbers.Find(line.m_nLineNum)->WriteTo(out);
        LineScanner scanner(line.m_strBody, numbers, out);
        if (!scanner.Scan()) {
            TextResult result = TextResult::At(IDS_LINE_REF_MISSING, line.m_nTextLine, lineStart);
            result.place = ReferencePlace(line.m_nLineNum, scanner.Reference());
            return result;
        }
        out = scanner.Finish();
        lineStart += line.m_strLine.size();
    }
    return {};
}

std::optional<FoundReference> CDocBasic::FindLineReference(const LineTable& lines) {
    for (const CLineWithNum& line : lines) {
        LineScanner scanner(line.m_strBody);
        if (!scanner.Scan())
            return FoundReference{line.m_nLineNum, std::string(scanner.Reference())};
    }
    return std::nullopt;
}

bool CDocBasic::Renumber(unsigned newStart, unsigned oldStart, unsigned step) {
    return RenumberLines(newStart, oldStart, step, References::Rewrite);
}

} // namespace tessel
