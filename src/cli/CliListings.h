#pragma once

// What tessel-cli check, xref and ports write: a program's problems one a
// line and its cross-reference listing, from the core's model of it, and the
// serial ports, each listing as a table or as JSON.

#include "comm/PortDiscovery.h"
#include "model/ProgramModel.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessel::cli {

// Where a model's places are in the file: lines and columns counted from 1,
// columns in bytes. A file without numbers gets them when it is loaded;
// `numbersAdded` takes them out of the columns again.
struct FilePlaces {
    const ProgramModel& model;
    bool numbersAdded = false;

    // The column in the file, from 1, of byte `column` of line `line` of
    // the model's text.
    std::size_t Column(std::size_t line, std::size_t column) const;
    // "LINE:COLUMN" of that byte.
    std::string Of(std::size_t line, std::size_t column) const;
};

// check's line for one problem: "NAME:LINE:COLUMN: message", the message of
// a warning after "warning: ", of a hint after "note: ", in the current
// language.
std::string ProblemLine(std::string_view name, const FilePlaces& places,
                        const ProgramProblem& problem);

// xref's listing, one record a line, five fields separated by a tab:
//   line      TARGET  HOW  FROM  PLACE   a reference to an existing line
//   missing   TARGET  HOW  FROM  PLACE   a reference to a line there is not
//   label     *NAME   defined|used  FROM  PLACE
//   variable  NAME    set|read      FROM  PLACE
// HOW is GOTO, GOSUB, THEN, ELSE or RESTORE (ON ... GOTO and GOSUB lists
// too); FROM the number of the line where it stands ('-' for none); PLACE
// its LINE:COLUMN in the file. References by the line they name, then in
// file order; labels and variables by name, each in file order. Names are
// the file's bytes.
std::string XrefTable(const FilePlaces& places);
// The same as a JSON object (names in UTF-8): {"lines": [{"number",
// "line", "references": [...]}], "missing": [...], "labels": [{"name",
// "uses": [...]}], "variables": [...]}; each reference or use has "how",
// "from" (null for none), "line" and "column".
std::string XrefJson(const FilePlaces& places);

// ports' listing, one port a line, seven fields separated by a tab (PATH,
// DEVICE, COM, ACCESS, USB-ID, DRIVER, DESCRIPTION); an empty field reads
// '-', blanks and control characters in the others '_'.
std::string PortsTable(const std::vector<SerialPortInfo>& ports);
// The same as a JSON array, one object a line, every string valid UTF-8.
std::string PortsJson(const std::vector<SerialPortInfo>& ports);

} // namespace tessel::cli
