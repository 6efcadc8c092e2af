#include "doc/MemoryEditBuffer.h"

#include <algorithm>

namespace tessel {

bool MemoryEditBuffer::ReplaceText(std::string_view text) {
    if (m_refuse)
        return false;
    // Like an edit control at its limit: it keeps what fits.
    m_text.assign(text.substr(0, std::min(text.size(), m_limit)));
    return true;
}

void MemoryEditBuffer::SetCaret(std::size_t offset) {
    m_caret = static_cast<long long>(std::min(offset, m_text.size()));
    ++m_caretMoves;
}

} // namespace tessel
