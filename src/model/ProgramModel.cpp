#include "model/ProgramModel.h"

#include "encoding/Cp932.h"
#include "engine/BasicLexer.h"
#include "engine/LineTable.h"
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

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
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

// Where `content` goes past `limit` bytes once its tabs are blanks.
std::size_t PastLimit(std::string_view content, unsigned width, std::size_t limit) {
    if (width == 0)
        width = 1;
    std::size_t column = 0;
    for (std::size_t i = 0; i < content.size(); ++i) {
        column += content[i] == '\t' ? width - column % width : 1;
        if (column > limit)
            return i;
    }
    return content.size();
}

std::string Hex(unsigned char byte) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[byte >> 4], kDigits[byte & 15]};
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::ranges::equal(a, b, [](char x, char y) { return Upper(x) == Upper(y); });
}

bool NameBefore(std::string_view a, std::string_view b) {
    return std::ranges::lexicographical_compare(a, b,
                                                [](char x, char y) { return Upper(x) < Upper(y); });
}

// The bytes of `text` as they go out: a CR LF as the device's line end, the
// end code after the last byte.
std::string SentBytes(std::string_view text, std::uint8_t code, int endOfLine) {
    std::string sent(text);
    ToDeviceLineEnds(sent, endOfLine);
    AppendEndCode(sent, code);
    return sent;
}

