#pragma once

// One model of a program's text: its lines with their numbers, the tokens of
// any line, who refers to which line, the labels and variables, and every
// problem of the text at once. It is built from the whole text once and then
// kept up to date edit by edit: an edit costs the lines it touches (lexed
// again) and the references that change, plus moving the records after
// them, never a new pass over the text.
//
// The model reads the text as the engine does: lines end at CR LF, a lone CR
// or a lone LF; a line's number is the run of digits it begins with (1 to
// 65279); a BASIC line refers to other lines exactly where renumbering
// rewrites numbers (engine/BasicLexer.h); a line goes to the device with its
// tabs as blanks and may then hold 254 bytes. Refusal() says what a send, a
// sort or a renumbering of the same text would stop at, message and line as
// they give them.
//
// What the command-line check needs (lines, numbers, references, problems)
// is built at once, in flat arrays; tokens are lexed when a line's are asked
// for, and the labels and variables when they are first asked for (then kept
// up to date too).

#include "doc/DocKind.h"
#include "doc/TextOps.h"
#include "engine/Keywords.h"
#include "model/ProgramProblem.h"
#include "model/SourceLexer.h"
#include "model/Token.h"
#include "settings/LineNumberRange.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessel {

struct AppSettings;

// What the checks depend on besides the text.
struct ModelOptions {
    DocKind kind = DocKind::Basic;
    unsigned tabWidth = 4;       // a tab goes out as blanks to the next multiple
    std::uint8_t endCode = 0x1A; // the end-of-text code
    int endOfLine = kEolCrLf;    // the device's line end

    // The options of a document of `kind` under `settings`.
    static ModelOptions For(DocKind kind, const AppSettings& settings);
};

// The commands that refuse a text, for ProgramModel::Refusal().
enum class Operation { Send, Sort, Renumber };

struct ProgramLine {
    std::uint32_t start = 0;      // bytes from the start of the text
    std::uint32_t length = 0;     // without the line end
    std::uint32_t digits = 0;     // the digits it begins with; 0 for none
    std::uint32_t number = 0;     // their value (the largest value when too long)
    std::uint32_t sentLength = 0; // the length with tabs as blanks
    std::uint8_t endLength = 0;   // 2 for CR LF, 1 for a lone CR or LF, 0 at the text's end
    std::uint8_t flags = 0;       // ProgramModel's kLine... bits

    // A number the device takes (1 to 65279).
    bool HasNumber() const { return digits != 0 && number - 1 < kMaxLineNum; }
    std::uint32_t End() const { return start + length; }
    std::uint32_t Span() const { return length + endLength; }

    bool operator==(const ProgramLine&) const = default;
};

// A line number after GOTO, GOSUB, THEN, ELSE or RESTORE (BASIC).
struct LineReference {
    std::uint32_t line = 0;   // the line that refers
    std::uint32_t column = 0; // where its digits start in that line
    std::uint32_t length = 0;
    std::uint32_t target = 0; // the number they name
    KeywordFlag keyword = kKwGoto;

    bool operator==(const LineReference&) const = default;
};

enum class UseKind : std::uint8_t { LabelDefinition, LabelUse, VariableRead, VariableSet };

// Where a label or a variable stands: its name's bytes (a label's without
// the asterisk).
struct SymbolUse {
    UseKind kind = UseKind::VariableRead;
    std::uint32_t line = 0;
    std::uint32_t column = 0;
    std::uint32_t length = 0;

    bool IsLabel() const { return kind == UseKind::LabelDefinition || kind == UseKind::LabelUse; }
    bool operator==(const SymbolUse&) const = default;
};

// A label or a variable with every place it stands, in text order. Names are
// compared without case and kept as first written.
struct Symbol {
    std::string name;
    bool label = false;
    std::vector<SymbolUse> uses;

    bool operator==(const Symbol&) const = default;
};

class ProgramModel {
public:
    // Flags of a line.
    static constexpr std::uint8_t kLineBlank = 1;         // empty, or blanks and tabs only
    static constexpr std::uint8_t kLineIndented = 2;      // blanks and tabs, then its digits
    static constexpr std::uint8_t kLineEndMark = 4;       // nothing but ^Z (0x1A)
    static constexpr std::uint8_t kLineNul = 8;           // holds a NUL byte
    static constexpr std::uint8_t kLineEndCode = 16;      // holds the end-of-text code
    static constexpr std::uint8_t kLineNotCp932 = 32;     // holds a byte that starts no character
    static constexpr std::uint8_t kLineTooLong = 64;      // longer than the device takes
    static constexpr std::uint8_t kLineBeyondAscii = 128; // holds a byte from 0x80 up

    explicit ProgramModel(ModelOptions options = {});

    // The model of `text`, from scratch.
    void Build(std::string_view text);
    // The model after `removed` bytes from `offset` have been replaced by
    // `inserted`, as an editor reports an edit.
    void Edit(std::size_t offset, std::size_t removed, std::string_view inserted);

    const ModelOptions& Options() const { return m_options; }
    std::string_view Text() const { return m_text; }

    // --- Lines and places ---
    std::size_t LineCount() const { return m_lines.size(); }
    const ProgramLine& Line(std::size_t index) const { return m_lines[index]; }
    std::string_view LineText(std::size_t index) const;
    // The line that byte `offset` belongs to (a line end to the line it
    // ends; at or past the end, the last line). 0 for an empty text.
    std::size_t LineAt(std::size_t offset) const;
    TextPlace PlaceOf(std::size_t offset) const;
    // The offset of a column of a line, no further than its end.
    std::size_t OffsetOf(std::size_t line, std::size_t column) const;

