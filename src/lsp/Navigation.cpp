#include "lsp/Navigation.h"

namespace tessel::lsp {
namespace {

// The places of what stands at `position`: its declaration (when
// `declaration` and it exists) first, then every reference.
struct Places {
    std::optional<Range> declaration;
    std::vector<Range> references;
};

Places PlacesAt(const DocumentModel& program, const Position& position, bool declaration,
                PositionEncoding encoding) {
    Places places;
    const ProgramPlace spot = program.At(position, encoding);
    const ProgramModel& model = program.Model();
    switch (spot.kind) {
    case PlaceKind::LineNumber:
    case PlaceKind::LineReference: {
        const std::optional<std::size_t> line = model.LineWithNumber(spot.number);
        if (line && declaration)
            places.declaration = program.NumberRange(*line, encoding);
        // References to a line that does not exist are found all the same.
        const auto references = model.References();
        if (line) {
            for (const std::size_t index : model.ReferencesTo(*line))
                places.references.push_back(program.ReferenceRange(references[index], encoding));
        } else {
            for (const LineReference& reference : references)
                if (reference.target == spot.number)
                    places.references.push_back(program.ReferenceRange(reference, encoding));
        }
        break;
    }
    case PlaceKind::Label:
    case PlaceKind::LabelReference:
        for (const SymbolUse& use : model.Uses(spot.name, true)) {
            if (use.kind == UseKind::LabelUse)
                places.references.push_back(program.UseRange(use, encoding));
            else if (declaration && !places.declaration)
                places.declaration = program.UseRange(use, encoding);
        }
        break;
    case PlaceKind::Variable:
    case PlaceKind::Keyword:
    case PlaceKind::None:
        break;
    }
    return places;
}

} // namespace

std::optional<Location> Definition(const DocumentModel& program, const Position& position,
                                   PositionEncoding encoding) {
    const ProgramPlace spot = program.At(position, encoding);
    const std::string& uri = program.Doc().uri;
    const ProgramModel& model = program.Model();
    switch (spot.kind) {
    case PlaceKind::LineNumber:
    case PlaceKind::LineReference:
        if (const auto line = model.LineWithNumber(spot.number))
            return Location{uri, program.NumberRange(*line, encoding)};
        break;
    case PlaceKind::Label:
    case PlaceKind::LabelReference:
        for (const SymbolUse& use : model.Uses(spot.name, true))
            if (use.kind == UseKind::LabelDefinition)
                return Location{uri, program.UseRange(use, encoding)};
        break;
    case PlaceKind::Variable:
    case PlaceKind::Keyword:
    case PlaceKind::None:
        break;
    }
    return std::nullopt;
}

std::vector<Location> References(const DocumentModel& program, const Position& position,
                                 bool declaration, PositionEncoding encoding) {
    const Places places = PlacesAt(program, position, declaration, encoding);
    std::vector<Location> locations;
    const std::string& uri = program.Doc().uri;
    if (places.declaration)
        locations.push_back({uri, *places.declaration});
    for (const Range& range : places.references)
        locations.push_back({uri, range});
    return locations;
}

std::vector<DocumentHighlight> Highlights(const DocumentModel& program, const Position& position,
                                          PositionEncoding encoding) {
    const Places places = PlacesAt(program, position, true, encoding);
    std::vector<DocumentHighlight> highlights;
    if (places.declaration)
        highlights.push_back({*places.declaration, DocumentHighlightKind::Text});
    for (const Range& range : places.references)
        highlights.push_back({range, DocumentHighlightKind::Read});
    return highlights;
}

} // namespace tessel::lsp
