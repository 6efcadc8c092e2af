#include "settings/ProfileStore.h"

#include "encoding/Cp932.h"
#include "sys/FileIo.h"
#include "sys/Platform.h"
#include "sys/SysCalls.h"

#include <climits>
#include <cstdlib>
#include <utility>

namespace tessel {
namespace {

constexpr std::size_t kNpos = std::string::npos;
constexpr std::size_t kMaxValueBytes = 4095;
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char FoldCase(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Names compare without regard to ASCII case. The second byte of a
// double-byte character may look like an ASCII letter; it compares exactly.
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (cp932::IsLeadByte(a[i]) && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1])
                return false;
            ++i;
        } else if (FoldCase(a[i]) != FoldCase(b[i])) {
            return false;
        }
    }
    return true;
}

enum class LineKind { Other, Section, Key };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name;
    std::string_view value;     // trimmed, quotes still on
    std::size_t valueStart = 0; // where a new value goes when the key is rewritten
};

// A line "[name]" opens a section (an unclosed "[name" too, so that the keys
// below it never count as the previous section's); "key=value" is a key; a
// line starting with ";" is a comment; anything else is kept but ignored.
ParsedLine ParseLine(std::string_view text, bool firstLine) {
    const std::size_t skip = firstLine && text.starts_with(kUtf8Bom) ? kUtf8Bom.size() : 0;
    text.remove_prefix(skip);
    ParsedLine line;
    const std::string_view trimmed = Trim(text);
    if (trimmed.empty() || trimmed.front() == ';')
        return line;
    if (trimmed.front() == '[') {
        const std::size_t close = trimmed.find(']');
        line.kind = LineKind::Section;
        line.name = Trim(trimmed.substr(1, close == kNpos ? kNpos : close - 1));
        return line;
    }
    const std::size_t eq = text.find('=');
    if (eq == kNpos)
        return line;
    line.name = Trim(text.substr(0, eq));
    if (line.name.empty())
        return line;
    line.kind = LineKind::Key;
    line.value = Trim(text.substr(eq + 1));
    line.valueStart =
        skip +
        (line.value.empty() ? eq + 1 : static_cast<std::size_t>(line.value.data() - text.data()));
    return line;
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        return value.substr(1, value.size() - 2);
    return value;
}

// The first `limit` bytes, less a lead byte whose second byte was cut off.
std::string_view Truncate(std::string_view value, std::size_t limit) {
    if (value.size() <= limit)
        return value;
    std::size_t i = 0;
    while (i < limit) {
        const std::size_t step = cp932::IsLeadByte(value[i]) ? 2 : 1;
        if (i + step > limit)
            break;
        i += step;
    }
    return value.substr(0, i);
}

// Signed decimal after an optional sign, up to the first other character;
// no digits read as 0. Numbers beyond 32 bits stop at the nearest limit
// rather than wrapping round into some small, plausible value.
std::uint32_t ParseInt(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    constexpr long long kLimit = 1LL << 31;
    long long magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (magnitude < kLimit)
            magnitude = magnitude * 10 + (text[i] - '0');
    }
    if (magnitude > kLimit)
        magnitude = kLimit;
    long long value = negative ? -magnitude : magnitude;
    if (value > INT_MAX)
        value = INT_MAX;
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(value));
}

bool HasLineBreakOrNul(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != kNpos;
}

bool ValidSectionName(std::string_view section) {
    return !section.empty() && Trim(section) == section && !HasLineBreakOrNul(section) &&
           section.find(']') == kNpos;
}

bool ValidKeyName(std::string_view key) {
    return !key.empty() && Trim(key) == key && !HasLineBreakOrNul(key) && key.find('=') == kNpos &&
           key.front() != '[' && key.front() != ';';
}

// A value as it is written: quoted when reading would otherwise trim it or
// strip its own quotes.
std::string ValueText(std::string_view value) {
    const bool quote = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) ||
                                          Unquote(value).size() != value.size());
    if (!quote)
        return std::string(value);
    std::string text;
    text.reserve(value.size() + 2);
    text += '"';
    text += value;
    text += '"';
    return text;
}

} // namespace

ProfileStore::ProfileStore(std::string path) : m_path(std::move(path)) {
    Load();
}

void ProfileStore::Load() {
    // A file that cannot be read now (it may hold settings we cannot see)
    // leaves the copy as it was, so reads still give what was read before.
    // A missing file (or folder) reads as empty.
    std::string bytes;
    if (const FileError error = ReadWholeFile(m_path, bytes)) {
        if (!error.IsNotFound()) {
            m_state = FileState::Unreadable;
            return;
        }
        m_state = FileState::Absent;
    } else {
        m_state = FileState::Loaded;
    }
    m_lines.clear();
    m_newline = "\r\n";
    if (m_state == FileState::Absent)
        return;

    // Lines end at LF; a CR just before it belongs to the line end. Added
    // lines take the file's first line end.
    const std::size_t firstLf = bytes.find('\n');
    if (firstLf != kNpos && (firstLf == 0 || bytes[firstLf - 1] != '\r'))
        m_newline.assign(1, '\n');
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t lf = bytes.find('\n', start);
        if (lf == kNpos) {
            m_lines.push_back({bytes.substr(start), ""});
            break;
        }
        const bool crlf = lf > start && bytes[lf - 1] == '\r';
        const std::size_t textEnd = crlf ? lf - 1 : lf;
        m_lines.push_back({bytes.substr(start, textEnd - start), crlf ? "\r\n" : "\n"});
        start = lf + 1;
    }
}

