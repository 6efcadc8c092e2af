#include "engine/Renumber.h"

#include "doc/LinePlace.h"
#include "engine/BasicLexer.h"
#include "res/StringTable.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <memory>

namespace tessel {
namespace {

// The most digits a line number the device takes has.
constexpr std::size_t kMaxNumberDigits = 5;

// The new number of every line, looked up by its old number, written out
// once for the line and every reference to it.
class NewNumbers {
public:
    struct Digits {
        char text[kMaxNumberDigits];
        std::uint8_t length;
        // Writes the number from `out` on, which has room for five bytes.
        char* WriteTo(char* out) const {
            std::memcpy(out, text, sizeof text);
            return out + length;
        }
    };

    explicit NewNumbers(const LineTable& lines)
        : m_digits(std::make_unique_for_overwrite<Digits[]>(kMaxLineNum + 1)) {
        for (const NumberedLine& line : lines) {
            m_present[line.number / 64] |= std::uint64_t{1} << (line.number % 64);
            Digits& digits = m_digits[line.number];
            digits.length = static_cast<std::uint8_t>(WriteLineNumber(digits.text, line.newNumber) -
                                                      digits.text);
        }
    }
    // Null when no line has that number.
    const Digits* Find(std::uint32_t number) const {
        if (number > kMaxLineNum || ((m_present[number / 64] >> (number % 64)) & 1) == 0)
            return nullptr;
        return &m_digits[number];
    }

private:
    // Which numbers have a line: only their entries of m_digits are written.
    std::array<std::uint64_t, kMaxLineNum / 64 + 1> m_present{};
    std::unique_ptr<Digits[]> m_digits;
};

// Gives every line of an ordered table its new number. IDS_NONE, or why
// the lines cannot be renumbered so; `changed` says whether a number changed.
StringId AssignNewNumbers(LineTable& lines, const Renumbering& how, bool& changed) {
    std::size_t k = 0;
    for (; k < lines.size() && lines[k].number != how.oldStart; ++k)
        lines[k].newNumber = lines[k].number;
    if (k == lines.size())
        return IDS_RENUM_OLD_MISSING;
    // The renumbered lines must stay behind the line before them.
    if (how.newStart < how.oldStart && k != 0 && lines[k - 1].number >= how.newStart)
        return IDS_RENUM_ORDER;
    std::uint64_t value = how.newStart;
    for (; k < lines.size(); ++k, value += how.step) {
        if (value > kMaxLineNum)
            return IDS_RENUM_OVERFLOW;
        lines[k].newNumber = static_cast<std::uint32_t>(value);
        changed = changed || lines[k].newNumber != lines[k].number;
    }
    return IDS_NONE;
}

// The references the lexer gives at a time.
using FoundReferences = std::array<BasicToken, 8>;

// Writes a line's body (which ends in CR LF) from `out` on, advancing it,
// with the line numbers it refers to rewritten, the lexer's references read
// into `found`. False, with the reference in `missing`, at the first that
// names no line.
bool RewriteBody(std::string_view body, const NewNumbers& numbers, FoundReferences& found,
                 char*& out, BasicToken& missing) {
    BasicLexer lexer(body, BasicLexer::Start::Body);
    std::size_t copied = 0;
    for (std::size_t n = found.size(); n == found.size();) {
        n = lexer.NextReferences(found.data(), found.size());
        for (std::size_t i = 0; i < n; ++i) {
            const BasicToken& reference = found[i];
            if (reference.kind != BasicTokenKind::LineReference)
                continue;
            const NewNumbers::Digits* digits = numbers.Find(reference.value);
            if (digits == nullptr) {
                missing = reference;
                return false;
            }
            std::memcpy(out, body.data() + copied, reference.begin - copied);
            out = digits->WriteTo(out + (reference.begin - copied));
            copied = reference.end;
        }
    }
    std::memcpy(out, body.data() + copied, body.size() - copied);
    out += body.size() - copied;
    return true;
}

// Writes the renumbered text of an ordered table whose new numbers are
// assigned from `out` on, advancing it: for every line its new number, then
// its body, with its references rewritten when they are. `out` has room for
// kMaxNumberDigits bytes for every byte of the table's lines. A problem that
// stops it goes into `result`, and what was written is void.
void WriteRenumbered(const LineTable& lines, References references, char*& out,
                     RenumberResult& result) {
    if (references == References::Keep) {
        for (const NumberedLine& line : lines) {
            out = WriteLineNumber(out, line.newNumber);
            std::memcpy(out, line.body.data(), line.body.size());
            out += line.body.size();
        }
        return;
    }
    const NewNumbers numbers(lines);
    FoundReferences found;
    BasicToken missing;
    // The start of each line in the text the renumbering writes back.
    std::size_t lineStart = 0;
    for (const NumberedLine& line : lines) {
        out = numbers.Find(line.number)->WriteTo(out);
        if (!RewriteBody(line.body, numbers, found, out, missing)) {
            result.problem = Problem::AtLine(IDS_LINE_REF_MISSING, line.textLine, lineStart);
            result.place =
                ReferencePlace(line.number, line.body.substr(missing.begin, missing.Length()));
            return;
        }
        lineStart += line.text.size();
    }
}

} // namespace

RenumberResult Renumber(LineTable& lines, const Renumbering& how) {
    RenumberResult result;
    bool changed = false;
    if (const StringId code = AssignNewNumbers(lines, how, changed)) {
        result.problem = Problem::Of(code);
        if (code == IDS_RENUM_OLD_MISSING)
            result.place = NoLinePlace(how.oldStart);
        else if (code == IDS_RENUM_ORDER)
            result.place = OrderPlace(
                lines[static_cast<std::size_t>(FindLine(lines, how.oldStart)) - 1].number,
                how.oldStart);
    }
    if (result.Ok()) {
        // The new text is written once, into room for the longest it can
        // be: a number of at least one digit becomes at most five, and so
        // does every reference, which is at least one byte of its line.
        std::size_t bytes = 0;
        for (const NumberedLine& line : lines)
            bytes += line.text.size();
        const auto room = std::make_unique_for_overwrite<char[]>(kMaxNumberDigits * bytes);
        char* end = room.get();
        WriteRenumbered(lines, how.references, end, result);
        if (result.Ok()) {
            result.text.assign(room.get(), end);
            result.renumbered = changed;
            return result;
        }
    }
    // No number changes, but the lines still come back in order.
    std::size_t bytes = 0;
    for (const NumberedLine& line : lines)
        bytes += line.text.size();
    result.text.reserve(bytes);
    for (const NumberedLine& line : lines)
        result.text += line.text;
    return result;
}

RenumberResult Renumber(std::string_view text, const Renumbering& how) {
    LineTable lines;
    const LineTableResult built = BuildLineTable(text, lines, TextStorage::View);
    if (!built.Ok()) {
        RenumberResult result;
        result.problem = built.problem;
        result.place = built.place;
        return result;
    }
    RenumberResult result = Renumber(lines, how);
    result.reordered = built.reordered;
    return result;
}

std::optional<FoundReference> FindLineReference(const LineTable& lines) {
    for (const NumberedLine& line : lines) {
        BasicLexer lexer(line.body, BasicLexer::Start::Body);
        for (BasicToken reference; lexer.NextReference(reference);)
            if (reference.kind == BasicTokenKind::LineReference)
                return FoundReference{line.number, std::string(line.body.substr(
                                                       reference.begin, reference.Length()))};
    }
    return std::nullopt;
}

std::optional<std::uint32_t> LowestLineNumber(const LineTable& lines,
                                              const LineTableResult& built) {
    const unsigned code = built.problem.message;
    if (code == IDS_LINE_NO_NUMBER || code == IDS_LINE_OUT_OF_RANGE || lines.empty())
        return std::nullopt;
    const auto& records = lines.Records();
    return built.Ok() ? records.front().number
                      : std::ranges::min(records, {}, &NumberedLine::number).number;
}

} // namespace tessel
