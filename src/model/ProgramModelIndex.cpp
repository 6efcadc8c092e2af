#include "model/ProgramModel.h"

#include "engine/BasicLexer.h"

#include <algorithm>

namespace tessel {
namespace {

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

} // namespace

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

} // namespace tessel
