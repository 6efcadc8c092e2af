#include "model/ProgramModel.h"

#include "encoding/Cp932.h"
#include "engine/LineTable.h"
#include "engine/NumberedLine.h"

#include <algorithm>

namespace tessel {
namespace {

// Where `content` goes past `limit` bytes once its tabs are blanks.
std::size_t PastLimit(std::string_view content, unsigned width, std::size_t limit) {
    if (width == 0)
        width = 1;
    std::size_t column = 0;
    for (std::size_t i = 0; i < content.size(); ++i) {
        column += content[i] == '\t' ? width - column % width : 1;
        if (column > limit)
            return i;
    }
    return content.size();
}

std::string Hex(unsigned char byte) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[byte >> 4], kDigits[byte & 15]};
}

// The bytes of `text` as they go out: a CR LF as the device's line end, the
// end code after the last byte.
std::string SentBytes(std::string_view text, std::uint8_t code, int endOfLine) {
    std::string sent(text);
    ToDeviceLineEnds(sent, endOfLine);
    AppendEndCode(sent, code);
    return sent;
}

// Where in `text` byte `sent` of its bytes as they go out comes from: a
// line end sent as one byte stands for its CR LF.
std::size_t SentOrigin(std::string_view text, std::size_t sent, int endOfLine) {
    std::size_t at = 0;
    for (std::size_t i = 0; i < text.size(); ++i, ++at) {
        if (at == sent)
            return i;
        if (endOfLine != kEolCrLf && text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
    }
    return text.size();
}

// Where the end code stops the device reading `text` before its end: the
// offset of the code in the text, or of the line end that holds it.
std::optional<std::size_t> EndCodeStop(std::string_view text, std::uint8_t code, int endOfLine) {
    const auto stop = FindEndCodeStop(SentBytes(text, code, endOfLine), code);
    return stop ? std::optional(SentOrigin(text, *stop, endOfLine)) : std::nullopt;
}

} // namespace

// --- Problems ---------------------------------------------------------------

ProgramProblem ProgramModel::At(StringId message, Severity severity, std::size_t line,
                                std::size_t begin, std::size_t end) const {
    ProgramProblem problem;
    problem.message = message;
    problem.severity = severity;
    problem.line = line;
    problem.offset = m_lines[line].start;
    problem.column = begin - m_lines[line].start;
    problem.begin = begin;
    problem.end = end;
    return problem;
}

ProgramProblem ProgramModel::NumberProblem(std::size_t index) const {
    const ProgramLine& line = m_lines[index];
    if (line.digits != 0)
        return At(IDS_LINE_OUT_OF_RANGE, Severity::Error, index, line.start,
                  line.start + line.digits);
    ProgramProblem problem = At(IDS_LINE_NO_NUMBER, Severity::Error, index, line.start, line.End());
    if (line.flags & kLineBlank) {
        problem.fix = ProblemFix{IDS_FIX_REMOVE_BLANK_LINE, {line.start, line.Span(), {}}};
    } else if (line.flags & kLineEndMark) {
        problem.fix = ProblemFix{IDS_FIX_REMOVE_END_MARK, {line.start, line.Span(), {}}};
    } else if (line.flags & kLineIndented) {
        const std::string_view text = LineText(index);
        const auto indent =
            static_cast<std::size_t>(std::ranges::find_if_not(text, IsBlank) - text.begin());
        problem.end = line.start + indent;
        problem.fix = ProblemFix{IDS_FIX_REMOVE_INDENT, {line.start, indent, {}}};
    }
    return problem;
}

ProgramProblem ProgramModel::TooLongProblem(std::size_t index) const {
    const ProgramLine& line = m_lines[index];
    const std::size_t past = PastLimit(LineText(index), m_options.tabWidth, kMaxLineLength);
    return At(IDS_LINE_TOO_LONG, Severity::Error, index, line.start + past, line.End());
}

ProgramProblem ProgramModel::EndCodeProblem(std::size_t offset) const {
    const std::size_t index = LineAt(offset);
    ProgramProblem problem = At(IDS_END_CODE_INSIDE, Severity::Error, index, offset, offset + 1);
    if (offset < m_lines[index].End()) // a byte of the line, not its line end
        problem.fix = ProblemFix{IDS_FIX_REMOVE_END_CODE, {offset, 1, {}}};
    return problem;
}

