#include "lsp/QuickFixes.h"

#include "lsp/ProgramProblems.h"

#include <algorithm>
#include <optional>
#include <string_view>

namespace tessel::lsp {

std::vector<CodeAction> QuickFixes(const Document& document, const CodeActionParams& params,
                                   PositionEncoding encoding, bool versioned) {
    std::vector<CodeAction> actions;
    if (!KindWanted(params.context.only, kQuickFix))
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
        CodeAction action;
        action.title = fix->title;
        action.kind = std::string(kQuickFix);
        action.diagnostics = {given};
        action.isPreferred = true;
        action.edit = DocumentEdit(document, {edit}, versioned);
        actions.push_back(std::move(action));
    }
    return actions;
}

} // namespace tessel::lsp
