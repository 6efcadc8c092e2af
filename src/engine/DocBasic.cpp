#include "engine/DocBasic.h"

#include "engine/Keywords.h"
#include "res/StringTable.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <vector>

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
//
// The scan only ever looks forward, so it reads the original body and builds
// the rewritten one as it goes: what lies behind the scan position is never
// looked at again.
class LineScanner {
public:
    // Appends the rewritten body to `out` when some reference was handled.
    LineScanner(std::string_view body, const LineTable& lines, std::string& out)
        : m_text(body), m_lines(lines), m_out(out), m_outStart(out.size()) {}

    // False when a reference names a line that does not exist.
    bool Scan() {
        std::size_t start = 0;
        while (FindWord(start)) {
            m_pos = start;
            std::size_t offset = 0;
            // Within the word: a keyword may be followed by another one (TOTAL
            // is TO, then TAL). The lookup sees only the rest of the word.
            while (offset < m_word.size()) {
                std::uint8_t flag = 0;
                const std::size_t n = LookupRestOfWord(offset, flag);
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
                if (outcome == Outcome::Rewritten) {
                    m_rewritten = true;
                    break;
                }
            }
            start = m_pos;
        }
        return true;
    }

    // Ends the scan: the rewritten body is complete in `out` if some
    // reference was handled (and so the body may have changed), else `out`
    // is as it was. Returns the body's length in `out`, or 0.
    std::size_t Finish() {
        if (!m_rewritten) {
            m_out.resize(m_outStart);
            return 0;
        }
        m_out.append(m_text.substr(m_copied));
        return m_out.size() - m_outStart;
    }

private:
    // The keyword at `offset` in the current word. No keyword is longer than
    // nine bytes, so a copy of the next fifteen, ended by NUL, decides it
    // exactly as the whole rest of the word would.
    std::size_t LookupRestOfWord(std::size_t offset, std::uint8_t& flag) const {
        char rest[16];
        static_assert(sizeof rest > kLongestKeyword + 1);
        const std::size_t n = std::min(m_word.size() - offset, sizeof rest - 1);
        std::memcpy(rest, m_word.data() + offset, n);
        rest[n] = '\0';
        return LookupKeyword(rest, flag);
    }

    // The next word at or after `start`: a run of ASCII letters plus one
    // dollar sign right after it. An apostrophe starts a comment, which ends
    // the scan; string literals are passed over.
    bool FindWord(std::size_t& start) {
        std::size_t i = start;
        while (i < m_text.size()) {
            const char c = m_text[i];
            if (IsAsciiLetter(c)) {
                std::size_t end = i;
                while (end < m_text.size() && IsAsciiLetter(m_text[end]))
                    ++end;
                if (end < m_text.size() && m_text[end] == '$')
                    ++end;
                m_word = m_text.substr(i, end - i);
                start = i;
                return true;
            }
            if (c == '\'')
                return false;
            if (c == '"') {
                const std::size_t close = m_text.find('"', i + 1);
                if (close == std::string_view::npos)
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
        const int index = CDocWithLineNum::FindLine(m_lines, run.value);
        if (index < 0)
            return false;
        char digits[16];
        const auto result = std::to_chars(std::begin(digits), std::end(digits),
                                          m_lines[static_cast<std::size_t>(index)].m_nNewLineNum);
        m_out.append(m_text.substr(m_copied, m_pos - m_copied));
        m_out.append(digits, result.ptr);
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
    const LineTable& m_lines;
    std::size_t m_pos = 0;
    std::string_view m_word;
    std::string& m_out;           // the rewritten body up to m_copied goes here
    const std::size_t m_outStart; // where it starts in m_out
    std::size_t m_copied = 0;     // how much of m_text m_out covers
    bool m_rewritten = false;
};

} // namespace

TextResult CDocBasic::RewriteLineRefs(LineTable& lines) {
    // Every rewritten body goes into one text the table keeps; each record
    // then views its part of it.
    std::string newText;
    newText.reserve(lines.size() * 8);
    struct Rewritten {
        std::size_t record, offset, length;
    };
    std::vector<Rewritten> rewritten;
    // The start of each line in the text the renumbering writes back.
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const CLineWithNum& line = lines[i];
        const std::size_t offset = newText.size();
        LineScanner scanner(line.m_strBody, lines, newText);
        if (!scanner.Scan())
            return TextResult::At(IDS_LINE_REF_MISSING, line.m_nTextLine, lineStart);
        if (const std::size_t length = scanner.Finish())
            rewritten.push_back({i, offset, length});
        lineStart += line.m_strLine.size();
    }
    const std::string_view kept = lines.KeepNewText(std::move(newText));
    for (const Rewritten& r : rewritten)
        lines[r.record].m_strNewBody = kept.substr(r.offset, r.length);
    return {};
}

bool CDocBasic::Renumber(unsigned newStart, unsigned oldStart, unsigned step) {
    return RenumberLines(newStart, oldStart, step, References::Rewrite);
}

} // namespace tessel
