#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessel {

// The editor that holds a document's text. Documents keep no copy of their
// text: every read and write goes through this interface. The text is code
// page 932 bytes with CR LF line ends; offsets and lengths count bytes.
class EditText {
public:
    virtual ~EditText() = default;

    virtual std::string GetText() const = 0;
    virtual std::size_t GetLength() const = 0;
    // Whether the text is exactly `text`; an editor that holds the bytes
    // answers without a copy.
    virtual bool HoldsText(std::string_view text) const {
        return GetLength() == text.size() && GetText() == text;
    }
    // Replaces the whole text. False when the editor refused it; an editor may
    // also take only part of it, which GetLength() then shows.
    virtual bool ReplaceText(std::string_view text) = 0;
    // Collapses the selection to a byte offset and scrolls it into view.
    virtual void SetCaret(std::size_t offset) = 0;
    // The editor's own modification flag (not the document's).
    virtual bool IsModified() const = 0;
    virtual void SetModified(bool modified) = 0;
};

} // namespace tessel
