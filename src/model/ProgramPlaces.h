#pragma once

// What stands at a place of a program as the core's model reads it (a line's
// number, a line reference, a label, a variable, a keyword), the line it
// names, and every place that refers to the same: what the editor's jumps,
// its hover and its list of references show, and the language server's
// navigation. Nothing here knows BASIC: the model's tokens, references and
// symbols say what is where.

#include "engine/Keywords.h"
#include "model/ProgramModel.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessel {

enum class PlaceKind {
    None,
    LineNumber,     // the number a line begins with
    LineReference,  // a number after GOTO, GOSUB, THEN, ELSE, RESTORE
    Label,          // *NAME where it is defined
    LabelReference, // *NAME where a line reference could stand
    Variable,
    Keyword,
};

struct ProgramPlace {
    PlaceKind kind = PlaceKind::None;
    std::size_t line = 0;  // the model's line
    std::size_t begin = 0; // the token's bytes in the text
    std::size_t end = 0;
    std::uint32_t number = 0; // LineNumber: the line's; LineReference: the one it names
    std::string name; // labels without the asterisk; variables and keywords as written there
    KeywordCategory category = kKcStatement; // Keyword
};

// What stands at byte `offset`: the token that holds it or, with
// `orJustAfter`, the one that ends there (where the caret stands after
// typing a word) unless another starts there.
ProgramPlace PlaceAt(const ProgramModel& model, std::size_t offset, bool orJustAfter);

// The line that a line reference or a label's reference names; none when
// that line or label is not there, or the place names no line.
std::optional<std::size_t> TargetOf(const ProgramModel& model, const ProgramPlace& place);

enum class ReferrerKind { Reference, LabelUse, LabelDefinition, VariableSet, VariableRead };

// A place that refers to a line, a label or a variable.
struct Referrer {
    ReferrerKind kind = ReferrerKind::Reference;
    // Reference, LabelUse: the keyword it follows.
    KeywordFlag keyword = kKwGoto;
    std::size_t line = 0;
    std::size_t column = 0; // bytes into the line
    std::size_t length = 0;

    bool operator==(const Referrer&) const = default;
};

// In text order: for a line's number or a reference to it, every line
// reference to its number and every use of a label defined on that line; for
// a label, where it is defined and used; for a variable, where it is set and
// read. Nothing for anything else.
std::vector<Referrer> ReferrersOf(const ProgramModel& model, const ProgramPlace& place);

} // namespace tessel
