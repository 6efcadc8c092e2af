#include "comm/PortDiscovery.h"

#include "comm/ComPort.h"
#include "res/StringTable.h"
#include "settings/ComSettings.h"
#include "sys/Platform.h"

#include <cctype>
#include <initializer_list>

namespace tessel {
namespace {

std::string Line(unsigned id, std::initializer_list<std::string_view> args = {}) {
    return LoadFormatted(id, args) + "\n";
}

std::string Holder(const PortHolder& holder) {
    return Line(IDS_PORT_HOLDER,
                {holder.command.empty() ? "?" : holder.command, std::to_string(holder.pid)});
}

} // namespace

std::string SerialPortInfo::Description() const {
    if (product.empty() || manufacturer.empty() || product.starts_with(manufacturer))
        return !product.empty() ? product : manufacturer;
    return manufacturer + " " + product;
}

std::string OpenProblem::GroupFix() const {
    return "sudo usermod -aG " + group + " " + user;
}

void AssignComPorts(std::vector<SerialPortInfo>& ports, const ComSettings* settings,
                    std::string (*pathKey)(const std::string& path),
                    std::string (*portKey)(const SerialPortInfo& port)) {
    if (settings == nullptr)
        return;
    ComSettings port = *settings;
    for (unsigned i = 0; i < std::size(port.Device); ++i) {
        port.COMPort = i;
        const std::string key = pathKey(DevicePath(port));
        for (SerialPortInfo& info : ports)
            if (!key.empty() && portKey(info) == key)
                info.comPorts.push_back(i);
    }
}

unsigned ComNumber(std::string_view name) {
    if (name.starts_with("\\\\.\\"))
        name.remove_prefix(4);
    if (name.ends_with(':'))
        name.remove_suffix(1);
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

std::string ExplainOpenProblem(const OpenProblem& problem) {
    std::string text;
    switch (problem.kind) {
    case OpenProblem::Kind::Denied:
        if (problem.group.empty())
            return Line(IDS_PORT_DENIED_UNKNOWN, {problem.device});
        text = Line(IDS_PORT_DENIED, {problem.device, problem.group, problem.mode});
        if (!problem.groupCanOpen)
            return text + Line(IDS_PORT_DENIED_NO_GROUP, {problem.group});
        if (problem.inGroupAlready)
            return text + Line(IDS_PORT_DENIED_LOG_IN, {problem.user, problem.group});
        return text + Line(IDS_PORT_DENIED_FIX, {problem.group}) + problem.GroupFix() + "\n";
    case OpenProblem::Kind::Busy:
        text = Line(IDS_PORT_BUSY, {problem.device});
        for (const PortHolder& holder : problem.holders)
            text += Holder(holder);
        for (const PortHolder& suspect : problem.suspects)
            if (suspect.command == "ModemManager")
                text += Line(IDS_PORT_BUSY_MODEM_MANAGER);
        for (const PortHolder& suspect : problem.suspects)
            if (suspect.command == "brltty")
                text += Line(IDS_PORT_BRLTTY);
        // Linux's usual takers; on Windows it is a program the user started.
        if (problem.holders.empty() && problem.suspects.empty() && !sys::kWindows)
            text += Line(IDS_PORT_BUSY_UNKNOWN);
        return text;
    case OpenProblem::Kind::Missing:
        text = Line(IDS_PORT_MISSING, {problem.device});
        if (problem.present.empty()) {
            text += Line(IDS_PORT_NONE_PRESENT);
        } else {
            text += Line(IDS_PORT_PRESENT);
            for (const SerialPortInfo& port : problem.present) {
                text += "  " + port.path;
                if (const std::string what = port.Description(); !what.empty())
                    text += "  (" + what + ")";
                text += "\n";
            }
        }
        if (problem.brlttyRuns)
            text += Line(IDS_PORT_BRLTTY);
        return text;
    case OpenProblem::Kind::Other:
        break;
    }
    return {};
}

} // namespace tessel
