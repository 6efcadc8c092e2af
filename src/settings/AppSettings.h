#pragma once

#include "settings/ComSettings.h"
#include "settings/SettingRange.h"

#include <string>
#include <vector>

namespace tessel {

class ProfileStore;

// The editor font's default face, "ＭＳ ゴシック" in code page 932.
inline constexpr const char kDefaultFaceName[] =
    "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";

// The most files the recent-file list keeps ("File1" to "File4").
inline constexpr int kRecentFileCount = 4;

// The keys that one settings command writes together.
enum class SettingGroup {
    ComPort,      // "COMPORT": the communication settings
    Font,         // "Font"/"FaceName" and "Size"
    TabStop,      // "Edit"/"TabStop"
    LineNumbers,  // "LineNumber"/"StartLine" and "Step"
    PrintPage,    // "Misc"/"PrintPage"
    PreviewPages, // "Settings"/"PreviewPages", written only when not 0
    RecentFiles,  // "Recent File List"/"File1" to "File4"; keys past the list removed
    WindowPos,    // "Settings"/"WindowPos", written only when there is one
    Colors,       // "Edit"/"Colors"
    ProblemsList, // "Settings"/"ProblemsList"
};

// The program's settings in memory: loaded once at start-up, updated by each
// settings command, which then writes its group of keys. Documents read them
// at the moment of use. A default-constructed object holds the defaults.
// Every key is read and written in one place, AppSettings.cpp.
struct AppSettings {
    ComSettings m_comSettings;
    unsigned startLine = kStartLineSetting.fallback;
    unsigned lineStep = kLineStepSetting.fallback;
    unsigned tabStop = kTabStopSetting.fallback;
    bool colors = true; // the editor colours the parts of a program
    // The list of the program's problems is shown beside the editors.
    bool problemsList = false;
    int printPage = 0;
    std::string faceName = kDefaultFaceName; // code page 932 bytes
    int fontSize = 12;                       // points
    int previewPages = 0;
    std::vector<std::string> m_recentFiles; // most recent first, at most kRecentFileCount
    // The main window's placement as the file keeps it (ten numbers, see
    // WindowPosSetting); empty for none. Set at exit, read by the window.
    std::string windowPos;

    // Everything but "WindowPos" and the line-number keys. A stored number
    // outside its range counts as absent (the default); each one is
    // described in `ignored`, if given.
    void LoadSettings(const ProfileStore& profile, std::vector<std::string>* ignored = nullptr);
    // "LineNumber"/"StartLine" (1 to 65279) and "Step" (1 to 65278), read by
    // start-up after LoadSettings, the same way.
    void LoadLineNumberSettings(const ProfileStore& profile,
                                std::vector<std::string>* ignored = nullptr);
    // Writes the keys of `group` from the members. False when any of them
    // could not be written (ProfileStore::LastError() says why).
    bool Write(ProfileStore& profile, SettingGroup group) const;
};

// "Settings"/"WindowPos": the main window's placement, ten numbers
// "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d" (flags, show command, the minimised and
// maximised positions, the normal rectangle's left, top, right and bottom),
// read as the window is first shown; empty when there is none.
std::string WindowPosSetting(const ProfileStore& profile);

// "Misc"/"Language": the language both programs speak ("ja", "en"), or
// empty to follow the locale. Read before anything is shown, so apart from
// the other settings; never written.
std::string LanguageSetting(const ProfileStore& profile);

// The editor font's cell height in pixels for a size in points.
int EditFontHeight(int points);

} // namespace tessel
