#include "doc/FirstMessage.h"

#include "res/StringTable.h"

namespace tessel {

void FirstMessage::ShowMessage(unsigned id) {
    if (m_id == 0)
        m_id = id;
}

void FirstMessage::ShowLineMessage(unsigned id, std::size_t line, std::size_t column,
                                   const Problem& /*place*/) {
    if (m_id == 0) {
        m_line = line;
        m_column = column;
    }
    ShowMessage(id);
}

void FirstMessage::ShowFileError(FileAction /*action*/, const std::string& /*path*/,
                                 const std::string& reason) {
    if (m_fileError.empty())
        m_fileError = reason.empty() ? std::string(LoadString(IDS_CLI_CANNOT_BE_READ)) : reason;
}

std::string FirstMessage::Said(const std::string& name, unsigned fallback) const {
    if (!m_fileError.empty())
        return name + ": " + m_fileError;
    if (m_id == 0)
        return name + ": " + std::string(LoadString(fallback));
    std::string said = name;
    if (m_line != kNoLine)
        said += ':' + std::to_string(m_line + 1);
    if (m_column != kNoColumn)
        said += ':' + std::to_string(m_column + 1);
    return said + ": " + std::string(LoadString(m_id));
}

} // namespace tessel
