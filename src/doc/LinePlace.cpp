#include "doc/LinePlace.h"

#include "encoding/Cp932.h"
#include "res/StringTable.h"

#include <string>

namespace tessel {
namespace {

// How many characters of a line name it.
constexpr std::size_t kBeginningLength = 16;

std::string Number(std::uint64_t value) {
    return std::to_string(value);
}

void AppendUtf8(std::string& out, char16_t unit) {
    if (unit < 0x80) {
        out += static_cast<char>(unit);
    } else if (unit < 0x800) {
        out += static_cast<char>(0xC0 | (unit >> 6));
        out += static_cast<char>(0x80 | (unit & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (unit >> 12));
        out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (unit & 0x3F));
    }
}

// The first characters of `content` as the editor shows them (control bytes
// as their marks, a tab as a blank), in UTF-8; "…" where it goes on.
std::string Beginning(std::string_view content) {
    std::size_t end = 0;
    for (std::size_t characters = 0; end < content.size() && characters < kBeginningLength;
         ++characters)
        end += cp932::IsLeadByte(content[end]) && end + 1 < content.size() ? 2 : 1;
    std::string text;
    // The editor's units are all in the Basic Multilingual Plane.
    for (const char16_t unit : cp932::Decode(content.substr(0, end)))
        AppendUtf8(text, unit == u'\t' ? u' ' : unit);
    if (end < content.size())
        text += "…";
    return text;
}

} // namespace

Problem NoNumberPlace(std::size_t line, std::string_view content) {
    if (content.find_first_not_of(" \t") == std::string_view::npos)
        return Problem::Of(IDS_PLACE_BLANK_LINE, {Number(line + 1)});
    return Problem::Of(IDS_PLACE_NO_NUMBER, {Number(line + 1), Beginning(content)});
}

Problem ReferencePlace(std::uint32_t number, std::string_view target) {
    return Problem::Of(IDS_PLACE_REFERS, {Number(number), target});
}

Problem OutOfRangePlace(std::string_view digits, std::size_t line) {
    return Problem::Of(IDS_PLACE_OUT_OF_RANGE, {digits, Number(line + 1)});
}

Problem OrderPlace(std::uint32_t before, std::uint32_t oldStart) {
    return Problem::Of(IDS_PLACE_ORDER, {Number(before), Number(oldStart)});
}

Problem DuplicatePlace(std::uint32_t number, std::size_t first, std::size_t second) {
    return Problem::Of(IDS_PLACE_DUPLICATE,
                       {Number(number), Number(first + 1), Number(second + 1)});
}

Problem LongLinePlace(std::size_t line, std::uint32_t number, std::size_t length) {
    if (number != 0)
        return Problem::Of(IDS_PLACE_TOO_LONG_NUMBERED, {Number(number), Number(length)});
    return Problem::Of(IDS_PLACE_TOO_LONG, {Number(line + 1), Number(length)});
}

Problem NoLinePlace(std::uint32_t oldStart) {
    return Problem::Of(IDS_PLACE_NO_LINE, {Number(oldStart)});
}

Problem EndCodePlace(std::size_t line, std::uint32_t number, std::size_t column) {
    if (number != 0)
        return Problem::Of(IDS_PLACE_END_CODE_NUMBERED, {Number(number), Number(column + 1)});
    return Problem::Of(IDS_PLACE_END_CODE, {Number(line + 1), Number(column + 1)});
}

} // namespace tessel
