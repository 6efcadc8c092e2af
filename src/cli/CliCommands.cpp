#include "cli/CliCommands.h"

#include "app/AppSettings.h"
#include "app/ProfileStore.h"
#include "cli/CliHelp.h"
#include "doc/FileIo.h"
#include "doc/MemoryEditBuffer.h"
#include "doc/MessageSink.h"
#include "doc/TextOps.h"
#include "engine/DocFactory.h"
#include "engine/DocWithLineNum.h"
#include "res/StringTable.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <memory>

namespace tessel::cli {
namespace {

// The renumber dialog's values, which it sets afresh each time it opens.
constexpr unsigned kRenumberDefault = 10;

std::string SystemError(int err) {
    return std::strerror(err);
}

std::string Hex(std::uint32_t value) {
    char digits[8];
    const auto result = std::to_chars(std::begin(digits), std::end(digits), value, 16);
    return std::string(digits, result.ptr);
}

// Keeps the first message a document shows: the one that stopped it.
class CliMessages final : public IMessageSink {
public:
    void ShowMessage(unsigned id) override {
        if (m_id == 0)
            m_id = id;
    }
    void ShowFileError(const std::string& /*path*/, const std::string& reason) override {
        if (m_fileError.empty())
            m_fileError = reason.empty() ? "cannot be read" : reason;
    }

    unsigned Id() const { return m_id; }
    const std::string& FileError() const { return m_fileError; }

private:
    unsigned m_id = 0;
    std::string m_fileError;
};

// Messages about one line of the text, reported as FILE:LINE.
bool IsLineMessage(unsigned id) {
    return id == IDS_LINE_NO_NUMBER || id == IDS_LINE_REF_MISSING || id == IDS_LINE_OUT_OF_RANGE ||
           id == IDS_LINE_DUPLICATE || id == IDS_LINE_TOO_LONG;
}

int UsageError(CliContext& context, const std::string& problem, Command command) {
    std::string text = "tessel-cli: " + problem + '\n';
    text += UsageLine(command);
    text += "Try 'tessel-cli --help' for more information.\n";
    context.err.Write(text);
    return kExitUsage;
}

// One command on one file: load, operate, store, write.
class Runner {
public:
    Runner(const CliOptions& options, CliContext& context)
        : m_options(options), m_context(context), m_name(options.file) {}

    int Run() {
        std::string error;
        if (!LoadCliSettings(m_options, m_context.defaultSettingsPath, m_settings, error))
            return UsageError(m_context, error, m_options.command);

        const DocKind kind = m_options.Kind();
        m_doc = CreateDocument(kind, m_editor, m_messages, m_settings);
        m_numbered = dynamic_cast<CDocWithLineNum*>(m_doc.get());
        const Command command = m_options.command;
        if (!m_numbered &&
            (command == Command::Sort || command == Command::Renumber || command == Command::Check))
            return UsageError(
                m_context, std::string(CommandName(command)) + " works on line-numbered files only",
                command);
        if (!m_doc->OnOpenDocument(m_options.file == "-" ? "/dev/stdin" : m_options.file))
            return DocumentError("could not be read completely");

        std::string result;
        switch (command) {
        case Command::Number:
            if (m_numbered)
                m_numbered->SetLineNumOutput(true);
            result = m_doc->SerializeStore();
            break;
        case Command::Unnumber:
            result = Unnumbered();
            break;
        case Command::Sort:
            if (!m_numbered->SortLines())
                return DocumentError("could not be sorted");
            result = Stored();
            break;
        case Command::Renumber:
            if (!m_numbered->Renumber(m_options.newStart.value_or(kRenumberDefault),
                                      m_options.oldStart.value_or(kRenumberDefault),
                                      m_options.step.value_or(kRenumberDefault)))
                return DocumentError("could not be renumbered");
            result = Stored();
            break;
        case Command::Check:
            // An empty text has nothing to send, which is no fault of the text.
            if (m_editor.GetLength() == 0)
                return kExitOk;
            if (!m_doc->GetSendText(result, true))
                return DocumentError("cannot be sent");
            return kExitOk;
        case Command::Wire:
            if (!WireBytes(result))
                return kExitFailure;
            break;
        default:
            return UsageError(m_context, "missing command", Command::None);
        }
        return Write(result);
    }

private:
    int Fail(const std::string& line) {
        m_context.err.Write(line + '\n');
        return kExitFailure;
    }

    // The document stopped: its file error or its message, else `fallback`.
    int DocumentError(std::string_view fallback) {
        if (!m_messages.FileError().empty())
            return Fail(m_name + ": " + m_messages.FileError());
        const unsigned id = m_messages.Id();
        if (id == 0)
            return Fail(m_name + ": " + std::string(fallback));
        std::string line = m_name;
        if (IsLineMessage(id) && m_doc->m_nErrorLine >= 0)
            line += ':' + std::to_string(m_doc->m_nErrorLine + 1);
        line += ": ";
        line += LoadString(id);
        return Fail(line);
    }

    // The stored bytes, with the numbers as --numbers or --no-numbers says.
    std::string Stored() {
        if (m_options.numbers)
            m_numbered->SetLineNumOutput(*m_options.numbers);
        return m_doc->SerializeStore();
    }

