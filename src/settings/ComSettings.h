#pragma once

#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

namespace tessel {

class ProfileStore;

// Flow-control and related values of the line configuration.
enum DtrControl : std::uint8_t { kDtrDisable = 0, kDtrEnable = 1, kDtrHandshake = 2 };
enum RtsControl : std::uint8_t {
    kRtsDisable = 0,
    kRtsEnable = 1,
    kRtsHandshake = 2,
    kRtsToggle = 3
};
enum ParityCode : std::uint8_t { kNoParity = 0, kOddParity = 1, kEvenParity = 2 };
enum StopBitsCode : std::uint8_t { kOneStopBit = 0, kOne5StopBits = 1, kTwoStopBits = 2 };

// The complete configuration handed to the serial port when it opens: every
// field of the classic device control block, platform neutral, so that each
// flag of each flow-control choice can be checked.
struct LineConfiguration {
    std::uint32_t DCBlength = 0;
    std::uint32_t BaudRate = 0;
    std::uint8_t fBinary = 0;
    std::uint8_t fParity = 0;
    std::uint8_t fOutxCtsFlow = 0;
    std::uint8_t fOutxDsrFlow = 0;
    std::uint8_t fDtrControl = 0; // DtrControl
    std::uint8_t fDsrSensitivity = 0;
    std::uint8_t fTXContinueOnXoff = 0;
    std::uint8_t fOutX = 0;
    std::uint8_t fInX = 0;
    std::uint8_t fErrorChar = 0;
    std::uint8_t fNull = 0;
    std::uint8_t fRtsControl = 0; // RtsControl
    std::uint8_t fAbortOnError = 0;
    std::uint32_t fDummy2 = 0; // 17 spare bits, never touched
    std::uint16_t wReserved = 0;
    std::uint16_t XonLim = 0;
    std::uint16_t XoffLim = 0;
    std::uint8_t ByteSize = 0;
    std::uint8_t Parity = 0;   // ParityCode
    std::uint8_t StopBits = 0; // StopBitsCode
    char XonChar = 0;
    char XoffChar = 0;
    char ErrorChar = 0;
    char EofChar = 0;
    char EvtChar = 0;
    std::uint16_t wReserved1 = 0;

    bool operator==(const LineConfiguration&) const = default;
};

// Index lists of the settings, in the order the dialog shows them.
inline constexpr const char* kPortNames[] = {"COM1", "COM2", "COM3", "COM4"};
inline constexpr std::uint32_t kBaudRates[] = {300, 600, 1200, 2400, 4800, 9600};
inline constexpr const char* kBaudRateTexts[] = {"300", "600", "1200", "2400", "4800", "9600"};
inline constexpr const char* kDataBitTexts[] = {"7", "8"};
inline constexpr const char* kStopBitTexts[] = {"1", "2"};
inline constexpr const char* kParityTexts[] = {"none", "even", "odd"};
inline constexpr const char* kEndOfLineTexts[] = {"CR", "LF", "CR LF"};
inline constexpr const char* kFlowControlTexts[] = {"Xon/Xoff", "RS/CS", "none"};

enum FlowControlIndex : std::uint32_t { kFlowXonXoff = 0, kFlowRtsCts = 1, kFlowNone = 2 };

// The longest pause the pacing settings allow, in milliseconds.
inline constexpr std::uint32_t kMaxPacingDelay = 1000;

// The communication settings: section "COMPORT" of the settings file, with
// the port name and line configuration derived from its indices.
struct ComSettings {
    std::string PortName = "COM1";
    LineConfiguration LineConfig;
    std::uint32_t BaudRate = 2;    // index into kBaudRates
    std::uint32_t COMPort = 0;     // index into kPortNames
    std::uint32_t DataBit = 1;     // 0: 7 bits, 1: 8 bits
    std::uint32_t EndOfLine = 2;   // EndOfLineCode
    std::uint32_t FlowControl = 1; // FlowControlIndex
    std::uint32_t Parity = 0;      // 0 none, 1 even, 2 odd
    std::uint32_t StopBit = 0;     // 0: 1 stop bit, 1: 2 stop bits
    std::uint32_t EndOfFile = 26;  // the end-of-text byte
    std::string EndOfFileText = "1a";

    // Pacing of a send, for a device that takes bytes slower than the line
    // brings them: a pause after each byte and one more after each line end,
    // in milliseconds (0 to kMaxPacingDelay; 0 is no pause).
    std::uint32_t CharDelay = 0;
    std::uint32_t LineDelay = 0;
    // The device of each port index on this machine ("COMPORT"/"Device1" to
    // "Device4"); empty for the usual name (see DevicePath).
    std::string Device[std::size(kPortNames)];

    // The defaults, with the line configuration built from them (the same
    // record as loading a settings file without a "COMPORT" section gives).
    ComSettings() { BuildLineConfig(); }

    // Reads the eight keys in their order, replaces values out of range and
    // makes EndOfFileText, then rebuilds the derived fields. Then reads the
    // pacing delays (out of range: 0) and the device names. Each stored value
    // that was out of range is described in `ignored`, if given.
    void Load(const ProfileStore& profile, std::vector<std::string>* ignored = nullptr);
    // Writes the eight keys in their order, as decimal, then the pacing
    // delays and device names that are set or already in the file. False
    // when any of them could not be written.
    bool Write(ProfileStore& profile) const;
    // Sets PortName and LineConfig from the indices. An index out of range
    // counts as its default.
    void BuildLineConfig();
    // Takes the indices, end-of-text code, pacing delays and device names
    // of a confirmed settings dialog, replacing anything out of range as
    // loading does, then rebuilds the derived fields.
    void ApplyComSettings(const ComSettings& fromDialog);

    std::uint8_t EndCode() const { return static_cast<std::uint8_t>(EndOfFile); }
};

} // namespace tessel
