#include "cli/CliCommands.h"

#include "cli/CliFileText.h"
#include "cli/CliHelp.h"
#include "cli/CliListings.h"
#include "cli/CliTransfer.h"
#include "comm/ComPort.h"
#include "comm/TransferFlows.h"
#include "doc/MemoryEditBuffer.h"
#include "doc/MessageSink.h"
#include "doc/TextOps.h"
#include "encoding/Cp932.h"
#include "engine/DocFactory.h"
#include "engine/DocWithLineNum.h"
#include "engine/FileShape.h"
#include "engine/Tidy.h"
#include "lsp/LanguageServer.h"
#include "model/ProgramModel.h"
#include "res/StringTable.h"
#include "settings/AppSettings.h"
#include "settings/ProfileStore.h"
#include "settings/StateFolder.h"
#include "sys/FileIo.h"
#include "sys/Platform.h"
#include "sys/SysCalls.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <climits> // PATH_MAX
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <memory>
#include <optional>

namespace tessel::cli {
namespace {

// The renumber dialog's values, which it sets afresh each time it opens.
constexpr unsigned kRenumberDefault = 10;

// How much of a file is read at most. A text in UTF-8 takes up to three
// bytes for each byte it has in code page 932 (a half-width katakana); a
// file to tidy may lose any share of its bytes (engine/Tidy.h). Beyond that a
// file is refused as too large without reading it to its end.
constexpr std::size_t kUtf8ReadLimit = 3 * kMaxTextSize;
constexpr std::size_t kTidyReadLimit = kMaxTidySize;

std::string Hex(std::uint32_t value) {
    char digits[8];
    const auto result = std::to_chars(std::begin(digits), std::end(digits), value, 16);
    return std::string(digits, result.ptr);
}

// Keeps the first message a document shows: the one that stopped it, and
// the line it is about, if any.
class CliMessages final : public IMessageSink {
public:
    void ShowMessage(unsigned id) override {
        if (m_id == 0)
            m_id = id;
    }
    // The place is named as FILE:LINE:COLUMN; the words are the desktop's.
    void ShowLineMessage(unsigned id, std::size_t line, std::size_t column,
                         const Problem& /*place*/) override {
        if (m_id == 0) {
            m_line = line;
            m_column = column;
        }
        ShowMessage(id);
    }
    void ShowFileError(FileAction /*action*/, const std::string& /*path*/,
                       const std::string& reason) override {
        if (m_fileError.empty())
            m_fileError = reason.empty() ? std::string(LoadString(IDS_CLI_CANNOT_BE_READ)) : reason;
    }

    unsigned Id() const { return m_id; }
    // The 0-based line of the text, or kNoLine, and column, or kNoColumn.
    std::size_t Line() const { return m_line; }
    std::size_t Column() const { return m_column; }
    const std::string& FileError() const { return m_fileError; }

private:
    unsigned m_id = 0;
    std::size_t m_line = kNoLine;
    std::size_t m_column = kNoColumn;
    std::string m_fileError;
};

// The options of the serial line, over the settings.
void ApplySerialOptions(const CliOptions& options, ComSettings& com) {
    if (options.comPort)
        com.COMPort = *options.comPort;
    // A device named on the command line takes the place of the chosen
    // port's device.
    if (options.device)
        com.Device[com.COMPort < std::size(com.Device) ? com.COMPort : 0] = *options.device;
    const std::pair<const std::optional<std::uint32_t>&, std::uint32_t&> values[] = {
        {options.baudRate, com.BaudRate},   {options.dataBit, com.DataBit},
        {options.stopBit, com.StopBit},     {options.parity, com.Parity},
        {options.flow, com.FlowControl},    {options.charDelay, com.CharDelay},
        {options.lineDelay, com.LineDelay},
    };
    for (const auto& [option, field] : values)
        if (option)
            field = *option;
    com.BuildLineConfig();
}

int UsageError(CliContext& context, const std::string& problem, Command command) {
    std::string text = "tessel-cli: " + problem + '\n';
    text += UsageLine(command);
    text += std::string(LoadString(IDS_CLI_TRY_HELP)) + '\n';
    context.err.Write(text);
    return kExitUsage;
}

// One command on one file: load, operate, store, write.
class Runner {
public:
    Runner(const CliOptions& options, CliContext& context)
        : m_options(options), m_context(context), m_name(DisplayName(options)) {}