ProfileStore::Place ProfileStore::Locate(std::string_view section, std::string_view key) const {
    Place place{kNpos, kNpos, kNpos};
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const ParsedLine line = ParseLine(m_lines[i].text, i == 0);
        if (line.kind == LineKind::Section) {
            if (place.header != kNpos)
                break; // the first section of that name is the one
            if (SameName(line.name, section)) {
                place.header = i;
                place.insertAt = i + 1;
            }
            continue;
        }
        if (place.header == kNpos)
            continue;
        if (line.kind == LineKind::Key && place.key == kNpos && SameName(line.name, key))
            place.key = i;
        if (!Trim(m_lines[i].text).empty())
            place.insertAt = i + 1;
    }
    return place;
}

bool ProfileStore::Find(std::string_view section, std::string_view key,
                        std::string_view& value) const {
    const Place place = Locate(section, key);
    if (place.key == kNpos)
        return false;
    value = ParseLine(m_lines[place.key].text, place.key == 0).value;
    return true;
}

std::uint32_t ProfileStore::GetProfileInt(std::string_view section, std::string_view key,
                                          int defaultValue) const {
    std::string_view value;
    if (!Find(section, key, value) || Unquote(value).empty())
        return static_cast<std::uint32_t>(defaultValue);
    return ParseInt(Unquote(value));
}

std::string ProfileStore::GetProfileString(std::string_view section, std::string_view key,
                                           std::string_view defaultValue) const {
    std::string_view value;
    if (!Find(section, key, value))
        return std::string(defaultValue);
    return std::string(Truncate(Unquote(value), kMaxValueBytes));
}

bool ProfileStore::WriteProfileInt(std::string_view section, std::string_view key, int value) {
    return Write(section, key, std::to_string(value));
}

bool ProfileStore::WriteProfileString(std::string_view section, std::string_view key,
                                      std::string_view value) {
    if (HasLineBreakOrNul(value))
        return Fail("a line break or NUL byte cannot be stored in the settings file");
    return Write(section, key, ValueText(value));
}

bool ProfileStore::Write(std::string_view section, std::string_view key, std::string_view text) {
    if (m_path.empty())
        return Fail("there is no settings file");
    if (!ValidSectionName(section) || !ValidKeyName(key))
        return Fail("the name cannot be stored in the settings file");
    // Start from the file as it is now, so that a change made to it by hand
    // (or by another copy of the program) since it was read is kept.
    Load();
    if (m_state == FileState::Unreadable)
        return Fail("the file cannot be read, so writing it would lose its other settings");

    std::vector<Line> lines = m_lines;
    const Place place = Locate(section, key);
    std::string keyLine;
    keyLine.reserve(key.size() + 1 + text.size());
    keyLine.append(key).append("=").append(text);

    if (place.key != kNpos) {
        Line& line = lines[place.key];
        const std::size_t valueStart = ParseLine(line.text, place.key == 0).valueStart;
        line.text.resize(valueStart);
        line.text.append(text);
    } else if (place.header != kNpos) {
        Line& before = lines[place.insertAt - 1];
        if (before.end.empty())
            before.end = m_newline;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(place.insertAt),
                     Line{std::move(keyLine), m_newline});
    } else {
        if (!lines.empty()) {
            if (lines.back().end.empty())
                lines.back().end = m_newline;
            if (!Trim(lines.back().text).empty())
                lines.push_back({"", m_newline});
        }
        std::string header = "[";
        header.append(section).append("]");
        lines.push_back({std::move(header), m_newline});
        lines.push_back({std::move(keyLine), m_newline});
    }

    return Commit(std::move(lines));
}

bool ProfileStore::DeleteProfileKey(std::string_view section, std::string_view key) {
    if (m_path.empty())
        return Fail("there is no settings file");
    Load();
    if (m_state == FileState::Unreadable)
        return Fail("the file cannot be read, so writing it would lose its other settings");
    const Place place = Locate(section, key);
    if (place.key == kNpos)
        return true;
    std::vector<Line> lines = m_lines;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(place.key));
    return Commit(std::move(lines));
}

bool ProfileStore::Fail(std::string reason) {
    m_lastError = std::move(reason);
    return false;
}

bool ProfileStore::Commit(std::vector<Line> lines) {
    std::string bytes;
    for (const Line& line : lines)
        bytes.append(line.text).append(line.end);
    if (const FileError error = ReplaceFile(m_path, bytes))
        return Fail(error.Reason());
    m_lines = std::move(lines);
    m_state = FileState::Loaded;
    return true;
}

std::string SettingsPathFor(const std::string& besidePath) {
    if (besidePath.empty() || StampOf(besidePath).exists)
        return besidePath;
    const std::string folder = sys::UserConfigFolder();
    return folder.empty() ? besidePath : folder + "/tessel/tessel.INI";
}

std::string ProfilePathFor(const std::string& executablePath) {
    if (executablePath.empty())
        return {};
    const std::size_t slash = executablePath.rfind('/');
    const std::size_t nameStart = slash == kNpos ? 0 : slash + 1;
    std::string name = executablePath.substr(nameStart);
    const std::size_t dot = name.rfind('.');
    if (dot != kNpos)
        name.resize(dot);
    return executablePath.substr(0, nameStart) + name + ".INI";
}

std::string ExecutablePath() {
    return sys::ExecutablePath();
}

} // namespace tessel
