#include "doc/KivaDoc.h"

#include "doc/EditText.h"
#include "doc/MessageSink.h"
#include "doc/TextOps.h"
#include "res/StringTable.h"
#include "settings/AppSettings.h"

namespace tessel {

CKivaDoc::CKivaDoc(IEditText& editor, IMessageSink& messages, const AppSettings& settings)
    : m_editor(editor), m_messages(messages), m_settings(settings) {}

void CKivaDoc::SetPathName(std::string path) {
    const std::size_t slash = path.find_last_of('/');
    m_strTitle = slash == std::string::npos ? path : path.substr(slash + 1);
    m_strPathName = std::move(path);
}

bool CKivaDoc::OnOpenDocument(const std::string& path) {
    DocumentFile file;
    if (const FileError error = ReadDocumentFile(path, kMaxTextSize, file)) {
        m_messages.ShowFileError(path, error.Reason());
        return false;
    }
    // The document starts empty; an empty file stays that way.
    m_editor.ReplaceText({});
    if (file.length != 0 || !file.bytes.empty())
        SerializeLoad(file);
    SetModifiedFlag(false);
    m_editor.SetModified(false);
    if (!m_bLoadOK) {
        m_bLoadOK = true;
        return false;
    }
    return true;
}

bool CKivaDoc::OnSaveDocument(const std::string& path) {
    if (const FileError error = ReplaceFile(path, SerializeStore())) {
        m_messages.ShowFileError(path, error.Reason());
        return false;
    }
    SetModifiedFlag(false);
    m_editor.SetModified(false);
    return true;
}

void CKivaDoc::SerializeLoad(const DocumentFile& file) {
    if (file.shortRead) {
        m_bLoadOK = false;
        return;
    }
    // Nothing is converted: line ends, the end-of-text code and every other
    // byte go into the editor as they stand in the file.
    if (!CheckTextSize(file.bytes)) {
        ShowMessage(IDS_FILE_TOO_LARGE);
        m_bLoadOK = false;
        return;
    }
    if (!SetEditText(file.bytes)) {
        ShowMessage(IDS_NO_MEMORY);
        m_bLoadOK = false;
    }
}

std::string CKivaDoc::SerializeStore() {
    return GetEditText();
}

bool CKivaDoc::SetReceivedText(std::string text, bool /*flag*/) {
    FromDeviceLineEnds(text, static_cast<int>(m_settings.m_comSettings.EndOfLine));
    RemoveEndCode(text);
    if (SetEditText(text))
        return true;
    m_bReceiveError = true;
    ShowMessage(IDS_RECEIVE_TOO_LARGE);
    return false;
}

bool CKivaDoc::GetSendText(std::string& out, bool /*flag*/) {
    std::string text = GetEditText();
    ToDeviceLineEnds(text);
    if (!PrepareLines(text, false))
        return false;
    AppendEndCode(text);
    out = std::move(text);
    return true;
}

void CKivaDoc::GetEditText(std::string& text) const {
    text = m_editor.GetText();
}

std::string CKivaDoc::GetEditText() const {
    return m_editor.GetText();
}

bool CKivaDoc::SetEditText(std::string_view text) {
    if (!m_editor.ReplaceText(text) || m_editor.GetLength() < text.size())
        return false;
    m_editor.SetModified(true);
    return true;
}

bool CKivaDoc::CheckTextSize(std::string_view text) {
    return tessel::CheckTextSize(text);
}

void CKivaDoc::ShowMessage(unsigned id) {
    m_messages.ShowMessage(id);
}

void CKivaDoc::MoveCaret(std::size_t offset) {
    m_editor.SetCaret(offset);
}

std::string CKivaDoc::ExtractLine(const char* text, std::size_t count) {
    return std::string(tessel::ExtractLine(std::string_view(text, count)));
}

void CKivaDoc::ExpandTabs(std::string& text) const {
    tessel::ExpandTabs(text, m_settings.m_nTabStop);
}

bool CKivaDoc::IsLineWithin(std::string_view line, std::size_t limit) {
    return tessel::IsLineWithin(line, limit);
}

bool CKivaDoc::PrepareLines(std::string& text, bool check) {
    if (text.empty())
        return false;
    std::string result;
    result.reserve(text.size());
    std::size_t pos = 0;
    int index = 0;
    while (pos < text.size()) {
        const std::size_t span = NextLine(text, pos).span;
        const std::string_view original = std::string_view(text).substr(pos, span);
        std::string expanded;
        std::string_view line = original;
        if (original.find('\t') != std::string_view::npos) {
            expanded.assign(original);
            ExpandTabs(expanded);
            line = expanded;
        }
        if (check && !IsLineWithin(line, kMaxLineLength)) {
            m_nErrorLine = index;
            MoveCaret(pos);
            ShowMessage(IDS_LINE_TOO_LONG);
            return false;
        }
        result += line;
        pos += span;
        ++index;
    }
    text = std::move(result);
    return true;
}

bool CKivaDoc::ToDeviceLineEnds(std::string& text) const {
    tessel::ToDeviceLineEnds(text, static_cast<int>(m_settings.m_comSettings.EndOfLine));
    return true;
}

void CKivaDoc::RemoveEndCode(std::string& text) const {
    tessel::RemoveEndCode(text, m_settings.m_comSettings.EndCode());
}

void CKivaDoc::AppendEndCode(std::string& text) const {
    tessel::AppendEndCode(text, m_settings.m_comSettings.EndCode());
}

} // namespace tessel