    int Run() {
        std::string error;
        std::vector<std::string> warnings;
        if (!LoadCliSettings(m_options, m_context.defaultSettingsPath, m_settings, error, warnings))
            return UsageError(m_context, error, m_options.command);
        for (const std::string& warning : warnings)
            m_context.err.Write(warning + '\n');

        const DocKind kind = m_options.Kind();
        m_doc = CreateDocument(kind, m_editor, m_messages, m_settings);
        m_numbered = dynamic_cast<CDocWithLineNum*>(m_doc.get());
        const Command command = m_options.command;
        if (!m_numbered &&
            (command == Command::Sort || command == Command::Renumber || command == Command::Tidy ||
             command == Command::Check || command == Command::Xref))
            return UsageError(m_context,
                              LoadFormatted(IDS_CLI_LINE_NUMBERED_ONLY, {CommandName(command)}),
                              command);
        if (command == Command::Receive)
            return Receive();
        if (command == Command::Ports)
            return Ports();
        if (command == Command::Lsp)
            return lsp::ServeStandardStreams(TESSEL_VERSION, m_settings);
        // Replacing anything but a regular file would block on a FIFO or
        // write the result where it is lost (a pipe, a terminal).
        if (struct stat st{};
            m_options.inPlace && sys::Stat(m_options.file.c_str(), st) == 0 && !S_ISREG(st.st_mode))
            return UsageError(m_context,
                              LoadFormatted(IDS_CLI_IN_PLACE_NOT_REGULAR, {Quoted(m_options.file)}),
                              command);
        if (command == Command::Tidy)
            return TidyFile();
        if (!Open())
            return kExitFailure;
        // The text would end at a NUL byte with more after it: whatever the
        // command wrote or sent would be the file cut short.
        if (const auto& cut = m_doc->CutAtNul())
            return CutAtNul(cut->offset, cut->after);
        if (command == Command::Check || command == Command::Send)
            WarnOfFileShape();

        std::string result;
        switch (command) {
        case Command::Number:
            // Numbers the device cannot take, or a file numbered only in
            // part, are refused rather than written.
            if (m_numbered && !m_numbered->CheckLineNumbers())
                return DocumentError(IDS_CLI_NUMBERS_DEVICE_TAKES);
            if (m_numbered)
                m_numbered->SetLineNumOutput(true);
            result = m_doc->SerializeStore();
            break;
        case Command::Unnumber:
            result = Unnumbered();
            break;
        case Command::Sort:
            if (!m_numbered->SortLines())
                return DocumentError(IDS_CLI_NOT_SORTED);
            result = Stored();
            break;
        case Command::Renumber: {
            // Without --old the whole program is renumbered, from its first line.
            const std::optional<std::uint32_t> first = m_numbered->LowestLineNumber();
            const unsigned old = m_options.oldStart.value_or(first.value_or(kRenumberDefault));
            if (!m_numbered->Renumber(m_options.newStart.value_or(kRenumberDefault), old,
                                      m_options.step.value_or(kRenumberDefault))) {
                const int status = DocumentError(IDS_CLI_NOT_RENUMBERED);
                if (m_messages.Id() == IDS_RENUM_OLD_MISSING && first)
                    m_context.err.Write(
                        m_name + ": " +
                        LoadFormatted(IDS_CLI_OLD_NAMES_NO_LINE,
                                      {std::to_string(old), std::to_string(*first)}) +
                        "\n");
                return status;
            }
            result = Stored();
            break;
        }
        case Command::Check:
            return CheckProgram();
        case Command::Xref:
            return CrossReference();
        case Command::Wire:
            if (!WireBytes(result))
                return kExitFailure;
            break;
        case Command::Send:
            return Send();
        default:
            return UsageError(m_context, std::string(LoadString(IDS_CLI_MISSING_COMMAND)),
                              Command::None);
        }
        // The bytes of a send stay the device's; a file goes back to its encoding.
        if (command != Command::Wire && !ToFileEncoding(result, WrittenName()))
            return kExitFailure;
        return Write(result);
    }

private:
    int CutAtNul(std::uint64_t offset, std::uint64_t after) {
        return Fail(
            m_name + ": " +
            LoadFormatted(IDS_CLI_CUT_AT_NUL, {std::to_string(offset), std::to_string(after)}));
    }

    // Reads FILE, with at most `limit` bytes of it, converted from UTF-8
    // with --encoding utf-8 unless `convert` says no. False after the message.
    bool ReadFile(std::size_t limit, DocumentFile& file, bool convert = true) {
        const std::string path = m_options.file == "-" ? "/dev/stdin" : m_options.file;
        if (const FileError error = ReadDocumentFile(path, limit, file)) {
            Fail(m_name + ": " + error.Reason());
            return false;
        }
        // A file too large, or read short, is refused as it is.
        if (!convert || m_options.encoding != TextEncoding::Utf8 || file.bytes.size() > limit ||
            file.shortRead)
            return true;
        std::string converted;
        if (const auto error = cp932::FromUtf8(file.bytes, converted)) {
            Fail(ConversionMessage(m_name, file.bytes, *error));
            return false;
        }
        file.bytes = std::move(converted);
        return true;
    }

    // Loads FILE into the document. False after the message.
    bool Open() {
        DocumentFile file;
        if (!ReadFile(m_options.encoding == TextEncoding::Utf8 ? kUtf8ReadLimit : kMaxTextSize,
                      file))
            return false;
        if (!m_doc->OpenDocumentFile(file)) {
            DocumentError(IDS_CLI_READ_INCOMPLETE);
            return false;
        }
        m_fileText = std::move(file.bytes);
        return true;
    }

    // Turns the bytes to write into the file's encoding. Empty, or why they
    // cannot be (naming `name`, the file written), leaving them as they are.
    std::string Encode(std::string& bytes, const std::string& name) const {
        if (m_options.encoding != TextEncoding::Utf8)
            return {};
        std::string utf8;
        if (const auto error = cp932::ToUtf8(bytes, utf8))
            return ConversionMessage(name, bytes, *error);
        bytes = std::move(utf8);
        return {};
    }

    bool ToFileEncoding(std::string& bytes, const std::string& name) {
        const std::string problem = Encode(bytes, name);
        if (!problem.empty())
            Fail(problem);
        return problem.empty();
    }

