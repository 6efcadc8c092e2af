#include "encoding/Cp932.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace tessel::cp932 {
namespace {

struct Cp932StandIn {
    std::uint16_t code;
    char16_t standIn;
    char16_t character;
};

#include "encoding/Cp932Table.inc"

constexpr char16_t kControlPictures = 0x2400;
constexpr char16_t kDeletePicture = 0x2421;
constexpr char16_t kByteMarks = 0xF700; // + byte, for bytes 0x80-0xFF
constexpr char16_t kLineSeparator = 0x2028;
constexpr char16_t kParagraphSeparator = 0x2029;

// Encoding table values besides the codes themselves (a value below 0x100 is
// one byte, any other is a lead and a trail byte).
constexpr std::uint16_t kNoCode = 0xFFFF;
constexpr std::uint16_t kBreak = 0xFFFE;

// 0-59 for the lead bytes 0x81-0x9F and 0xE0-0xFC, -1 for other bytes.
constexpr int LeadIndex(unsigned char b) {
    if (b >= 0x81 && b <= 0x9F)
        return b - 0x81;
    if (b >= 0xE0 && b <= 0xFC)
        return b - 0xE0 + 0x1F;
    return -1;
}

constexpr bool IsRawControl(char16_t u) {
    return (u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') || u == 0x7F;
}

constexpr char16_t ControlPicture(char16_t u) {
    return u == 0x7F ? kDeletePicture : static_cast<char16_t>(kControlPictures + u);
}

struct Tables {
    // What a byte on its own decodes to: its character, a control picture or
    // a byte mark. Lead bytes get their mark; the decoder tries the pair first.
    std::array<char16_t, 256> single{};
    // The code of every UTF-16 unit, kBreak for the line breaks.
    std::array<std::uint16_t, 0x10000> encode{};
};

Tables MakeTables() {
    Tables t;
    t.encode.fill(kNoCode);
    for (unsigned b = 0; b < 256; ++b) {
        const char16_t c = kCp932Single[b];
        if (c != 0xFFFF) {
            // Also takes raw control characters: they have codes, even though
            // the decoder never gives them.
            t.encode[c] = static_cast<std::uint16_t>(b);
            t.single[b] = IsRawControl(c) ? ControlPicture(c) : c;
        } else {
            t.single[b] = static_cast<char16_t>(kByteMarks + b);
        }
        t.encode[t.single[b]] = static_cast<std::uint16_t>(b);
    }
    // A lone CR or LF is a mark; line breaks are handled apart.
    t.single[u'\r'] = ControlPicture(u'\r');
    t.single[u'\n'] = ControlPicture(u'\n');
    t.encode[ControlPicture(u'\r')] = u'\r';
    t.encode[ControlPicture(u'\n')] = u'\n';
    for (const char16_t u : {u'\n', u'\r', kLineSeparator, kParagraphSeparator})
        t.encode[u] = kBreak;

    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        const int index = LeadIndex(static_cast<unsigned char>(lead));
        if (index < 0)
            continue;
        for (int trail = 0; trail < kCp932TrailCount; ++trail) {
            const char16_t c = kCp932Double[index][trail];
            if (c != 0)
                t.encode[c] = static_cast<std::uint16_t>(lead << 8 | (0x40 + trail));
        }
    }
    return t;
}

const Tables& GetTables() {
    static const Tables tables = MakeTables();
    return tables;
}

bool IsHighSurrogate(char16_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLowSurrogate(char16_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

Refusal NotInCodePage(std::u16string_view text, std::size_t i) {
    const char16_t u = text[i];
    if (IsHighSurrogate(u) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
        const char32_t c = 0x10000 + ((char32_t{u} - 0xD800) << 10) + (text[i + 1] - 0xDC00);
        return {RefusalReason::NotInCodePage, i, 2, c};
    }
    return {RefusalReason::NotInCodePage, i, 1, u};
}

// The bytes unit `i` encodes to; one for a unit without a code.
std::size_t BytesOf(const Tables& t, std::u16string_view text, std::size_t i) {
    const char16_t u = text[i];
    const std::uint16_t code = t.encode[u];
    if (code < 0x100 || code == kNoCode)
        return 1;
    if (code != kBreak)
        return 2;
    // "\r\n" is one break, its CR from the '\r' and its LF from the '\n'.
    if (u == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
        return 1;
    if (u == u'\n' && i > 0 && text[i - 1] == u'\r')
        return 1;
    return 2;
}

// Whether a message can show the character itself (not a control, a lone
// surrogate or a line break).
bool IsShowable(char32_t c) {
    return c >= 0x20 && !(c >= 0x7F && c < 0xA0) && !(c >= 0xD800 && c <= 0xDFFF) &&
           c != kLineSeparator && c != kParagraphSeparator && c <= 0x10FFFF;
}

} // namespace

Utf8Char ReadUtf8(std::string_view in, std::size_t i) {
    const auto b = static_cast<unsigned char>(in[i]);
    if (b < 0x80)
        return {b, 1};
    std::size_t length = 0;
    char32_t value = 0;
    char32_t least = 0;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
        value = b & 0x1F;
        least = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        value = b & 0x0F;
        least = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        value = b & 0x07;
        least = 0x10000;
    } else {
        return {};
    }
    if (in.size() - i < length)
        return {};
    for (std::size_t k = 1; k < length; ++k) {
        const auto c = static_cast<unsigned char>(in[i + k]);
        if ((c & 0xC0) != 0x80)
            return {};
        value = value << 6 | (c & 0x3F);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return {};
    return {value, length};
}

std::size_t CharacterBytes(std::string_view bytes, std::size_t offset) {
    const auto b = static_cast<unsigned char>(bytes[offset]);
    if (b < 0x80)
        return 1;
    const int lead = LeadIndex(b);
    if (lead < 0)
        return kCp932Single[b] != 0xFFFF ? 1 : 0;
    if (offset + 1 < bytes.size()) {
        const auto trail = static_cast<unsigned char>(bytes[offset + 1]);
        if (trail >= 0x40 && trail <= 0xFC && kCp932Double[lead][trail - 0x40] != 0)
            return 2;
    }
    return 0;
}

std::u16string Decode(std::string_view bytes) {
    const Tables& t = GetTables();
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    // Never more units than bytes.
    std::u16string text(n, u'\0');
    char16_t* out = text.data();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char b = in[i];
        if (b < 0x80) {
            if (b == '\r' && i + 1 < n && in[i + 1] == '\n') {
                *out++ = u'\n';
                i += 2;
            } else {
                *out++ = t.single[b];
                ++i;
            }
            continue;
        }
        const int lead = LeadIndex(b);
        if (lead >= 0 && i + 1 < n) {
            const unsigned char trail = in[i + 1];
            if (trail >= 0x40 && trail <= 0xFC) {
                const char16_t c = kCp932Double[lead][trail - 0x40];
                if (c != 0) {
                    *out++ = c;
                    i += 2;
                    continue;
                }
            }
        }
        *out++ = t.single[b];
        ++i;
    }
    text.resize(static_cast<std::size_t>(out - text.data()));
    return text;
}

std::optional<Refusal> Encode(std::u16string_view text, std::string& bytes) {
    const Tables& t = GetTables();
    bytes.clear();
    bytes.resize(text.size() * 2);
    char* out = bytes.data();
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t u = text[i];
        const std::uint16_t code = t.encode[u];
        if (code < 0x100) {
            *out++ = static_cast<char>(code);
        } else if (code == kBreak) {
            // '\r' before '\n' gives the CR, '\n' after '\r' the LF.
            if (u != u'\n' || i == 0 || text[i - 1] != u'\r')
                *out++ = '\r';
            if (u != u'\r' || i + 1 == n || text[i + 1] != u'\n')
                *out++ = '\n';
        } else if (code != kNoCode) {
            *out++ = static_cast<char>(code >> 8);
            *out++ = static_cast<char>(code & 0xFF);
        } else {
            bytes.clear();
            return NotInCodePage(text, i);
        }
    }
    bytes.resize(static_cast<std::size_t>(out - bytes.data()));
    return std::nullopt;
}

std::optional<Refusal> CheckInput(std::u16string_view text) {
    const Tables& t = GetTables();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u == 0 || u == kControlPictures)
            return Refusal{RefusalReason::NulByte, i, 1, u};
        if (t.encode[u] == kNoCode)
            return NotInCodePage(text, i);
    }
    return std::nullopt;
}

