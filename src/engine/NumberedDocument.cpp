#include "engine/NumberedDocument.h"

#include "doc/EditText.h"
#include "doc/LinePlace.h"
#include "doc/TextOps.h"
#include "engine/FileText.h"
#include "engine/Numbering.h"
#include "engine/SendText.h"
#include "engine/Sort.h"
#include "res/StringTable.h"
#include "settings/AppSettings.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace tessel {

// --- The line table ---------------------------------------------------------

std::unique_ptr<NumberedDocument::BuiltTable> NumberedDocument::BuildEditorTable() const {
    auto built = std::make_unique<BuiltTable>();
    built->text = GetEditText();
    built->result = BuildLineTable(built->text, built->lines, TextStorage::View);
    return built;
}

std::unique_ptr<NumberedDocument::BuiltTable> NumberedDocument::TakeLineTable() {
    std::unique_ptr<BuiltTable> built = std::move(m_lastTable);
    if (!built || !Editor().HoldsText(built->text))
        built = BuildEditorTable();
    if (built->result.reordered)
        m_numbersChanged = true;
    return built;
}

// --- Sorting ----------------------------------------------------------------

bool NumberedDocument::SortLines() {
    const std::string old = GetEditText();
    const SortResult sorted = tessel::SortLines(old);
    if (!sorted.Ok()) {
        ReportProblem(sorted.problem, sorted.place);
        return false;
    }
    if (sorted.reordered)
        m_numbersChanged = true;

    // Lines already in order: nothing to replace, nothing to undo.
    if (sorted.text == old)
        return true;
    if (!SetEditText(sorted.text)) {
        SetEditText(old);
        ShowMessage(IDS_NO_MEMORY);
        m_numbersChanged = false;
        return false;
    }
    return true;
}

std::optional<std::uint32_t> NumberedDocument::LowestLineNumber() {
    m_lastTable.reset();
    std::unique_ptr<BuiltTable> built = BuildEditorTable();
    const std::optional<std::uint32_t> lowest =
        tessel::LowestLineNumber(built->lines, built->result);
    if (lowest)
        m_lastTable = std::move(built);
    return lowest;
}

std::optional<FoundReference> NumberedDocument::FirstLineReference() {
    m_lastTable.reset();
    std::unique_ptr<BuiltTable> built = BuildEditorTable();
    if (!built->result.Ok())
        return std::nullopt;
    std::optional<FoundReference> reference = FindLineReference(built->lines);
    m_lastTable = std::move(built);
    return reference;
}

bool NumberedDocument::CheckLineNumbers() {
    const LineTableResult result = tessel::CheckLineNumbers(GetEditText());
    if (!result.Ok())
        ShowProblem(result.problem, result.place);
    return result.Ok();
}

// --- Renumbering ------------------------------------------------------------

bool NumberedDocument::Renumber(unsigned newStart, unsigned oldStart, unsigned step) {
    return RenumberLines(newStart, oldStart, step, References::Keep);
}

bool NumberedDocument::RenumberLines(unsigned newStart, unsigned oldStart, unsigned step,
                                     References references) {
    // Building the table notes lines that were out of order, which come back
    // in order whatever happens next.
    const std::unique_ptr<BuiltTable> built = TakeLineTable();
    const std::string& old = built->text;
    if (!built->result.Ok()) {
        ReportProblem(built->result.problem, built->result.place);
        return false;
    }
    const RenumberResult renumbered =
        tessel::Renumber(built->lines, {newStart, oldStart, step, references});
    if (renumbered.renumbered)
        m_numbersChanged = true;

    // The same text (an error, or numbers that were already so): nothing to
    // replace, and the editor's modified flag and undo stay as they were.
    if (renumbered.text != old && !SetEditText(renumbered.text)) {
        SetEditText(old);
        ShowMessage(IDS_NO_MEMORY);
        if (references == References::Keep)
            m_numbersChanged = false;
        return false;
    }
    if (!renumbered.Ok()) {
        ShowProblem(renumbered.problem, renumbered.place);
        if (renumbered.problem.HasLine())
            MoveCaret(renumbered.problem.offset);
        return false;
    }
    return true;
}

// --- Loading, storing, receiving, sending -------------------------------------

void NumberedDocument::AdoptFileState(const Document& loaded) {
    Document::AdoptFileState(loaded);
    if (const auto* numbered = dynamic_cast<const NumberedDocument*>(&loaded)) {
        m_writeNumbers = numbered->m_writeNumbers;
        m_fileLineEnd = numbered->m_fileLineEnd;
        m_numbersChanged = false;
    }
}

void NumberedDocument::TakeStateOf(const Document& other) {
    Document::TakeStateOf(other);
    if (const auto* numbered = dynamic_cast<const NumberedDocument*>(&other)) {
        m_writeNumbers = numbered->m_writeNumbers;
        m_fileLineEnd = numbered->m_fileLineEnd;
        m_numbersChanged = numbered->m_numbersChanged;
    }
}

bool NumberedDocument::LoadText(const DocumentFile& file) {
    if (file.shortRead)
        return false;
    const LoadedText loaded = LoadFileText(file.bytes, NumberingOptions::For(m_settings));
    m_fileLineEnd = loaded.lineEnd;
    SetLineNumOutput(loaded.numbered);
    if (!loaded.Ok()) {
        ShowProblem(loaded.problem, {});
        return false;
    }
    if (!SetEditText(loaded.Text(file.bytes))) {
        ShowMessage(IDS_NO_MEMORY);
        return false;
    }
    return true;
}

std::string NumberedDocument::TextWithoutAddedNumbers() const {
    return StoredText(GetEditText(), GetLineNumOutput(), kEolCrLf);
}

std::string NumberedDocument::SerializeStore() {
    m_numbersChanged = false;
    return StoredText(GetEditText(), GetLineNumOutput(), m_fileLineEnd);
}

bool NumberedDocument::TidyLines(TidyResult& result) {
    const std::string text = GetEditText();
    const TidiedText tidied = TidyShownText(text, !GetLineNumOutput());
    result = tidied.report;
    if (!tidied.Ok()) {
        ReportProblem(tidied.problem, tidied.place);
        return false;
    }
    if (!result.numbered)
        return true;
    if (tidied.text != text && !SetEditText(tidied.text)) {
        SetEditText(text);
        ShowMessage(IDS_NO_MEMORY);
        return false;
    }
    SetLineNumOutput(true);
    return true;
}

bool NumberedDocument::SetReceivedText(std::string text, ReceiveNumbering numbering) {
    const ComSettings& com = m_settings.m_comSettings;
    ReceivedText received = ReceiveText(std::move(text), numbering, static_cast<int>(com.EndOfLine),
                                        com.EndCode(), NumberingOptions::For(m_settings));
    if (numbering == ReceiveNumbering::NumberIfMissing)
        SetLineNumOutput(received.numbered);
    if (SetEditText(received.text))
        return true;
    ShowMessage(IDS_RECEIVE_TOO_LARGE);
    return false;
}

std::uint32_t NumberedDocument::LineNumberOf(std::string_view line) const {
    return DeviceLineNumber(line);
}

bool NumberedDocument::GetSendText(std::string& out, SendNumbers numbers) {
    out.clear();
    // Preparing to send never marks the document changed.
    SendResult sent = SendText(GetEditText(), SendOptions::For(m_settings, numbers));
    if (!sent.problem.Ok()) {
        ReportProblem(sent.problem, sent.place);
        return false;
    }
    out = std::move(sent.bytes);
    return !out.empty();
}

} // namespace tessel
