#pragma once

#include <windows.h>

namespace tessel {

struct LineConfiguration;

// Puts a line configuration onto a Win32 DCB (as read from the port): the
// stored configuration is a DCB already, so its fields go over as they are,
// except where bytes would not arrive as they were sent, which the port never
// does: binary mode always, no NUL bytes dropped (fNull), no bytes replaced
// after a parity error (fErrorChar), no read or write stopped after a line
// error (fAbortOnError).
//
// False, with `dcb` untouched, for what the port refuses on every system
// (LineConfigSupported): a speed other than 300 to 9600 bit/s, a word length
// other than 7 or 8, one and a half stop bits, mark or space parity.
bool ApplyLineConfig(const LineConfiguration& config, DCB& dcb);

} // namespace tessel