std::u16string PrepareInput(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            continue; // the '\n' follows
        if (u == u'\r' || u == kLineSeparator || u == kParagraphSeparator)
            out += u'\n';
        else if (IsRawControl(u))
            out += ControlPicture(u);
        else
            out += u;
    }
    return out;
}

bool KeepsApart(std::u16string_view text) {
    std::string bytes;
    if (Encode(text, bytes))
        return true;
    // The widget's own line breaks read back as '\n'.
    std::u16string shown(text);
    for (char16_t& unit : shown)
        if (unit == 0x2028 || unit == 0x2029)
            unit = u'\n';
    return Decode(bytes) == shown;
}

std::string NameCharacter(char32_t c) {
    std::string name;
    if (IsShowable(c)) {
        name += "「";
        AppendUtf8(name, c);
        name += "」";
    } else if (c == 0) {
        name += "NUL ";
    }
    char code[16];
    std::snprintf(code, sizeof code, "(U+%04X)", static_cast<unsigned>(c));
    name += code;
    return name;
}

bool IsPlaceholder(char16_t unit) {
    if (GetTables().encode[unit] == kNoCode)
        return false;
    return (unit >= kControlPictures && unit <= kDeletePicture) ||
           (unit >= kByteMarks + 0x80 && unit <= kByteMarks + 0xFF) ||
           (unit >= kCp932StandIns[0].standIn &&
            unit <= kCp932StandIns[kCp932StandInCount - 1].standIn);
}