    // The name messages give the file a command writes.
    std::string WrittenName() const {
        if (m_options.inPlace)
            return ShownName(m_options.file);
        if (m_options.output && *m_options.output != "-")
            return ShownName(*m_options.output);
        return std::string(LoadString(IDS_CLI_STANDARD_OUTPUT));
    }

    // check: every problem of the program, one a line in file order, the
    // one a send stops at first among the errors and worded as a send words
    // it; the status says whether a send would go.
    int CheckProgram() {
        // An empty text has nothing to send, which is no fault of the text.
        if (m_editor.GetLength() == 0)
            return kExitOk;
        ProgramModel model(ModelOptions::For(m_options.Kind(), m_settings));
        model.Build(m_doc->GetEditText());
        std::vector<ProgramProblem> problems = model.Problems();
        const bool error = std::ranges::any_of(problems, [](const ProgramProblem& problem) {
            return problem.severity == Severity::Error;
        });
        // The model's errors are what a send refuses: without one, the send
        // need not be tried; with one, the send says which it stops at.
        std::string sent;
        if (!error || m_doc->GetSendText(sent, SendNumbers::With)) {
            ListProblems(model, problems, {}, {});
            return error ? kExitFailure : kExitOk;
        }
        // The model's own record of the refusal gives way to the send's line.
        const auto same = std::ranges::find_if(problems, [&](const ProgramProblem& problem) {
            return problem.severity == Severity::Error && problem.message == m_messages.Id() &&
                   problem.line == m_messages.Line();
        });
        const std::size_t at = static_cast<std::size_t>(
            std::ranges::find(problems, Severity::Error, &ProgramProblem::severity) -
            problems.begin());
        if (same != problems.end())
            problems.erase(same);
        ListProblems(model, problems, DocumentMessage(IDS_CLI_CANNOT_BE_SENT),
                     std::min(at, problems.size()));
        // A line without a number that is blank or indented: tidy mends it.
        if (m_messages.Id() == IDS_LINE_NO_NUMBER && m_messages.Line() != kNoLine)
            Say(NoNumberHint(m_name, m_doc->GetEditText(), m_messages.Line(), m_options.file));
        return kExitFailure;
    }

    // Writes `problems` as check lists them, with `refusal` as a line of its
    // own before problem `before` when there is one, as many lines as --max
    // allows.
    void ListProblems(const ProgramModel& model, std::span<const ProgramProblem> problems,
                      const std::string& refusal, std::size_t before) {
        const FilePlaces places{model, m_numbered && !m_numbered->GetLineNumOutput()};
        std::vector<std::string> lines;
        for (const ProgramProblem& problem : problems)
            lines.push_back(ProblemLine(m_name, places, problem));
        if (!refusal.empty())
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(before), refusal + '\n');
        const std::size_t shown =
            std::min<std::size_t>(lines.size(), m_options.maxProblems.value_or(~0u));
        std::string text;
        for (std::size_t i = 0; i < shown; ++i)
            text += lines[i];
        if (const std::size_t more = lines.size() - shown; more > 0)
            text += LoadFormatted(more == 1 ? IDS_CLI_MORE_PROBLEM : IDS_CLI_MORE_PROBLEMS,
                                  {m_name, std::to_string(more)}) +
                    '\n';
        Say(text);
    }

    // xref: who refers to which line, and where the labels and variables
    // stand, on standard output.
    int CrossReference() {
        ProgramModel model(ModelOptions::For(m_options.Kind(), m_settings));
        model.Build(m_doc->GetEditText());
        const FilePlaces places{model, m_numbered && !m_numbered->GetLineNumOutput()};
        std::string listing = m_options.json ? XrefJson(places) : XrefTable(places);
        // The table gives names as the file has them; JSON is UTF-8 anyway.
        if (!m_options.json && !ToFileEncoding(listing, WrittenName()))
            return kExitFailure;
        return Write(listing);
    }

    // The checks of a send failed. When the line without a number is blank,
    // or its number is indented, a second line says that tidy mends it.
    int CannotBeSent() {
        const int status = DocumentError(IDS_CLI_CANNOT_BE_SENT);
        if (m_messages.Id() == IDS_LINE_NO_NUMBER && m_messages.Line() != kNoLine)
            Say(NoNumberHint(m_name, m_doc->GetEditText(), m_messages.Line(), m_options.file));
        return status;
    }

    // Warnings for a person about to send FILE: it looks like UTF-8, which
    // the device would show as garbage, or it is taken as having no numbers
    // (numbered anew, each line keeping its old number as text) although
    // tidy would find numbers in it.
    void WarnOfFileShape() {
        const FileShape shape = FindFileShape(m_fileText, ShapeScope::Misread);
        if (m_options.encoding == TextEncoding::Cp932)
            Say(Utf8Warning(m_name, shape, m_options.file));
        if (m_numbered && !m_numbered->GetLineNumOutput())
            Say(NumbersWarning(m_name, shape, m_options.file));
    }

