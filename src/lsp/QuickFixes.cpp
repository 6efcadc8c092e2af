#include "lsp/QuickFixes.h"

#include "lsp/ProgramProblems.h"

#include <algorithm>
#include <optional>
#include <string_view>

namespace tessel::lsp {
namespace {

// Whether the context's `only` takes actions of `kind`: a listed kind takes
// itself and the kinds below it ("quickfix" takes "quickfix.x").
bool Wanted(const std::vector<std::string>& only, std::string_view kind) {
    if (only.empty())
        return true;
    return std::ranges::any_of(only, [&](std::string_view wanted) {
        return kind == wanted || (kind.starts_with(wanted) && kind[wanted.size()] == '.');
    });
}

} // namespace

std::vector<CodeAction> QuickFixes(const Document& document, const CodeActionParams& params,
                                   PositionEncoding encoding, bool versioned) {
    std::vector<CodeAction> actions;
    if (!Wanted(params.context.only, kQuickFix))
        return actions;
    std::optional<std::vector<Diagnostic>> current;
    std::vector<DiagnosticFix> made;
    for (const Diagnostic& given : params.context.diagnostics) {
        const std::optional<DiagnosticFix> fix = FixOf(given);
        if (!fix || std::ranges::find(made, *fix) != made.end())
            continue;
        if (!current)
            current = ProgramProblems(document, encoding);
        const bool stillThere = std::ranges::any_of(*current, [&](const Diagnostic& now) {
            return now.code == given.code && FixOf(now) == fix;
        });
        if (!stillThere)
            continue;
        made.push_back(*fix);
        const TextEdit edit{document.text.RangeOf(fix->offset, fix->offset + fix->length, encoding),
                            fix->text};
        WorkspaceEdit workspaceEdit;
        if (versioned)
            workspaceEdit.documentChanges =
                std::vector<TextDocumentEdit>{{{document.uri, document.version}, {edit}}};
        else
            workspaceEdit.changes[document.uri] = {edit};
        CodeAction action;
        action.title = fix->title;
        action.kind = std::string(kQuickFix);
        action.diagnostics = {given};
        action.isPreferred = true;
        action.edit = std::move(workspaceEdit);
        actions.push_back(std::move(action));
    }
    return actions;
}

} // namespace tessel::lsp
