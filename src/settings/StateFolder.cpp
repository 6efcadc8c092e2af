#include "settings/StateFolder.h"

#include <cstdlib>
#include <ctime>

namespace tessel {

std::string StateFolder() {
    if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && state[0] == '/')
        return std::string(state) + "/tessel";
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0')
        return std::string(home) + "/.local/state/tessel";
    return {};
}

FileError KeepReceivedInStateFolder(const std::string& bytes, std::string_view extension,
                                    std::string& path) {
    const std::string folder = StateFolder();
    if (folder.empty())
        return FileError::Because("no folder for it: neither XDG_STATE_HOME nor HOME is set");
    if (const FileError error = MakeFolders(folder, 0700))
        return FileError::Because(folder + ": " + error.Reason());
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char stem[64] = "received";
    if (::localtime_r(&now, &local) != nullptr)
        std::strftime(stem, sizeof stem, "received-%Y%m%d-%H%M%S", &local);
    if (const FileError error = WriteNewFile(folder, stem, extension, bytes, path))
        return FileError::Because(folder + ": " + error.Reason());
    return {};
}

} // namespace tessel
