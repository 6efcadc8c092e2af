#include "app/AppSettings.h"

#include "app/ProfileStore.h"

#include <climits>
#include <string>

namespace tessel {

void AppSettings::LoadSettings(const ProfileStore& profile) {
    // The recent-file list keeps its order; empty entries are left out.
    m_recentFiles.clear();
    for (int i = 1; i <= 4; ++i) {
        std::string path =
            profile.GetProfileString("Recent File List", "File" + std::to_string(i), "");
        if (!path.empty())
            m_recentFiles.push_back(std::move(path));
    }
    m_nPreviewPages = static_cast<int>(profile.GetProfileInt("Settings", "PreviewPages", 0));

    m_comSettings.Load(profile);

    m_strFaceName = profile.GetProfileString("Font", "FaceName", kDefaultFaceName);
    m_nFontSize = static_cast<int>(profile.GetProfileInt("Font", "Size", 12));

    m_nTabStop = profile.GetProfileInt("Edit", "TabStop", 4);
    if (m_nTabStop < 1 || m_nTabStop > 10)
        m_nTabStop = 4;

    m_nPrintPage = static_cast<int>(profile.GetProfileInt("Misc", "PrintPage", 0));
}

void AppSettings::LoadLineNumberSettings(const ProfileStore& profile) {
    m_nStartLine = profile.GetProfileInt("LineNumber", "StartLine", 10);
    m_nLineStep = profile.GetProfileInt("LineNumber", "Step", 10);
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
