#include "doc/Document.h"

#include "doc/EditText.h"
#include "doc/LinePlace.h"
#include "doc/MessageSink.h"
#include "doc/TextOps.h"
#include "encoding/Cp932.h"
#include "res/StringTable.h"
#include "settings/AppSettings.h"

#include <charconv>

namespace tessel {
namespace {

// The most bytes a file kept in UTF-8 takes for a text the editor holds:
// three for each byte of code page 932 (a half-width katakana).
constexpr std::size_t kMaxUtf8FileSize = 3 * kMaxTextSize;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string Hex(unsigned char byte) {
    char digits[2];
    const auto result = std::to_chars(std::begin(digits), std::end(digits), byte, 16);
    return std::string(digits, result.ptr);
}

} // namespace

Document::Document(EditText& editor, MessageSink& messages, const AppSettings& settings)
    : m_editor(editor), m_messages(messages), m_settings(settings) {}

void Document::SetPathName(std::string path) {
    const std::size_t slash = path.find_last_of('/');
    m_title = slash == std::string::npos ? path : path.substr(slash + 1);
    m_pathName = std::move(path);
}

bool Document::OnOpenDocument(const std::string& path) {
    DocumentFile file;
    if (const FileError error = ReadDocumentFile(path, kMaxUtf8FileSize, file)) {
        m_messages.ShowFileError(MessageSink::FileAction::Open, path, error.Reason());
        return false;
    }
    m_fileEncoding = TextEncoding::Cp932;
    m_byteOrderMark = false;
    m_utf8Refused.reset();
    // A file too large, or read short, is refused as it is.
    if (!file.shortRead && file.bytes.size() <= kMaxUtf8FileSize &&
        cp932::LooksLikeUtf8(file.bytes)) {
        std::string converted;
        bool mark = false;
        if (const auto error = cp932::FromUtf8(file.bytes, converted, &mark)) {
            m_utf8Refused = Utf8Refusal{error->character, LineAt(file.bytes, error->offset)};
        } else {
            file.bytes = std::move(converted);
            m_fileEncoding = TextEncoding::Utf8;
            m_byteOrderMark = mark;
        }
    }
    return OpenDocumentFile(file);
}

void Document::AdoptFileState(const Document& loaded) {
    m_cutAtNul = loaded.m_cutAtNul;
    m_fileEncoding = loaded.m_fileEncoding;
    m_byteOrderMark = loaded.m_byteOrderMark;
    m_utf8Refused = loaded.m_utf8Refused;
}

void Document::SetFileEncoding(TextEncoding encoding, bool byteOrderMark) {
    m_fileEncoding = encoding;
    m_byteOrderMark = encoding == TextEncoding::Utf8 && byteOrderMark;
}

bool Document::OpenDocumentFile(const DocumentFile& file) {
    m_cutAtNul.reset();
    if (file.cutAtNul)
        m_cutAtNul = NulCut{file.nulOffset, file.bytesAfterNul};
    // The document starts empty; an empty file stays that way.
    m_editor.ReplaceText({});
    const bool loaded = (file.length == 0 && file.bytes.empty()) || LoadText(file);
    SetModifiedFlag(false);
    m_editor.SetModified(false);
    return loaded;
}

void Document::TakeStateOf(const Document& other) {
    Document::AdoptFileState(other);
    m_modified = other.m_modified;
    m_pathName = other.m_pathName;
    m_title = other.m_title;
}

bool Document::OnSaveDocument(const std::string& path) {
    std::string bytes = SerializeStore();
    if (m_fileEncoding == TextEncoding::Utf8) {
        std::string utf8;
        if (const auto error = cp932::ToUtf8(bytes, utf8)) {
            m_messages.ShowFileError(
                MessageSink::FileAction::Save, path,
                LoadFormatted(IDS_SAVE_NOT_UTF8, {std::to_string(LineAt(bytes, error->offset) + 1),
                                                  Hex(error->byte)}));
            return false;
        }
        bytes = m_byteOrderMark ? std::string(kByteOrderMark) + utf8 : std::move(utf8);
    }
    if (const FileError error = ReplaceFile(path, bytes)) {
        m_messages.ShowFileError(MessageSink::FileAction::Save, path, error.Reason());
        return false;
    }
    SetModifiedFlag(false);
    m_editor.SetModified(false);
    m_cutAtNul.reset();
    return true;
}

bool Document::LoadText(const DocumentFile& file) {
    if (file.shortRead)
        return false;
    // Nothing is converted: line ends, the end-of-text code and every other
    // byte go into the editor as they stand in the file.
    if (!tessel::CheckTextSize(file.bytes)) {
        ShowMessage(IDS_FILE_TOO_LARGE);
        return false;
    }
    if (!SetEditText(file.bytes)) {
        ShowMessage(IDS_NO_MEMORY);
        return false;
    }
    return true;
}

std::string Document::SerializeStore() {
    return GetEditText();
}

bool Document::SetReceivedText(std::string text, ReceiveNumbering /*numbering*/) {
    const ComSettings& com = m_settings.m_comSettings;
    if (SetEditText(
            ReceivedDataText(std::move(text), static_cast<int>(com.EndOfLine), com.EndCode())))
        return true;
    ShowMessage(IDS_RECEIVE_TOO_LARGE);
    return false;
}

bool Document::GetSendText(std::string& out, SendNumbers /*numbers*/) {
    const ComSettings& com = m_settings.m_comSettings;
    SendResult sent = DataSendText(GetEditText(), m_settings.tabStop,
                                   static_cast<int>(com.EndOfLine), com.EndCode());
    if (!sent.problem.Ok()) {
        ReportProblem(sent.problem, sent.place);
        return false;
    }
    if (sent.bytes.empty())
        return false;
    out = std::move(sent.bytes);
    return true;
}

void Document::GetEditText(std::string& text) const {
    text = m_editor.GetText();
}

std::string Document::GetEditText() const {
    return m_editor.GetText();
}

bool Document::SetEditText(std::string_view text) {
    if (!m_editor.ReplaceText(text) || m_editor.GetLength() < text.size())
        return false;
    m_editor.SetModified(true);
    return true;
}

void Document::ShowMessage(unsigned id) {
    m_messages.ShowMessage(id);
}

void Document::ShowProblem(const Problem& problem, const Problem& place) {
    if (problem.HasLine() || !place.Ok())
        m_messages.ShowLineMessage(problem.message, problem.line, problem.column, place);
    else
        m_messages.ShowMessage(problem.message);
}

void Document::MoveCaret(std::size_t offset) {
    m_editor.SetCaret(offset);
}

void Document::ReportProblem(const Problem& problem, const Problem& place) {
    MoveCaret(problem.offset);
    ShowProblem(problem, place);
}

} // namespace tessel
