#include "model/ProgramModel.h"

#include "encoding/Cp932.h"
#include "engine/BasicLexer.h"
#include "engine/NumberedLine.h"
#include "settings/AppSettings.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace tessel {
namespace {

// What a byte tells the scan of a line.
enum : std::uint8_t { kPlain = 0, kLineEnd = 1, kTab = 2, kControl = 4, kHigh = 8 };

constexpr std::array<std::uint8_t, 256> kByteKinds = [] {
    std::array<std::uint8_t, 256> kinds{};
    for (int b = 0; b < 0x20; ++b)
        kinds[static_cast<std::size_t>(b)] = kControl;
    kinds['\t'] = kTab;
    kinds['\r'] = kLineEnd;
    kinds['\n'] = kLineEnd;
    for (int b = 0x80; b < 0x100; ++b)
        kinds[static_cast<std::size_t>(b)] = kHigh;
    return kinds;
}();

// The end of the line content from `p`: the first CR or LF, or `end`.
// `special` says whether a byte before it is a tab, another control byte or
// a byte from 0x80 up, which the line's scan then looks at one by one. Eight
// bytes at a time: most words hold no byte below 0x20 and none from 0x80
// up; the one with the line end is looked at closer.
const char* ContentEnd(const char* p, const char* end, bool& special) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHighBits = 0x8080808080808080u;
    bool odd = false;
    if constexpr (std::endian::native == std::endian::little) {
        while (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, sizeof word);
            // A byte below 0x20 or from 0x80 up; exact for the first one,
            // maybe falsely above it (a borrow).
            const std::uint64_t flagged = (((word - kOnes * 0x20) & ~word) | word) & kHighBits;
            if (flagged != 0) {
                const std::uint64_t cr = word ^ (kOnes * '\r');
                const std::uint64_t lf = word ^ (kOnes * '\n');
                const std::uint64_t ends =
                    ((cr - kOnes) & ~cr & kHighBits) | ((lf - kOnes) & ~lf & kHighBits);
                if (ends != 0) {
                    const int bit = std::countr_zero(ends); // 8 n + 7 for byte n
                    special = odd || (flagged & ((std::uint64_t{1} << (bit - 7)) - 1)) != 0;
                    return p + bit / 8;
                }
                odd = true;
            }
            p += 8;
        }
    }
    std::uint8_t kinds = 0;
    for (; p != end && *p != '\r' && *p != '\n'; ++p)
        kinds |= kByteKinds[static_cast<unsigned char>(*p)];
    special = odd || kinds != 0;
    return p;
}

// The length of `content` once its tabs are blanks.
std::uint32_t SentLength(std::string_view content, unsigned width) {
    if (width == 0)
        width = 1;
    std::uint32_t column = 0;
    for (const char c : content)
        column += c == '\t' ? width - column % width : 1;
    return column;
}

} // namespace

ModelOptions ModelOptions::For(DocKind kind, const AppSettings& settings) {
    return {kind, settings.tabStop, settings.m_comSettings.EndCode(),
            static_cast<int>(settings.m_comSettings.EndOfLine)};
}

ProgramModel::ProgramModel(ModelOptions options) : m_options(options) {}

void ProgramModel::Clear() {
    m_lines.clear();
    m_refs.clear();
    m_present.fill(0);
    m_shared.clear();
    m_symbolsBuilt = false;
    m_symbols.clear();
    m_lexStates.clear();
    m_lexKnown = 0;
    m_byNumberBuilt = false;
}

void ProgramModel::Build(std::string_view text) {
    Clear();
    m_text.assign(text);
    m_lines.reserve(text.size() / 16 + 16);
    if (m_options.kind == DocKind::Basic)
        m_refs.reserve(text.size() / 16 + 16);
    ScanLines(0, static_cast<std::uint32_t>(m_text.size()), 0, m_lines, m_refs);
    for (const ProgramLine& line : m_lines)
        AddNumber(line);
}