char16_t StandsFor(char16_t unit) {
    // The generator numbers the stand-ins in order.
    const char16_t first = kCp932StandIns[0].standIn;
    if (unit < first || unit - first >= kCp932StandInCount)
        return unit;
    return kCp932StandIns[unit - first].character;
}

std::size_t ByteOffset(std::u16string_view text, std::size_t position) {
    const Tables& t = GetTables();
    const std::size_t end = std::min(position, text.size());
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < end; ++i)
        bytes += BytesOf(t, text, i);
    return bytes;
}

std::size_t Position(std::u16string_view text, std::size_t offset) {
    const Tables& t = GetTables();
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        bytes += BytesOf(t, text, i);
        if (bytes > offset)
            return i;
    }
    return text.size();
}

std::size_t UnitsToBytes(std::string_view bytes, std::size_t offset, std::size_t units) {
    std::size_t at = offset;
    for (; units > 0 && at < bytes.size(); --units) {
        if (bytes[at] == '\r' && at + 1 < bytes.size() && bytes[at + 1] == '\n')
            at += 2; // a line break
        else
            at += std::max<std::size_t>(1, CharacterBytes(bytes, at)); // a byte's mark is one
    }
    return at - offset;
}

OffsetIndex::OffsetIndex(std::u16string_view text) : m_text(text) {
    const Tables& t = GetTables();
    m_checkpoints.reserve(text.size() / kStride + 1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i % kStride == 0)
            m_checkpoints.push_back(m_byteLength);
        m_byteLength += BytesOf(t, text, i);
    }
}

std::size_t OffsetIndex::UnitBytes(std::size_t position) const {
    return BytesOf(GetTables(), m_text, position);
}

std::size_t OffsetIndex::ByteOffset(std::size_t position) const {
    if (position >= m_text.size())
        return m_byteLength;
    std::size_t i = position / kStride * kStride;
    std::size_t bytes = m_checkpoints[i / kStride];
    for (; i < position; ++i)
        bytes += UnitBytes(i);
    return bytes;
}

