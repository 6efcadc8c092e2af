#include "engine/LineTable.h"

#include "doc/LinePlace.h"
#include "doc/TextOps.h"
#include "res/StringTable.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <utility>

namespace tessel {
namespace {

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

// Calls `visit(start, content)` for every line of `text`, in order, until it
// returns false; returns what the last call returned (true for no line).
template <class Visit>
bool ForEachLine(std::string_view text, Visit visit) {
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    for (const char* p = begin; p != end;) {
        const char* const e = FindLineEnd(p, end);
        if (!visit(static_cast<std::size_t>(p - begin),
                   std::string_view(p, static_cast<std::size_t>(e - p))))
            return false;
        if (e == end)
            break;
        p = e + (*e == '\r' && e + 1 != end && e[1] == '\n' ? 2 : 1);
    }
    return true;
}

// The result for line `index` of `text`, which starts at `start`, whose
// number `code` refuses (no number, or one out of range).
LineTableResult NumberError(StringId code, std::string_view text, std::size_t index,
                            std::size_t start) {
    const std::string_view content = text.substr(start, NextLine(text, start).length);
    LineTableResult result;
    result.problem = Problem::AtLine(code, index, start);
    result.place = code == IDS_LINE_NO_NUMBER
                       ? NoNumberPlace(index, content)
                       : OutOfRangePlace(content.substr(0, ParseDigitRun(content).length), index);
    return result;
}

// The CRs in `text`, eight bytes at a time.
std::size_t CountCr(std::string_view text) {
    std::size_t n = 0;
    const char* p = text.data();
    const char* const end = p + text.size();
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Fu;
    while (end - p >= 8) {
        // One in each byte of `lanes` for each CR in that byte's place, a
        // block at most 255 words long so that no byte overflows.
        std::uint64_t lanes = 0;
        for (int words = 0; words < 255 && end - p >= 8; ++words, p += 8) {
            std::uint64_t word;
            std::memcpy(&word, p, sizeof word);
            // A byte of `x` is zero where the word holds a CR; its high bit
            // in `zero` is set for exactly those bytes.
            const std::uint64_t x = word ^ (kOnes * '\r');
            const std::uint64_t zero = ~(((x & kLow7) + kLow7) | x) & ~kLow7;
            lanes += zero >> 7;
        }
        // The eight counts summed: pairs first, so no sum overflows.
        constexpr std::uint64_t kEvenBytes = 0x00FF00FF00FF00FFu;
        const std::uint64_t pairs = (lanes & kEvenBytes) + ((lanes >> 8) & kEvenBytes);
        n += static_cast<std::size_t>((pairs * 0x0001000100010001u) >> 48);
    }
    for (; p != end; ++p)
        n += *p == '\r' ? 1 : 0;
    return n;
}

// Builds the table in one pass over a text whose lines all end in CR LF (the
// usual editor text): the records view their lines in one copy of the whole
// text that the table keeps or, with TextStorage::View, in `text` itself
// (all but a last line without a line end, which the table keeps with CR
// LF). False, with the table emptied, when a line ends otherwise: the
// caller then builds it line by line.
bool BuildCrLfTable(std::string_view text, LineTable& lines, TextStorage storage, Problem& problem,
                    bool& ordered) {
    // A lone CR at the end is a line end of its own.
    if (text.back() == '\r')
        return false;
    // The last line when it has no line end (npos + 1 is 0).
    const std::size_t tail = text.size() - (text.rfind('\n') + 1);
    std::string_view whole = text.substr(0, text.size() - tail);
    if (storage == TextStorage::Copy)
        whole = lines.KeepText(text, tail != 0);
    std::vector<NumberedLine>& records = lines.Records();
    records.reserve(text.size() / 16 + 16);
    const char* const begin = whole.data();
    const char* const end = begin + whole.size();
    std::uint32_t previous = 0;
    std::uint32_t index = 0;
    // The lines end at LFs, each after a CR; at the end, no CR may be left
    // over (a lone CR inside a line ends a line too).
    for (const char* p = begin;; ++index) {
        DigitRun run;
        std::string_view line;
        if (p != end) {
            // Found: `whole` ends in LF.
            const auto* const lf =
                static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
            if (lf == p || lf[-1] != '\r') {
                lines.clear();
                return false;
            }
            line = std::string_view(p, static_cast<std::size_t>(lf + 1 - p));
            run = ParseDigitRun(line);
        } else if (tail != 0 && storage == TextStorage::View) {
            run = ParseDigitRun(text.substr(text.size() - tail));
        } else {
            break;
        }
        if (const StringId code = LineNumberCode(run)) {
            const auto start = static_cast<std::size_t>(p - begin);
            if (CountCr(text.substr(0, start)) != index) {
                lines.clear();
                return false;
            }
            // Every line before it ended in CR LF: it starts where it
            // starts in `text`.
            problem = Problem::AtLine(code, index, start);
            return true;
        }
        ordered = ordered && run.value > previous;
        previous = run.value;
        if (p == end) {
            // The last line, which has no line end: kept with CR LF.
            lines.Reserve(tail + 2, 0);
            lines.Append(text.substr(text.size() - tail), index);
            ++index;
            break;
        }
        records.push_back({line, line.substr(run.length), run.value, 0, index});
        p += line.size();
    }
    // Every line has its CR but a last one without a line end.
    if (CountCr(text) != index - (tail != 0 ? 1 : 0)) {
        lines.clear();
        return false;
    }
    return true;
}

// Builds the table line by line, whatever the lines end with.
Problem BuildAnyTable(std::string_view text, LineTable& lines, bool& ordered) {
    // Every line end is at least one byte, and each line grows by at most 2.
    const auto maxLines =
        static_cast<std::size_t>(std::ranges::count(text, '\n') + std::ranges::count(text, '\r')) +
        1;
    lines.Reserve(text.size() + 2 * maxLines, maxLines);
    std::uint32_t previous = 0;
    std::size_t pos = 0;
    for (std::uint32_t index = 0; pos < text.size(); ++index) {
        const LineSpan span = NextLine(text, pos);
        if (const StringId code = lines.Append(text.substr(pos, span.length), index))
            return Problem::AtLine(code, index, pos);
        const std::uint32_t number = lines.Records().back().number;
        ordered = ordered && number > previous;
        previous = number;
        pos += span.span;
    }
    return {};
}

} // namespace

std::string_view LineTable::KeepText(std::string_view text, bool closeLastLine) {
    m_text.reserve(text.size() + 2);
    m_text.assign(text.begin(), text.end());
    if (closeLastLine) {
        m_text.push_back('\r');
        m_text.push_back('\n');
    }
    return {m_text.data(), m_text.size()};
}

void LineTable::Reserve(std::size_t bytes, std::size_t lines) {
    m_text.reserve(m_text.size() + bytes);
    m_records.reserve(m_records.size() + lines);
}

StringId LineTable::Append(std::string_view content, std::uint32_t textLine) {
    const std::size_t start = m_text.size();
    const std::size_t needed = start + content.size() + 2;
    if (needed > m_text.capacity()) {
        // More than was reserved: move the text to a bigger buffer and point
        // the records there (not those that view another text).
        std::vector<char> bigger;
        bigger.reserve(std::max(needed, 2 * m_text.capacity()));
        bigger.assign(m_text.begin(), m_text.end());
        const auto kept = [&](const char* p) {
            return std::less_equal<>()(m_text.data(), p) &&
                   std::less<>()(p, m_text.data() + m_text.size());
        };
        for (NumberedLine& record : m_records) {
            if (!kept(record.text.data()))
                continue;
            const auto offset = static_cast<std::size_t>(record.text.data() - m_text.data());
            const std::size_t digits = record.text.size() - record.body.size();
            record.text = std::string_view(bigger.data() + offset, record.text.size());
            record.body = record.text.substr(digits);
        }
        m_text.swap(bigger);
    }
    m_text.insert(m_text.end(), content.begin(), content.end());
    m_text.push_back('\r');
    m_text.push_back('\n');
    NumberedLine& record = m_records.emplace_back();
    record.textLine = textLine;
    return record.SetLine(std::string_view(m_text.data() + start, needed - start));
}

StringId LineNumberCode(const DigitRun& run) {
    if (run.length == 0)
        return IDS_LINE_NO_NUMBER;
    if (run.value == 0 || run.value > kMaxLineNum)
        return IDS_LINE_OUT_OF_RANGE;
    return IDS_NONE;
}

std::size_t LineStart(std::string_view text, std::size_t index) {
    std::size_t pos = 0;
    for (; index > 0; --index)
        pos += NextLine(text, pos).span;
    return pos;
}

std::string ReadLine(std::string_view text, std::size_t start, std::size_t& used) {
    const LineSpan line = NextLine(text, start);
    used = line.span;
    return std::string(line.span ? text.substr(start, line.length) : std::string_view());
}

LineTableResult BuildLineTable(std::string_view text, LineTable& lines, TextStorage storage) {
    lines.clear();
    if (text.empty())
        return {};
    bool ordered = true;
    Problem problem;
    if (!BuildCrLfTable(text, lines, storage, problem, ordered)) {
        ordered = true;
        problem = BuildAnyTable(text, lines, ordered);
    }
    if (!problem.Ok())
        return NumberError(problem.message, text, problem.line, problem.offset);
    if (ordered)
        return {};

    if (const auto duplicate = SortLineTable(lines)) {
        // The table is still in text order: the caret goes to the first
        // line with that number.
        const auto& records = lines.Records();
        const auto first = std::ranges::find(records, *duplicate, &NumberedLine::number);
        const auto second =
            std::ranges::find(first + 1, records.end(), *duplicate, &NumberedLine::number);
        const auto index = static_cast<std::size_t>(first - records.begin());
        LineTableResult duplicated;
        duplicated.problem = Problem::AtLine(IDS_LINE_DUPLICATE, index, LineStart(text, index));
        duplicated.place =
            DuplicatePlace(*duplicate, index, static_cast<std::size_t>(second - records.begin()));
        return duplicated;
    }
    LineTableResult result;
    result.reordered = true;
    return result;
}

std::uint32_t DeviceLineNumber(std::string_view line) {
    const DigitRun run = ParseDigitRun(line);
    return LineNumberCode(run) == IDS_NONE ? run.value : 0;
}

LineTableResult CheckLineNumbers(std::string_view text) {
    LineTableResult result;
    std::size_t index = 0;
    ForEachLine(text, [&](std::size_t start, std::string_view line) {
        if (const StringId code = LineNumberCode(ParseDigitRun(line))) {
            result = NumberError(code, text, index, start);
            return false;
        }
        ++index;
        return true;
    });
    return result;
}

std::optional<std::uint32_t> SortLineTable(LineTable& lines) {
    if (lines.size() < 2)
        return std::nullopt;
    std::vector<std::uint32_t> numbers;
    numbers.reserve(lines.size());
    for (const NumberedLine& line : lines)
        numbers.push_back(line.number);
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
    std::ranges::sort(lines.Records(), {}, &NumberedLine::number);
    return std::nullopt;
}

int FindLine(const LineTable& lines, std::uint32_t number) {
    const auto& records = lines.Records();
    const auto it = std::ranges::lower_bound(records, number, {}, &NumberedLine::number);
    if (it == records.end() || it->number != number)
        return -1;
    return static_cast<int>(it - records.begin());
}

} // namespace tessel
