#include "settings/ComSettings.h"

#include "settings/ProfileStore.h"
#include "settings/SettingRange.h"

#include <cstddef>
#include <cstdio>
#include <string_view>
#include <utility>

namespace tessel {
namespace {

constexpr std::string_view kSection = "COMPORT";

// The stored values in the order they are read and written, each with the
// first value out of range and the value that replaces it (its default).
struct StoredValue {
    const char* key;
    std::uint32_t ComSettings::*field;
    std::uint32_t limit;
    std::uint32_t fallback;
};

constexpr StoredValue kStoredValues[] = {
    {"BaudRate", &ComSettings::BaudRate, 6, 2},
    {"COMPort", &ComSettings::COMPort, 4, 0},
    {"DataBit", &ComSettings::DataBit, 2, 1},
    {"EndOfLine", &ComSettings::EndOfLine, 3, 2},
    {"FlowControl", &ComSettings::FlowControl, 3, 1},
    {"Parity", &ComSettings::Parity, 3, 0},
    {"StopBit", &ComSettings::StopBit, 2, 0},
    {"EndOfFile", &ComSettings::EndOfFile, 256, 26},
};

// Pacing delays, read and written after the eight values above.
constexpr std::pair<const char*, std::uint32_t ComSettings::*> kPacingValues[] = {
    {"CharDelay", &ComSettings::CharDelay},
    {"LineDelay", &ComSettings::LineDelay},
};

constexpr std::size_t kDeviceCount = std::size(kPortNames);

std::string DeviceKey(std::size_t index) {
    return "Device" + std::to_string(index + 1);
}

// Whether the file has the key at all, whatever its value.
bool HasKey(const ProfileStore& profile, std::string_view key) {
    constexpr std::string_view kAbsent = "\x01"
                                         "absent"
                                         "\x01"; // no line of a file holds this
    return profile.GetProfileString(kSection, key, kAbsent) != kAbsent;
}

// Replaces every value out of range (compared as unsigned) by its default,
// describing each in `ignored` when given. True when the end-of-text code was
// among them.
bool ReplaceOutOfRange(ComSettings& settings, std::vector<std::string>* ignored) {
    bool endCodeReplaced = false;
    for (const StoredValue& stored : kStoredValues) {
        std::uint32_t& value = settings.*stored.field;
        if (value >= stored.limit) {
            if (ignored)
                ignored->push_back(DescribeIgnored(kSection, stored.key, value, 0, stored.limit - 1,
                                                   stored.fallback));
            value = stored.fallback;
            endCodeReplaced = endCodeReplaced || stored.field == &ComSettings::EndOfFile;
        }
    }
    return endCodeReplaced;
}

std::string LowerHex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(value));
    return text;
}

// An entry of a value list; an index out of range takes the default entry.
template <typename T, std::size_t N>
const T& Pick(const T (&list)[N], std::uint32_t index, std::uint32_t fallback) {
    return list[index < N ? index : fallback];
}

struct FlowFlags {
    std::uint8_t fOutxCtsFlow;
    std::uint8_t fDtrControl;
    std::uint8_t fTXContinueOnXoff;
    std::uint8_t fOutX;
    std::uint8_t fInX;
    std::uint8_t fRtsControl;
};

// By FlowControlIndex. "RS/CS" holds RTS on and lets CTS gate the output;
// "Xon/Xoff" uses XON/XOFF both ways and lets CTS gate the output as well.
constexpr FlowFlags kFlowFlags[] = {
    {1, kDtrEnable, 1, 1, 1, kRtsEnable},
    {1, kDtrDisable, 0, 0, 0, kRtsEnable},
    {0, kDtrDisable, 0, 0, 0, kRtsDisable},
};

} // namespace

