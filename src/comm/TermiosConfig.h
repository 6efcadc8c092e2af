#pragma once

#include <termios.h>

namespace tessel {

struct LineConfiguration;

// Puts a line configuration onto a POSIX terminal configuration, changing the
// one given (as read from the port) only where the line needs it:
//
// - raw bytes both ways (what cfmakeraw does), receiver on, modem status
//   lines ignored for opening (CLOCAL | CREAD);
// - speed 300 to 9600 bit/s, both directions;
// - CS7 or CS8; CSTOPB for two stop bits;
// - parity: PARENB, with PARODD for odd; INPCK when parity is checked
//   (fParity); no parity clears all three;
// - fOutxCtsFlow (CTS gates the output, "Xon/Xoff" and "RS/CS"): CRTSCTS.
//   The terminal driver then also drops RTS while its input buffer is full,
//   where the classic setting holds RTS on; the device copes with either;
// - fOutX / fInX: IXON / IXOFF with VSTART = XonChar and VSTOP = XoffChar;
//   IXANY always off, so only XON resumes output;
// - VMIN 1, VTIME 0: the port layer polls before it reads.
//
// DTR and RTS themselves are raised by the port layer after configuring.
// False, with `tio` untouched, when the configuration asks for something a
// terminal cannot do here (LineConfigSupported: a speed not in the list, a
// word length other than 7 or 8, one and a half stop bits, mark or space
// parity).
bool ApplyLineConfig(const LineConfiguration& config, termios& tio);

} // namespace tessel
