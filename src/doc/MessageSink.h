#pragma once

#include <string>

namespace tessel {

// Where documents show their messages: a message box in the desktop program,
// standard error in the command-line tool, a recorder in tests.
class IMessageSink {
public:
    virtual ~IMessageSink() = default;

    // A string-table message (see res/StringTable.h).
    virtual void ShowMessage(unsigned id) = 0;
    // A file that could not be read or written, with the system's reason.
    virtual void ShowFileError(const std::string& path, const std::string& reason) = 0;
};

} // namespace tessel
