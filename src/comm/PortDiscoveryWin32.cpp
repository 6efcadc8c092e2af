// Finding the serial ports on Windows: the COM names the system knows
// (QueryDosDeviceW), in number order, each with the device behind it.

#include "comm/PortDiscovery.h"

#include "comm/ComPort.h"
#include "settings/ComSettings.h"
#include "sys/FileIo.h"
#include "sys/Win32.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <iterator>

namespace tessel {
namespace {

// The number of a name "COM<number>" (any case), 0 for any other name.
unsigned ComNumber(std::string_view name) {
    if (name.size() < 4 || std::toupper(static_cast<unsigned char>(name[0])) != 'C' ||
        std::toupper(static_cast<unsigned char>(name[1])) != 'O' ||
        std::toupper(static_cast<unsigned char>(name[2])) != 'M')
        return 0;
    unsigned number = 0;
    for (const char c : name.substr(3)) {
        if (!std::isdigit(static_cast<unsigned char>(c)) || number > 100000)
            return 0;
        number = number * 10 + static_cast<unsigned>(c - '0');
    }
    return number;
}

// Every DOS device name, as QueryDosDeviceW lists them.
std::vector<std::wstring> DosDevices() {
    std::wstring buffer(16384, L'\0');
    for (;;) {
        const DWORD n =
            ::QueryDosDeviceW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n != 0) {
            std::vector<std::wstring> names;
            for (std::size_t start = 0; start < n && buffer[start] != L'\0';) {
                const std::size_t end = buffer.find(L'\0', start);
                names.emplace_back(buffer, start, end - start);
                start = end + 1;
            }
            return names;
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || buffer.size() >= (1u << 22))
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

// The device a DOS name stands for ("\Device\Serial0"); empty when none.
std::string Target(const std::wstring& name) {
    wchar_t target[1024];
    if (::QueryDosDeviceW(name.c_str(), target, static_cast<DWORD>(std::size(target))) == 0)
        return {};
    return sys::win32::Narrow(target);
}

} // namespace

std::vector<SerialPortInfo> DiscoverSerialPorts(const ComSettings* settings,
                                                const SystemRoots& /*roots*/) {
    std::vector<std::pair<unsigned, SerialPortInfo>> found;
    for (const std::wstring& name : DosDevices()) {
        const std::string narrow = sys::win32::Narrow(name);
        const unsigned number = ComNumber(narrow);
        if (number == 0)
            continue;
        SerialPortInfo info;
        info.path = "COM" + std::to_string(number);
        info.device = Target(name);
        // Whether it opens is known only by opening it, which would take it
        // from a program that may be about to; a port listed is one to try.
        info.openable = true;
        found.emplace_back(number, std::move(info));
    }
    std::ranges::sort(found, {}, [](const auto& entry) { return entry.first; });
    std::vector<SerialPortInfo> ports;
    for (auto& [number, info] : found)
        ports.push_back(std::move(info));

    if (settings != nullptr) {
        ComSettings port = *settings;
        for (unsigned i = 0; i < std::size(port.Device); ++i) {
            port.COMPort = i;
            const unsigned number = ComNumber(DevicePath(port));
            for (SerialPortInfo& info : ports)
                if (number != 0 && ComNumber(info.path) == number)
                    info.comPorts.push_back(i);
        }
    }
    return ports;
}

OpenProblem DiagnoseOpenFailure(int error, const std::string& device, const ComSettings* settings,
                                const SystemRoots& roots) {
    OpenProblem problem;
    problem.error = error;
    problem.device = device;
    problem.reason = FileError::FromErrno(error).Reason();
    switch (error) {
    case EBUSY:
        // Windows does not say which program holds a port.
        problem.kind = OpenProblem::Kind::Busy;
        break;
    case ENOENT:
        problem.kind = OpenProblem::Kind::Missing;
        problem.present = DiscoverSerialPorts(settings, roots);
        break;
    default:
        break;
    }
    return problem;
}

} // namespace tessel
