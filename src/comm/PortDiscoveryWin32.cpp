// Finding the serial ports on Windows: the COM names the system knows
// (QueryDosDeviceW), in number order, each with the device behind it, and
// for those the device manager knows (SetupAPI, class "Ports") its maker,
// product name and USB ids.

#include "comm/PortDiscovery.h"

#include "sys/FileIo.h"
#include "sys/Win32.h"

#include <setupapi.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <iterator>

namespace tessel {
namespace {

// The device manager's class "Ports" (COM and LPT), as devguid.h names it
// GUID_DEVCLASS_PORTS.
const GUID kPortsClass = {
    0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

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

// A text property of a device ("" when it has none).
std::string Property(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
    wchar_t text[512] = {};
    DWORD type = 0;
    if (!::SetupDiGetDeviceRegistryPropertyW(set, &device, property, &type,
                                             reinterpret_cast<BYTE*>(text), sizeof text - 2,
                                             nullptr) ||
        (type != REG_SZ && type != REG_MULTI_SZ))
        return {};
    return sys::win32::Narrow(text); // the first string of a list
}

// The four hex digits after `key` ("VID_") in a hardware id; "" when absent.
std::string IdAfter(const std::string& hardwareId, std::string_view key) {
    const std::size_t at = hardwareId.find(key);
    if (at == std::string::npos || hardwareId.size() < at + key.size() + 4)
        return {};
    std::string id = hardwareId.substr(at + key.size(), 4);
    for (char& c : id)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return id;
}

// A COM name as its number alone ("12" for "com12:"); empty for any other
// name.
std::string ComKey(const std::string& name) {
    const unsigned number = ComNumber(name);
    return number != 0 ? std::to_string(number) : std::string();
}

// What the device manager says of each port it knows, by COM number.
void AddHardware(std::vector<std::pair<unsigned, SerialPortInfo>>& found) {
    const HDEVINFO set = ::SetupDiGetClassDevsW(&kPortsClass, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE)
        return;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD index = 0; ::SetupDiEnumDeviceInfo(set, index, &device); ++index) {
        const HKEY key =
            ::SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE)
            continue;
        wchar_t portName[64] = {};
        DWORD size = sizeof portName - 2;
        DWORD type = 0;
        const bool named =
            ::RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(portName),
                               &size) == ERROR_SUCCESS &&
            type == REG_SZ;
        ::RegCloseKey(key);
        const unsigned number = named ? ComNumber(sys::win32::Narrow(portName)) : 0;
        for (auto& [foundNumber, info] : found) {
            if (number == 0 || foundNumber != number)
                continue;
            info.manufacturer = Property(set, device, SPDRP_MFG);
            info.product = Property(set, device, SPDRP_DEVICEDESC);
            info.driver = Property(set, device, SPDRP_SERVICE);
            const std::string hardwareId = Property(set, device, SPDRP_HARDWAREID);
            if (hardwareId.rfind("USB\\", 0) == 0 || hardwareId.rfind("FTDIBUS\\", 0) == 0) {
                info.vendorId = IdAfter(hardwareId, "VID_");
                info.productId = IdAfter(hardwareId, "PID_");
            }
        }
    }
    ::SetupDiDestroyDeviceInfoList(set);
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
    AddHardware(found);
    std::vector<SerialPortInfo> ports;
    for (auto& [number, info] : found)
        ports.push_back(std::move(info));

    AssignComPorts(ports, settings, ComKey,
                   [](const SerialPortInfo& port) { return ComKey(port.path); });
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
