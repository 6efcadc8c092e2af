#pragma once

#include "doc/Document.h"
#include "doc/TextOps.h"
#include "engine/LineTable.h"
#include "engine/Renumber.h"
#include "engine/Tidy.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tessel {

// Documents whose every line starts with a line number: C, assembler, CASL
// and text (and, through BasicDocument, BASIC). Each command builds a line table
// from the whole editor text, works on it and writes one new text back.
class NumberedDocument : public Document {
public:
    using Document::Document;

    bool LoadText(const DocumentFile& file) override;
    void AdoptFileState(const Document& loaded) override;
    void TakeStateOf(const Document& other) override;
    std::string SerializeStore() override;
    bool SetReceivedText(std::string text, ReceiveNumbering numbering) override;
    bool GetSendText(std::string& out, SendNumbers numbers) override;

    virtual bool GetLineNumOutput() const { return m_writeNumbers; }
    virtual void SetLineNumOutput(bool output) { m_writeNumbers = output; }
    // Gives the lines from `oldStart` on new numbers from `newStart`, `step`
    // apart. False after an error, which has been reported.
    virtual bool Renumber(unsigned newStart, unsigned oldStart, unsigned step);

    // The line end of the file the document was opened from: a file whose
    // lines all end in LF, or all in CR, is shown with CR LF like any other
    // and saved with its own line end again. kEolCrLf for every other file,
    // a new document and a received text.
    EndOfLineCode FileLineEnd() const { return m_fileLineEnd; }
    // For a document whose text comes from elsewhere than its file (work
    // given back after a crash).
    void SetFileLineEnd(EndOfLineCode lineEnd) { m_fileLineEnd = lineEnd; }

    // Whether a sort or a renumbering has changed the numbers or the order
    // of the lines since the document was last stored.
    bool LineNumChanged() const { return m_numbersChanged; }

    // Puts the lines in number order. True when the editor text was replaced.
    bool SortLines();
    // The editor text without the numbers that loading or receiving put in
    // front of the lines of a text that had none: the text as the file holds
    // it, with CR LF line ends.
    std::string TextWithoutAddedNumbers() const;
    // Tidies that text (Tidy.h) in place of the editor text. When tidy finds
    // it numbered while loading took it as having no numbers, the numbers
    // loading added go, the text's own stay, and from then on the file holds
    // numbers (GetLineNumOutput). True, with what changed in `result` (a text
    // without numbers is left as it is), when the text is tidy now; false
    // after the message: 200 on the first line that would still have no
    // number (the caret on it), or 208, the text as it was.
    bool TidyLines(TidyResult& result);
    // The lowest line number of the editor text: where renumbering the whole
    // program starts. None when a line has no number the device takes. The
    // line table it builds is kept for a renumbering of the same text.
    std::optional<std::uint32_t> LowestLineNumber();
    // The first line, in number order, that refers to another by its number
    // as a BASIC program does, and the number it names: what renumbering the
    // text as BASIC rewrites, and renumbering it as anything else does not.
    // None when no line does, or when the lines do not build a line table
    // (renumbering says why). The table is kept, as LowestLineNumber keeps it.
    std::optional<FoundReference> FirstLineReference();
    // Whether every line of the editor text begins with a number the device
    // takes (1 to 65279); false, after the message about the first line that
    // does not (200 or 202), when one does not. Order and duplicates do not
    // matter here.
    bool CheckLineNumbers();

protected:
    std::uint32_t LineNumberOf(std::string_view line) const override;
    // Shared by both Renumber versions.
    bool RenumberLines(unsigned newStart, unsigned oldStart, unsigned step, References references);

    bool m_numbersChanged = false;
    bool m_writeNumbers = true;
    EndOfLineCode m_fileLineEnd = kEolCrLf;

private:
    // A line table that views the text it was built from.
    struct BuiltTable {
        std::string text;
        LineTable lines;
        LineTableResult result; // of building it
    };
    // The table of the editor text: the one LowestLineNumber kept when the
    // text is still the same, else one built now. Notes lines out of order.
    std::unique_ptr<BuiltTable> TakeLineTable();
    // A table of the editor text, built now.
    std::unique_ptr<BuiltTable> BuildEditorTable() const;

    std::unique_ptr<BuiltTable> m_lastTable;
};

} // namespace tessel