    std::string Unnumbered() {
        if (!m_numbered)
            return m_doc->SerializeStore();
        if (m_numbered->GetLineNumOutput()) {
            m_numbered->SetLineNumOutput(false);
            return m_doc->SerializeStore();
        }
        // The file had no numbers; loading gave it some. Removing every
        // leading digit run, as storing does, would also take the digits
        // that began a line of the file, so only the given numbers go.
        std::string text = m_doc->GetEditText();
        RemoveGeneratedNumbers(text, m_settings.m_nStartLine, m_settings.m_nLineStep);
        return text;
    }

    // What a send puts on the wire: it stops after the first end-of-text code.
    bool WireBytes(std::string& bytes) {
        if (m_editor.GetLength() == 0) {
            Fail(m_name + ": nothing to send: the text is empty");
            return false;
        }
        if (!m_doc->GetSendText(bytes, true)) {
            DocumentError("cannot be sent");
            return false;
        }
        const std::size_t end = bytes.find(static_cast<char>(m_settings.m_comSettings.EndCode()));
        if (end != std::string::npos)
            bytes.resize(end + 1);
        return true;
    }

    int Write(const std::string& bytes) {
        if (m_options.inPlace)
            return WriteFile(m_options.file, bytes);
        if (m_options.output && *m_options.output != "-")
            return WriteFile(*m_options.output, bytes);
        if (const int err = m_context.out.Write(bytes))
            return Fail("standard output: " + SystemError(err));
        return kExitOk;
    }

    int WriteFile(const std::string& path, const std::string& bytes) {
        struct stat st {};
        const bool exists = ::stat(path.c_str(), &st) == 0;
        if (exists && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
            // A device or a pipe: written to as it is; it cannot be replaced.
            const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
            if (fd < 0)
                return Fail(path + ": " + SystemError(errno));
            int err = FdOutput(fd).Write(bytes);
            if (::close(fd) != 0 && err == 0 && errno != EINTR)
                err = errno;
            return err ? Fail(path + ": " + SystemError(err)) : kExitOk;
        }
        // A file the user may not write is not replaced behind their back.
        if (exists && S_ISREG(st.st_mode) && ::access(path.c_str(), W_OK) != 0)
            return Fail(path + ": " + SystemError(errno));
        std::string error;
        if (!ReplaceFile(path, bytes, error))
            return Fail(path + ": " + error);
        return kExitOk;
    }

    const CliOptions& m_options;
    CliContext& m_context;
    const std::string m_name;
    AppSettings m_settings;
    MemoryEditBuffer m_editor;
    CliMessages m_messages;
    std::unique_ptr<CKivaDoc> m_doc;
    CDocWithLineNum* m_numbered = nullptr;
};

} // namespace

int FdOutput::Write(std::string_view bytes) {
    return WriteAll(m_fd, bytes);
}

std::string DefaultSettingsPath() {
    const std::string executable = ExecutablePath();
    if (executable.empty())
        return {};
    const std::size_t slash = executable.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : executable.substr(0, slash + 1);
    return ProfilePathFor(folder + "tessel");
}

bool LoadCliSettings(const CliOptions& options, const std::string& defaultPath,
                     AppSettings& settings, std::string& error) {
    std::string path = defaultPath;
    if (options.settings) {
        // A missing default file means the defaults; a file named on the
        // command line that cannot be read is most likely a typing error.
        path = *options.settings;
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        int err = fd < 0 ? errno : 0;
        struct stat st {};
        if (fd >= 0) {
            if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode))
                err = EISDIR;
            ::close(fd);
        }
        if (err != 0) {
            error = "cannot read settings file '" + path + "': " + SystemError(err);
            return false;
        }
    }
    if (!path.empty()) {
        const ProfileStore profile(path);
        settings.LoadSettings(profile);
        settings.LoadLineNumberSettings(profile);
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
    return true;
}

void RemoveGeneratedNumbers(std::string& text, unsigned start, unsigned step) {
    std::string out;
    out.reserve(text.size());
    std::uint64_t number = start;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t span = NextLine(text, pos).span;
        std::string_view line = std::string_view(text).substr(pos, span);
        char digits[24];
        const auto result = std::to_chars(std::begin(digits), std::end(digits), number);
        const std::string_view generated(digits, static_cast<std::size_t>(result.ptr - digits));
        if (line.starts_with(generated))
            line.remove_prefix(generated.size());
        out += line;
        number += step;
        pos += span;
    }
    text = std::move(out);
}

int RunCommand(const CliOptions& options, CliContext& context) {
    return Runner(options, context).Run();
}

int RunCommandLine(std::span<const std::string_view> args, CliContext& context) {
    CliOptions options;
    std::string error;
    if (!ParseCommandLine(args, options, error))
        return UsageError(context, error, options.command);

    std::string text;
    if (options.version)
        text = VersionText();
    else if (options.command == Command::Help)
        text = CommandHelp(options.helpTopic);
    else if (options.help)
        text = CommandHelp(options.command);
    else
        return RunCommand(options, context);

    if (const int err = context.out.Write(text)) {
        context.err.Write("standard output: " + SystemError(err) + '\n');
        return kExitFailure;
    }
    return kExitOk;
}

} // namespace tessel::cli
