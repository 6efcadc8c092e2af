#include "model/SourceLexer.h"

#include "engine/BasicLexer.h"
#include "engine/NumberedLine.h"
#include "model/AsmLexer.h"
#include "model/CLexer.h"
#include "model/CaslLexer.h"

namespace tessel {
namespace {

TokenKind KindOf(BasicTokenKind kind) {
    switch (kind) {
    case BasicTokenKind::LineNumber:
        return TokenKind::LineNumber;
    case BasicTokenKind::Keyword:
        return TokenKind::Keyword;
    case BasicTokenKind::LineReference:
        return TokenKind::LineReference;
    case BasicTokenKind::Label:
        return TokenKind::Label;
    case BasicTokenKind::LabelReference:
        return TokenKind::LabelReference;
    case BasicTokenKind::String:
        return TokenKind::String;
    case BasicTokenKind::Remark:
        return TokenKind::Comment;
    case BasicTokenKind::Number:
        return TokenKind::Number;
    case BasicTokenKind::Variable:
        return TokenKind::Variable;
    case BasicTokenKind::Operator:
        return TokenKind::Operator;
    case BasicTokenKind::Punctuation:
        return TokenKind::Punctuation;
    case BasicTokenKind::Other:
        break;
    }
    return TokenKind::Other;
}

} // namespace

LexState SourceLexer::LexLine(DocKind kind, std::string_view line, LexState state,
                              std::vector<Token>& out) {
    if (kind == DocKind::Data)
        return LexState::Code;
    if (kind == DocKind::Basic) {
        BasicLexer lexer(line);
        BasicToken token;
        while (lexer.Next(token))
            out.push_back({KindOf(token.kind), token.category, token.begin, token.end});
        return LexState::Code;
    }
    const auto digits = static_cast<std::uint32_t>(ParseDigitRun(line).length);
    if (digits != 0)
        out.push_back({TokenKind::LineNumber, kKcStatement, 0, digits});
    const std::string_view body = line.substr(digits);
    switch (kind) {
    case DocKind::C:
        return CLexer::Lex(body, digits, state, out);
    case DocKind::Asm:
        AsmLexer::Lex(body, digits, out);
        break;
    case DocKind::Casl:
        CaslLexer::Lex(body, digits, out);
        break;
    default:
        break;
    }
    return LexState::Code;
}

} // namespace tessel
