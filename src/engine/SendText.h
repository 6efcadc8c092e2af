#pragma once

// The bytes a line-numbered text goes to the device as: its lines in number
// order, tabs expanded, each with its number or without, the device's line
// end after each and the end-of-text code after the last.
//
// A text is refused, with the problem at its place in the text (`offset` is
// where the caret goes), when a line is longer than the device takes once its
// tabs are expanded (IDS_LINE_TOO_LONG, at that line), when its line table
// cannot be built (LineTable.h), or when an end-of-text code inside the bytes
// would stop the device before their end (IDS_END_CODE_INSIDE, at the code,
// or where the line end that carries it starts).

#include "doc/Document.h"
#include "doc/TextOps.h"
#include "res/Problem.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tessel {

struct AppSettings;

struct SendOptions {
    unsigned tabStop = 4;
    int endOfLine = 2;           // EndOfLineCode
    std::uint8_t endCode = 0x1A; // the end-of-text code
    SendNumbers numbers = SendNumbers::With;

    // The options of the settings, sending the numbers or not.
    static SendOptions For(const AppSettings& settings, SendNumbers numbers);
};

// The bytes to send, or why the text may not go (doc/TextOps.h).
SendResult SendText(std::string_view text, const SendOptions& options);

} // namespace tessel
