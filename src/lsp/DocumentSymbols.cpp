#include "lsp/DocumentSymbols.h"

#include <algorithm>
#include <string>
#include <vector>

namespace tessel::lsp {

DocumentSymbols Outline(const DocumentModel& program, PositionEncoding encoding, bool tree) {
    const ProgramModel& model = program.Model();
    // The label definitions, by line.
    std::vector<SymbolUse> labels;
    for (const Symbol& symbol : model.Symbols())
        for (const SymbolUse& use : symbol.uses)
            if (use.kind == UseKind::LabelDefinition)
                labels.push_back(use);
    std::ranges::sort(labels, {}, [](const SymbolUse& use) { return use.line; });

    DocumentSymbols symbols;
    if (!tree)
        symbols.flat.emplace();
    const std::string& uri = program.Doc().uri;
    auto label = labels.begin();
    for (std::size_t line = 0; line < model.LineCount(); ++line) {
        const ProgramLine& record = model.Line(line);
        if (!record.HasNumber()) {
            while (label != labels.end() && label->line == line)
                ++label;
            continue;
        }
        DocumentSymbol symbol;
        symbol.name = program.Text(record.start, record.start + record.digits);
        std::size_t text = record.start + record.digits;
        while (text < record.End() && (model.Text()[text] == ' ' || model.Text()[text] == '\t'))
            ++text;
        symbol.detail = program.Text(text, record.End());
        symbol.kind = SymbolKind::Number;
        symbol.range = program.LineRange(line, encoding);
        symbol.selectionRange = program.NumberRange(line, encoding);
        for (; label != labels.end() && label->line == line; ++label) {
            const std::size_t begin = record.start + label->column;
            DocumentSymbol child;
            child.name = "*" + program.Text(begin, begin + label->length);
            child.kind = SymbolKind::Key;
            child.range = program.RangeOf(begin - 1, begin + label->length, encoding);
            child.selectionRange = program.UseRange(*label, encoding);
            symbol.children.push_back(std::move(child));
        }
        if (tree) {
            symbols.tree.push_back(std::move(symbol));
            continue;
        }
        symbols.flat->push_back({symbol.name, symbol.kind, {uri, symbol.range}, std::nullopt});
        for (const DocumentSymbol& child : symbol.children)
            symbols.flat->push_back({child.name, child.kind, {uri, child.range}, symbol.name});
    }
    return symbols;
}

} // namespace tessel::lsp
