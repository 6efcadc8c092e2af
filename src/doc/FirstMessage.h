#pragma once

// A message sink for a document that no person watches (the command-line
// tool, the language server): it keeps the first message the document shows,
// the one that stopped it, with the line and column it is about, and words it
// as a compiler's message is worded.

#include "doc/MessageSink.h"
#include "res/Problem.h"

#include <cstddef>
#include <string>

namespace tessel {

class FirstMessage final : public MessageSink {
public:
    void ShowMessage(unsigned id) override;
    // The place is named as NAME:LINE:COLUMN; the words are the desktop's.
    void ShowLineMessage(unsigned id, std::size_t line, std::size_t column,
                         const Problem& place) override;
    void ShowFileError(FileAction action, const std::string& path,
                       const std::string& reason) override;

    unsigned Id() const { return m_id; }
    // The 0-based line of the text, or kNoLine, and column, or kNoColumn.
    std::size_t Line() const { return m_line; }
    std::size_t Column() const { return m_column; }
    const std::string& FileError() const { return m_fileError; }

    // "NAME: reason" after a file error, else "NAME[:LINE[:COLUMN]]: message",
    // or the message `fallback` when the document said nothing.
    std::string Said(const std::string& name, unsigned fallback) const;

private:
    unsigned m_id = 0;
    std::size_t m_line = kNoLine;
    std::size_t m_column = kNoColumn;
    std::string m_fileError;
};

} // namespace tessel
