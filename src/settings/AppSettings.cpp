#include "settings/AppSettings.h"

#include "settings/ProfileStore.h"

#include <climits>
#include <cstdint>
#include <string>

namespace tessel {
namespace {

// A number kept in the settings file: where it is, the command that writes
// it, its default, and how the member takes and gives its value.
struct NumberKey {
    const char* section;
    const char* key;
    SettingGroup group;
    int fallback;
    void (*take)(AppSettings& settings, std::uint32_t stored);
    int (*give)(const AppSettings& settings);
};

constexpr NumberKey kNumberKeys[] = {
    {"Settings", "PreviewPages", SettingGroup::PreviewPages, 0,
     [](AppSettings& s, std::uint32_t v) { s.m_nPreviewPages = static_cast<int>(v); },
     [](const AppSettings& s) { return s.m_nPreviewPages; }},
    {"Font", "Size", SettingGroup::Font, 12,
     [](AppSettings& s, std::uint32_t v) { s.m_nFontSize = static_cast<int>(v); },
     [](const AppSettings& s) { return s.m_nFontSize; }},
    // A tab width outside 1 to 10 counts as 4.
    {"Edit", "TabStop", SettingGroup::TabStop, 4,
     [](AppSettings& s, std::uint32_t v) { s.m_nTabStop = v >= 1 && v <= 10 ? v : 4; },
     [](const AppSettings& s) { return static_cast<int>(s.m_nTabStop); }},
    {"Misc", "PrintPage", SettingGroup::PrintPage, 0,
     [](AppSettings& s, std::uint32_t v) { s.m_nPrintPage = static_cast<int>(v); },
     [](const AppSettings& s) { return s.m_nPrintPage; }},
    {"LineNumber", "StartLine", SettingGroup::LineNumbers, 10,
     [](AppSettings& s, std::uint32_t v) { s.m_nStartLine = v; },
     [](const AppSettings& s) { return static_cast<int>(s.m_nStartLine); }},
    {"LineNumber", "Step", SettingGroup::LineNumbers, 10,
     [](AppSettings& s, std::uint32_t v) { s.m_nLineStep = v; },
     [](const AppSettings& s) { return static_cast<int>(s.m_nLineStep); }},
};

constexpr const char kRecentSection[] = "Recent File List";
constexpr const char kFontSection[] = "Font";
constexpr const char kFaceNameKey[] = "FaceName";

std::string RecentKey(int index) {
    return "File" + std::to_string(index + 1);
}

} // namespace

void AppSettings::LoadSettings(const ProfileStore& profile) {
    // The recent-file list keeps its order; empty entries are left out.
    m_recentFiles.clear();
    for (int i = 0; i < kRecentFileCount; ++i) {
        std::string path = profile.GetProfileString(kRecentSection, RecentKey(i), "");
        if (!path.empty())
            m_recentFiles.push_back(std::move(path));
    }
    m_comSettings.Load(profile);
    m_strFaceName = profile.GetProfileString(kFontSection, kFaceNameKey, kDefaultFaceName);
    for (const NumberKey& number : kNumberKeys)
        if (number.group != SettingGroup::LineNumbers)
            number.take(*this, profile.GetProfileInt(number.section, number.key, number.fallback));
}

void AppSettings::LoadLineNumberSettings(const ProfileStore& profile) {
    for (const NumberKey& number : kNumberKeys)
        if (number.group == SettingGroup::LineNumbers)
            number.take(*this, profile.GetProfileInt(number.section, number.key, number.fallback));
}

bool AppSettings::Write(ProfileStore& profile, SettingGroup group) const {
    bool written = true;
    switch (group) {
    case SettingGroup::ComPort:
        return m_comSettings.Write(profile);
    case SettingGroup::Font:
        written = profile.WriteProfileString(kFontSection, kFaceNameKey, m_strFaceName);
        break;
    case SettingGroup::RecentFiles:
        for (int i = 0; i < kRecentFileCount; ++i) {
            const std::string key = RecentKey(i);
            const bool ok = static_cast<std::size_t>(i) < m_recentFiles.size()
                                ? profile.WriteProfileString(kRecentSection, key, m_recentFiles[i])
                                : profile.DeleteProfileKey(kRecentSection, key);
            written = written && ok;
        }
        return written;
    case SettingGroup::PreviewPages:
        if (m_nPreviewPages == 0)
            return true;
        break;
    default:
        break;
    }
    for (const NumberKey& number : kNumberKeys)
        if (number.group == group &&
            !profile.WriteProfileInt(number.section, number.key, number.give(*this)))
            written = false;
    return written;
}

int EditFontHeight(int points) {
    // Wide arithmetic: a size read from the file can be any 32-bit number.
    const long long height = static_cast<long long>(points) * 4 / 3;
    if (height > INT_MAX)
        return INT_MAX;
    if (height < INT_MIN)
        return INT_MIN;
    return static_cast<int>(height);
}

} // namespace tessel
