#pragma once

// One tessel-cli command on one file: load it, operate, store, write. The
// document commands are in CliCommands.cpp, those that use the serial port
// (wire, send, receive, ports) in CliPortCommands.cpp.

#include "cli/CliCommands.h"
#include "cli/CliTransfer.h"
#include "doc/Document.h"
#include "doc/FirstMessage.h"
#include "doc/MemoryEditBuffer.h"
#include "engine/NumberedDocument.h"
#include "model/ProgramModel.h"
#include "res/StringTable.h"
#include "settings/AppSettings.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace tessel::cli {

// A usage error: the problem, the usage line of `command` and where to
// find help, on standard error; the exit status for it.
int UsageError(CliContext& context, const std::string& problem, Command command);

class Runner {
public:
    Runner(const CliOptions& options, CliContext& context)
        : m_options(options), m_context(context), m_name(DisplayName(options)) {}

    int Run();

private:
    int CutAtNul(std::uint64_t offset, std::uint64_t after);

    // Reads FILE, with at most `limit` bytes of it, converted from UTF-8
    // with --encoding utf-8 unless `convert` says no. False after the message.
    bool ReadFile(std::size_t limit, DocumentFile& file, bool convert = true);

    // Loads FILE into the document. False after the message.
    bool Open();

    // Turns the bytes to write into the file's encoding. Empty, or why they
    // cannot be (naming `name`, the file written), leaving them as they are.
    std::string Encode(std::string& bytes, const std::string& name) const;

    bool ToFileEncoding(std::string& bytes, const std::string& name);

    // The name messages give the file a command writes.
    std::string WrittenName() const;

    // check: every problem of the program, one a line in file order, the
    // one a send stops at first among the errors and worded as a send words
    // it; the status says whether a send would go.
    int CheckProgram();

    // Writes `problems` as check lists them, with `refusal` as a line of its
    // own before problem `before` when there is one, as many lines as --max
    // allows.
    void ListProblems(const ProgramModel& model, std::span<const ProgramProblem> problems,
                      const std::string& refusal, std::size_t before);

    // xref: who refers to which line, and where the labels and variables
    // stand, on standard output.
    int CrossReference();

    // The checks of a send failed. When the line without a number is blank,
    // or its number is indented, a second line says that tidy mends it.
    int CannotBeSent();

    // Warnings for a person about to send FILE: it looks like UTF-8, which
    // the device would show as garbage, or it is taken as having no numbers
    // (numbered anew, each line keeping its old number as text) although
    // tidy would find numbers in it.
    void WarnOfFileShape();

    // tidy: FILE's bytes, tidied, and what changed on standard error.
    int TidyFile();

    // Lines for standard error, if there are any: nothing is written for
    // none, so that a terminal or a pipe sees no write at all.
    void Say(const std::string& lines);

    int Fail(const std::string& line);

    // The document stopped: its file error or its message, else `fallback`.
    int DocumentError(unsigned fallback) { return Fail(DocumentMessage(fallback)); }

    std::string DocumentMessage(unsigned fallback) const;

    // The stored bytes, with the numbers as --numbers or --no-numbers says.
    std::string Stored();

    // A file without numbers comes back as it was: removing the numbers
    // undoes exactly what loading added.
    std::string Unnumbered();

    // The bytes a send hands to the transfer, after the checks of a send.
    // False when there are none (the message has been written).
    bool SendText(std::string& bytes);

    // What a send of `bytes` puts on the wire: it stops after the first
    // end-of-text code.
    std::string_view OnTheWire(std::string_view bytes) const;

    bool WireBytes(std::string& bytes);

    int Send();

    int SendFile();

    // A transfer stopped by Ctrl-C (or SIGTERM) exits as the signal would
    // have ended it, whatever happened after: a script running the command
    // stops too.
    static int AfterSignals(int status);

    // Bytes that reach the device as something else than they are: with
    // Xon/Xoff flow control it takes 0x11 and 0x13 as flow-control codes, and
    // with 7 data bits every byte loses its top bit. The send goes ahead, as
    // it does from the desktop program, but not without a word.
    void WarnOfBytesTheLineLoses(std::string_view bytes);

    int Receive();

    int ReceiveFile();

    // Writes what a receive got where -o says. When the document cannot hold
    // it or the output will not take it, the bytes go to the state folder
    // instead, and a message says why and where. True when the output has
    // them.
    bool StoreReceived(const std::string& received);

    // The file a received document is saved as: a text that came with line
    // numbers as it is; one that came without them was numbered on receipt
    // and is saved without them, that is as it came. Taking the numbers off
    // again as saving a document does would also take the digits that began
    // a line of the text itself ("2 eggs"), so they are never put in.
    std::string StoredReceived(const std::string& received);

    int OpenFailed(const TransferOutcome& outcome);

    // One line a port: tab-separated PATH, DEVICE, COM, ACCESS, USB-ID,
    // DRIVER, DESCRIPTION; each field but the last without blanks, and "-"
    // when empty. Or a JSON array of objects.
    int Ports();

    static std::string Because(const TransferOutcome& outcome);

    static std::string Seconds(unsigned ms);

    static std::string Bytes(std::size_t count);

    // How messages name the file: a receive names the file it writes.
    static std::string DisplayName(const CliOptions& options);

    int Write(const std::string& bytes);

    // The result goes to FILE itself (-i), to the -o file, or to standard
    // output.
    FileError WriteResult(const std::string& bytes);

    const CliOptions& m_options;
    CliContext& m_context;
    const std::string m_name;
    AppSettings m_settings;
    MemoryEditBuffer m_editor;
    FirstMessage m_messages;
    std::unique_ptr<Document> m_doc;
    NumberedDocument* m_numbered = nullptr;
    // FILE's bytes as read (after converting them from UTF-8).
    std::string m_fileText;
};

} // namespace tessel::cli
