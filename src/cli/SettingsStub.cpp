// TEMPORARY: stands in for the settings store until it is merged; only what
// tessel-cli reads. Delete once src/app/ProfileStore.cpp and friends exist.

#include "app/AppSettings.h"
#include "app/ProfileStore.h"

#include <fstream>
#include <sstream>
#include <unistd.h>

namespace tessel {
namespace {

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return out;
}

std::string Trim(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r' || s.back() == '\t'))
        s.pop_back();
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    return s.substr(i);
}

bool Find(const std::string& path, std::string_view section, std::string_view key,
          std::string& value) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    std::string current;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (!line.empty() && line.front() == '[') {
            current = Lower(line.substr(1, line.find(']') - 1));
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos || current != Lower(section))
            continue;
        if (Lower(Trim(line.substr(0, eq))) == Lower(key)) {
            value = Trim(line.substr(eq + 1));
            return true;
        }
    }
    return false;
}

} // namespace

ProfileStore::ProfileStore(std::string path) : m_path(std::move(path)) {}

std::uint32_t ProfileStore::GetProfileInt(std::string_view section, std::string_view key,
                                          int defaultValue) const {
    std::string value;
    if (!Find(m_path, section, key, value) || value.empty())
        return static_cast<std::uint32_t>(defaultValue);
    return static_cast<std::uint32_t>(std::atol(value.c_str()));
}

std::string ProfileStore::GetProfileString(std::string_view section, std::string_view key,
                                           std::string_view defaultValue) const {
    std::string value;
    if (!Find(m_path, section, key, value))
        return std::string(defaultValue);
    return value;
}

std::string ProfilePathFor(const std::string& executablePath) {
    const std::size_t slash = executablePath.rfind('/');
    std::string name = executablePath.substr(slash + 1);
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos)
        name.erase(dot);
    return executablePath.substr(0, slash + 1) + name + ".INI";
}

std::string ExecutablePath() {
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

void ComSettings::Load(const ProfileStore& profile) {
    EndOfLine = profile.GetProfileInt("COMPORT", "EndOfLine", 2);
    if (EndOfLine > 2)
        EndOfLine = 2;
    EndOfFile = profile.GetProfileInt("COMPORT", "EndOfFile", 26);
    if (EndOfFile > 255)
        EndOfFile = 26;
}

void AppSettings::LoadSettings(const ProfileStore& profile) {
    m_comSettings.Load(profile);
    m_nTabStop = profile.GetProfileInt("Edit", "TabStop", 4);
    if (m_nTabStop < 1 || m_nTabStop > 10)
        m_nTabStop = 4;
}

void AppSettings::LoadLineNumberSettings(const ProfileStore& profile) {
    m_nStartLine = profile.GetProfileInt("LineNumber", "StartLine", 10);
    m_nLineStep = profile.GetProfileInt("LineNumber", "Step", 10);
}

} // namespace tessel
