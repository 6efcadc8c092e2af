#pragma once

#include "res/Problem.h"

#include <cstddef>
#include <string>

namespace tessel {

// Where documents show their messages: a message box in the desktop program,
// standard error in the command-line tool, a recorder in tests.
class MessageSink {
public:
    virtual ~MessageSink() = default;

    // A string-table message (see res/StringTable.h).
    virtual void ShowMessage(unsigned id) = 0;
    // A message about one line (0-based) of the text the operation ran on,
    // or kNoLine, and a byte column of it (0-based) or kNoColumn, with what
    // names that place for a person (doc/LinePlace.h; none when there is
    // none). The desktop program has already put the caret there where it
    // should go and says the place below the message; the command-line tool
    // names the line and column itself.
    virtual void ShowLineMessage(unsigned id, std::size_t /*line*/, std::size_t /*column*/,
                                 const Problem& /*place*/) {
        ShowMessage(id);
    }
    // What was being done to a file that failed.
    enum class FileAction { Open, Save };
    // A file that could not be read or written, with the system's reason.
    virtual void ShowFileError(FileAction action, const std::string& path,
                               const std::string& reason) = 0;
};

} // namespace tessel
