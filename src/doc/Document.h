#pragma once

#include "encoding/TextEncoding.h"
#include "res/Problem.h"
#include "sys/FileIo.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessel {

class EditText;
class MessageSink;
struct AppSettings;

// Whether a received text that has no line numbers is given them.
enum class ReceiveNumbering { AsReceived, NumberIfMissing };
// Whether a line-numbered text goes to the device with its numbers.
enum class SendNumbers { Without, With };

// The base document: DATA files directly, and the text operations that the
// line-numbered documents build on. It keeps no copy of its text; the text
// lives in the editor it is attached to.
class Document {
public:
    Document(EditText& editor, MessageSink& messages, const AppSettings& settings);
    virtual ~Document() = default;
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // Opens a file into the document: the editor is emptied, a file of non-zero
    // length is loaded (LoadText) and the document is left unmodified.
    // False when the document is not to be opened; any message has been shown.
    // The text ends at the file's first NUL byte; when more than NUL bytes
    // follow it, CutAtNul() says so (the caller tells the user).
    //
    // A file that looks like UTF-8 (cp932::LooksLikeUtf8, as tessel-cli's
    // check decides) is read as UTF-8: converted to code page 932, a byte
    // order mark dropped, and FileEncoding() says so, so that saving writes
    // UTF-8 again, byte for byte what was read when nothing was changed. One
    // that holds a character code page 932 cannot hold is read as code page
    // 932, as any other file, and Utf8Refused() names the character.
    virtual bool OnOpenDocument(const std::string& path);
    // Opens bytes read from a file (ReadDocumentFile) as OnOpenDocument does
    // with the file's: for a caller that converts them first, as the
    // command-line tool does for a file kept in UTF-8.
    bool OpenDocumentFile(const DocumentFile& file);

    // Where the file last opened was cut: at a NUL byte that other bytes
    // follow, which the text does not hold. Saving the text onto that file
    // would lose them.
    struct NulCut {
        std::uint64_t offset = 0; // of the NUL byte
        std::uint64_t after = 0;  // bytes after it
    };
    const std::optional<NulCut>& CutAtNul() const { return m_cutAtNul; }
    // Takes what loading a file told `loaded`, a document of the same kind
    // that opened the same file (how it was cut, its encoding, whether it had
    // numbers, its line end), as when the file is read again into this
    // document.
    virtual void AdoptFileState(const Document& loaded);
    // Takes the place of `other`, a document over the same editor text of
    // another kind: its file, title and modified flag and all it knows of
    // its file and its lines, as far as this kind has them.
    virtual void TakeStateOf(const Document& other);
    // Stores the document (SerializeStore) and replaces the file with it in one
    // step, converted to UTF-8 when FileEncoding() says so. False, after
    // showing the file error, when that failed (a byte that is no character
    // cannot be written as UTF-8).
    bool OnSaveDocument(const std::string& path);

    // How the document's file is kept: code page 932, or UTF-8 (with or
    // without a byte order mark before the text).
    TextEncoding FileEncoding() const { return m_fileEncoding; }
    bool FileByteOrderMark() const { return m_byteOrderMark; }
    // The encoding for the next save, with a byte order mark or without
    // (UTF-8 only).
    void SetFileEncoding(TextEncoding encoding, bool byteOrderMark = false);
    // A file that looked like UTF-8 but was read as code page 932: the
    // character that code page 932 cannot hold, and its line (0-based).
    struct Utf8Refusal {
        char32_t character = 0;
        std::size_t line = 0;
    };
    const std::optional<Utf8Refusal>& Utf8Refused() const { return m_utf8Refused; }

    // Loading a non-empty file. False when the document is not to be opened
    // (any message has been shown).
    virtual bool LoadText(const DocumentFile& file);
    // The bytes the file is to hold.
    virtual std::string SerializeStore();

    // Makes the document text from bytes received from the device. False,
    // after message 209, when the editor could not take all of it.
    virtual bool SetReceivedText(std::string text, ReceiveNumbering numbering);
    // The bytes to send to the device; false when there is nothing to send or
    // the text may not be sent (its message has been shown).
    virtual bool GetSendText(std::string& out, SendNumbers numbers);

    // The document's modified flag.
    bool IsModified() const { return m_modified; }
    void SetModifiedFlag(bool modified = true) { m_modified = modified; }

    // The file the document was opened from or saved to (empty while it has
    // none) and the title its window shows.
    const std::string& GetPathName() const { return m_pathName; }
    // Also makes the file's name (without its folder) the title.
    void SetPathName(std::string path);
    const std::string& GetTitle() const { return m_title; }
    void SetTitle(std::string title) { m_title = std::move(title); }

    // Shared text operations.
    void GetEditText(std::string& text) const;
    std::string GetEditText() const;
    // Replaces the editor text; true only when the editor took all of it, in
    // which case the editor is marked modified.
    bool SetEditText(std::string_view text);
    void ShowMessage(unsigned id);
    // Shows a problem, naming its line where it has one, with what names its
    // place (doc/LinePlace.h) below it where there is that.
    void ShowProblem(const Problem& problem, const Problem& place);
    void MoveCaret(std::size_t offset);
    // Puts the caret where a refusal points (the problem's `offset`), then
    // shows it as ShowProblem does.
    void ReportProblem(const Problem& problem, const Problem& place);

    const AppSettings& Settings() const { return m_settings; }
    EditText& Editor() const { return m_editor; }

protected:
    // The number `line` begins with, where the document's lines have
    // numbers and it is one the device takes; 0 otherwise. Messages name a
    // line by it.
    virtual std::uint32_t LineNumberOf(std::string_view /*line*/) const { return 0; }

    EditText& m_editor;
    MessageSink& m_messages;
    const AppSettings& m_settings;

private:
    bool m_modified = false;
    std::optional<NulCut> m_cutAtNul;
    TextEncoding m_fileEncoding = TextEncoding::Cp932;
    bool m_byteOrderMark = false;
    std::optional<Utf8Refusal> m_utf8Refused;
    std::string m_pathName;
    std::string m_title;
};

} // namespace tessel
