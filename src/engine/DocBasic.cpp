#include "engine/DocBasic.h"

#include "engine/Keywords.h"
#include "res/StringTable.h"

#include <charconv>

namespace tessel {
namespace {

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// What handling a reference did.
enum class Outcome { Rewritten, NoReference, MissingLine };

// Scans one line's body and rewrites the line numbers it refers to. Bytes are
// examined one at a time: bytes from 0x80 up are never letters, quotes or
// digits, so double-byte characters need no special care.
class LineScanner {
public:
    LineScanner(std::string body, const LineTable& lines)
        : m_text(std::move(body)), m_lines(lines) {}

    // False when a reference names a line that does not exist. `rewritten`
    // is set when some reference was handled (and the text may have changed).
    bool Scan(bool& rewritten) {
        rewritten = false;
        std::string word;
        std::size_t start = 0;
        while (FindWord(word, start)) {
            m_pos = start;
            std::size_t offset = 0;
            // Within the word: a keyword may be followed by another one (TOTAL
            // is TO, then TAL).
            while (offset < word.size()) {
                std::uint8_t flag = 0;
                const std::size_t n = LookupKeyword(word.c_str() + offset, flag);
                if (n == 0) {
                    m_pos += word.size() - offset;
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
                if (outcome == Outcome::Rewritten) {
                    rewritten = true;
                    break;
                }
            }
            start = m_pos;
        }
        return true;
    }

    std::string& Text() { return m_text; }

private:
    // The next word at or after m_pos: a run of ASCII letters plus one dollar
    // sign right after it. An apostrophe starts a comment, which ends the
    // scan; string literals are passed over.
    bool FindWord(std::string& word, std::size_t& start) const {
        std::size_t i = start;
        while (i < m_text.size()) {
            const char c = m_text[i];
            if (IsAsciiLetter(c)) {
                std::size_t end = i;
                while (end < m_text.size() && IsAsciiLetter(m_text[end]))
                    ++end;
                if (end < m_text.size() && m_text[end] == '$')
                    ++end;
                word.assign(m_text, i, end - i);
                start = i;
                return true;
            }
            if (c == '\'')
                return false;
            if (c == '"') {
                const std::size_t close = m_text.find('"', i + 1);
                if (close == std::string::npos)
                    return false;
                i = close + 1;
                continue;
            }
            ++i;
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
            return close == std::string::npos ? m_text.size() - m_pos : close + 1 - m_pos;
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
        const DigitRun run = ParseDigitRun(std::string_view(m_text).substr(m_pos));
        const int index = CDocWithLineNum::FindLine(m_lines, run.value);
        if (index < 0)
            return false;
        char digits[16];
        const auto result = std::to_chars(std::begin(digits), std::end(digits),
                                          m_lines[static_cast<std::size_t>(index)].m_nNewLineNum);
        const std::size_t n = static_cast<std::size_t>(result.ptr - digits);
        m_text.replace(m_pos, run.length, digits, n);
        m_pos += n;
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

    std::string m_text;
    const LineTable& m_lines;
    std::size_t m_pos = 0;
};

} // namespace

std::uint16_t CDocBasic::RewriteLineRefs(LineTable& lines) {
    // The start of each line in the text the renumbering writes back.
    std::size_t lineStart = 0;
    for (CLineWithNum& line : lines) {
        LineScanner scanner(line.m_strBody, lines);
        bool rewritten = false;
        if (!scanner.Scan(rewritten)) {
            m_nErrorPos = static_cast<int>(lineStart);
            m_nErrorLine = static_cast<int>(line.m_nTextLine);
            return IDS_LINE_REF_MISSING;
        }
        if (rewritten)
            line.m_strNewBody = std::move(scanner.Text());
        lineStart += line.m_strLine.size();
    }
    return 0;
}

bool CDocBasic::Renumber(unsigned newStart, unsigned oldStart, unsigned step) {
    return RenumberLines(newStart, oldStart, step, true);
}

} // namespace tessel
