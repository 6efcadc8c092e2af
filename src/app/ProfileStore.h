#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessel {

// The settings file: an INI file with the behaviour of the classic private
// profile calls. Section and key names compare without case; a missing file
// or key reads as the default; the first write creates the file; writing one
// key keeps every other section, key and line of the file. Values are bytes
// (code page 932 text stays as it is).
class ProfileStore {
public:
    // The store of the INI file at `path`, which need not exist.
    explicit ProfileStore(std::string path);

    const std::string& Path() const { return m_path; }

    // The key's value read as a signed decimal number and returned as
    // unsigned (so -1 reads as 0xFFFFFFFF); `defaultValue` when the key is
    // missing or empty; 0 when its text is not a number.
    std::uint32_t GetProfileInt(std::string_view section, std::string_view key,
                                int defaultValue) const;
    // The key's value, at most 4095 bytes; `defaultValue` when missing.
    std::string GetProfileString(std::string_view section, std::string_view key,
                                 std::string_view defaultValue) const;

    // Write one key at once, as signed decimal for integers. False when the
    // file could not be written.
    bool WriteProfileInt(std::string_view section, std::string_view key, int value);
    bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value);

private:
    std::string m_path;
};

// The settings file of an executable: `<folder>/<base name>.INI`, where the
// base name drops everything from the last "." of the executable's file name.
std::string ProfilePathFor(const std::string& executablePath);

// The full path of the running executable (empty if the system won't say).
std::string ExecutablePath();

} // namespace tessel