void ProgramModel::ScanLines(std::uint32_t from, std::uint32_t to, std::uint32_t index,
                             std::vector<ProgramLine>& lines,
                             std::vector<LineReference>& refs) const {
    const char* const text = m_text.data();
    const bool basic = m_options.kind == DocKind::Basic;
    const bool numbered = IsLineNumbered(m_options.kind);
    const std::uint8_t code = m_options.endCode;
    // Every line needs a closer look where the end code is a printable byte.
    const bool closer = code == ' ' || (code > 0x20 && code < 0x80);
    std::array<BasicToken, 8> found;
    for (std::uint32_t pos = from; pos < to; ++index) {
        ProgramLine line;
        line.start = pos;
        bool special = false;
        const char* const end = ContentEnd(text + pos, text + to, special);
        line.length = static_cast<std::uint32_t>(end - (text + pos));
        if (end != text + to)
            line.endLength = end[0] == '\r' && end + 1 != text + to && end[1] == '\n' ? 2 : 1;
        line.sentLength = line.length;
        if (numbered) {
            // The line end after the digits stops them: they may be read
            // eight bytes at a time from the text after the line too.
            const DigitRun run = ReadDigitRun(std::string_view(text + pos, to - pos));
            line.digits = static_cast<std::uint32_t>(run.length);
            line.number = run.value;
        }
        if (special || closer || (numbered && line.digits == 0) || line.length > kMaxLineLength)
            LookCloser(line, special);
        lines.push_back(line);
        pos += line.Span();
        if (!basic)
            continue;
        // The references of the line's text after its number.
        BasicLexer lexer(
            std::string_view(text + line.start + line.digits, line.length - line.digits),
            BasicLexer::Start::Body);
        for (std::size_t n = found.size(); n == found.size();) {
            n = lexer.NextReferences(found.data(), found.size());
            for (std::size_t k = 0; k < n; ++k)
                if (found[k].kind == BasicTokenKind::LineReference)
                    refs.push_back({index, line.digits + found[k].begin, found[k].Length(),
                                    found[k].value, found[k].flag});
        }
    }
}

void ProgramModel::LookCloser(ProgramLine& line, bool special) const {
    const std::string_view content(m_text.data() + line.start, line.length);
    std::uint8_t seen = 0;
    if (special)
        for (const char c : content)
            seen |= kByteKinds[static_cast<unsigned char>(c)];
    if (seen & kTab)
        line.sentLength = SentLength(content, m_options.tabWidth);
    if (seen & kHigh)
        line.flags |= kLineBeyondAscii;
    if (IsLineNumbered(m_options.kind)) {
        if (line.digits == 0) {
            const auto indent = static_cast<std::size_t>(
                std::ranges::find_if_not(content, IsBlank) - content.begin());
            if (indent == content.size())
                line.flags |= kLineBlank;
            else if (indent != 0 && IsDigit(content[indent]))
                line.flags |= kLineIndented;
            else if (content.find_first_not_of('\x1a') == std::string_view::npos)
                line.flags |= kLineEndMark;
        }
        if (line.sentLength > kMaxLineLength)
            line.flags |= kLineTooLong;
    }
    // The bytes that need a closer look: NUL, the end code, bytes that
    // start no character of the code page.
    const std::uint8_t code = m_options.endCode;
    const bool codeInLines = code != '\r' && code != '\n';
    const bool printableCode = code == ' ' || (code > 0x20 && code < 0x80);
    if ((seen & (kControl | kHigh)) == 0 && !printableCode)
        return;
    for (std::size_t i = 0; i < content.size();) {
        const auto b = static_cast<unsigned char>(content[i]);
        if (b == 0)
            line.flags |= kLineNul;
        if (codeInLines && (b == code || (code == ' ' && b == '\t')))
            line.flags |= kLineEndCode;
        if (b < 0x80) {
            ++i;
            continue;
        }
        const std::size_t bytes = cp932::CharacterBytes(content, i);
        if (bytes == 0)
            line.flags |= kLineNotCp932;
        i += bytes == 2 ? 2 : 1;
    }
}

