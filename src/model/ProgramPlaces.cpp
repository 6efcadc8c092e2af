#include "model/ProgramPlaces.h"

#include "engine/BasicLexer.h"

#include <algorithm>

namespace tessel {
namespace {

PlaceKind KindOf(TokenKind kind) {
    switch (kind) {
    case TokenKind::LineNumber:
        return PlaceKind::LineNumber;
    case TokenKind::LineReference:
        return PlaceKind::LineReference;
    case TokenKind::Label:
        return PlaceKind::Label;
    case TokenKind::LabelReference:
        return PlaceKind::LabelReference;
    case TokenKind::Variable:
        return PlaceKind::Variable;
    case TokenKind::Keyword:
        return PlaceKind::Keyword;
    default:
        return PlaceKind::None;
    }
}

// The label's name in a token of a label or its reference.
std::string LabelName(std::string_view token) {
    if (token.starts_with('*'))
        token.remove_prefix(1);
    return std::string(token);
}

// The keyword that the use of a label follows, as the lexer reads its line.
KeywordFlag KeywordOfLabelUse(const ProgramModel& model, const SymbolUse& use) {
    BasicLexer lexer(model.LineText(use.line));
    for (BasicToken token; lexer.NextReference(token);)
        if (token.kind == BasicTokenKind::LabelReference && token.end == use.column + use.length)
            return token.flag;
    return kKwGoto;
}

void AddLabelUses(const ProgramModel& model, std::string_view name, bool definition,
                  std::vector<Referrer>& out) {
    for (const SymbolUse& use : model.Uses(name, true)) {
        if (use.kind == UseKind::LabelUse)
            out.push_back({ReferrerKind::LabelUse, KeywordOfLabelUse(model, use), use.line,
                           use.column, use.length});
        else if (definition)
            out.push_back(
                {ReferrerKind::LabelDefinition, kKwPlain, use.line, use.column, use.length});
    }
}

} // namespace

ProgramPlace PlaceAt(const ProgramModel& model, std::size_t offset, bool orJustAfter) {
    ProgramPlace place;
    if (model.LineCount() == 0)
        return place;
    const std::size_t line = model.LineAt(offset);
    const ProgramLine& record = model.Line(line);
    if (offset < record.start || offset > record.End())
        return place;
    const std::size_t column = offset - record.start;
    std::vector<Token> tokens;
    model.Tokens(line, tokens);
    const Token* found = nullptr;
    for (const Token& token : tokens) {
        if (KindOf(token.kind) == PlaceKind::None)
            continue;
        if (token.begin <= column && column < token.end) {
            found = &token;
            break;
        }
        if (orJustAfter && token.end == column)
            found = &token; // unless one starts here
    }
    if (found == nullptr)
        return place;
    place.kind = KindOf(found->kind);
    place.line = line;
    place.begin = record.start + found->begin;
    place.end = record.start + found->end;
    const std::string_view text =
        model.LineText(line).substr(found->begin, found->end - found->begin);
    switch (place.kind) {
    case PlaceKind::LineNumber:
        if (!record.HasNumber())
            return {};
        place.number = record.number;
        break;
    case PlaceKind::LineReference: {
        const auto references = model.ReferencesFrom(line);
        const auto it = std::ranges::find(references, found->begin, &LineReference::column);
        if (it == references.end())
            return {};
        place.number = it->target;
        break;
    }
    case PlaceKind::Label:
    case PlaceKind::LabelReference:
        place.name = LabelName(text);
        break;
    case PlaceKind::Variable:
        // Only what the model takes for a variable (in BASIC).
        place.name = std::string(text);
        if (model.Uses(place.name, false).empty())
            return {};
        break;
    case PlaceKind::Keyword:
        place.name = std::string(text);
        place.category = found->category;
        break;
    case PlaceKind::None:
        break;
    }
    return place;
}

std::optional<std::size_t> TargetOf(const ProgramModel& model, const ProgramPlace& place) {
    switch (place.kind) {
    case PlaceKind::LineReference:
        return model.LineWithNumber(place.number);
    case PlaceKind::LabelReference:
        return model.LabelLine(place.name);
    default:
        return std::nullopt;
    }
}

std::vector<Referrer> ReferrersOf(const ProgramModel& model, const ProgramPlace& place) {
    std::vector<Referrer> referrers;
    switch (place.kind) {
    case PlaceKind::LineNumber:
    case PlaceKind::LineReference: {
        // By its number, whether a line carries it or not.
        for (const LineReference& reference : model.References())
            if (reference.target == place.number)
                referrers.push_back({ReferrerKind::Reference, reference.keyword, reference.line,
                                     reference.column, reference.length});
        // And by the labels the line defines.
        const auto line = model.LineWithNumber(place.number);
        if (!line)
            break;
        std::vector<Token> tokens;
        model.Tokens(*line, tokens);
        for (const Token& token : tokens)
            if (token.kind == TokenKind::Label)
                AddLabelUses(
                    model,
                    LabelName(model.LineText(*line).substr(token.begin, token.end - token.begin)),
                    false, referrers);
        break;
    }
    case PlaceKind::Label:
    case PlaceKind::LabelReference:
        AddLabelUses(model, place.name, true, referrers);
        break;
    case PlaceKind::Variable:
        for (const SymbolUse& use : model.Uses(place.name, false))
            referrers.push_back({use.kind == UseKind::VariableSet ? ReferrerKind::VariableSet
                                                                  : ReferrerKind::VariableRead,
                                 kKwPlain, use.line, use.column, use.length});
        break;
    case PlaceKind::Keyword:
    case PlaceKind::None:
        break;
    }
    std::ranges::stable_sort(referrers, [](const Referrer& a, const Referrer& b) {
        return a.line != b.line ? a.line < b.line : a.column < b.column;
    });
    return referrers;
}

} // namespace tessel