    // tidy: FILE's bytes, tidied, and what changed on standard error.
    int TidyFile() {
        DocumentFile file;
        if (!ReadFile(kTidyReadLimit, file, false))
            return kExitFailure;
        if (file.cutAtNul)
            return CutAtNul(file.nulOffset, file.bytesAfterNul);
        if (file.bytes.size() > kTidyReadLimit)
            return Fail(m_name + ": " + std::string(LoadString(IDS_CLI_TOO_LARGE_TO_TIDY)));
        if (file.shortRead)
            return Fail(m_name + ": " + std::string(LoadString(IDS_CLI_READ_INCOMPLETE)));
        std::string tidied;
        const TidyResult result = Tidy(file.bytes, m_options.encoding, tidied);
        if (result.conversion)
            return Fail(ConversionMessage(m_name, file.bytes, *result.conversion));
        if (result.lineWithoutNumber) {
            for (const std::size_t line : result.linesWithoutNumber)
                Fail(m_name + ':' + std::to_string(line + 1) + ": " +
                     std::string(LoadString(IDS_LINE_NO_NUMBER)));
            return kExitFailure;
        }
        if (const int status = Write(tidied); status != kExitOk)
            return status;
        Say(TidyReport(result));
        // Read as code page 932, a program kept in UTF-8 stays garbage to
        // the device: say so, as check does.
        if (m_options.encoding == TextEncoding::Cp932)
            Say(Utf8Warning(m_name, FindFileShape(file.bytes, ShapeScope::Misread),
                            m_options.file));
        // NUL bytes alone at the end are padding, which reading drops.
        if (const std::uint64_t padding = file.length - file.bytes.size();
            file.length > file.bytes.size())
            Say(LoadFormatted(padding == 1 ? IDS_CLI_NUL_PADDING_ONE : IDS_CLI_NUL_PADDING,
                              {std::to_string(padding)}) +
                "\n");
        return kExitOk;
    }

    // Lines for standard error, if there are any: nothing is written for
    // none, so that a terminal or a pipe sees no write at all.
    void Say(const std::string& lines) {
        if (!lines.empty())
            m_context.err.Write(lines);
    }

    int Fail(const std::string& line) {
        m_context.err.Write(line + '\n');
        return kExitFailure;
    }

    // The document stopped: its file error or its message, else `fallback`.
    int DocumentError(unsigned fallback) { return Fail(DocumentMessage(fallback)); }

    std::string DocumentMessage(unsigned fallback) const {
        if (!m_messages.FileError().empty())
            return m_name + ": " + m_messages.FileError();
        const unsigned id = m_messages.Id();
        if (id == 0)
            return m_name + ": " + std::string(LoadString(fallback));
        std::string line = m_name;
        if (m_messages.Line() != kNoLine)
            line += ':' + std::to_string(m_messages.Line() + 1);
        if (m_messages.Column() != kNoColumn)
            line += ':' + std::to_string(m_messages.Column() + 1);
        line += ": ";
        line += LoadString(id);
        return line;
    }

    // The stored bytes, with the numbers as --numbers or --no-numbers says.
    std::string Stored() {
        if (m_options.numbers)
            m_numbered->SetLineNumOutput(*m_options.numbers);
        return m_doc->SerializeStore();
    }

    // A file without numbers comes back as it was: removing the numbers
    // undoes exactly what loading added.
    std::string Unnumbered() {
        if (m_numbered)
            m_numbered->SetLineNumOutput(false);
        return m_doc->SerializeStore();
    }

    // The bytes a send hands to the transfer, after the checks of a send.
    // False when there are none (the message has been written).
    bool SendText(std::string& bytes) {
        if (m_editor.GetLength() == 0) {
            Fail(m_name + ": " + std::string(LoadString(IDS_CLI_NOTHING_TO_SEND)));
            return false;
        }
        if (!PrepareSend(*m_doc, bytes)) {
            CannotBeSent();
            return false;
        }
        return true;
    }

    // What a send of `bytes` puts on the wire: it stops after the first
    // end-of-text code.
    std::string_view OnTheWire(std::string_view bytes) const {
        const std::size_t end = bytes.find(static_cast<char>(m_settings.m_comSettings.EndCode()));
        return end == std::string_view::npos ? bytes : bytes.substr(0, end + 1);
    }

    bool WireBytes(std::string& bytes) {
        if (!SendText(bytes))
            return false;
        bytes.resize(OnTheWire(bytes).size());
        return true;
    }

    int Send() {
        const InterruptGuard interrupts;
        return AfterSignals(SendFile());
    }

    int SendFile() {
        // The whole buffer goes to the worker, which stops after the end
        // code itself: its progress counts depend on the buffer's length.
        std::string bytes;
        if (!SendText(bytes))
            return kExitFailure;
        WarnOfBytesTheLineLoses(OnTheWire(bytes));
        const TransferOutcome outcome =
            RunTransfer(TransferWorker::Mode::Send, m_settings.m_comSettings, bytes, m_context.err);
        switch (outcome.end) {
        case TransferOutcome::End::Completed:
            if (InterruptGuard::Caught() != 0)
                Fail(m_name + ": " + std::string(LoadString(IDS_CLI_SEND_INTERRUPTED_AFTER)));
            return kExitOk;
        case TransferOutcome::End::OpenFailed:
            return OpenFailed(outcome);
        case TransferOutcome::End::Interrupted:
            Fail(m_name + ": " + std::string(LoadString(IDS_CLI_SEND_INTERRUPTED)));
            return kExitSignalBase + outcome.signal;
        case TransferOutcome::End::TimedOut: // a send has no time-out
        case TransferOutcome::End::LineFailed:
            break;
        }
        return Fail(outcome.device + ": " +
                    LoadFormatted(IDS_CLI_SEND_BROKE_OFF, {Because(outcome)}));
    }

