#include "lsp/SemanticTokens.h"

#include <vector>

namespace tessel::lsp {
namespace {

// Indices into the legend.
enum Type : std::uint32_t {
    kKeyword,
    kNumber,
    kString,
    kComment,
    kVariable,
    kOperator,
    kLabel,
    kMacro
};
enum Modifier : std::uint32_t { kDeclaration = 1, kDefaultLibrary = 2 };

struct Style {
    bool shown = false;
    std::uint32_t type = 0;
    std::uint32_t modifiers = 0;
};

Style StyleOf(TokenKind kind) {
    switch (kind) {
    case TokenKind::LineNumber:
    case TokenKind::Label:
        return {true, kLabel, kDeclaration};
    case TokenKind::LineReference:
    case TokenKind::LabelReference:
        return {true, kLabel, 0};
    case TokenKind::Keyword:
        return {true, kKeyword, 0};
    case TokenKind::String:
        return {true, kString, 0};
    case TokenKind::Comment:
        return {true, kComment, 0};
    case TokenKind::Number:
        return {true, kNumber, 0};
    case TokenKind::Variable:
        return {true, kVariable, 0};
    case TokenKind::Operator:
        return {true, kOperator, 0};
    case TokenKind::Register:
        return {true, kVariable, kDefaultLibrary};
    case TokenKind::Directive:
        return {true, kMacro, 0};
    case TokenKind::Punctuation:
    case TokenKind::Other:
        break;
    }
    return {};
}

} // namespace

const SemanticTokensLegend& TokenLegend() {
    static const SemanticTokensLegend legend{
        {"keyword", "number", "string", "comment", "variable", "operator", "label", "macro"},
        {"declaration", "defaultLibrary"}};
    return legend;
}

SemanticTokens Highlighting(const DocumentModel& program, PositionEncoding encoding,
                            const std::optional<Range>& range) {
    SemanticTokens result;
    const ProgramModel& model = program.Model();
    if (model.LineCount() == 0)
        return result;
    const SourceText& text = program.Doc().text;
    std::size_t first = 0;
    std::size_t last = model.LineCount() - 1;
    if (range) {
        first = model.LineAt(text.OffsetOf(range->start, encoding));
        last = model.LineAt(text.OffsetOf(range->end, encoding));
    }
    std::vector<Token> tokens;
    Position previous;
    for (std::size_t line = first; line <= last; ++line) {
        model.Tokens(line, tokens);
        const std::size_t start = model.Line(line).start;
        for (const Token& token : tokens) {
            const Style style = StyleOf(token.kind);
            if (!style.shown)
                continue;
            const Position begin = text.PositionOf(start + token.begin, encoding);
            const Position end = text.PositionOf(start + token.end, encoding);
            if (end.line != begin.line || end.character <= begin.character)
                continue;
            const std::uint32_t deltaLine = begin.line - previous.line;
            result.data.insert(
                result.data.end(),
                {deltaLine, deltaLine == 0 ? begin.character - previous.character : begin.character,
                 end.character - begin.character, style.type, style.modifiers});
            previous = begin;
        }
    }
    return result;
}

} // namespace tessel::lsp