std::size_t OffsetIndex::Position(std::size_t offset) const {
    if (offset >= m_byteLength)
        return m_text.size();
    // The last checkpoint at or before the offset; every unit is at least one
    // byte, so the checkpoints rise strictly.
    const auto next = std::upper_bound(m_checkpoints.begin(), m_checkpoints.end(), offset);
    const auto block = static_cast<std::size_t>(next - m_checkpoints.begin()) - 1;
    std::size_t bytes = m_checkpoints[block];
    for (std::size_t i = block * kStride;; ++i) {
        bytes += UnitBytes(i);
        if (bytes > offset)
            return i;
    }
}

std::optional<std::uint16_t> CodeOf(char32_t character) {
    if (character < 0x80)
        return static_cast<std::uint16_t>(character);
    // Only characters of the code page: not the editor's marks for bytes nor
    // the stand-ins of second codes, which have codes in the table only so
    // that the editor's text comes back.
    if (character >= 0x10000 || IsPlaceholder(static_cast<char16_t>(character)))
        return std::nullopt;
    const std::uint16_t code = GetTables().encode[character];
    if (code == kNoCode || code == kBreak)
        return std::nullopt;
    return code;
}

std::optional<ConversionError> FromUtf8(std::string_view utf8, std::string& bytes,
                                        bool* droppedMark) {
    bytes.clear();
    std::string_view in = utf8;
    const bool mark = in.starts_with("\xEF\xBB\xBF");
    if (mark)
        in.remove_prefix(3);
    if (droppedMark)
        *droppedMark = mark;
    const std::size_t skipped = utf8.size() - in.size();
    bytes.reserve(in.size());
    for (std::size_t i = 0; i < in.size();) {
        const Utf8Char c = ReadUtf8(in, i);
        if (c.length == 0) {
            bytes.clear();
            return ConversionError{ConversionProblem::NotUtf8, skipped + i, 0,
                                   static_cast<unsigned char>(in[i])};
        }
        const std::optional<std::uint16_t> code = CodeOf(c.value);
        if (!code) {
            bytes.clear();
            return ConversionError{ConversionProblem::NotInCodePage, skipped + i, c.value,
                                   static_cast<unsigned char>(in[i])};
        }
        if (*code >= 0x100)
            bytes += static_cast<char>(*code >> 8);
        bytes += static_cast<char>(*code & 0xFF);
        i += c.length;
    }
    return std::nullopt;
}

std::optional<ConversionError> ToUtf8(std::string_view bytes, std::string& utf8) {
    utf8.clear();
    utf8.reserve(bytes.size() + bytes.size() / 2);
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned char b = in[i];
        if (b < 0x80) {
            utf8 += static_cast<char>(b);
            ++i;
            continue;
        }
        char16_t c = kCp932Single[b];
        std::size_t length = 1;
        const int lead = LeadIndex(b);
        if (lead >= 0 && i + 1 < bytes.size() && in[i + 1] >= 0x40 && in[i + 1] <= 0xFC) {
            c = kCp932Double[lead][in[i + 1] - 0x40];
            length = 2;
        }
        if (c == 0 || c == 0xFFFF) {
            utf8.clear();
            return ConversionError{ConversionProblem::NoCharacter, i, 0, b};
        }
        AppendUtf8(utf8, StandsFor(c));
        i += length;
    }
    return std::nullopt;
}

std::optional<std::size_t> LooksLikeUtf8(std::string_view bytes) {
    std::optional<std::size_t> first;
    for (std::size_t i = 0; i < bytes.size();) {
        // ASCII, which most of a program is, eight bytes at a time.
        for (std::uint64_t word = 0; i + 8 <= bytes.size(); i += 8) {
            std::memcpy(&word, bytes.data() + i, 8);
            if (word & 0x8080808080808080u)
                break;
        }
        if (i == bytes.size())
            break;
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        const Utf8Char c = ReadUtf8(bytes, i);
        if (c.length == 0)
            return std::nullopt;
        if (c.length > 1 && !first)
            first = i;
        i += c.length;
    }
    return first;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace tessel::cp932