    // A transfer stopped by Ctrl-C (or SIGTERM) exits as the signal would
    // have ended it, whatever happened after: a script running the command
    // stops too.
    static int AfterSignals(int status) {
        const int signal = InterruptGuard::Caught();
        return signal != 0 ? kExitSignalBase + signal : status;
    }

    // Bytes that reach the device as something else than they are: with
    // Xon/Xoff flow control it takes 0x11 and 0x13 as flow-control codes, and
    // with 7 data bits every byte loses its top bit. The send goes ahead, as
    // it does from the desktop program, but not without a word.
    void WarnOfBytesTheLineLoses(std::string_view bytes) {
        const ComSettings& com = m_settings.m_comSettings;
        if (com.FlowControl == kFlowXonXoff &&
            bytes.find_first_of("\x11\x13") != std::string_view::npos)
            m_context.err.Write(m_name + ": " + std::string(LoadString(IDS_WARN_FLOW_CODES)) +
                                "\n");
        if (com.DataBit == 0 && std::ranges::any_of(bytes, [](char c) {
                return static_cast<unsigned char>(c) >= 0x80;
            }))
            m_context.err.Write(m_name + ": " + std::string(LoadString(IDS_WARN_SEVEN_BITS)) +
                                "\n");
    }

    int Receive() {
        const InterruptGuard interrupts;
        return AfterSignals(ReceiveFile());
    }

    int ReceiveFile() {
        // A file that cannot be written is found out before the device sends
        // a byte of it.
        if (m_options.output && *m_options.output != "-")
            if (const FileError error = CheckWritable(*m_options.output))
                return Fail(m_name + ": " + error.Reason());
        std::string received;
        const TransferOutcome outcome =
            RunTransfer(TransferWorker::Mode::Receive, m_settings.m_comSettings, received,
                        m_context.err, std::chrono::milliseconds(m_options.timeoutMs.value_or(0)));
        if (outcome.end == TransferOutcome::End::OpenFailed)
            return OpenFailed(outcome);

        // What arrived is stored however the transfer ended.
        const bool stored = !received.empty() && StoreReceived(received);
        const std::string count = Bytes(received.size());
        std::string what = received.empty() ? std::string(LoadString(IDS_CLI_NOTHING_ARRIVED))
                                            : LoadFormatted(IDS_CLI_AFTER_BYTES, {count});
        // A broken line names the device first, so the file is named after.
        const std::string whatAndWhere =
            what + (stored ? LoadFormatted(IDS_CLI_ARRIVED_STORED_IN, {m_name}) : std::string());
        if (stored)
            what += LoadString(IDS_CLI_ARRIVED_STORED);
        switch (outcome.end) {
        case TransferOutcome::End::Completed:
            if (InterruptGuard::Caught() != 0)
                Fail(m_name + ": " +
                     LoadFormatted(stored ? IDS_CLI_RECEIVE_INTERRUPTED_STORED
                                          : IDS_CLI_RECEIVE_INTERRUPTED_AFTER,
                                   {count}));
            return stored ? kExitOk : kExitFailure;
        case TransferOutcome::End::OpenFailed: // reported above
            return kExitFailure;
        case TransferOutcome::End::Interrupted:
            Fail(m_name + ": " + LoadFormatted(IDS_CLI_RECEIVE_INTERRUPTED, {what}));
            return kExitSignalBase + outcome.signal;
        case TransferOutcome::End::TimedOut:
            Fail(m_name + ": " +
                 LoadFormatted(IDS_CLI_RECEIVE_GAVE_UP, {Seconds(*m_options.timeoutMs), what}));
            return kExitTimedOut;
        case TransferOutcome::End::LineFailed:
            break;
        }
        return Fail(outcome.device + ": " +
                    LoadFormatted(IDS_CLI_RECEIVE_BROKE_OFF, {Because(outcome), whatAndWhere}));
    }

    // Writes what a receive got where -o says. When the document cannot hold
    // it or the output will not take it, the bytes go to the state folder
    // instead, and a message says why and where. True when the output has
    // them.
    bool StoreReceived(const std::string& received) {
        std::string problem;
        std::string bytes;
        if (!AcceptReceived(*m_doc, received)) {
            problem = DocumentMessage(IDS_CLI_CANNOT_HOLD_RECEIVED);
            bytes = received; // as it came
        } else {
            bytes = StoredReceived(received);
            // Kept as the device's bytes when they cannot be UTF-8.
            problem = Encode(bytes, m_name);
            if (problem.empty()) {
                const FileError error = WriteResult(bytes);
                if (!error)
                    return true;
                problem = m_name + ": " + error.Reason();
            }
        }
        std::string kept;
        if (const FileError error =
                KeepReceivedInStateFolder(bytes, DocKindExtension(m_options.Kind()), kept))
            Fail(problem + LoadFormatted(IDS_CLI_RECEIVED_NOT_KEPT, {error.Reason()}));
        else
            Fail(problem +
                 LoadFormatted(IDS_CLI_RECEIVED_KEPT, {ShownName(sys::NativeSeparators(kept))}));
        return false;
    }

