#include "lsp/TextProblems.h"

#include "encoding/Cp932.h"
#include "res/StringTable.h"

#include <string>

namespace tessel::lsp {
namespace {

constexpr char32_t kYenSign = 0xA5;

Diagnostic Problem(const SourceText& text, std::size_t offset, PositionEncoding encoding,
                   std::string message) {
    Diagnostic d;
    d.range = text.RangeOf(offset, offset + 1, encoding);
    d.severity = DiagnosticSeverity::Error;
    d.code = "not-in-code-page";
    d.source = "tessel";
    d.message = std::move(message);
    return d;
}

} // namespace

std::vector<Diagnostic> ForeignCharacterProblems(const SourceText& text, PositionEncoding encoding,
                                                 std::size_t limit) {
    std::vector<Diagnostic> problems;
    const auto foreign = text.Foreign();
    for (std::size_t k = 0; k < foreign.size() && k < limit; ++k) {
        const char32_t c = foreign[k].character;
        problems.push_back(
            Problem(text, foreign[k].offset, encoding,
                    LoadFormatted(c == kYenSign ? IDS_CLI_YEN_NOT_IN_CP932 : IDS_CLI_NOT_IN_CP932,
                                  {cp932::NameCharacter(c)})));
    }
    if (foreign.size() > limit)
        problems.push_back(Problem(
            text, foreign[limit].offset, encoding,
            LoadFormatted(IDS_LSP_MORE_NOT_IN_CP932, {std::to_string(foreign.size() - limit)})));
    return problems;
}

} // namespace tessel::lsp
