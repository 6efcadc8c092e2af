#include "settings/StateFolder.h"

#include "sys/Platform.h"

#include <cstdlib>
#include <ctime>

namespace tessel {

std::string StateFolder() {
    return sys::UserStateFolder();
}

FileError KeepReceivedInStateFolder(const std::string& bytes, std::string_view extension,
                                    std::string& path) {
    const std::string folder = StateFolder();
    if (folder.empty())
        return FileError::Because(FileFault::NoStateFolder);
    if (const FileError error = MakeFolders(folder, 0700))
        return error.At(sys::NativeSeparators(folder));
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char stem[64] = "received";
    if (sys::LocalTime(now, local))
        std::strftime(stem, sizeof stem, "received-%Y%m%d-%H%M%S", &local);
    if (const FileError error = WriteNewFile(folder, stem, extension, bytes, path))
        return error.At(sys::NativeSeparators(folder));
    return {};
}

} // namespace tessel