    // The file a received document is saved as: a text that came with line
    // numbers as it is; one that came without them was numbered on receipt
    // and is saved without them, that is as it came. Taking the numbers off
    // again as saving a document does would also take the digits that began
    // a line of the text itself ("2 eggs"), so they are never put in.
    std::string StoredReceived(const std::string& received) {
        if (!m_numbered || m_numbered->GetLineNumOutput())
            return m_doc->SerializeStore();
        const ComSettings& com = m_settings.m_comSettings;
        std::string text = received;
        RemoveEndCode(text, com.EndCode());
        FromDeviceLineEnds(text, static_cast<int>(com.EndOfLine));
        return text;
    }

    int OpenFailed(const TransferOutcome& outcome) {
        std::string line = outcome.device + ": " + std::string(LoadString(IDS_PORT_OPEN_FAILED));
        if (!outcome.reason.empty())
            line += " (" + outcome.reason + ")";
        line += '\n';
        if (outcome.openError != 0)
            line += OpenProblemAdvice(DiagnoseOpenFailure(
                outcome.openError, outcome.device, &m_settings.m_comSettings, m_context.roots));
        m_context.err.Write(line);
        return kExitFailure;
    }

    // One line a port: tab-separated PATH, DEVICE, COM, ACCESS, USB-ID,
    // DRIVER, DESCRIPTION; each field but the last without blanks, and "-"
    // when empty. Or a JSON array of objects.
    int Ports() {
        const std::vector<SerialPortInfo> ports =
            DiscoverSerialPorts(&m_settings.m_comSettings, m_context.roots);
        std::string text = m_options.json ? PortsJson(ports) : PortsTable(ports);
        if (ports.empty())
            m_context.err.Write("tessel-cli: " +
                                std::string(LoadString(sys::kWindows ? IDS_CLI_NO_PORT_FOUND_WINDOWS
                                                                     : IDS_CLI_NO_PORT_FOUND)) +
                                "\n");
        if (const FileError failed = m_context.out.Write(text))
            return Fail(std::string(LoadString(IDS_CLI_STANDARD_OUTPUT)) + ": " + failed.Reason());
        return kExitOk;
    }

    static std::string ComNames(const SerialPortInfo& port, std::string_view separator) {
        std::string names;
        for (const unsigned i : port.comPorts)
            names.append(names.empty() ? "" : separator).append(kPortNames[i]);
        return names;
    }

    static std::string PortsTable(const std::vector<SerialPortInfo>& ports) {
        // Blanks and control characters would split a field or a line.
        auto field = [](std::string value) {
            for (char& c : value)
                if (static_cast<unsigned char>(c) <= ' ' || c == 0x7F)
                    c = '_';
            return value.empty() ? std::string("-") : value;
        };
        std::string text;
        for (const SerialPortInfo& port : ports) {
            std::string description = port.Description();
            for (char& c : description)
                if (static_cast<unsigned char>(c) < ' ' || c == 0x7F)
                    c = ' ';
            text += field(port.path) + '\t' + field(port.device) + '\t' +
                    field(ComNames(port, ",")) + '\t' + (port.openable ? "rw" : "no") + '\t' +
                    field(port.vendorId.empty() ? "" : port.vendorId + ":" + port.productId) +
                    '\t' + field(port.driver) + '\t' + (description.empty() ? "-" : description) +
                    '\n';
        }
        return text;
    }

    // A JSON string of `value`, through the JSON library: escaped as JSON
    // wants, a byte that is no UTF-8 (a device's name can be any bytes) as
    // U+FFFD, so that the listing is always valid JSON.
    static std::string Json(std::string_view value) {
        return nlohmann::json(value).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    }

    static std::string PortsJson(const std::vector<SerialPortInfo>& ports) {
        std::string text = "[";
        for (std::size_t i = 0; i < ports.size(); ++i) {
            const SerialPortInfo& port = ports[i];
            std::string com;
            for (const unsigned k : port.comPorts)
                com.append(com.empty() ? "" : ", ").append(Json(kPortNames[k]));
            text += i == 0 ? "\n" : ",\n";
            text += "  {\"path\": " + Json(port.path) + ", \"device\": " + Json(port.device) +
                    ", \"com\": [" + com +
                    "], \"openable\": " + (port.openable ? "true" : "false") +
                    ", \"vendor_id\": " + Json(port.vendorId) +
                    ", \"product_id\": " + Json(port.productId) +
                    ", \"manufacturer\": " + Json(port.manufacturer) +
                    ", \"product\": " + Json(port.product) + ", \"serial\": " + Json(port.serial) +
                    ", \"driver\": " + Json(port.driver) +
                    ", \"description\": " + Json(port.Description()) + "}";
        }
        return text + (ports.empty() ? "]\n" : "\n]\n");
    }

    static std::string Because(const TransferOutcome& outcome) {
        return outcome.reason.empty() ? std::string() : " (" + outcome.reason + ")";
    }

    static std::string Seconds(unsigned ms) {
        std::string text = std::to_string(ms / 1000);
        if (ms % 1000 != 0) {
            char fraction[8];
            std::snprintf(fraction, sizeof fraction, ".%03u", ms % 1000);
            std::string digits = fraction;
            while (digits.back() == '0')
                digits.pop_back();
            text += digits;
        }
        return text + " s";
    }