std::size_t ProgramModel::EndCodePlace() const {
    std::size_t end = m_text.size();
    while (end > 0 && (m_text[end - 1] == '\r' || m_text[end - 1] == '\n'))
        --end;
    return end == 0 ? std::string::npos : end - 1;
}

std::optional<std::size_t> ProgramModel::EndCodeInLineEnds() const {
    const std::uint8_t code = m_options.endCode;
    if (code != '\r' && code != '\n')
        return std::nullopt;
    return EndCodeStopInSend();
}

std::optional<std::size_t> ProgramModel::EndCodeStopInSend() const {
    const std::uint8_t code = m_options.endCode;
    const int endOfLine = m_options.endOfLine;
    if (!IsLineNumbered(m_options.kind))
        return EndCodeStop(m_text, code, endOfLine);
    const std::string_view lineEnd = endOfLine == kEolCr   ? "\r"
                                     : endOfLine == kEolLf ? "\n"
                                                           : "\r\n";
    const char byte = static_cast<char>(code);
    if (lineEnd.find(byte) == std::string_view::npos && m_text.find(byte) == std::string_view::npos)
        return std::nullopt;
    // A send puts the lines on the line in number order.
    std::string sent;
    std::vector<std::size_t> origin; // of each byte sent, in the text
    sent.reserve(m_text.size() + 1);
    origin.reserve(m_text.size() + 1);
    for (const std::uint64_t entry : ByNumber()) {
        const ProgramLine& line = m_lines[static_cast<std::size_t>(entry & 0xFFFFFFFFu)];
        for (std::uint32_t k = line.start; k < line.End(); ++k) {
            sent.push_back(m_text[k]);
            origin.push_back(k);
        }
        for (const char end : lineEnd) {
            sent.push_back(end);
            origin.push_back(line.End());
        }
    }
    AppendEndCode(sent, code);
    origin.resize(sent.size(), m_text.size());
    const auto stop = FindEndCodeStop(sent, code);
    return stop ? std::optional(origin[*stop]) : std::nullopt;
}

void ProgramModel::LineProblems(std::size_t index, std::uint32_t& previous,
                                std::span<const LineReference> refs,
                                std::vector<ProgramProblem>& out) const {
    const ProgramLine& line = m_lines[index];
    if (IsLineNumbered(m_options.kind)) {
        if (!line.HasNumber()) {
            out.push_back(NumberProblem(index));
        } else {
            if (!m_shared.empty() && LinesWithNumber(line.number) > 1)
                out.push_back(At(IDS_LINE_DUPLICATE, Severity::Error, index, line.start,
                                 line.start + line.digits));
            if (line.number < previous)
                out.push_back(At(IDS_LINE_OUT_OF_ORDER, Severity::Hint, index, line.start,
                                 line.start + line.digits));
            previous = line.number;
        }
        if (line.flags & kLineTooLong)
            out.push_back(TooLongProblem(index));
    }
    if (line.flags & (kLineNul | kLineEndCode | kLineNotCp932)) {
        const std::string_view text = LineText(index);
        const std::uint8_t code = m_options.endCode;
        const std::size_t allowed = EndCodePlace();
        for (std::size_t i = 0; i < text.size();) {
            const auto b = static_cast<unsigned char>(text[i]);
            const std::size_t at = line.start + i;
            if (b == 0) {
                ProgramProblem problem = At(IDS_NUL_INSIDE, Severity::Error, index, at, at + 1);
                problem.fix = ProblemFix{IDS_FIX_REMOVE_NUL, {at, 1, {}}};
                out.push_back(std::move(problem));
            }
            if ((line.flags & kLineEndCode) && (b == code || (code == ' ' && b == '\t')) &&
                at != allowed)
                out.push_back(EndCodeProblem(at));
            std::size_t bytes = 1;
            if (b >= 0x80) {
                bytes = cp932::CharacterBytes(text, i);
                if (bytes == 0) {
                    ProgramProblem problem =
                        At(IDS_NOT_CP932, Severity::Warning, index, at, at + 1);
                    problem.arguments.push_back(Hex(b));
                    out.push_back(std::move(problem));
                    bytes = 1;
                }
            }
            i += bytes;
        }
    }
    for (const LineReference& ref : refs) {
        if (Present(ref.target))
            continue;
        const std::size_t at = line.start + ref.column;
        ProgramProblem problem =
            At(IDS_LINE_REF_NO_LINE, Severity::Warning, index, at, at + ref.length);
        problem.arguments.emplace_back(m_text.substr(at, ref.length));
        out.push_back(std::move(problem));
    }
}

