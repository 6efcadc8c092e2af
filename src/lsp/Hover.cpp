#include "lsp/Hover.h"

#include "res/StringTable.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace tessel::lsp {
namespace {

StringId CategoryText(KeywordCategory category) {
    switch (category) {
    case kKcFunction:
        return IDS_LSP_KEYWORD_FUNCTION;
    case kKcOperator:
        return IDS_LSP_KEYWORD_OPERATOR;
    case kKcClause:
        return IDS_LSP_KEYWORD_CLAUSE;
    case kKcStatement:
        break;
    }
    return IDS_LSP_KEYWORD_STATEMENT;
}

std::string Upper(std::string word) {
    std::ranges::transform(word, word.begin(), [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    });
    return word;
}

// A sentence as Markdown shows it as written.
std::string EscapeMarkdown(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (std::string_view("\\`*_[]<>#|~").find(c) != std::string_view::npos)
            out += '\\';
        out += c;
    }
    return out;
}

// A program line as a code block, its fence longer than any run of
// backquotes in it.
std::string CodeBlock(std::string_view line) {
    std::size_t longest = 0;
    for (std::size_t run = 0; const char c : line) {
        run = c == '`' ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    const std::string fence(std::max<std::size_t>(3, longest + 1), '`');
    return fence + "\n" + std::string(line) + "\n" + fence;
}

} // namespace

std::optional<Hover> HoverAt(const DocumentModel& program, const Position& position,
                             PositionEncoding encoding, bool markdown) {
    const ProgramPlace spot = program.At(position, encoding);
    const ProgramModel& model = program.Model();
    std::optional<std::size_t> line;
    std::string sentence;
    switch (spot.kind) {
    case PlaceKind::LineReference:
        line = model.LineWithNumber(spot.number);
        if (!line)
            sentence = LoadFormatted(IDS_LSP_NO_SUCH_LINE, {std::to_string(spot.number)});
        break;
    case PlaceKind::LabelReference:
        line = model.LabelLine(spot.name);
        if (!line)
            sentence = LoadFormatted(IDS_LSP_NO_SUCH_LABEL,
                                     {"*" + program.Text(spot.begin + 1, spot.end)});
        break;
    case PlaceKind::Keyword:
        // Only BASIC's keywords have categories of their own.
        if (program.Kind() != DocKind::Basic)
            return std::nullopt;
        sentence = LoadFormatted(CategoryText(spot.category), {Upper(spot.name)});
        break;
    default:
        return std::nullopt;
    }
    Hover hover;
    hover.range = program.RangeOf(spot.begin, spot.end, encoding);
    hover.contents.kind = markdown ? "markdown" : "plaintext";
    if (line)
        hover.contents.value =
            markdown ? CodeBlock(program.LineText(*line)) : program.LineText(*line);
    else
        hover.contents.value = markdown ? EscapeMarkdown(sentence) : sentence;
    return hover;
}

} // namespace tessel::lsp
