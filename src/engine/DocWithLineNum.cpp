#include "engine/DocWithLineNum.h"

#include "doc/TextOps.h"
#include "res/StringTable.h"
#include "settings/AppSettings.h"

#include <algorithm>
#include <charconv>
#include <utility>

namespace tessel {
namespace {

void AppendNumber(std::string& out, std::uint64_t number) {
    char digits[24];
    const auto result = std::to_chars(std::begin(digits), std::end(digits), number);
    out.append(digits, result.ptr);
}

// The duplicate that the reference quicksort reports first. The sort takes
// the last element of each range as pivot and stops at the first number it
// meets twice; which one that is decides where the caret goes, so this
// follows its steps exactly. Ranges are kept on an explicit stack (left part
// first) so a long ordered table cannot exhaust the call stack.
std::uint32_t FirstReportedDuplicate(std::vector<std::uint32_t> a) {
    struct Range {
        std::ptrdiff_t lo, hi;
    };
    std::vector<Range> pending{{0, static_cast<std::ptrdiff_t>(a.size()) - 1}};
    while (!pending.empty()) {
        const auto [lo, hi] = pending.back();
        pending.pop_back();
        if (hi - lo < 1)
            continue;
        const std::uint32_t pivot = a[hi];
        std::ptrdiff_t i = lo - 1;
        std::ptrdiff_t j = hi;
        for (;;) {
            do
                ++i;
            while (a[i] < pivot); // the pivot itself stops the scan
            if (i != hi && a[i] == pivot)
                return pivot;
            if (i >= j)
                break;
            bool done = false;
            for (;;) {
                --j;
                const std::uint32_t v = a[j];
                if (v > pivot) {
                    if (i >= j) {
                        done = true;
                        break;
                    }
                    continue;
                }
                if (v == pivot)
                    return pivot;
                done = i >= j;
                break;
            }
            if (done)
                break;
            std::swap(a[i], a[j]);
        }
        std::swap(a[i], a[hi]);
        pending.push_back({i + 1, hi});
        pending.push_back({lo, i - 1});
    }
    return 0; // not reached when the table holds a duplicate
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Whether the text begins with a digit, or with blanks and a digit: a number
// put right before it would run into those digits.
bool NeedsSeparator(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    return i < text.size() && IsDigit(text[i]);
}

// The line without its number: the leading digits and, when there were
// digits, the blank that numbering puts between a number and a text that
// begins with digits.
std::string_view WithoutNumber(std::string_view line) {
    const std::size_t digits = ParseDigitRun(line).length;
    std::string_view rest = line.substr(digits);
    if (digits != 0 && !rest.empty() && rest.front() == ' ' && NeedsSeparator(rest.substr(1)))
        rest.remove_prefix(1);
    return rest;
}

// Appends `number` and what numbering puts between it and `line`.
void AppendNumberFor(std::string& out, std::uint64_t number, std::string_view line) {
    AppendNumber(out, number);
    if (NeedsSeparator(line))
        out += ' ';
}

} // namespace

// --- The line table ---------------------------------------------------------

std::string CDocWithLineNum::ReadLine(std::string_view text, std::size_t start, std::size_t& used) {
    const LineSpan line = NextLine(text, start);
    used = line.span;
    return std::string(line.span ? text.substr(start, line.length) : std::string_view());
}

TextResult CDocWithLineNum::MakeLineTable(std::string_view text, LineTable& lines) {
    lines.clear();
    if (text.empty())
        return {};
    // Every line end is at least one byte, and each line grows by at most 2.
    const auto maxLines =
        static_cast<std::size_t>(std::ranges::count(text, '\n') + std::ranges::count(text, '\r')) +
        1;
    lines.Reserve(text.size() + 2 * maxLines, maxLines);
    // Where each line starts and its number, in text order.
    std::vector<std::size_t> starts;
    std::vector<std::uint32_t> numbers;
    starts.reserve(maxLines);
    numbers.reserve(maxLines);
    std::size_t pos = 0;
    while (pos < text.size()) {
        const LineSpan span = NextLine(text, pos);
        const auto index = static_cast<std::uint32_t>(numbers.size());
        if (const StringId code = lines.Append(text.substr(pos, span.length), index))
            return TextResult::At(code, index, pos);
        starts.push_back(pos);
        numbers.push_back(lines.Records().back().m_nLineNum);
        pos += span.span;
    }

    if (const auto duplicate = SortLineTable(lines)) {
        // The caret goes to the first line, in text order, with that number.
        const auto index =
            static_cast<std::size_t>(std::ranges::find(numbers, *duplicate) - numbers.begin());
        return TextResult::At(IDS_LINE_DUPLICATE, index, starts[index]);
    }
    if (!std::ranges::is_sorted(numbers))
        m_bLineNumChanged = true;
    return {};
}

std::optional<std::uint32_t> CDocWithLineNum::SortLineTable(LineTable& lines) {
    if (lines.size() < 2)
        return std::nullopt;
    std::vector<std::uint32_t> numbers;
    numbers.reserve(lines.size());
    for (const CLineWithNum& line : lines)
        numbers.push_back(line.m_nLineNum);
    // Strictly ascending: already ordered, no duplicate (the usual case).
    if (std::ranges::adjacent_find(numbers, std::ranges::greater_equal()) == numbers.end())
        return std::nullopt;

    std::vector<std::uint32_t> sorted = numbers;
    std::ranges::sort(sorted);
    if (std::ranges::adjacent_find(sorted) != sorted.end()) {
        // An error path: find the duplicate the reference procedure reports.
        return FirstReportedDuplicate(std::move(numbers));
    }
    // Distinct numbers have one order, whatever sorts them.
    std::ranges::sort(lines.Records(), {}, &CLineWithNum::m_nLineNum);
    return std::nullopt;
}

int CDocWithLineNum::FindLine(const LineTable& lines, std::uint32_t number) {
    const auto& records = lines.Records();
    const auto it = std::ranges::lower_bound(records, number, {}, &CLineWithNum::m_nLineNum);
    if (it == records.end() || it->m_nLineNum != number)
        return -1;
    return static_cast<int>(it - records.begin());
}

void CDocWithLineNum::ReportLineError(const TextResult& result) {
    MoveCaret(result.offset);
    ShowMessage(result);
}

// --- Sorting ----------------------------------------------------------------

bool CDocWithLineNum::SortLines() {
    const std::string old = GetEditText();
    LineTable lines;
    if (const TextResult result = MakeLineTable(old, lines); !result.Ok()) {
        ReportLineError(result);
        return false;
    }
    std::string sorted;
    sorted.reserve(old.size() + lines.size());
    for (const CLineWithNum& line : lines)
        sorted += line.m_strLine;
    FreeLineTable(lines);

    // Lines already in order: nothing to replace, nothing to undo.
    if (sorted == old)
        return true;
    if (!SetEditText(sorted)) {
        SetEditText(old);
        ShowMessage(IDS_NO_MEMORY);
        m_bLineNumChanged = false;
        return false;
    }
    return true;
}

std::optional<std::uint32_t> CDocWithLineNum::LowestLineNumber() {
    const std::string text = GetEditText();
    std::optional<std::uint32_t> lowest;
    for (std::size_t pos = 0; pos < text.size();) {
        const LineSpan span = NextLine(text, pos);
        const DigitRun run = ParseDigitRun(std::string_view(text).substr(pos, span.length));
        if (run.length == 0 || run.value == 0 || run.value > kMaxLineNum)
            return std::nullopt; // no line table: renumbering will say why
        lowest = std::min(lowest.value_or(run.value), run.value);
        pos += span.span;
    }
    return lowest;
}

bool CDocWithLineNum::CheckLineNumbers() {
    const std::string text = GetEditText();
    std::size_t line = 0;
    for (std::size_t pos = 0; pos < text.size(); ++line) {
        const LineSpan span = NextLine(text, pos);
        const DigitRun run = ParseDigitRun(std::string_view(text).substr(pos, span.length));
        const StringId code = run.length == 0                             ? IDS_LINE_NO_NUMBER
                              : run.value == 0 || run.value > kMaxLineNum ? IDS_LINE_OUT_OF_RANGE
                                                                          : IDS_NONE;
        if (code != IDS_NONE) {
            ShowMessage(TextResult::At(code, line, pos));
            return false;
        }
        pos += span.span;
    }
    return true;
}

// --- Renumbering ------------------------------------------------------------

StringId CDocWithLineNum::AssignNewNumbers(LineTable& lines, unsigned newStart, unsigned oldStart,
                                           unsigned step) {
    std::size_t k = 0;
    for (; k < lines.size() && lines[k].m_nLineNum != oldStart; ++k)
        lines[k].m_nNewLineNum = lines[k].m_nLineNum;
    if (k == lines.size())
        return IDS_RENUM_OLD_MISSING;
    // The renumbered lines must stay behind the line before them.
    if (newStart < oldStart && k != 0 && lines[k - 1].m_nLineNum >= newStart)
        return IDS_RENUM_ORDER;
    std::uint64_t value = newStart;
    for (; k < lines.size(); ++k, value += step) {
        if (value > kMaxLineNum)
            return IDS_RENUM_OVERFLOW;
        lines[k].m_nNewLineNum = static_cast<std::uint32_t>(value);
        if (lines[k].m_nNewLineNum != lines[k].m_nLineNum)
            m_bLineNumChanged = true;
    }
    return IDS_NONE;
}

bool CDocWithLineNum::Renumber(unsigned newStart, unsigned oldStart, unsigned step) {
    return RenumberLines(newStart, oldStart, step, References::Keep);
}

bool CDocWithLineNum::RenumberLines(unsigned newStart, unsigned oldStart, unsigned step,
                                    References references) {
    const bool rewriteRefs = references == References::Rewrite;
    const std::string old = GetEditText();
    LineTable lines;
    TextResult result = MakeLineTable(old, lines);
    if (!result.Ok()) {
        ReportLineError(result);
        return false;
    }
    // Building the table has noted lines that were out of order, which come
    // back in order whatever happens next; numbers that a failed renumbering
    // assigned change nothing.
    const bool changedSoFar = m_bLineNumChanged;
    result = TextResult{AssignNewNumbers(lines, newStart, oldStart, step)};
    if (result.Ok() && rewriteRefs)
        result = RewriteRefs(lines);

    // On an error no number changes, but the lines still come back in order.
    std::string renumbered;
    renumbered.reserve(old.size() + old.size() / 8 + 2 * lines.size());
    for (const CLineWithNum& line : lines) {
        if (!result.Ok()) {
            renumbered += line.m_strLine;
        } else {
            AppendNumber(renumbered, line.m_nNewLineNum);
            renumbered +=
                (rewriteRefs && !line.m_strNewBody.empty()) ? line.m_strNewBody : line.m_strBody;
        }
    }
    FreeLineTable(lines);
    if (!result.Ok())
        m_bLineNumChanged = changedSoFar;

    // The same text (an error, or numbers that were already so): nothing to
    // replace, and the editor's modified flag and undo stay as they were.
    if (renumbered != old && !SetEditText(renumbered)) {
        SetEditText(old);
        ShowMessage(IDS_NO_MEMORY);
        if (!rewriteRefs)
            m_bLineNumChanged = false;
        return false;
    }
    if (!result.Ok()) {
        ShowMessage(result);
        if (result.HasLine())
            MoveCaret(result.offset);
        return false;
    }
    return true;
}

// --- Numbering --------------------------------------------------------------

bool CDocWithLineNum::StartsWithLineNum(std::string_view text) {
    return !text.empty() && IsDigit(text.front());
}

void CDocWithLineNum::InsertLineNum(std::string& line, std::uint64_t number) {
    std::string numbered;
    numbered.reserve(line.size() + 7);
    AppendNumberFor(numbered, number, line);
    numbered += line;
    line = std::move(numbered);
}

void CDocWithLineNum::DeleteLineNum(std::string& line) {
    line.erase(0, line.size() - WithoutNumber(line).size());
}

void CDocWithLineNum::ApplyLineNumbers(std::string& text, Numbering numbering) const {
    const bool number = numbering == Numbering::Number;
    // Kept in 64 bits so a huge start or step from the settings file gives
    // numbers that are plainly out of range, never numbers that wrap round.
    std::uint64_t next = m_settings.m_nStartLine;
    const std::uint64_t step = m_settings.m_nLineStep;
    std::string out;
    out.reserve(number ? text.size() + text.size() / 4 + 8 : text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t span = NextLine(text, pos).span;
        const std::string_view line = std::string_view(text).substr(pos, span);
        if (number) {
            AppendNumberFor(out, next, line);
            out += line;
            next += step;
        } else {
            out += WithoutNumber(line);
        }
        pos += span;
    }
    text = std::move(out);
}

std::size_t CaretAfterReorder(std::string_view before, std::size_t offset, std::string_view after) {
    // The caret's line and its column, then its place in number order.
    std::uint32_t number = 0;
    std::size_t column = 0;
    std::size_t digits = 0;
    for (std::size_t pos = 0; pos < before.size();) {
        const LineSpan span = NextLine(before, pos);
        if (offset < pos + span.span || pos + span.span == before.size()) {
            const DigitRun run = ParseDigitRun(before.substr(pos, span.length));
            number = run.value;
            digits = run.length;
            column = std::min(offset - std::min(offset, pos), span.length);
            break;
        }
        pos += span.span;
    }
    std::size_t rank = 0;
    for (std::size_t pos = 0; pos < before.size();) {
        const LineSpan span = NextLine(before, pos);
        if (ParseDigitRun(before.substr(pos, span.length)).value < number)
            ++rank;
        pos += span.span;
    }
    // The line of that rank in the new text.
    std::size_t pos = 0;
    for (; pos < after.size() && rank > 0; --rank)
        pos += NextLine(after, pos).span;
    const LineSpan span = NextLine(after, pos);
    const std::size_t newDigits = ParseDigitRun(after.substr(pos, span.length)).length;
    const std::size_t newColumn =
        column <= digits ? std::min(column, newDigits) : newDigits + (column - digits);
    return pos + std::min(newColumn, span.length);
}

// --- Loading, storing, receiving, sending -------------------------------------

void CDocWithLineNum::AdoptFileState(const CKivaDoc& loaded) {
    CKivaDoc::AdoptFileState(loaded);
    if (const auto* numbered = dynamic_cast<const CDocWithLineNum*>(&loaded)) {
        m_bLineNumOutput = numbered->m_bLineNumOutput;
        m_fileLineEnd = numbered->m_fileLineEnd;
        m_bLineNumChanged = false;
    }
}

bool CDocWithLineNum::SerializeLoad(const DocumentFile& file) {
    if (file.shortRead)
        return false;
    std::string text = file.bytes;
    m_fileLineEnd = UniformLineEnd(text);
    FromDeviceLineEnds(text, m_fileLineEnd);
    // Only the first byte decides whether the file holds numbers.
    if (StartsWithLineNum(text)) {
        SetLineNumOutput(true);
    } else {
        SetLineNumOutput(false);
        ApplyLineNumbers(text, Numbering::Number);
    }
    if (!CheckTextSize(text)) {
        ShowMessage(IDS_FILE_TOO_LARGE);
        return false;
    }
    if (!SetEditText(text)) {
        ShowMessage(IDS_NO_MEMORY);
        return false;
    }
    return true;
}

std::string CDocWithLineNum::SerializeStore() {
    std::string text = GetEditText();
    m_bLineNumChanged = false;
    if (!GetLineNumOutput())
        ApplyLineNumbers(text, Numbering::Remove);
    tessel::ToDeviceLineEnds(text, m_fileLineEnd);
    return text;
}

bool CDocWithLineNum::SetReceivedText(std::string text, ReceiveNumbering numbering) {
    RemoveEndCode(text);
    if (numbering == ReceiveNumbering::NumberIfMissing) {
        if (StartsWithLineNum(text)) {
            SetLineNumOutput(true);
        } else {
            SetLineNumOutput(false);
            ApplyLineNumbers(text, Numbering::Number);
        }
    }
    return CKivaDoc::SetReceivedText(std::move(text), numbering);
}

bool CDocWithLineNum::GetSendText(std::string& out, SendNumbers numbers) {
    out.clear();
    std::string text = GetEditText();
    if (!PrepareLines(text, LineLengthCheck::Refuse))
        return false;

    // Preparing to send never marks the document changed.
    const bool changed = m_bLineNumChanged;
    LineTable lines;
    const TextResult result = MakeLineTable(text, lines);
    m_bLineNumChanged = changed;
    if (!result.Ok()) {
        // The caret stays where it is: the text sent is not the editor's.
        ShowMessage(result);
        return false;
    }
    if (RefuseEndCodeInside(GetEditText()))
        return false;
    std::string joined;
    joined.reserve(text.size() + 2 * lines.size() + 1);
    for (const CLineWithNum& line : lines)
        joined += numbers == SendNumbers::With ? line.m_strLine : WithoutNumber(line.m_strLine);
    FreeLineTable(lines);
    if (!ToDeviceLineEnds(joined))
        return false;
    AppendEndCode(joined);
    out = std::move(joined);
    return true;
}

} // namespace tessel