void ComSettings::Load(const ProfileStore& profile, std::vector<std::string>* ignored) {
    for (const StoredValue& stored : kStoredValues)
        this->*stored.field =
            profile.GetProfileInt(kSection, stored.key, static_cast<int>(stored.fallback));
    EndOfFileText = ReplaceOutOfRange(*this, ignored) ? "1A" : LowerHex(EndOfFile);
    BuildLineConfig();

    for (const auto& [key, field] : kPacingValues) {
        const std::uint32_t value = profile.GetProfileInt(kSection, key, 0);
        if (value > kMaxPacingDelay && ignored)
            ignored->push_back(DescribeIgnored(kSection, key, value, 0, kMaxPacingDelay, 0));
        this->*field = value <= kMaxPacingDelay ? value : 0;
    }
    for (std::size_t i = 0; i < kDeviceCount; ++i)
        Device[i] = profile.GetProfileString(kSection, DeviceKey(i), "");
}

bool ComSettings::Write(ProfileStore& profile) const {
    bool written = true;
    for (const StoredValue& stored : kStoredValues) {
        if (!profile.WriteProfileInt(kSection, stored.key, static_cast<int>(this->*stored.field)))
            written = false;
    }
    // The keys beyond the eight are written only when they matter, so that a
    // file that never had them stays as it was; one that has them is kept up
    // to date, a value back at its default included.
    for (const auto& [key, field] : kPacingValues) {
        const std::uint32_t value = this->*field;
        if ((value != 0 || HasKey(profile, key)) &&
            !profile.WriteProfileInt(kSection, key, static_cast<int>(value)))
            written = false;
    }
    for (std::size_t i = 0; i < kDeviceCount; ++i) {
        const std::string key = DeviceKey(i);
        if ((!Device[i].empty() || HasKey(profile, key)) &&
            !profile.WriteProfileString(kSection, key, Device[i]))
            written = false;
    }
    return written;
}

void ComSettings::BuildLineConfig() {
    PortName = Pick(kPortNames, COMPort, 0);

    LineConfiguration& config = LineConfig;
    config.BaudRate = Pick(kBaudRates, BaudRate, 2);
    config.ByteSize = DataBit == 0 ? 7 : 8;
    config.StopBits = StopBit == 1 ? kTwoStopBits : kOneStopBit;
    switch (Parity) {
    case 1:
        config.Parity = kEvenParity;
        break;
    case 2:
        config.Parity = kOddParity;
        break;
    default:
        config.Parity = kNoParity;
        break;
    }
    config.fParity = config.Parity == kNoParity ? 0 : 1;

    // The flow-control step leaves fParity and the spare bits alone.
    const FlowFlags& flow = Pick(kFlowFlags, FlowControl, kFlowRtsCts);
    config.fBinary = 1;
    config.fOutxCtsFlow = flow.fOutxCtsFlow;
    config.fOutxDsrFlow = 0;
    config.fDtrControl = flow.fDtrControl;
    config.fDsrSensitivity = 0;
    config.fTXContinueOnXoff = flow.fTXContinueOnXoff;
    config.fOutX = flow.fOutX;
    config.fInX = flow.fInX;
    config.fErrorChar = 0;
    config.fNull = 0;
    config.fRtsControl = flow.fRtsControl;
    config.fAbortOnError = 0;
    // Only Xon/Xoff uses these; otherwise they keep what they held.
    if (FlowControl == kFlowXonXoff) {
        config.XonChar = 0x11;
        config.XoffChar = 0x13;
        config.XonLim = 1000;
        config.XoffLim = 1000;
    }
}

void ComSettings::ApplyComSettings(const ComSettings& fromDialog) {
    BaudRate = fromDialog.BaudRate;
    COMPort = fromDialog.COMPort;
    DataBit = fromDialog.DataBit;
    EndOfLine = fromDialog.EndOfLine;
    FlowControl = fromDialog.FlowControl;
    Parity = fromDialog.Parity;
    StopBit = fromDialog.StopBit;
    EndOfFile = fromDialog.EndOfFile;
    EndOfFileText = fromDialog.EndOfFileText;
    if (ReplaceOutOfRange(*this, nullptr))
        EndOfFileText = "1A";
    BuildLineConfig();

    for (const auto& [key, field] : kPacingValues) {
        const std::uint32_t value = fromDialog.*field;
        this->*field = value <= kMaxPacingDelay ? value : 0;
    }
    for (std::size_t i = 0; i < kDeviceCount; ++i)
        Device[i] = fromDialog.Device[i];
}

} // namespace tessel