void ProgramModel::AddNumber(const ProgramLine& line) {
    if (!line.HasNumber())
        return;
    std::uint64_t& word = m_present[line.number / 64];
    const std::uint64_t bit = std::uint64_t{1} << (line.number % 64);
    if ((word & bit) == 0) [[likely]] {
        word |= bit;
        return;
    }
    AddSharedNumber(line.number);
}

void ProgramModel::AddSharedNumber(std::uint32_t number) {
    const auto it = std::ranges::lower_bound(m_shared, number, {},
                                             &std::pair<std::uint32_t, std::uint32_t>::first);
    if (it != m_shared.end() && it->first == number)
        ++it->second;
    else
        m_shared.insert(it, {number, 2});
}

void ProgramModel::RemoveNumber(const ProgramLine& line) {
    if (!line.HasNumber())
        return;
    const auto it = std::ranges::lower_bound(m_shared, line.number, {},
                                             &std::pair<std::uint32_t, std::uint32_t>::first);
    if (it != m_shared.end() && it->first == line.number) {
        if (--it->second == 1)
            m_shared.erase(it);
        return;
    }
    m_present[line.number / 64] &= ~(std::uint64_t{1} << (line.number % 64));
}

std::size_t ProgramModel::LinesWithNumber(std::uint32_t number) const {
    if (!Present(number))
        return 0;
    const auto it = std::ranges::lower_bound(m_shared, number, {},
                                             &std::pair<std::uint32_t, std::uint32_t>::first);
    return it != m_shared.end() && it->first == number ? it->second : 1;
}

std::size_t ProgramModel::ReferencesBefore(std::uint32_t line) const {
    return static_cast<std::size_t>(
        std::ranges::lower_bound(m_refs, line, {}, &LineReference::line) - m_refs.begin());
}

// --- Editing ----------------------------------------------------------------

void ProgramModel::Edit(std::size_t offset, std::size_t removed, std::string_view inserted) {
    offset = std::min(offset, m_text.size());
    removed = std::min(removed, m_text.size() - offset);
    if (m_lines.empty()) {
        std::string text = m_text;
        text.replace(offset, removed, inserted);
        Build(text);
        return;
    }
    // The lines the edit can change: from the one holding the byte before
    // it (whose lone CR may meet an LF) to the one holding the first byte
    // after it (which the removal may join to the lines before).
    const auto first = static_cast<std::uint32_t>(offset == 0 ? 0 : LineAt(offset - 1));
    const auto last = static_cast<std::uint32_t>(LineAt(offset + removed));
    const std::uint32_t from = m_lines[first].start;
    const std::uint32_t oldTo = m_lines[last].start + m_lines[last].Span();
    const auto delta =
        static_cast<std::int64_t>(inserted.size()) - static_cast<std::int64_t>(removed);
    m_text.replace(offset, removed, inserted);
    const auto to = static_cast<std::uint32_t>(oldTo + delta);

    std::vector<ProgramLine> lines;
    std::vector<LineReference> refs;
    ScanLines(from, to, first, lines, refs);

    bool numbersChanged = lines.size() != last + 1 - first;
    for (std::uint32_t i = first; i <= last; ++i) {
        RemoveNumber(m_lines[i]);
        numbersChanged = numbersChanged || i - first >= lines.size() ||
                         lines[i - first].number != m_lines[i].number ||
                         lines[i - first].digits != m_lines[i].digits;
    }
    for (const ProgramLine& line : lines)
        AddNumber(line);
    const auto lineDelta = static_cast<std::int64_t>(lines.size()) - (last + 1 - first);

    // The lines, and the starts of those after them.
    m_lines.erase(m_lines.begin() + first, m_lines.begin() + last + 1);
    m_lines.insert(m_lines.begin() + first, lines.begin(), lines.end());
    for (std::size_t i = first + lines.size(); i < m_lines.size(); ++i)
        m_lines[i].start = static_cast<std::uint32_t>(m_lines[i].start + delta);

    // Their references, and the line indices of those after them.
    const std::size_t refBegin = ReferencesBefore(first);
    const std::size_t refEnd = ReferencesBefore(last + 1);
    m_refs.erase(m_refs.begin() + static_cast<std::ptrdiff_t>(refBegin),
                 m_refs.begin() + static_cast<std::ptrdiff_t>(refEnd));
    m_refs.insert(m_refs.begin() + static_cast<std::ptrdiff_t>(refBegin), refs.begin(), refs.end());
    if (lineDelta != 0)
        for (std::size_t i = refBegin + refs.size(); i < m_refs.size(); ++i)
            m_refs[i].line = static_cast<std::uint32_t>(m_refs[i].line + lineDelta);

    // Labels and variables, once they have been asked for.
    if (m_symbolsBuilt) {
        const auto begin = std::ranges::lower_bound(m_symbols, first, {}, &SymbolUse::line);
        const auto end = std::ranges::lower_bound(m_symbols, last + 1, {}, &SymbolUse::line);
        std::vector<SymbolUse> symbols;
        for (std::uint32_t i = 0; i < lines.size(); ++i)
            CollectSymbols(first + i, symbols);
        const auto at = m_symbols.erase(begin, end);
        const auto next = m_symbols.insert(at, symbols.begin(), symbols.end()) +
                          static_cast<std::ptrdiff_t>(symbols.size());
        if (lineDelta != 0)
            for (auto it = next; it != m_symbols.end(); ++it)
                it->line = static_cast<std::uint32_t>(it->line + lineDelta);
    }
    // Comment states from the first line changed on are lexed again when asked for.
    if (!m_lexStates.empty()) {
        m_lexKnown = std::min<std::size_t>(m_lexKnown, first + 1);
        m_lexStates.resize(std::min(m_lexKnown, m_lexStates.size()));
    }
    if (numbersChanged)
        m_byNumberBuilt = false;
}