// Where in `text` byte `sent` of its bytes as they go out comes from: a
// line end sent as one byte stands for its CR LF.
std::size_t SentOrigin(std::string_view text, std::size_t sent, int endOfLine) {
    std::size_t at = 0;
    for (std::size_t i = 0; i < text.size(); ++i, ++at) {
        if (at == sent)
            return i;
        if (endOfLine != kEolCrLf && text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
    }
    return text.size();
}

// Where the end code stops the device reading `text` before its end: the
// offset of the code in the text, or of the line end that holds it.
std::optional<std::size_t> EndCodeStop(std::string_view text, std::uint8_t code, int endOfLine) {
    const auto stop = FindEndCodeStop(SentBytes(text, code, endOfLine), code);
    return stop ? std::optional(SentOrigin(text, *stop, endOfLine)) : std::nullopt;
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

bool ProgramModel::Present(std::uint32_t number) const {
    return number <= kMaxLineNum && ((m_present[number / 64] >> (number % 64)) & 1) != 0;
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

// --- The index --------------------------------------------------------------

const std::vector<std::uint64_t>& ProgramModel::ByNumber() const {
    if (!m_byNumberBuilt) {
        m_byNumber.clear();
        m_byNumber.reserve(m_lines.size());
        for (std::size_t i = 0; i < m_lines.size(); ++i)
            if (m_lines[i].HasNumber())
                m_byNumber.push_back(std::uint64_t{m_lines[i].number} << 32 | i);
        // Already in order in a sorted program.
        if (!std::ranges::is_sorted(m_byNumber))
            std::ranges::sort(m_byNumber);
        m_byNumberBuilt = true;
    }
    return m_byNumber;
}

std::optional<std::size_t> ProgramModel::LineWithNumber(std::uint32_t number) const {
    if (!Present(number))
        return std::nullopt;
    const std::vector<std::uint64_t>& index = ByNumber();
    const auto it = std::ranges::lower_bound(index, std::uint64_t{number} << 32);
    return static_cast<std::size_t>(*it & 0xFFFFFFFFu);
}

std::span<const LineReference> ProgramModel::ReferencesFrom(std::size_t line) const {
    const auto index = static_cast<std::uint32_t>(line);
    const std::size_t begin = ReferencesBefore(index);
    return std::span(m_refs).subspan(begin, ReferencesBefore(index + 1) - begin);
}

std::vector<std::size_t> ProgramModel::ReferencesTo(std::size_t line) const {
    std::vector<std::size_t> found;
    if (line >= m_lines.size() || !m_lines[line].HasNumber() ||
        LineWithNumber(m_lines[line].number) != line)
        return found;
    for (std::size_t i = 0; i < m_refs.size(); ++i)
        if (m_refs[i].target == m_lines[line].number)
            found.push_back(i);
    return found;
}

void ProgramModel::CollectSymbols(std::uint32_t index, std::vector<SymbolUse>& out) const {
    if (m_options.kind != DocKind::Basic)
        return;
    const std::string_view text = LineText(index);
    std::vector<BasicToken> tokens;
    BasicLexer lexer(text);
    for (BasicToken token; lexer.Next(token);)
        tokens.push_back(token);
    const auto isPunctuation = [&](const BasicToken& token, char c) {
        return (token.kind == BasicTokenKind::Punctuation ||
                token.kind == BasicTokenKind::Operator) &&
               token.Length() == 1 && text[token.begin] == c;
    };
    // Where a statement starts a variable before '=' is set; after FOR, LET,
    // DIM, and in the lists of INPUT, LNINPUT and READ, every variable is.
    bool statementStart = true;
    bool setsList = false;
    bool setsNext = false;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const BasicToken& token = tokens[i];
        const std::string_view word = text.substr(token.begin, token.Length());
        switch (token.kind) {
        case BasicTokenKind::Label:
            out.push_back({UseKind::LabelDefinition, index, token.begin + 1, token.Length() - 1});
            break;
        case BasicTokenKind::LabelReference:
            out.push_back({UseKind::LabelUse, index, token.begin + 1, token.Length() - 1});
            break;
        case BasicTokenKind::Variable: {
            bool set = setsList || setsNext;
            if (!set && statementStart) {
                std::size_t next = i + 1;
                if (next < tokens.size() && isPunctuation(tokens[next], '(')) {
                    for (int depth = 0; next < tokens.size(); ++next) {
                        depth += isPunctuation(tokens[next], '(') ? 1 : 0;
                        depth -= isPunctuation(tokens[next], ')') ? 1 : 0;
                        if (depth == 0)
                            break;
                    }
                    ++next;
                }
                set = next < tokens.size() && isPunctuation(tokens[next], '=');
            }
            out.push_back({set ? UseKind::VariableSet : UseKind::VariableRead, index, token.begin,
                           token.Length()});
            break;
        }
        default:
            break;
        }
        setsNext = false;
        if (token.kind == BasicTokenKind::Keyword) {
            statementStart = token.flag == kKwThen || token.flag == kKwElse;
            setsNext = SameName(word, "FOR") || SameName(word, "LET");
            if (SameName(word, "LET"))
                statementStart = true;
            if (SameName(word, "INPUT") || SameName(word, "LNINPUT") || SameName(word, "READ") ||
                SameName(word, "DIM"))
                setsList = true;
        } else if (isPunctuation(token, ':')) {
            statementStart = true;
            setsList = false;
        } else if (token.kind != BasicTokenKind::LineNumber) {
            statementStart = false;
        }
    }
}

const std::vector<SymbolUse>& ProgramModel::SymbolUses() const {
    if (!m_symbolsBuilt) {
        m_symbols.clear();
        for (std::uint32_t i = 0; i < m_lines.size(); ++i)
            CollectSymbols(i, m_symbols);
        m_symbolsBuilt = true;
    }
    return m_symbols;
}

std::vector<Symbol> ProgramModel::Symbols() const {
    const std::vector<SymbolUse>& uses = SymbolUses();
    // Each use by (label or not, name), then in text order.
    std::vector<std::uint32_t> order(uses.size());
    for (std::uint32_t i = 0; i < order.size(); ++i)
        order[i] = i;
    const auto name = [&](std::uint32_t i) {
        return std::string_view(m_text).substr(m_lines[uses[i].line].start + uses[i].column,
                                               uses[i].length);
    };
    std::ranges::stable_sort(order, [&](std::uint32_t a, std::uint32_t b) {
        if (uses[a].IsLabel() != uses[b].IsLabel())
            return uses[a].IsLabel();
        return NameBefore(name(a), name(b));
    });
    std::vector<Symbol> symbols;
    for (const std::uint32_t i : order) {
        if (symbols.empty() || symbols.back().label != uses[i].IsLabel() ||
            !SameName(symbols.back().name, name(i)))
            symbols.push_back({std::string(name(i)), uses[i].IsLabel(), {}});
        symbols.back().uses.push_back(uses[i]);
    }
    return symbols;
}

std::vector<SymbolUse> ProgramModel::Uses(std::string_view name, bool label) const {
    std::vector<SymbolUse> found;
    for (const SymbolUse& use : SymbolUses())
        if (use.IsLabel() == label &&
            SameName(
                std::string_view(m_text).substr(m_lines[use.line].start + use.column, use.length),
                name))
            found.push_back(use);
    return found;
}

std::optional<std::size_t> ProgramModel::LabelLine(std::string_view name) const {
    for (const SymbolUse& use : Uses(name, true))
        if (use.kind == UseKind::LabelDefinition)
            return use.line;
    return std::nullopt;
}

bool ProgramModel::BeyondAscii() const {
    return std::ranges::any_of(
        m_lines, [](const ProgramLine& line) { return line.flags & kLineBeyondAscii; });
}

// --- Problems ---------------------------------------------------------------

ProgramProblem ProgramModel::At(StringId message, Severity severity, std::size_t line,
                                std::size_t begin, std::size_t end) const {
    ProgramProblem problem;
    problem.message = message;
    problem.severity = severity;
    problem.line = line;
    problem.offset = m_lines[line].start;
    problem.column = begin - m_lines[line].start;
    problem.begin = begin;
    problem.end = end;
    return problem;
}

ProgramProblem ProgramModel::NumberProblem(std::size_t index) const {
    const ProgramLine& line = m_lines[index];
    if (line.digits != 0)
        return At(IDS_LINE_OUT_OF_RANGE, Severity::Error, index, line.start,
                  line.start + line.digits);
    ProgramProblem problem = At(IDS_LINE_NO_NUMBER, Severity::Error, index, line.start, line.End());
    if (line.flags & kLineBlank) {
        problem.fix = ProblemFix{IDS_FIX_REMOVE_BLANK_LINE, {line.start, line.Span(), {}}};
    } else if (line.flags & kLineEndMark) {
        problem.fix = ProblemFix{IDS_FIX_REMOVE_END_MARK, {line.start, line.Span(), {}}};
    } else if (line.flags & kLineIndented) {
        const std::string_view text = LineText(index);
        const auto indent =
            static_cast<std::size_t>(std::ranges::find_if_not(text, IsBlank) - text.begin());
        problem.end = line.start + indent;
        problem.fix = ProblemFix{IDS_FIX_REMOVE_INDENT, {line.start, indent, {}}};
    }
    return problem;
}

ProgramProblem ProgramModel::TooLongProblem(std::size_t index) const {
    const ProgramLine& line = m_lines[index];
    const std::size_t past = PastLimit(LineText(index), m_options.tabWidth, kMaxLineLength);
    return At(IDS_LINE_TOO_LONG, Severity::Error, index, line.start + past, line.End());
}

ProgramProblem ProgramModel::EndCodeProblem(std::size_t offset) const {
    const std::size_t index = LineAt(offset);
    ProgramProblem problem = At(IDS_END_CODE_INSIDE, Severity::Error, index, offset, offset + 1);
    if (offset < m_lines[index].End()) // a byte of the line, not its line end
        problem.fix = ProblemFix{IDS_FIX_REMOVE_END_CODE, {offset, 1, {}}};
    return problem;
}

std::size_t ProgramModel::EndCodePlace() const {
    std::size_t end = m_text.size();
    while (end > 0 && (m_text[end - 1] == '\r' || m_text[end - 1] == '\n'))
        --end;
    return end == 0 ? std::string::npos : end - 1;
}

std::optional<std::size_t> ProgramModel::EndCodeInLineEnds() const {
    const std::uint8_t code = m_options.endCode;
    if (code != '\r' && code != '\n')
        return std::nullopt;
    return EndCodeStopInSend();
}

std::optional<std::size_t> ProgramModel::EndCodeStopInSend() const {
    const std::uint8_t code = m_options.endCode;
    const int endOfLine = m_options.endOfLine;
    if (!IsLineNumbered(m_options.kind))
        return EndCodeStop(m_text, code, endOfLine);
    const std::string_view lineEnd = endOfLine == kEolCr   ? "\r"
                                     : endOfLine == kEolLf ? "\n"
                                                           : "\r\n";
    const char byte = static_cast<char>(code);
    if (lineEnd.find(byte) == std::string_view::npos && m_text.find(byte) == std::string_view::npos)
        return std::nullopt;
    // A send puts the lines on the line in number order.
    std::string sent;
    std::vector<std::size_t> origin; // of each byte sent, in the text
    sent.reserve(m_text.size() + 1);
    origin.reserve(m_text.size() + 1);
    for (const std::uint64_t entry : ByNumber()) {
        const ProgramLine& line = m_lines[static_cast<std::size_t>(entry & 0xFFFFFFFFu)];
        for (std::uint32_t k = line.start; k < line.End(); ++k) {
            sent.push_back(m_text[k]);
            origin.push_back(k);
        }
        for (const char end : lineEnd) {
            sent.push_back(end);
            origin.push_back(line.End());
        }
    }
    AppendEndCode(sent, code);
    origin.resize(sent.size(), m_text.size());
    const auto stop = FindEndCodeStop(sent, code);
    return stop ? std::optional(origin[*stop]) : std::nullopt;
}

void ProgramModel::LineProblems(std::size_t index, std::uint32_t& previous,
                                std::span<const LineReference> refs,
                                std::vector<ProgramProblem>& out) const {
    const ProgramLine& line = m_lines[index];
    if (IsLineNumbered(m_options.kind)) {
        if (!line.HasNumber()) {
            out.push_back(NumberProblem(index));
        } else {
            if (!m_shared.empty() && LinesWithNumber(line.number) > 1)
                out.push_back(At(IDS_LINE_DUPLICATE, Severity::Error, index, line.start,
                                 line.start + line.digits));
            if (line.number < previous)
                out.push_back(At(IDS_LINE_OUT_OF_ORDER, Severity::Hint, index, line.start,
                                 line.start + line.digits));
            previous = line.number;
        }
        if (line.flags & kLineTooLong)
            out.push_back(TooLongProblem(index));
    }
    if (line.flags & (kLineNul | kLineEndCode | kLineNotCp932)) {
        const std::string_view text = LineText(index);
        const std::uint8_t code = m_options.endCode;
        const std::size_t allowed = EndCodePlace();
        for (std::size_t i = 0; i < text.size();) {
            const auto b = static_cast<unsigned char>(text[i]);
            const std::size_t at = line.start + i;
            if (b == 0) {
                ProgramProblem problem = At(IDS_NUL_INSIDE, Severity::Error, index, at, at + 1);
                problem.fix = ProblemFix{IDS_FIX_REMOVE_NUL, {at, 1, {}}};
                out.push_back(std::move(problem));
            }
            if ((line.flags & kLineEndCode) && (b == code || (code == ' ' && b == '\t')) &&
                at != allowed)
                out.push_back(EndCodeProblem(at));
            std::size_t bytes = 1;
            if (b >= 0x80) {
                bytes = cp932::CharacterBytes(text, i);
                if (bytes == 0) {
                    ProgramProblem problem =
                        At(IDS_NOT_CP932, Severity::Warning, index, at, at + 1);
                    problem.arguments.push_back(Hex(b));
                    out.push_back(std::move(problem));
                    bytes = 1;
                }
            }
            i += bytes;
        }
    }
    for (const LineReference& ref : refs) {
        if (Present(ref.target))
            continue;
        const std::size_t at = line.start + ref.column;
        ProgramProblem problem =
            At(IDS_LINE_REF_NO_LINE, Severity::Warning, index, at, at + ref.length);
        problem.arguments.emplace_back(m_text.substr(at, ref.length));
        out.push_back(std::move(problem));
    }
}

std::vector<ProgramProblem> ProgramModel::Problems() const {
    std::vector<ProgramProblem> problems;
    const bool numbered = IsLineNumbered(m_options.kind);
    const bool shared = !m_shared.empty();
    // The next reference to a line that does not exist.
    const std::size_t refCount = m_refs.size();
    const auto nextMissing = [&](std::size_t from) {
        while (from < refCount && Present(m_refs[from].target))
            ++from;
        return from;
    };
    std::size_t missing = nextMissing(0);
    // The line of the next reference to no line (past the last line: none).
    std::size_t missingLine = missing < refCount ? m_refs[missing].line : m_lines.size();
    std::uint32_t previous = 0;
    const std::size_t lineCount = m_lines.size();
    for (std::size_t i = 0; i < lineCount; ++i) {
        const ProgramLine& line = m_lines[i];
        // Most lines have nothing to say: in a numbered text, a number
        // above the one before and no flag; in a DATA file, no flag.
        if (i != missingLine && line.flags == 0) {
            if (!numbered)
                continue;
            if (line.HasNumber() && line.number >= previous &&
                (!shared || LinesWithNumber(line.number) == 1)) {
                previous = line.number;
                continue;
            }
        }
        const std::span<const LineReference> refs = ReferencesFrom(i);
        LineProblems(i, previous, refs, problems);
        if (i == missingLine) {
            missing =
                nextMissing(static_cast<std::size_t>(refs.data() + refs.size() - m_refs.data()));
            missingLine = missing < refCount ? m_refs[missing].line : m_lines.size();
        }
    }
    if (const auto at = EndCodeInLineEnds())
        problems.push_back(EndCodeProblem(*at));
    std::ranges::stable_sort(problems, {}, &ProgramProblem::begin);
    return problems;
}

std::optional<ProgramProblem> ProgramModel::LineTableRefusal() const {
    for (std::size_t i = 0; i < m_lines.size(); ++i)
        if (!m_lines[i].HasNumber())
            return NumberProblem(i);
    if (m_shared.empty())
        return std::nullopt;
    // The duplicate the sort meets first, at its first line.
    LineTable table;
    table.Records().resize(m_lines.size());
    for (std::size_t i = 0; i < m_lines.size(); ++i)
        table[i].number = m_lines[i].number;
    const std::optional<std::uint32_t> duplicate = SortLineTable(table);
    const std::size_t index = *LineWithNumber(duplicate.value_or(m_shared.front().first));
    const ProgramLine& line = m_lines[index];
    return At(IDS_LINE_DUPLICATE, Severity::Error, index, line.start, line.start + line.digits);
}

std::optional<ProgramProblem> ProgramModel::Refusal(Operation operation) const {
    if (m_text.empty())
        return std::nullopt;
    if (!IsLineNumbered(m_options.kind)) {
        // Only a send looks at a DATA file: for the end code.
        if (operation != Operation::Send)
            return std::nullopt;
        const auto stop = EndCodeStopInSend();
        return stop ? std::optional(EndCodeProblem(*stop)) : std::nullopt;
    }
    if (operation == Operation::Send) {
        // A send checks the lengths first, then the numbers, then the end code.
        for (std::size_t i = 0; i < m_lines.size(); ++i)
            if (m_lines[i].flags & kLineTooLong)
                return TooLongProblem(i);
        if (auto refusal = LineTableRefusal())
            return refusal;
        const auto stop = EndCodeStopInSend();
        return stop ? std::optional(EndCodeProblem(*stop)) : std::nullopt;
    }
    if (auto refusal = LineTableRefusal())
        return refusal;
    if (operation == Operation::Sort || m_options.kind != DocKind::Basic)
        return std::nullopt;
    // Renumbering reads the lines in number order and stops at the first
    // that refers to a line that does not exist.
    for (const std::uint64_t entry : ByNumber()) {
        const auto index = static_cast<std::size_t>(entry & 0xFFFFFFFFu);
        for (const LineReference& ref : ReferencesFrom(index)) {
            if (Present(ref.target))
                continue;
            const std::size_t at = m_lines[index].start + ref.column;
            return At(IDS_LINE_REF_MISSING, Severity::Error, index, at, at + ref.length);
        }
    }
    return std::nullopt;
}

} // namespace tessel
