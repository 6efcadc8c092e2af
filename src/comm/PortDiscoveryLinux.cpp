// Serial ports as Linux shows them: device nodes in /dev, the stable names
// udev left in /dev/serial/by-id, the hardware behind each in /sys, and the
// programs holding one in lock files and /proc. Only files are read, so no
// udev daemon (nor libudev) is needed, and a test can build the whole tree.

#include "comm/PortDiscovery.h"
#include "res/StringTable.h"
#include "sys/FileIo.h"
#include "sys/SysCalls.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <climits> // PATH_MAX
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <string_view>
#include <system_error>
#include <unistd.h>

namespace tessel {
namespace {

// The kinds of device listed, in the order listed.
constexpr std::array<std::string_view, 4> kKinds = {"ttyUSB", "ttyACM", "rfcomm", "ttyS"};
// How far above a tty's device sysfs may hold its USB device: port,
// interface, device.
constexpr int kUsbDepth = 4;
// Programs known to take serial adapters on desktops.
constexpr std::array<std::string_view, 2> kSuspects = {"ModemManager", "brltty"};

std::string Join(const std::string& folder, std::string_view name) {
    std::string path = folder;
    if (path.empty() || path.back() != '/')
        path += '/';
    path += name;
    return path;
}

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Resolved(const std::string& path) {
    char resolved[PATH_MAX];
    return sys::RealPath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

bool Exists(const std::string& path) {
    struct stat st {};
    return sys::Stat(path.c_str(), st) == 0;
}

// The first line of a small file (sysfs attributes, /proc/PID/comm), without
// its line end and trailing blanks; empty when it cannot be read.
std::string FirstLine(const std::string& path) {
    std::string text;
    if (ReadWholeFile(path, text))
        return {};
    text.resize(std::min(text.find('\n'), text.size()));
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\t'))
        text.pop_back();
    return text;
}

bool ParsePid(std::string_view text, int& pid) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), pid);
    return error == std::errc() && pid > 0 && (end == text.data() + text.size() || *end == '\n');
}

// The kind's position in kKinds and the device's number, when `name` is
// one of the kinds followed by digits only.
bool KindOf(std::string_view name, std::size_t& kind, unsigned& number) {
    for (std::size_t k = 0; k < kKinds.size(); ++k) {
        if (!name.starts_with(kKinds[k]))
            continue;
        const std::string_view digits = name.substr(kKinds[k].size());
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), number);
        if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
            return false;
        kind = k;
        return true;
    }
    return false;
}

// Whether a ttyS device has a UART behind it. The kernel makes a number of
// ttyS slots whether or not the machine has the ports; serial_core gives
// each a "type", 0 (PORT_UNKNOWN) for an empty slot. A slot without a
// device link is no port either. Ports of other drivers than serial_core
// have no type file; their device link is taken as enough.
bool HasUart(const std::string& ttyClass) {
    if (!Exists(Join(ttyClass, "device")))
        return false;
    const std::string type = FirstLine(Join(ttyClass, "type"));
    return type.empty() ? !Exists(Join(ttyClass, "type")) : type != "0";
}

// What sysfs says of the hardware behind tty `name`: the first driver above
// it that is not the serial core's own (newer kernels put a "port" device
// of the serial-base bus between a UART and its tty), and the first USB
// device above it.
void ReadHardware(const SystemRoots& roots, const std::string& name, SerialPortInfo& info) {
    const std::string device = Resolved(Join(roots.sys, "class/tty/" + name + "/device"));
    if (device.empty())
        return;
    const std::string top = Resolved(roots.sys);
    std::string folder = device;
    for (int depth = 0; depth < kUsbDepth && folder.size() > top.size(); ++depth) {
        if (const std::string driver = Resolved(Join(folder, "driver"));
            info.driver.empty() && !driver.empty() &&
            driver.find("/bus/serial-base/") == std::string::npos)
            info.driver = BaseName(driver);
        if (const std::string vendor = FirstLine(Join(folder, "idVendor")); !vendor.empty()) {
            info.vendorId = vendor;
            info.productId = FirstLine(Join(folder, "idProduct"));
            info.manufacturer = FirstLine(Join(folder, "manufacturer"));
            info.product = FirstLine(Join(folder, "product"));
            info.serial = FirstLine(Join(folder, "serial"));
            return;
        }
        folder.resize(folder.rfind('/'));
    }
}

