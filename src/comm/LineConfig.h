#pragma once

namespace tessel {

struct LineConfiguration;

// Whether the serial port puts `config` on the line, the same on every
// system: a speed of kBaudRates (300 to 9600 bit/s), 7 or 8 data bits, one
// or two stop bits, no, odd or even parity. One and a half stop bits and
// mark or space parity are refused everywhere, as a terminal cannot set
// them. Each system's mapping (DcbConfig.h, TermiosConfig.h) asks this first.
bool LineConfigSupported(const LineConfiguration& config);

} // namespace tessel
