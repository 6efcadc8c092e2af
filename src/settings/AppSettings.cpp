#include "settings/AppSettings.h"

#include "settings/LineNumberRange.h"
#include "settings/ProfileStore.h"
#include "settings/SettingRange.h"

#include <climits>
#include <cstdint>
#include <string>

namespace tessel {
namespace {

// A number kept in the settings file: where it is, its default and range (as
// the file's unsigned reading), the command that writes it, and how the
// member takes and gives its value.
struct NumberKey {
    NumberSetting setting;
    SettingGroup group;
    void (*take)(AppSettings& settings, std::uint32_t stored);
    int (*give)(const AppSettings& settings);
};

constexpr NumberKey kNumberKeys[] = {
    {{"Settings", "PreviewPages", 0, 0, kAnyNumber},
     SettingGroup::PreviewPages,
     [](AppSettings& s, std::uint32_t v) { s.previewPages = static_cast<int>(v); },
     [](const AppSettings& s) { return s.previewPages; }},
    {{"Font", "Size", 12, 0, kAnyNumber},
     SettingGroup::Font,
     [](AppSettings& s, std::uint32_t v) { s.fontSize = static_cast<int>(v); },
     [](const AppSettings& s) { return s.fontSize; }},
    {kTabStopSetting, SettingGroup::TabStop, [](AppSettings& s, std::uint32_t v) { s.tabStop = v; },
     [](const AppSettings& s) { return static_cast<int>(s.tabStop); }},
    {{"Edit", "Colors", 1, 0, 1},
     SettingGroup::Colors,
     [](AppSettings& s, std::uint32_t v) { s.colors = v != 0; },
     [](const AppSettings& s) { return s.colors ? 1 : 0; }},
    {{"Settings", "ProblemsList", 0, 0, 1},
     SettingGroup::ProblemsList,
     [](AppSettings& s, std::uint32_t v) { s.problemsList = v != 0; },
     [](const AppSettings& s) { return s.problemsList ? 1 : 0; }},
    {{"Misc", "PrintPage", 0, 0, kAnyNumber},
     SettingGroup::PrintPage,
     [](AppSettings& s, std::uint32_t v) { s.printPage = static_cast<int>(v); },
     [](const AppSettings& s) { return s.printPage; }},
    {kStartLineSetting, SettingGroup::LineNumbers,
     [](AppSettings& s, std::uint32_t v) { s.startLine = v; },
     [](const AppSettings& s) { return static_cast<int>(s.startLine); }},
    {kLineStepSetting, SettingGroup::LineNumbers,
     [](AppSettings& s, std::uint32_t v) { s.lineStep = v; },
     [](const AppSettings& s) { return static_cast<int>(s.lineStep); }},
};

constexpr const char kRecentSection[] = "Recent File List";
constexpr const char kSettingsSection[] = "Settings";
constexpr const char kWindowPosKey[] = "WindowPos";
constexpr const char kFontSection[] = "Font";
constexpr const char kFaceNameKey[] = "FaceName";

void LoadNumber(AppSettings& settings, const ProfileStore& profile, const NumberKey& number,
                std::vector<std::string>* ignored) {
    const NumberSetting& where = number.setting;
    const std::uint32_t value = profile.GetProfileInt(where.section, where.key, where.fallback);
    if (where.Holds(value)) {
        number.take(settings, value);
        return;
    }
    const auto fallback = static_cast<std::uint32_t>(where.fallback);
    if (ignored)
        ignored->push_back(
            DescribeIgnored(where.section, where.key, value, where.min, where.max, fallback));
    number.take(settings, fallback);
}

std::string RecentKey(int index) {
    return "File" + std::to_string(index + 1);
}

} // namespace

void AppSettings::LoadSettings(const ProfileStore& profile, std::vector<std::string>* ignored) {
    // The recent-file list keeps its order; empty entries are left out.
    m_recentFiles.clear();
    for (int i = 0; i < kRecentFileCount; ++i) {
        std::string path = profile.GetProfileString(kRecentSection, RecentKey(i), "");
        if (!path.empty())
            m_recentFiles.push_back(std::move(path));
    }
    m_comSettings.Load(profile, ignored);
    faceName = profile.GetProfileString(kFontSection, kFaceNameKey, kDefaultFaceName);
    for (const NumberKey& number : kNumberKeys)
        if (number.group != SettingGroup::LineNumbers)
            LoadNumber(*this, profile, number, ignored);
}

void AppSettings::LoadLineNumberSettings(const ProfileStore& profile,
                                         std::vector<std::string>* ignored) {
    for (const NumberKey& number : kNumberKeys)
        if (number.group == SettingGroup::LineNumbers)
            LoadNumber(*this, profile, number, ignored);
}

bool AppSettings::Write(ProfileStore& profile, SettingGroup group) const {
    bool written = true;
    switch (group) {
    case SettingGroup::ComPort:
        return m_comSettings.Write(profile);
    case SettingGroup::Font:
        written = profile.WriteProfileString(kFontSection, kFaceNameKey, faceName);
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
    case SettingGroup::WindowPos:
        return windowPos.empty() ||
               profile.WriteProfileString(kSettingsSection, kWindowPosKey, windowPos);
    case SettingGroup::PreviewPages:
        if (previewPages == 0)
            return true;
        break;
    default:
        break;
    }
    for (const NumberKey& number : kNumberKeys)
        if (number.group == group &&
            !profile.WriteProfileInt(number.setting.section, number.setting.key,
                                     number.give(*this)))
            written = false;
    return written;
}

std::string WindowPosSetting(const ProfileStore& profile) {
    return profile.GetProfileString(kSettingsSection, kWindowPosKey, "");
}

std::string LanguageSetting(const ProfileStore& profile) {
    return profile.GetProfileString("Misc", "Language", "");
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