// The running processes: their ids and names.
std::vector<PortHolder> Processes(const SystemRoots& roots) {
    std::vector<std::string> names;
    std::vector<PortHolder> processes;
    if (ListFolder(roots.proc, names))
        return processes;
    const int self = static_cast<int>(::getpid());
    for (const std::string& name : names) {
        int pid = 0;
        if (ParsePid(name, pid) && pid != self)
            processes.push_back({pid, FirstLine(Join(roots.proc, name + "/comm"))});
    }
    return processes;
}

// Whether process `pid` has `device` (resolved) open. False when its
// descriptors cannot be looked at (another user's, unless root).
bool HoldsOpen(const SystemRoots& roots, int pid, const std::string& device) {
    const std::string fds = Join(roots.proc, std::to_string(pid) + "/fd");
    std::vector<std::string> names;
    if (ListFolder(fds, names))
        return false;
    char target[PATH_MAX];
    for (const std::string& name : names) {
        const ssize_t n = sys::ReadLink(Join(fds, name).c_str(), target, sizeof target);
        if (n > 0 && std::string_view(target, static_cast<std::size_t>(n)) == device)
            return true;
    }
    return false;
}

void AddHolder(std::vector<PortHolder>& holders, PortHolder holder) {
    if (std::ranges::none_of(holders, [&](const PortHolder& h) { return h.pid == holder.pid; }))
        holders.push_back(std::move(holder));
}

void FindHolders(const SystemRoots& roots, const std::string& device, OpenProblem& problem) {
    const std::vector<PortHolder> processes = Processes(roots);
    auto nameOf = [&](int pid) {
        for (const PortHolder& process : processes)
            if (process.pid == pid)
                return process.command;
        return std::string();
    };
    // A lock file holds the process id, as text or (in old programs) as a
    // binary int; it counts only while that process runs.
    const std::string lockName = "LCK.." + BaseName(device);
    for (const std::string& folder : roots.lockDirs) {
        std::string text;
        if (ReadWholeFile(Join(folder, lockName), text))
            continue;
        int pid = 0;
        if (!ParsePid(text, pid) && text.size() == sizeof(int))
            std::memcpy(&pid, text.data(), sizeof pid);
        if (pid > 0 && Exists(Join(roots.proc, std::to_string(pid))))
            AddHolder(problem.holders, {pid, nameOf(pid)});
    }
    for (const PortHolder& process : processes)
        if (HoldsOpen(roots, process.pid, device))
            AddHolder(problem.holders, process);
    for (const PortHolder& process : processes)
        if (std::ranges::find(kSuspects, process.command) != kSuspects.end())
            AddHolder(problem.suspects, process);
}

std::string ModeText(mode_t mode) {
    std::string text = S_ISCHR(mode) ? "c" : S_ISBLK(mode) ? "b" : S_ISDIR(mode) ? "d" : "-";
    constexpr char kLetters[] = "rwx";
    for (int bit = 8; bit >= 0; --bit)
        text += (mode & (1u << bit)) ? kLetters[(8 - bit) % 3] : '-';
    return text;
}

std::string GroupName(gid_t gid) {
    group entry{};
    group* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return found->gr_name;
    return std::to_string(gid);
}

