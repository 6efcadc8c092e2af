#include "lsp/Completion.h"

#include "engine/Keywords.h"
#include "model/SourceLexer.h"
#include "res/StringTable.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

namespace tessel::lsp {
namespace {

bool IsWordByte(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

StringId CategoryName(KeywordCategory category) {
    switch (category) {
    case kKcFunction:
        return IDS_LSP_CATEGORY_FUNCTION;
    case kKcOperator:
        return IDS_LSP_CATEGORY_OPERATOR;
    case kKcClause:
        return IDS_LSP_CATEGORY_CLAUSE;
    case kKcStatement:
        break;
    }
    return IDS_LSP_CATEGORY_STATEMENT;
}

// What the lexer makes of a number standing where the word being typed
// starts: whether a line reference may stand there, or nothing may be
// completed at all (inside a string or a remark, in a line's own number).
enum class Place { Reference, Word, Nothing };

Place PlaceOf(DocKind kind, std::string_view before) {
    std::string probe(before);
    probe += '1';
    std::vector<Token> tokens;
    SourceLexer::LexLine(kind, probe, LexState::Code, tokens);
    const auto last = std::ranges::find_if(tokens, [&](const Token& token) {
        return token.begin <= before.size() && before.size() < token.end;
    });
    if (last == tokens.end())
        return Place::Word;
    switch (last->kind) {
    case TokenKind::LineReference:
        return Place::Reference;
    case TokenKind::String:
    case TokenKind::Comment:
    case TokenKind::LineNumber:
        return Place::Nothing;
    default:
        return Place::Word;
    }
}

} // namespace

CompletionList Complete(const DocumentModel& program, const Position& position,
                        PositionEncoding encoding, const std::optional<std::string>& trigger) {
    CompletionList list;
    const ProgramModel& model = program.Model();
    if (program.Kind() != DocKind::Basic)
        return list;
    const SourceText& text = program.Doc().text;
    const std::size_t offset = text.OffsetOf(position, encoding);
    const std::size_t line = model.LineAt(offset);
    // On the empty line after the text's last line end, which the model
    // has no record of, the line starts at the caret.
    const std::size_t start =
        model.LineCount() == 0 || offset > model.Line(line).End() ? offset : model.Line(line).start;
    const std::string_view bytes = model.Text();
    std::size_t word = offset;
    while (word > start && IsWordByte(bytes[word - 1]))
        --word;
    const std::string_view typed = bytes.substr(word, offset - word);
    const bool number = std::ranges::all_of(typed, IsDigit);
    const Place place = PlaceOf(DocKind::Basic, bytes.substr(start, word - start));
    if (place == Place::Nothing || (trigger && !(place == Place::Reference && typed.empty())))
        return list;
    const Range replaced = program.RangeOf(word, offset, encoding);
    if (place == Place::Reference && number) {
        for (std::size_t k = 0; k < model.LineCount(); ++k) {
            const ProgramLine& record = model.Line(k);
            if (!record.HasNumber() || model.LineWithNumber(record.number) != k)
                continue;
            CompletionItem item;
            item.label = std::to_string(record.number);
            item.kind = CompletionItemKind::Reference;
            std::size_t rest = record.start + record.digits;
            while (rest < record.End() && (bytes[rest] == ' ' || bytes[rest] == '\t'))
                ++rest;
            item.detail = program.Text(rest, record.End());
            char order[8];
            std::snprintf(order, sizeof order, "%05u", record.number);
            item.sortText = order;
            item.textEdit = TextEdit{replaced, item.label};
            list.items.push_back(std::move(item));
        }
        return list;
    }
    if (!typed.empty() && number)
        return list;
    for (std::size_t k = 0; k < KeywordTableSize(); ++k) {
        const KeywordRecord& keyword = KeywordAt(k);
        const std::string name(keyword.name, strnlen(keyword.name, sizeof keyword.name));
        if (name.empty())
            continue;
        CompletionItem item;
        item.label = name;
        item.kind = CompletionItemKind::Keyword;
        item.detail = std::string(LoadString(CategoryName(keyword.category)));
        item.textEdit = TextEdit{replaced, name};
        list.items.push_back(std::move(item));
    }
    return list;
}

} // namespace tessel::lsp
