#include "cli/CliListings.h"

#include "encoding/Cp932.h"
#include "res/StringTable.h"
#include "settings/ComSettings.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <vector>

namespace tessel::cli {
namespace {

using Json = nlohmann::ordered_json;

// How a reference refers to its line, as the keyword before it is written.
std::string_view HowOf(KeywordFlag flag) {
    return ReferenceKeyword(flag);
}

std::string_view HowOf(UseKind kind) {
    switch (kind) {
    case UseKind::LabelDefinition:
        return "defined";
    case UseKind::LabelUse:
        return "used";
    case UseKind::VariableSet:
        return "set";
    case UseKind::VariableRead:
        return "read";
    }
    return "read";
}

std::optional<std::uint32_t> NumberOf(const ProgramModel& model, std::size_t line) {
    const ProgramLine& record = model.Line(line);
    return record.HasNumber() ? std::optional(record.number) : std::nullopt;
}

std::string FromField(const ProgramModel& model, std::size_t line) {
    const auto number = NumberOf(model, line);
    return number ? std::to_string(*number) : "-";
}

// The references to existing lines by the line they name, then in file
// order; those to missing lines in file order.
struct SortedReferences {
    std::vector<const LineReference*> existing;
    std::vector<const LineReference*> missing;
};

SortedReferences SortReferences(const ProgramModel& model) {
    SortedReferences sorted;
    for (const LineReference& reference : model.References())
        (model.Target(reference) ? sorted.existing : sorted.missing).push_back(&reference);
    std::ranges::stable_sort(sorted.existing, {}, &LineReference::target);
    return sorted;
}

// A name of the program in UTF-8: code page 932 converted, a byte that
// starts no character as '?'.
std::string Utf8Name(std::string_view bytes) {
    std::string utf8;
    if (!cp932::ToUtf8(bytes, utf8))
        return utf8;
    std::string ascii(bytes);
    std::ranges::replace_if(
        ascii, [](char c) { return static_cast<unsigned char>(c) >= 0x80; }, '?');
    return ascii;
}

std::string_view NameOf(const ProgramModel& model, const SymbolUse& use) {
    return model.LineText(use.line).substr(use.column, use.length);
}

std::string ComNames(const SerialPortInfo& port, std::string_view separator) {
    std::string names;
    for (const unsigned i : port.comPorts)
        names.append(names.empty() ? "" : separator).append(kPortNames[i]);
    return names;
}

// A JSON string of `value`, through the JSON library: escaped as JSON
// wants, a byte that is no UTF-8 (a device's name can be any bytes) as
// U+FFFD, so that the listing is always valid JSON.
std::string JsonString(std::string_view value) {
    return nlohmann::json(value).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

} // namespace

std::size_t FilePlaces::Column(std::size_t line, std::size_t column) const {
    if (numbersAdded) {
        const ProgramLine& record = model.Line(line);
        std::size_t added = record.digits;
        if (added < record.length && model.Text()[record.start + added] == ' ')
            ++added;
        column = column >= added ? column - added : 0;
    }
    return column + 1;
}

std::string FilePlaces::Of(std::size_t line, std::size_t column) const {
    return std::to_string(line + 1) + ':' + std::to_string(Column(line, column));
}

std::string ProblemLine(std::string_view name, const FilePlaces& places,
                        const ProgramProblem& problem) {
    std::string line(name);
    line += ':';
    line += places.Of(problem.line, problem.column);
    line += ": ";
    if (problem.severity == Severity::Warning)
        line += LoadString(IDS_CLI_WARNING_MARK);
    else if (problem.severity == Severity::Hint)
        line += LoadString(IDS_CLI_HINT_MARK);
    line += DescribeProblem(problem);
    line += '\n';
    return line;
}

std::string XrefTable(const FilePlaces& places) {
    const ProgramModel& model = places.model;
    std::string table;
    const auto row = [&](std::string_view kind, std::string_view name, std::string_view how,
                         std::size_t line, std::size_t column) {
        table.append(kind).append("\t").append(name).append("\t").append(how).append("\t");
        table.append(FromField(model, line)).append("\t").append(places.Of(line, column));
        table += '\n';
    };
    const SortedReferences references = SortReferences(model);
    for (const LineReference* reference : references.existing)
        row("line", std::to_string(reference->target), HowOf(reference->keyword), reference->line,
            reference->column);
    for (const LineReference* reference : references.missing)
        row("missing", std::to_string(reference->target), HowOf(reference->keyword),
            reference->line, reference->column);
    for (const Symbol& symbol : model.Symbols())
        for (const SymbolUse& use : symbol.uses)
            row(symbol.label ? "label" : "variable",
                symbol.label ? "*" + std::string(NameOf(model, use)) : NameOf(model, use),
                HowOf(use.kind), use.line, use.column);
    return table;
}

std::string XrefJson(const FilePlaces& places) {
    const ProgramModel& model = places.model;
    const auto at = [&](std::string_view how, std::size_t line, std::size_t column) {
        Json place;
        place["how"] = how;
        const auto number = NumberOf(model, line);
        place["from"] = number ? Json(*number) : Json(nullptr);
        place["line"] = line + 1;
        place["column"] = places.Column(line, column);
        return place;
    };
    Json lines = Json::array();
    const SortedReferences references = SortReferences(model);
    for (const LineReference* reference : references.existing) {
        if (lines.empty() || lines.back()["number"] != reference->target) {
            Json target;
            target["number"] = reference->target;
            target["line"] = *model.Target(*reference) + 1;
            target["references"] = Json::array();
            lines.push_back(std::move(target));
        }
        lines.back()["references"].push_back(
            at(HowOf(reference->keyword), reference->line, reference->column));
    }
    Json missing = Json::array();
    for (const LineReference* reference : references.missing) {
        Json entry = at(HowOf(reference->keyword), reference->line, reference->column);
        entry["target"] = reference->target;
        missing.push_back(std::move(entry));
    }
    Json labels = Json::array();
    Json variables = Json::array();
    for (const Symbol& symbol : model.Symbols()) {
        Json entry;
        entry["name"] = Utf8Name(symbol.name);
        entry["uses"] = Json::array();
        for (const SymbolUse& use : symbol.uses)
            entry["uses"].push_back(at(HowOf(use.kind), use.line, use.column));
        (symbol.label ? labels : variables).push_back(std::move(entry));
    }
    Json listing;
    listing["lines"] = std::move(lines);
    listing["missing"] = std::move(missing);
    listing["labels"] = std::move(labels);
    listing["variables"] = std::move(variables);
    return listing.dump(2) + '\n';
}

std::string PortsTable(const std::vector<SerialPortInfo>& ports) {
    // Blanks and control characters would split a field or a line.
    auto field = [](std::string value) {
        for (char& c : value)
            if (static_cast<unsigned char>(c) <= ' ' || c == 0x7F)
                c = '_';
        return value.empty() ? std::string("-") : value;
    };
    std::string text;
    for (const SerialPortInfo& port : ports) {
        std::string description = port.Description();
        for (char& c : description)
            if (static_cast<unsigned char>(c) < ' ' || c == 0x7F)
                c = ' ';
        text += field(port.path) + '\t' + field(port.device) + '\t' + field(ComNames(port, ",")) +
                '\t' + (port.openable ? "rw" : "no") + '\t' +
                field(port.vendorId.empty() ? "" : port.vendorId + ":" + port.productId) + '\t' +
                field(port.driver) + '\t' + (description.empty() ? "-" : description) + '\n';
    }
    return text;
}

std::string PortsJson(const std::vector<SerialPortInfo>& ports) {
    std::string text = "[";
    for (std::size_t i = 0; i < ports.size(); ++i) {
        const SerialPortInfo& port = ports[i];
        std::string com;
        for (const unsigned k : port.comPorts)
            com.append(com.empty() ? "" : ", ").append(JsonString(kPortNames[k]));
        text += i == 0 ? "\n" : ",\n";
        text += "  {\"path\": " + JsonString(port.path) +
                ", \"device\": " + JsonString(port.device) + ", \"com\": [" + com +
                "], \"openable\": " + (port.openable ? "true" : "false") +
                ", \"vendor_id\": " + JsonString(port.vendorId) +
                ", \"product_id\": " + JsonString(port.productId) +
                ", \"manufacturer\": " + JsonString(port.manufacturer) +
                ", \"product\": " + JsonString(port.product) +
                ", \"serial\": " + JsonString(port.serial) +
                ", \"driver\": " + JsonString(port.driver) +
                ", \"description\": " + JsonString(port.Description()) + "}";
    }
    return text + (ports.empty() ? "]\n" : "\n]\n");
}

} // namespace tessel::cli