// --- Lines and places -------------------------------------------------------

std::string_view ProgramModel::LineText(std::size_t index) const {
    return std::string_view(m_text).substr(m_lines[index].start, m_lines[index].length);
}

std::size_t ProgramModel::LineAt(std::size_t offset) const {
    if (m_lines.empty())
        return 0;
    const auto it = std::ranges::upper_bound(
        m_lines, offset, {}, [](const ProgramLine& l) -> std::size_t { return l.start; });
    return static_cast<std::size_t>(it - m_lines.begin()) - 1;
}

TextPlace ProgramModel::PlaceOf(std::size_t offset) const {
    offset = std::min(offset, m_text.size());
    const std::size_t line = LineAt(offset);
    const std::size_t start = m_lines.empty() ? 0 : m_lines[line].start;
    return {line, offset - start, offset};
}

std::size_t ProgramModel::OffsetOf(std::size_t line, std::size_t column) const {
    if (line >= m_lines.size())
        return m_text.size();
    return m_lines[line].start + std::min<std::size_t>(column, m_lines[line].length);
}

// --- Tokens -----------------------------------------------------------------

LexState ProgramModel::EntryState(std::size_t line) const {
    if (m_options.kind != DocKind::C)
        return LexState::Code;
    if (m_lexStates.empty()) {
        m_lexStates.push_back(LexState::Code);
        m_lexKnown = 1;
    }
    std::vector<Token> scratch;
    while (m_lexKnown <= line) {
        const std::size_t known = m_lexKnown - 1;
        scratch.clear();
        m_lexStates.push_back(
            SourceLexer::LexLine(m_options.kind, LineText(known), m_lexStates[known], scratch));
        ++m_lexKnown;
    }
    return m_lexStates[line];
}

void ProgramModel::Tokens(std::size_t line, std::vector<Token>& out) const {
    out.clear();
    if (line < m_lines.size())
        SourceLexer::LexLine(m_options.kind, LineText(line), EntryState(line), out);
}

} // namespace tessel
