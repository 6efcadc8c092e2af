#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessel {

// The settings file: an INI file with the behaviour of the classic private
// profile calls. Section and key names compare without case; a missing file
// or key reads as the default; the first write creates the file; writing one
// key keeps every other section, key and line of the file. Values are bytes
// (code page 932 text stays as it is).
//
// The file is read once, when the store is made; reads are answered from that
// copy. Each write reads the file afresh, changes the one key and replaces the
// whole file in one step, keeping the other lines byte for byte and the
// file's own line ends.
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
    // file could not be written, when the existing file could not be read
    // (writing would lose its other settings), or when the names or value
    // cannot be stored (a line break or NUL anywhere, "=" in a key, "]" in a
    // section, an empty key). A value that would not read back as written
    // (blanks at either end, or enclosed in double quotes) is written quoted.
    bool WriteProfileInt(std::string_view section, std::string_view key, int value);
    bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value);
    // Removes the key's line, if there is one; true unless the file could
    // not be written.
    bool DeleteProfileKey(std::string_view section, std::string_view key);
    // Why the last write that failed did so, for the user.
    const std::string& LastError() const { return m_lastError; }

private:
    struct Line {
        std::string text; // without its line end
        std::string end;  // "\r\n", "\n", or "" for a last line without one
    };
    enum class FileState { Absent, Loaded, Unreadable };

    // Where a key is, or would go.
    struct Place {
        std::size_t header;   // the section's header line, npos when missing
        std::size_t key;      // the key's line, npos when missing
        std::size_t insertAt; // after the section's last non-blank line
    };

    void Load();
    Place Locate(std::string_view section, std::string_view key) const;
    // The key's value as stored (trimmed, quotes still on); false if missing.
    bool Find(std::string_view section, std::string_view key, std::string_view& value) const;
    // Keeps the reason of a failed write; always false.
    bool Fail(std::string reason);
    // Sets the key to `text`, written as it is.
    bool Write(std::string_view section, std::string_view key, std::string_view text);
    // Replaces the file by `lines` and keeps them as the copy.
    bool Commit(std::vector<Line> lines);

    std::string m_path;
    std::vector<Line> m_lines;
    std::string m_newline = "\r\n"; // line end of added lines
    FileState m_state = FileState::Absent;
    std::string m_lastError;
};

// The settings file of an executable: `<folder>/<base name>.INI`, where the
// base name drops everything from the last "." of the executable's file name.
std::string ProfilePathFor(const std::string& executablePath);

// The settings file both programs use: `besidePath` (tessel.INI beside the
// executable) when that file exists, a portable copy; otherwise the user's
// own, $XDG_CONFIG_HOME/tessel/tessel.INI (~/.config/tessel/tessel.INI when
// that is unset or not an absolute path), which need not exist yet. On
// Windows always `besidePath`.
std::string SettingsPathFor(const std::string& besidePath);

// The full path of the running executable (empty if the system won't say).
std::string ExecutablePath();

} // namespace tessel
