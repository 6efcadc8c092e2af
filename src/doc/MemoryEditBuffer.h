#pragma once

#include "doc/EditText.h"

#include <cstddef>
#include <string>

namespace tessel {

// The most an editor window holds, in bytes.
inline constexpr std::size_t kEditLimit = 1048575;

// An editor without a window, for the command-line tool and the tests. Like
// the desktop editor it holds at most `limit` bytes; it can also be told to
// refuse every replacement.
class MemoryEditBuffer final : public EditText {
public:
    explicit MemoryEditBuffer(std::size_t limit = kEditLimit) : m_limit(limit) {}

    std::string GetText() const override { return m_text; }
    std::size_t GetLength() const override { return m_text.size(); }
    bool HoldsText(std::string_view text) const override { return m_text == text; }
    bool ReplaceText(std::string_view text) override;
    void SetCaret(std::size_t offset) override;
    bool IsModified() const override { return m_modified; }
    void SetModified(bool modified) override { m_modified = modified; }

    void SetRefuse(bool refuse) { m_refuse = refuse; }
    void SetLimit(std::size_t limit) { m_limit = limit; }
    // Where the caret was last put; -1 when it never moved.
    long long Caret() const { return m_caret; }
    int CaretMoves() const { return m_caretMoves; }

private:
    std::string m_text;
    std::size_t m_limit;
    long long m_caret = -1;
    int m_caretMoves = 0;
    bool m_modified = false;
    bool m_refuse = false;
};

} // namespace tessel
