#include "lsp/Rename.h"

#include "engine/NumberedLine.h"
#include "res/StringTable.h"

#include <string>

namespace tessel::lsp {
namespace {

Error Refused(std::string message) {
    return Error{ErrorCode::RequestFailed, std::move(message)};
}

// The line a rename at `position` renumbers, and the digits under the
// cursor; an error, or no line where there is nothing to rename.
struct Target {
    std::optional<std::size_t> line;
    Range range;
};

Expected<Target> TargetAt(const DocumentModel& program, const Position& position,
                          PositionEncoding encoding) {
    const ProgramPlace spot = program.At(position, encoding);
    if (spot.kind != PlaceKind::LineNumber && spot.kind != PlaceKind::LineReference)
        return Target{};
    const ProgramModel& model = program.Model();
    const std::string number = std::to_string(spot.number);
    const std::optional<std::size_t> line = model.LineWithNumber(spot.number);
    if (!line)
        return Refused(LoadFormatted(IDS_LSP_NO_SUCH_LINE, {number}));
    if (model.LinesWithNumber(spot.number) > 1)
        return Refused(LoadFormatted(IDS_LSP_RENAME_SHARED, {number}));
    return Target{line, program.RangeOf(spot.begin, spot.end, encoding)};
}

// The number a person typed, blanks around it allowed; none when it is no
// run of digits.
std::optional<std::uint32_t> ReadNumber(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return std::nullopt;
    text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    const DigitRun run = ParseDigitRun(text);
    if (run.length == 0 || run.length != text.size())
        return std::nullopt;
    return run.value;
}

} // namespace

Expected<std::optional<Range>> PrepareRename(const DocumentModel& program, const Position& position,
                                             PositionEncoding encoding) {
    const Expected<Target> target = TargetAt(program, position, encoding);
    if (!target.Ok())
        return target.Err();
    if (!target.Value().line)
        return std::optional<Range>();
    return std::optional<Range>(target.Value().range);
}

Expected<std::vector<TextEdit>> RenameLine(const DocumentModel& program, const Position& position,
                                           std::string_view newName, PositionEncoding encoding) {
    const Expected<Target> target = TargetAt(program, position, encoding);
    if (!target.Ok())
        return target.Err();
    if (!target.Value().line)
        return Refused(std::string(LoadString(IDS_LSP_RENAME_NOT_HERE)));
    const std::size_t line = *target.Value().line;
    const ProgramModel& model = program.Model();
    const std::uint32_t old = model.Line(line).number;

    const std::optional<std::uint32_t> wanted = ReadNumber(newName);
    if (!wanted || *wanted < 1 || *wanted > kMaxLineNum)
        return Refused(LoadFormatted(IDS_LSP_RENAME_NOT_A_NUMBER, {newName}));
    const std::uint32_t number = *wanted;
    std::vector<TextEdit> edits;
    if (number == old)
        return edits;
    if (model.LinesWithNumber(number) != 0)
        return Refused(LoadFormatted(IDS_LSP_RENAME_TAKEN, {std::to_string(number)}));
    // The line must keep its place in number order: no line's number may
    // lie between the old number and the new. The one nearest the old is
    // named.
    const std::uint32_t low = std::min(old, number);
    const std::uint32_t high = std::max(old, number);
    std::optional<std::uint32_t> between;
    for (std::size_t k = 0; k < model.LineCount(); ++k) {
        const ProgramLine& other = model.Line(k);
        if (!other.HasNumber() || other.number <= low || other.number >= high)
            continue;
        if (!between || (number > old ? other.number < *between : other.number > *between))
            between = other.number;
    }
    if (between)
        return Refused(
            LoadFormatted(IDS_LSP_RENAME_ORDER,
                          {std::to_string(old), std::to_string(number), std::to_string(*between)}));

    const std::string digits = std::to_string(number);
    edits.push_back({program.NumberRange(line, encoding), digits});
    // Only BASIC refers to lines by their numbers.
    if (program.Kind() == DocKind::Basic) {
        const auto references = model.References();
        for (const std::size_t index : model.ReferencesTo(line))
            edits.push_back({program.ReferenceRange(references[index], encoding), digits});
    }
    return edits;
}

} // namespace tessel::lsp