std::vector<ProgramProblem> ProgramModel::Problems() const {
    std::vector<ProgramProblem> problems;
    const bool numbered = IsLineNumbered(m_options.kind);
    const bool shared = !m_shared.empty();
    // The next reference to a line that does not exist.
    const std::size_t refCount = m_refs.size();
    const auto nextMissing = [&](std::size_t from) {
        while (from < refCount && Present(m_refs[from].target))
            ++from;
        return from;
    };
    std::size_t missing = nextMissing(0);
    // The line of the next reference to no line (past the last line: none).
    std::size_t missingLine = missing < refCount ? m_refs[missing].line : m_lines.size();
    std::uint32_t previous = 0;
    const std::size_t lineCount = m_lines.size();
    for (std::size_t i = 0; i < lineCount; ++i) {
        const ProgramLine& line = m_lines[i];
        // Most lines have nothing to say: in a numbered text, a number
        // above the one before and no flag; in a DATA file, no flag.
        if (i != missingLine && line.flags == 0) {
            if (!numbered)
                continue;
            if (line.HasNumber() && line.number >= previous &&
                (!shared || LinesWithNumber(line.number) == 1)) {
                previous = line.number;
                continue;
            }
        }
        const std::span<const LineReference> refs = ReferencesFrom(i);
        LineProblems(i, previous, refs, problems);
        if (i == missingLine) {
            missing =
                nextMissing(static_cast<std::size_t>(refs.data() + refs.size() - m_refs.data()));
            missingLine = missing < refCount ? m_refs[missing].line : m_lines.size();
        }
    }
    if (const auto at = EndCodeInLineEnds())
        problems.push_back(EndCodeProblem(*at));
    std::ranges::stable_sort(problems, {}, &ProgramProblem::begin);
    return problems;
}

std::optional<ProgramProblem> ProgramModel::LineTableRefusal() const {
    for (std::size_t i = 0; i < m_lines.size(); ++i)
        if (!m_lines[i].HasNumber())
            return NumberProblem(i);
    if (m_shared.empty())
        return std::nullopt;
    // The duplicate the sort meets first, at its first line.
    LineTable table;
    table.Records().resize(m_lines.size());
    for (std::size_t i = 0; i < m_lines.size(); ++i)
        table[i].number = m_lines[i].number;
    const std::optional<std::uint32_t> duplicate = SortLineTable(table);
    const std::size_t index = *LineWithNumber(duplicate.value_or(m_shared.front().first));
    const ProgramLine& line = m_lines[index];
    return At(IDS_LINE_DUPLICATE, Severity::Error, index, line.start, line.start + line.digits);
}

std::optional<ProgramProblem> ProgramModel::Refusal(Operation operation) const {
    if (m_text.empty())
        return std::nullopt;
    if (!IsLineNumbered(m_options.kind)) {
        // Only a send looks at a DATA file: for the end code.
        if (operation != Operation::Send)
            return std::nullopt;
        const auto stop = EndCodeStopInSend();
        return stop ? std::optional(EndCodeProblem(*stop)) : std::nullopt;
    }
    if (operation == Operation::Send) {
        // A send checks the lengths first, then the numbers, then the end code.
        for (std::size_t i = 0; i < m_lines.size(); ++i)
            if (m_lines[i].flags & kLineTooLong)
                return TooLongProblem(i);
        if (auto refusal = LineTableRefusal())
            return refusal;
        const auto stop = EndCodeStopInSend();
        return stop ? std::optional(EndCodeProblem(*stop)) : std::nullopt;
    }
    if (auto refusal = LineTableRefusal())
        return refusal;
    if (operation == Operation::Sort || m_options.kind != DocKind::Basic)
        return std::nullopt;
    // Renumbering reads the lines in number order and stops at the first
    // that refers to a line that does not exist.
    for (const std::uint64_t entry : ByNumber()) {
        const auto index = static_cast<std::size_t>(entry & 0xFFFFFFFFu);
        for (const LineReference& ref : ReferencesFrom(index)) {
            if (Present(ref.target))
                continue;
            const std::size_t at = m_lines[index].start + ref.column;
            return At(IDS_LINE_REF_MISSING, Severity::Error, index, at, at + ref.length);
        }
    }
    return std::nullopt;
}

} // namespace tessel
