#include "lsp/DocumentModel.h"

#include "lsp/ProgramProblems.h"

#include <vector>

namespace tessel::lsp {
namespace {

ModelOptions OptionsFor(const Document& document) {
    ModelOptions options;
    options.kind = DocumentKind(document);
    return options;
}

SpotKind SpotOf(TokenKind kind) {
    switch (kind) {
    case TokenKind::LineNumber:
        return SpotKind::LineNumber;
    case TokenKind::LineReference:
        return SpotKind::LineReference;
    case TokenKind::Label:
        return SpotKind::Label;
    case TokenKind::LabelReference:
        return SpotKind::LabelReference;
    case TokenKind::Keyword:
        return SpotKind::Keyword;
    default:
        return SpotKind::None;
    }
}

} // namespace

DocumentModel::DocumentModel(const Document& document)
    : m_document(document), m_model(OptionsFor(document)) {
    m_model.Build(document.text.Bytes());
}

Spot DocumentModel::At(const Position& position, PositionEncoding encoding) const {
    Spot spot;
    if (m_model.LineCount() == 0)
        return spot;
    const std::size_t offset = m_document.text.OffsetOf(position, encoding);
    const std::size_t line = m_model.LineAt(offset);
    const ProgramLine& record = m_model.Line(line);
    if (offset > record.End())
        return spot;
    const std::size_t column = offset - record.start;
    std::vector<Token> tokens;
    m_model.Tokens(line, tokens);
    const Token* found = nullptr;
    for (const Token& token : tokens) {
        if (SpotOf(token.kind) == SpotKind::None)
            continue;
        if (token.begin <= column && column < token.end) {
            found = &token;
            break;
        }
        if (token.end == column)
            found = &token; // unless one starts here
    }
    if (found == nullptr)
        return spot;
    spot.kind = SpotOf(found->kind);
    spot.line = line;
    spot.begin = record.start + found->begin;
    spot.end = record.start + found->end;
    switch (spot.kind) {
    case SpotKind::LineNumber:
        if (!record.HasNumber())
            return {};
        spot.number = record.number;
        break;
    case SpotKind::LineReference:
        spot.kind = SpotKind::None;
        for (const LineReference& reference : m_model.ReferencesFrom(line))
            if (reference.column == found->begin) {
                spot.kind = SpotKind::LineReference;
                spot.number = reference.target;
            }
        break;
    case SpotKind::Label:
    case SpotKind::LabelReference:
        spot.name = std::string(m_model.Text().substr(spot.begin + 1, spot.end - spot.begin - 1));
        break;
    case SpotKind::Keyword:
        spot.name = std::string(m_model.Text().substr(spot.begin, spot.end - spot.begin));
        spot.category = found->category;
        break;
    case SpotKind::None:
        break;
    }
    return spot;
}

Range DocumentModel::NumberRange(std::size_t line, PositionEncoding encoding) const {
    const ProgramLine& record = m_model.Line(line);
    return RangeOf(record.start, record.start + record.digits, encoding);
}

Range DocumentModel::LineRange(std::size_t line, PositionEncoding encoding) const {
    const ProgramLine& record = m_model.Line(line);
    return RangeOf(record.start, record.End(), encoding);
}

Range DocumentModel::ReferenceRange(const LineReference& reference,
                                    PositionEncoding encoding) const {
    const std::size_t begin = m_model.Line(reference.line).start + reference.column;
    return RangeOf(begin, begin + reference.length, encoding);
}

Range DocumentModel::UseRange(const SymbolUse& use, PositionEncoding encoding) const {
    const std::size_t begin = m_model.Line(use.line).start + use.column;
    return RangeOf(begin, begin + use.length, encoding);
}

std::string DocumentModel::LineText(std::size_t line) const {
    const ProgramLine& record = m_model.Line(line);
    return Text(record.start, record.End());
}

std::string DocumentModel::Text(std::size_t begin, std::size_t end) const {
    return m_document.text.Utf8(begin, end);
}

} // namespace tessel::lsp