    // --- Tokens ---
    // The tokens of one line, into `out` (emptied first); positions are
    // bytes into the line.
    void Tokens(std::size_t line, std::vector<Token>& out) const;

    // --- The index ---
    // The first line, in text order, that carries `number`.
    std::optional<std::size_t> LineWithNumber(std::uint32_t number) const;
    // How many lines carry `number` (1 to 65279).
    std::size_t LinesWithNumber(std::uint32_t number) const;
    // Every line reference, in text order, and those of one line.
    std::span<const LineReference> References() const { return m_refs; }
    std::span<const LineReference> ReferencesFrom(std::size_t line) const;
    // The line a reference names, none for a line that does not exist.
    std::optional<std::size_t> Target(const LineReference& reference) const {
        return LineWithNumber(reference.target);
    }
    // The references (indices into References()) that name `line`.
    std::vector<std::size_t> ReferencesTo(std::size_t line) const;
    // Every label and variable, labels first, each by name.
    std::vector<Symbol> Symbols() const;
    // The places of one label (`label`) or variable, named without case.
    std::vector<SymbolUse> Uses(std::string_view name, bool label) const;
    // The line where the label `name` (without its asterisk) is defined.
    std::optional<std::size_t> LabelLine(std::string_view name) const;

    // Whether a line holds a byte from 0x80 up: whether the text can be
    // anything but ASCII (a file kept in UTF-8, say).
    bool BeyondAscii() const;

    // --- Problems ---
    // Every problem of the text, in text order.
    std::vector<ProgramProblem> Problems() const;
    // What `operation` on this text would refuse it for, as it says it:
    // none when it would go through (for a renumbering: with start and step
    // that fit). It is one of Problems(), but for a renumbering's missing
    // line (201), which Problems() gives per reference as a warning.
    std::optional<ProgramProblem> Refusal(Operation operation) const;

private:
    void Clear();
    // Scans the lines from byte `from` to `to` of the text, the first of
    // them line `index`, into `lines` and their references into `refs`.
    void ScanLines(std::uint32_t from, std::uint32_t to, std::uint32_t index,
                   std::vector<ProgramLine>& lines, std::vector<LineReference>& refs) const;
    // The rest of what a line's record says, for a line that is not plain
    // (`special`: it has a tab, a control byte or a byte from 0x80 up).
    void LookCloser(ProgramLine& line, bool special) const;
    void AddNumber(const ProgramLine& line);
    void AddSharedNumber(std::uint32_t number); // a second line or more with it
    void RemoveNumber(const ProgramLine& line);
    // Whether a line carries `number`; inline, as the problems and the index
    // ask it for every reference.
    bool Present(std::uint32_t number) const {
        return number <= kMaxLineNum && ((m_present[number / 64] >> (number % 64)) & 1) != 0;
    }
    std::size_t ReferencesBefore(std::uint32_t line) const;

    // Problems of one line, whose references are `refs`, appended to `out`;
    // `previous` is the number of the last line before it that has one.
    void LineProblems(std::size_t index, std::uint32_t& previous,
                      std::span<const LineReference> refs, std::vector<ProgramProblem>& out) const;
    ProgramProblem At(StringId message, Severity severity, std::size_t line, std::size_t begin,
                      std::size_t end) const;
    ProgramProblem NumberProblem(std::size_t index) const; // 200 or 202
    ProgramProblem TooLongProblem(std::size_t index) const;
    ProgramProblem EndCodeProblem(std::size_t offset) const;
    // The end code inside the text where the device would stop, if the
    // code is part of every line end (CR or LF).
    std::optional<std::size_t> EndCodeInLineEnds() const;
    // Where the end code stops the device reading the text as a send puts
    // it on the line (a program's lines in number order, each with the
    // device's line end; the code after the last): the offset in the text
    // of that code, or of the end of the line whose line end holds it.
    std::optional<std::size_t> EndCodeStopInSend() const;
    // The offset past which an end code belongs: the text's last byte
    // that is no line end.
    std::size_t EndCodePlace() const;
    std::optional<ProgramProblem> LineTableRefusal() const;

    // The labels and variables of one line, appended to `out`.
    void CollectSymbols(std::uint32_t index, std::vector<SymbolUse>& out) const;
    const std::vector<SymbolUse>& SymbolUses() const;
    // The C lexer's state at the start of `line`.
    LexState EntryState(std::size_t line) const;
    // The index by number: (number, line) in order.
    const std::vector<std::uint64_t>& ByNumber() const;

    ModelOptions m_options;
    std::string m_text;
    std::vector<ProgramLine> m_lines;
    std::vector<LineReference> m_refs; // in line order
    // A bit for every number 1 to 65279 that a line carries, and the count
    // of those that more than one line carries (number, count), in order.
    std::array<std::uint64_t, 65280 / 64> m_present{};
    std::vector<std::pair<std::uint32_t, std::uint32_t>> m_shared;

    // Built when first asked for.
    mutable bool m_symbolsBuilt = false;
    mutable std::vector<SymbolUse> m_symbols; // in line order
    mutable std::vector<LexState> m_lexStates;
    mutable std::size_t m_lexKnown = 0; // lines whose entry state is known
    mutable std::vector<std::uint64_t> m_byNumber;
    mutable bool m_byNumberBuilt = false;
};

} // namespace tessel
