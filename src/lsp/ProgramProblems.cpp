#include "lsp/ProgramProblems.h"

#include "encoding/Cp932.h"
#include "model/ProgramModel.h"
#include "res/StringTable.h"

#include <string>
#include <string_view>

namespace tessel::lsp {
namespace {

struct LanguageKind {
    std::string_view id;
    DocKind kind;
};

// The language ids editors give these files (VS Code's and the usual ones).
// "plaintext" is not among them: an editor gives it to any file it knows no
// language for, a .bas file included, so the extension decides then.
constexpr LanguageKind kLanguages[] = {
    {"basic", DocKind::Basic}, {"bas", DocKind::Basic},    {"c", DocKind::C},
    {"asm", DocKind::Asm},     {"assembly", DocKind::Asm}, {"casl", DocKind::Casl},
    {"text", DocKind::Text},
};

DiagnosticSeverity SeverityOf(Severity severity) {
    switch (severity) {
    case Severity::Error:
        return DiagnosticSeverity::Error;
    case Severity::Warning:
        return DiagnosticSeverity::Warning;
    case Severity::Hint:
        return DiagnosticSeverity::Hint;
    }
    return DiagnosticSeverity::Error;
}

} // namespace

DocKind DocumentKind(const Document& document) {
    for (const LanguageKind& language : kLanguages)
        if (document.languageId == language.id)
            return language.kind;
    std::string_view path = document.uri;
    if (const std::size_t query = path.find_first_of("?#"); query != std::string_view::npos)
        path = path.substr(0, query);
    return DocKindFromPath(path);
}

std::vector<Diagnostic> ProgramProblems(const Document& document, PositionEncoding encoding,
                                        const AppSettings& settings) {
    const DocKind kind = DocumentKind(document);
    std::vector<Diagnostic> diagnostics;
    if (!IsLineNumbered(kind))
        return diagnostics;
    ProgramModel model(ModelOptions::For(kind, settings));
    model.Build(document.text.Bytes());
    const std::string& bytes = document.text.Bytes();
    for (const ProgramProblem& problem : model.Problems()) {
        // A character without a code is said, with its name, by the text's
        // own problems (lsp/TextProblems.h).
        if (problem.message == IDS_NOT_CP932 && problem.begin < bytes.size() &&
            bytes[problem.begin] == kForeignByte)
            continue;
        Diagnostic diagnostic;
        diagnostic.range = document.text.RangeOf(problem.begin, problem.end, encoding);
        diagnostic.severity = SeverityOf(problem.severity);
        diagnostic.code = std::to_string(problem.message);
        diagnostic.source = "tessel";
        diagnostic.message = DescribeProblem(problem);
        // A mend whose text has no UTF-8 form (it never has: mends remove)
        // is left out, never sent as bytes JSON cannot carry.
        if (std::string text; problem.fix && !cp932::ToUtf8(problem.fix->edit.text, text))
            SetFix(diagnostic, {std::string(LoadString(problem.fix->title)),
                                problem.fix->edit.offset, problem.fix->edit.length, text});
        diagnostics.push_back(std::move(diagnostic));
    }
    return diagnostics;
}

} // namespace tessel::lsp