    static std::string Bytes(std::size_t count) {
        return LoadFormatted(count == 1 ? IDS_CLI_BYTE : IDS_CLI_BYTES, {std::to_string(count)});
    }

    // How messages name the file: a receive names the file it writes.
    static std::string DisplayName(const CliOptions& options) {
        if (options.command != Command::Receive)
            return ShownName(options.file);
        if (!options.output || *options.output == "-")
            return std::string(LoadString(IDS_CLI_STANDARD_OUTPUT));
        return ShownName(*options.output);
    }

    int Write(const std::string& bytes) {
        if (const FileError error = WriteResult(bytes)) {
            if (m_options.inPlace)
                return Fail(ShownName(m_options.file) + ": " + error.Reason());
            if (m_options.output && *m_options.output != "-")
                return Fail(ShownName(*m_options.output) + ": " + error.Reason());
            return Fail(std::string(LoadString(IDS_CLI_STANDARD_OUTPUT)) + ": " + error.Reason());
        }
        return kExitOk;
    }

    // The result goes to FILE itself (-i), to the -o file, or to standard
    // output.
    FileError WriteResult(const std::string& bytes) {
        if (m_options.inPlace)
            return WriteOrReplace(m_options.file, bytes);
        if (m_options.output && *m_options.output != "-")
            return WriteOrReplace(*m_options.output, bytes);
        return m_context.out.Write(bytes);
    }

    // Whether WriteOrReplace could write `path`, as far as the file system
    // tells without writing. A full disk shows only when the bytes go.
    static FileError CheckWritable(const std::string& path) {
        struct stat st {};
        std::string folder;
        if (sys::Stat(path.c_str(), st) == 0) {
            if (S_ISDIR(st.st_mode))
                return FileError::FromErrno(EISDIR);
            if (sys::Access(path.c_str(), W_OK) != 0)
                return FileError::FromErrno(errno);
            if (!S_ISREG(st.st_mode))
                return {}; // a device or a pipe, written to as it is
            // Replaced through a temporary file beside it, or beside the file
            // a link points to.
            char resolved[PATH_MAX];
            folder = FolderOf(sys::RealPath(path.c_str(), resolved) ? resolved : path);
        } else if (errno == ENOENT) {
            folder = FolderOf(path);
        } else {
            return FileError::FromErrno(errno);
        }
        if (sys::Stat(folder.c_str(), st) != 0)
            return FileError::FromErrno(errno);
        if (!S_ISDIR(st.st_mode))
            return FileError::FromErrno(ENOTDIR);
        if (sys::Access(folder.c_str(), W_OK | X_OK) != 0)
            return FileError::FromErrno(errno);
        return {};
    }

    static std::string FolderOf(const std::string& path) { return sys::FolderOf(path); }

    static FileError WriteOrReplace(const std::string& path, const std::string& bytes) {
        struct stat st {};
        const bool exists = sys::Stat(path.c_str(), st) == 0;
        if (exists && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
            // A device or a pipe: written to as it is; it cannot be replaced.
            const int fd = sys::Open(path.c_str(), O_WRONLY | O_CLOEXEC);
            if (fd < 0)
                return FileError::FromErrno(errno);
            FileError error = WriteAll(fd, bytes);
            if (sys::Close(fd) != 0 && !error && errno != EINTR)
                error = FileError::FromErrno(errno);
            return error;
        }
        // A file the user may not write is not replaced behind their back.
        if (exists && S_ISREG(st.st_mode) && sys::Access(path.c_str(), W_OK) != 0)
            return FileError::FromErrno(errno);
        return ReplaceFile(path, bytes);
    }

    const CliOptions& m_options;
    CliContext& m_context;
    const std::string m_name;
    AppSettings m_settings;
    MemoryEditBuffer m_editor;
    CliMessages m_messages;
    std::unique_ptr<CKivaDoc> m_doc;
    CDocWithLineNum* m_numbered = nullptr;
    // FILE's bytes as read (after converting them from UTF-8).
    std::string m_fileText;
};

} // namespace

FileError FdOutput::Write(std::string_view bytes) {
    if (!sys::IsWideConsole(m_fd))
        return WriteAll(m_fd, bytes);
    if (!sys::WriteConsoleText(m_fd, ConsoleText(bytes)))
        return FileError::FromErrno(errno);
    return {};
}

bool FdOutput::IsTerminal() const {
    return sys::IsTerminal(m_fd);
}

namespace {

// `bytes` as UTF-16 when they are valid UTF-8 (no overlong forms, no
// surrogates, nothing past U+10FFFF).
std::optional<std::u16string> FromUtf8(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const std::size_t length = lead < 0x80                   ? 1
                                   : lead >= 0xC2 && lead < 0xE0 ? 2
                                   : lead >= 0xE0 && lead < 0xF0 ? 3
                                   : lead >= 0xF0 && lead < 0xF5 ? 4
                                                                 : 0;
        if (length == 0 || bytes.size() - i < length)
            return std::nullopt;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            c = (c << 6) | (next & 0x3F);
        }
        constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < kLeast[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return std::nullopt;
        if (c >= 0x10000) {
            text += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            text += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            text += static_cast<char16_t>(c);
        }
        i += length;
    }
    return text;
}

} // namespace

