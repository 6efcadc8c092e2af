#pragma once

#include "doc/MemoryEditBuffer.h"
#include "doc/MessageSink.h"
#include "settings/AppSettings.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace tessel::test {

// Remembers every message a document shows.
class RecordingSink final : public MessageSink {
public:
    void ShowMessage(unsigned id) override { ids.push_back(id); }
    void ShowLineMessage(unsigned id, std::size_t line, std::size_t column,
                         const Problem& place) override {
        ids.push_back(id);
        lines.push_back(line);
        columns.push_back(column);
        places.push_back(DescribeProblem(place));
    }
    void ShowFileError(FileAction /*action*/, const std::string& path,
                       const std::string& reason) override {
        fileErrors.push_back(path + ": " + reason);
    }
    std::vector<unsigned> ids;
    std::vector<std::size_t> lines;   // of the messages about a line
    std::vector<std::size_t> columns; // of those, kNoColumn where none
    std::vector<std::string> places;  // of those, the words that name the place
    std::vector<std::string> fileErrors;
};

// A document of type Doc over an in-memory editor, with default settings.
template <class Doc>
struct DocHarness {
    AppSettings settings;
    MemoryEditBuffer editor;
    RecordingSink sink;
    Doc doc{editor, sink, settings};

    void SetText(std::string_view text) {
        editor.ReplaceText(text);
        editor.SetModified(false);
    }
    std::string Text() const { return editor.GetText(); }
};

// Lines joined with CR LF, each one ending with it.
inline std::string CrLf(std::initializer_list<std::string_view> lines) {
    std::string text;
    for (std::string_view line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

} // namespace tessel::test
