#pragma once

// Which serial ports this machine has, and why one would not open: what
// both programs show when a user looks for the adapter or cannot use it.
// The types are the same on every system; each system fills them in its own
// file (PortDiscoveryLinux.cpp reads /dev and /sys, no udev daemon needed).

#include <string>
#include <string_view>
#include <vector>

namespace tessel {

struct ComSettings;

// Where the system shows its devices and processes. Tests point these at a
// tree of their own.
struct SystemRoots {
    std::string dev = "/dev";
    std::string sys = "/sys";
    std::string proc = "/proc";
    // Where programs leave lock files named LCK..<device> holding their
    // process id.
    std::vector<std::string> lockDirs = {"/run/lock", "/var/lock"};
};

// One serial port found.
struct SerialPortInfo {
    // The name to open and to put in the settings: a stable name
    // (/dev/serial/by-id/...) where the system makes one, else the device.
    std::string path;
    // The device node it is (/dev/ttyUSB0); the same as `path` when that is
    // no link.
    std::string device;
    // The kernel driver (ftdi_sio, ch341, cp210x, cdc_acm, serial8250);
    // empty when unknown.
    std::string driver;
    // A USB adapter's ids ("0403", "6001": four hex digits) and strings;
    // empty for other ports, or when the adapter has none.
    std::string vendorId;
    std::string productId;
    std::string manufacturer;
    std::string product;
    std::string serial;
    // Whether this user may open it for reading and writing.
    bool openable = false;
    // The port indices of the settings (0 for COM1) that stand for this
    // device, in order.
    std::vector<unsigned> comPorts;

    // What a person calls it: the product name with its maker ("" when the
    // device does not say).
    std::string Description() const;
};

// The serial ports there are now, in a stable order: every
// /dev/serial/by-id link whose device is there (by name), then the devices
// no such link names: ttyUSB*, ttyACM*, rfcomm* and the ttyS* that have a
// port behind them, each kind in number order. Each device is listed once.
// `settings` (may be null) gives comPorts.
std::vector<SerialPortInfo> DiscoverSerialPorts(const ComSettings* settings,
                                                const SystemRoots& roots = {});

// For each system's DiscoverSerialPorts: gives each of `ports` the indices
// of `settings` (none when null) that stand for it, in order. A port and a
// device path of the settings are the same port when the port's key (by
// `portKey`) is the path's (by `pathKey`), which is empty for none: the
// device a path leads to on Linux, the COM number on Windows.
void AssignComPorts(std::vector<SerialPortInfo>& ports, const ComSettings* settings,
                    std::string (*pathKey)(const std::string& path),
                    std::string (*portKey)(const SerialPortInfo& port));

// A program that holds a port open.
struct PortHolder {
    int pid = 0;
    std::string command; // its name as the system gives it ("minicom"); may be empty
};

// Why a port would not open, with what the user can do about it.
struct OpenProblem {
    enum class Kind {
        Denied,  // no permission: `group` and `mode` say who may
        Busy,    // another program holds it: `holders` when the system tells
        Missing, // no such device: `present` are the ports there are
        Other,   // anything else: the system's reason says it all
    };
    Kind kind = Kind::Other;
    int error = 0;      // the errno of the failure
    std::string device; // as named (the settings, --port)
    std::string reason; // the system's words for `error`

    // Denied: the device's group ("dialout"), its mode as ls shows it
    // ("crw-rw----"), and this user's name. `inGroupAlready`: the user is a
    // member of that group, but this login started before that (a new login
    // is all it takes).
    std::string group;
    std::string mode;
    std::string user;
    bool inGroupAlready = false;
    // Whether joining `group` would help: false when the group may not
    // read and write the device either, or is root's own.
    bool groupCanOpen = true;

    // Busy: the programs that hold the device (from lock files and open
    // descriptors); and those running that are known to take adapters
    // (ModemManager, brltty), whether or not they were seen holding it.
    std::vector<PortHolder> holders;
    std::vector<PortHolder> suspects;

    // Missing: the ports there are; and whether brltty runs, which takes
    // some USB adapters (CH340/CH341) away as they are plugged in.
    std::vector<SerialPortInfo> present;
    bool brlttyRuns = false;

    // The command that puts the user into `group` ("sudo usermod -aG
    // dialout alice").
    std::string GroupFix() const;
};

// Works out why `device` failed to open with `error`.
OpenProblem DiagnoseOpenFailure(int error, const std::string& device,
                                const ComSettings* settings = nullptr,
                                const SystemRoots& roots = {});

// The number of a Windows port name "COM<number>" (any case; also as
// "\\.\COM<number>", the name Win32 opens, and with DOS's trailing colon,
// "COM12:"); 0 for any other name.
unsigned ComNumber(std::string_view name);

// The explanation the programs show under "COMポートを開けません。": a few
// lines, each ending in "\n"; "" for a problem it has nothing to add to.
std::string ExplainOpenProblem(const OpenProblem& problem);

} // namespace tessel
