#pragma once

#include "doc/KivaDoc.h"
#include "engine/LineWithNum.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tessel {

// Documents whose every line starts with a line number: C, assembler, CASL
// and text (and, through CDocBasic, BASIC). Each command builds a line table
// from the whole editor text, works on it and writes one new text back.
class CDocWithLineNum : public CKivaDoc {
public:
    using CKivaDoc::CKivaDoc;

    bool OnOpenDocument(const std::string& path) override;
    void SerializeLoad(const DocumentFile& file) override;
    std::string SerializeStore() override;
    bool SetReceivedText(std::string text, bool flag) override;
    bool GetSendText(std::string& out, bool flag) override;

    virtual bool GetLineNumOutput() const { return m_bLineNumOutput; }
    virtual void SetLineNumOutput(bool output) { m_bLineNumOutput = output; }
    // Gives the lines from `oldStart` on new numbers from `newStart`, `step`
    // apart. False after an error, which has been reported.
    virtual bool Renumber(unsigned newStart, unsigned oldStart, unsigned step);

    // Puts the lines in number order. True when the editor text was replaced.
    bool SortLines();
    // Mode 1 numbers every line from the settings' start and step; mode 0
    // removes every line's leading digits; any other mode changes nothing.
    void ApplyLineNumbers(std::string& text, int mode) const;
    static bool StartsWithLineNum(std::string_view text);
    static void InsertLineNum(std::string& line, std::uint64_t number);
    static void DeleteLineNum(std::string& line);

    // Builds an ordered, validated table from a text. Returns 0, 200, 202 or
    // 204; on an error m_nErrorPos holds the start of the offending line.
    std::uint16_t MakeLineTable(std::string_view text, LineTable& lines);
    static void FreeLineTable(LineTable& lines) { lines.clear(); }
    // Orders the table by number; false when two lines share a number, which
    // m_nDupLineNum then holds.
    bool SortLineTable(LineTable& lines);
    // Index of the line with that number in an ordered table, or -1.
    static int FindLine(const LineTable& lines, std::uint32_t number);
    // The line starting at `start`, without its terminator; `used` gets the
    // bytes it spans, terminator included.
    static std::string ReadLine(std::string_view text, std::size_t start, std::size_t& used);
    // Fills m_nNewLineNum of every record. Returns 0, 203, 207 or 213.
    std::uint16_t AssignNewNumbers(LineTable& lines, unsigned newStart, unsigned oldStart,
                                   unsigned step);

    int m_nDupLineNum = -1;
    bool m_bLineLoadOK = true;
    bool m_bLineNumChanged = false;
    bool m_bLineNumOutput = true;

protected:
    // Shared by both Renumber versions; `rewriteRefs` makes it the BASIC one.
    bool RenumberLines(unsigned newStart, unsigned oldStart, unsigned step, bool rewriteRefs);
    // Reports a failed table build: caret to the line, then the message.
    void ReportLineError(std::uint16_t code);

    virtual std::uint16_t RewriteRefs(LineTable& /*lines*/) { return 0; }
};

} // namespace tessel
