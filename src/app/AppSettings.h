#pragma once

#include "comm/ComSettings.h"

#include <string>
#include <vector>

namespace tessel {

class ProfileStore;

// The editor font's default face, "ＭＳ ゴシック" in code page 932.
inline constexpr const char kDefaultFaceName[] =
    "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";

// The program's settings in memory: loaded once at start-up, updated by each
// settings dialog as it writes the file. Documents read them at the moment
// of use. A default-constructed object holds the defaults.
struct AppSettings {
    ComSettings m_comSettings;
    unsigned m_nStartLine = 10;
    unsigned m_nLineStep = 10;
    unsigned m_nTabStop = 4;
    int m_nPrintPage = 0;
    std::string m_strFaceName = kDefaultFaceName; // code page 932 bytes
    int m_nFontSize = 12;                         // points
    int m_nPreviewPages = 0;
    std::vector<std::string> m_recentFiles; // "File1" (most recent) to "File4"

    // Everything but "WindowPos" and the line-number keys, in load order.
    void LoadSettings(const ProfileStore& profile);
    // "LineNumber"/"StartLine" and "Step", read by start-up after LoadSettings.
    void LoadLineNumberSettings(const ProfileStore& profile);
};

// The editor font's cell height in pixels for a size in points.
int EditFontHeight(int points);

} // namespace tessel