std::u16string ConsoleText(std::string_view bytes) {
    if (std::optional<std::u16string> text = FromUtf8(bytes))
        return std::move(*text);
    // The editor's marks for control bytes and line ends go back to what
    // they stand for; the console has its own ways of showing them.
    std::u16string text;
    for (const char16_t unit : cp932::Decode(bytes)) {
        if (unit == u'\n')
            text += u"\r\n";
        else if (unit >= 0x2400 && unit < 0x2420)
            text += static_cast<char16_t>(unit - 0x2400);
        else if (unit == 0x2421)
            text += u'\x7f';
        else
            text += cp932::StandsFor(unit);
    }
    return text;
}

std::string DefaultSettingsPath() {
    const std::string executable = ExecutablePath();
    if (executable.empty())
        return {};
    const std::size_t slash = executable.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : executable.substr(0, slash + 1);
    // Shown to the user in the system's own way (help, warnings).
    return sys::NativeSeparators(SettingsPathFor(ProfilePathFor(folder + "tessel")));
}

bool LoadCliSettings(const CliOptions& options, const std::string& defaultPath,
                     AppSettings& settings, std::string& error,
                     std::vector<std::string>& warnings) {
    std::string path = defaultPath;
    if (options.settings) {
        // A missing default file means the defaults; a file named on the
        // command line that cannot be read is most likely a typing error.
        path = *options.settings;
        const int fd = sys::Open(path.c_str(), O_RDONLY | O_CLOEXEC);
        FileError unreadable = fd < 0 ? FileError::FromErrno(errno) : FileError();
        if (fd >= 0) {
            struct stat st {};
            if (sys::Fstat(fd, st) == 0 && S_ISDIR(st.st_mode))
                unreadable = FileError::FromErrno(EISDIR);
            sys::Close(fd);
        }
        if (unreadable) {
            error = LoadFormatted(IDS_CLI_SETTINGS_UNREADABLE, {Quoted(path), unreadable.Reason()});
            return false;
        }
    }
    if (!path.empty()) {
        const ProfileStore profile(path);
        std::vector<std::string> ignored;
        settings.LoadSettings(profile, &ignored);
        settings.LoadLineNumberSettings(profile, &ignored);
        if (const std::string language = LanguageSetting(profile);
            !language.empty() && !ParseLanguage(language))
            ignored.push_back(LoadFormatted(IDS_SETTING_LANGUAGE_UNKNOWN, {language}));
        for (const std::string& what : ignored)
            warnings.push_back(ShownName(path) + ": " + LoadFormatted(IDS_CLI_WARNING, {what}));
    }

    if (options.tab)
        settings.m_nTabStop = *options.tab;
    if (options.endOfLine)
        settings.m_comSettings.EndOfLine = *options.endOfLine;
    if (options.endOfFile) {
        settings.m_comSettings.EndOfFile = *options.endOfFile;
        settings.m_comSettings.EndOfFileText = Hex(*options.endOfFile);
    }
    if (options.numberStart)
        settings.m_nStartLine = *options.numberStart;
    if (options.numberStep)
        settings.m_nLineStep = *options.numberStep;
    ApplySerialOptions(options, settings.m_comSettings);
    return true;
}

int RunCommand(const CliOptions& options, CliContext& context) {
    return Runner(options, context).Run();
}

Language CliLanguage(const CliOptions& options, const std::string& defaultPath) {
    if (options.language)
        return *options.language;
    const std::string path = options.settings ? *options.settings : defaultPath;
    const std::string setting = path.empty() ? std::string() : LanguageSetting(ProfileStore(path));
    return ChooseLanguage(setting, sys::LocaleVariable);
}

int RunCommandLine(std::span<const std::string_view> args, CliContext& context) {
    // "__complete WORD...": what the shell's completion offers for the last
    // WORD, one a line; ":files" and ":devices" ask for file names and serial
    // devices besides. Not a command of the help: the completion scripts ask.
    if (!args.empty() && args.front() == kCompleteCommand) {
        const Completion completion = Complete(args.subspan(1));
        std::string text;
        for (const std::string& word : completion.words)
            text += word + '\n';
        text += completion.files ? ":files\n" : "";
        text += completion.devices ? ":devices\n" : "";
        return context.out.Write(text) ? kExitFailure : kExitOk;
    }
    CliOptions options;
    std::string error;
    const bool parsed = ParseCommandLine(args, options, error);
    // What the command line says so far, even when it is wrong; its error
    // is worded again in that language.
    SetLanguage(CliLanguage(options, context.defaultSettingsPath));
    if (!parsed) {
        ParseCommandLine(args, options, error);
        return UsageError(context, error, options.command);
    }

    std::string text;
    if (options.version)
        text = VersionText();
    else if (options.command == Command::Help)
        text = CommandHelp(options.helpTopic);
    else if (options.help)
        text = CommandHelp(options.command);
    else
        return RunCommand(options, context);
    // The tool's help says which settings file it reads.
    if (options.help && !options.version && options.command == Command::None)
        text += "\nSettings file: " +
                (context.defaultSettingsPath.empty() ? std::string("none")
                                                     : ShownName(context.defaultSettingsPath)) +
                "\n";

    if (const FileError failed = context.out.Write(text)) {
        context.err.Write(std::string(LoadString(IDS_CLI_STANDARD_OUTPUT)) + ": " +
                          failed.Reason() + '\n');
        return kExitFailure;
    }
    return kExitOk;
}

} // namespace tessel::cli