// This user's name, and whether its entry in the group database lists
// `gid` while this process does not have it.
void UserAndGroup(gid_t gid, OpenProblem& problem) {
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found) {
        problem.user = "$USER";
        return;
    }
    problem.user = found->pw_name;
    std::vector<gid_t> groups(64);
    int count = static_cast<int>(groups.size());
    if (::getgrouplist(found->pw_name, found->pw_gid, groups.data(), &count) < 0) {
        groups.resize(static_cast<std::size_t>(count));
        if (::getgrouplist(found->pw_name, found->pw_gid, groups.data(), &count) < 0)
            return;
    }
    groups.resize(static_cast<std::size_t>(count));
    const bool listed = std::ranges::find(groups, gid) != groups.end();
    std::vector<gid_t> mine(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)));
    const int have = ::getgroups(static_cast<int>(mine.size()), mine.data());
    mine.resize(static_cast<std::size_t>(std::max(have, 0)));
    const bool active = ::getegid() == gid || std::ranges::find(mine, gid) != mine.end();
    problem.inGroupAlready = listed && !active;
}

} // namespace

std::vector<SerialPortInfo> DiscoverSerialPorts(const ComSettings* settings,
                                                const SystemRoots& roots) {
    std::vector<SerialPortInfo> ports;
    std::vector<std::string> listed; // resolved devices already in the list
    auto add = [&](std::string path, const std::string& resolved) {
        SerialPortInfo info;
        info.path = std::move(path);
        info.device = resolved;
        ReadHardware(roots, BaseName(resolved), info);
        info.openable = sys::Access(resolved.c_str(), R_OK | W_OK) == 0;
        listed.push_back(resolved);
        ports.push_back(std::move(info));
    };

    // The stable names first; a link whose device has gone is left out.
    const std::string byId = Join(roots.dev, "serial/by-id");
    std::vector<std::string> names;
    if (!ListFolder(byId, names))
        for (const std::string& name : names)
            if (const std::string resolved = Resolved(Join(byId, name)); !resolved.empty())
                add(Join(byId, name), resolved);

    struct Node {
        std::size_t kind;
        unsigned number;
        std::string name;
    };
    std::vector<Node> nodes;
    if (!ListFolder(roots.dev, names))
        for (const std::string& name : names)
            if (Node node{0, 0, name}; KindOf(name, node.kind, node.number))
                nodes.push_back(std::move(node));
    std::ranges::sort(nodes, [](const Node& a, const Node& b) {
        return a.kind != b.kind ? a.kind < b.kind : a.number < b.number;
    });
    for (const Node& node : nodes) {
        if (kKinds[node.kind] == "ttyS" && !HasUart(Join(roots.sys, "class/tty/" + node.name)))
            continue;
        const std::string path = Join(roots.dev, node.name);
        const std::string resolved = Resolved(path);
        if (!resolved.empty() && std::ranges::find(listed, resolved) == listed.end())
            add(path, resolved);
    }

    AssignComPorts(ports, settings, Resolved,
                   [](const SerialPortInfo& port) { return port.device; });
    return ports;
}

OpenProblem DiagnoseOpenFailure(int error, const std::string& device, const ComSettings* settings,
                                const SystemRoots& roots) {
    OpenProblem problem;
    problem.error = error;
    problem.device = device;
    problem.reason = SystemReason(error);
    switch (error) {
    case EACCES:
    case EPERM: {
        problem.kind = OpenProblem::Kind::Denied;
        struct stat st {};
        if (sys::Stat(device.c_str(), st) == 0) {
            problem.group = GroupName(st.st_gid);
            problem.mode = ModeText(st.st_mode);
            problem.groupCanOpen =
                st.st_gid != 0 && (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
            UserAndGroup(st.st_gid, problem);
        }
        break;
    }
    case EBUSY: {
        problem.kind = OpenProblem::Kind::Busy;
        const std::string resolved = Resolved(device);
        FindHolders(roots, resolved.empty() ? device : resolved, problem);
        break;
    }
    case ENOENT:
    case ENODEV:
    case ENXIO:
        problem.kind = OpenProblem::Kind::Missing;
        problem.present = DiscoverSerialPorts(settings, roots);
        for (const PortHolder& process : Processes(roots))
            problem.brlttyRuns = problem.brlttyRuns || process.command == "brltty";
        break;
    default:
        break;
    }
    return problem;
}

} // namespace tessel
