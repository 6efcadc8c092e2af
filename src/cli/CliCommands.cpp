#include "cli/CliCommands.h"
#include "cli/CliRunner.h"

#include "cli/CliFileText.h"
#include "cli/CliHelp.h"
#include "cli/CliListings.h"
#include "doc/TextOps.h"
#include "encoding/Cp932.h"
#include "engine/DocFactory.h"
#include "engine/FileShape.h"
#include "engine/NumberedDocument.h"
#include "engine/Tidy.h"
#include "lsp/LanguageServer.h"
#include "model/ProgramModel.h"
#include "res/StringTable.h"
#include "settings/AppSettings.h"
#include "settings/ProfileStore.h"
#include "sys/FileIo.h"
#include "sys/Platform.h"
#include "sys/SysCalls.h"

#include <cerrno>
#include <cstdio>
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
// file to tidy may lose any share of its bytes (blank lines). Beyond that a
// file is refused as too large without reading it to its end.
constexpr std::size_t kUtf8ReadLimit = 3 * kMaxTextSize;
constexpr std::size_t kTidyReadLimit = kMaxTidySize;

std::string Hex(std::uint32_t value) {
    char digits[8];
    const auto result = std::to_chars(std::begin(digits), std::end(digits), value, 16);
    return std::string(digits, result.ptr);
}

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

} // namespace

int UsageError(CliContext& context, const std::string& problem, Command command) {
    std::string text = "tessel-cli: " + problem + '\n';
    text += UsageLine(command);
    text += std::string(LoadString(IDS_CLI_TRY_HELP)) + '\n';
    context.err.Write(text);
    return kExitUsage;
}

// One command on one file: load, operate, store, write.
int Runner::Run() {
    std::string error;
    std::vector<std::string> warnings;
    if (!LoadCliSettings(m_options, m_context.defaultSettingsPath, m_settings, error, warnings))
        return UsageError(m_context, error, m_options.command);
    for (const std::string& warning : warnings)
        m_context.err.Write(warning + '\n');

    const DocKind kind = m_options.Kind();
    m_doc = CreateDocument(kind, m_editor, m_messages, m_settings);
    m_numbered = dynamic_cast<NumberedDocument*>(m_doc.get());
    const Command command = m_options.command;
    if (!m_numbered &&
        (command == Command::Sort || command == Command::Renumber || command == Command::Tidy ||
         command == Command::Check || command == Command::Xref))
        return UsageError(
            m_context, LoadFormatted(IDS_CLI_LINE_NUMBERED_ONLY, {CommandName(command)}), command);
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
                m_context.err.Write(m_name + ": " +
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

int Runner::CutAtNul(std::uint64_t offset, std::uint64_t after) {
    return Fail(m_name + ": " +
                LoadFormatted(IDS_CLI_CUT_AT_NUL, {std::to_string(offset), std::to_string(after)}));
}

bool Runner::ReadFile(std::size_t limit, DocumentFile& file, bool convert) {
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

bool Runner::Open() {
    DocumentFile file;
    if (!ReadFile(m_options.encoding == TextEncoding::Utf8 ? kUtf8ReadLimit : kMaxTextSize, file))
        return false;
    if (!m_doc->OpenDocumentFile(file)) {
        DocumentError(IDS_CLI_READ_INCOMPLETE);
        return false;
    }
    m_fileText = std::move(file.bytes);
    return true;
}

std::string Runner::Encode(std::string& bytes, const std::string& name) const {
    if (m_options.encoding != TextEncoding::Utf8)
        return {};
    std::string utf8;
    if (const auto error = cp932::ToUtf8(bytes, utf8))
        return ConversionMessage(name, bytes, *error);
    bytes = std::move(utf8);
    return {};
}

bool Runner::ToFileEncoding(std::string& bytes, const std::string& name) {
    const std::string problem = Encode(bytes, name);
    if (!problem.empty())
        Fail(problem);
    return problem.empty();
}

std::string Runner::WrittenName() const {
    if (m_options.inPlace)
        return ShownName(m_options.file);
    if (m_options.output && *m_options.output != "-")
        return ShownName(*m_options.output);
    return std::string(LoadString(IDS_CLI_STANDARD_OUTPUT));
}

int Runner::CheckProgram() {
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
        std::ranges::find(problems, Severity::Error, &ProgramProblem::severity) - problems.begin());
    if (same != problems.end())
        problems.erase(same);
    ListProblems(model, problems, DocumentMessage(IDS_CLI_CANNOT_BE_SENT),
                 std::min(at, problems.size()));
    // A line without a number that is blank or indented: tidy mends it.
    if (m_messages.Id() == IDS_LINE_NO_NUMBER && m_messages.Line() != kNoLine)
        Say(NoNumberHint(m_name, m_doc->GetEditText(), m_messages.Line(), m_options.file));
    return kExitFailure;
}

void Runner::ListProblems(const ProgramModel& model, std::span<const ProgramProblem> problems,
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

int Runner::CrossReference() {
    ProgramModel model(ModelOptions::For(m_options.Kind(), m_settings));
    model.Build(m_doc->GetEditText());
    const FilePlaces places{model, m_numbered && !m_numbered->GetLineNumOutput()};
    std::string listing = m_options.json ? XrefJson(places) : XrefTable(places);
    // The table gives names as the file has them; JSON is UTF-8 anyway.
    if (!m_options.json && !ToFileEncoding(listing, WrittenName()))
        return kExitFailure;
    return Write(listing);
}

int Runner::CannotBeSent() {
    const int status = DocumentError(IDS_CLI_CANNOT_BE_SENT);
    if (m_messages.Id() == IDS_LINE_NO_NUMBER && m_messages.Line() != kNoLine)
        Say(NoNumberHint(m_name, m_doc->GetEditText(), m_messages.Line(), m_options.file));
    return status;
}

void Runner::WarnOfFileShape() {
    const FileShape shape = FindFileShape(m_fileText, ShapeScope::Misread);
    if (m_options.encoding == TextEncoding::Cp932)
        Say(Utf8Warning(m_name, shape, m_options.file));
    if (m_numbered && !m_numbered->GetLineNumOutput())
        Say(NumbersWarning(m_name, shape, m_options.file));
}

int Runner::TidyFile() {
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
        Say(Utf8Warning(m_name, FindFileShape(file.bytes, ShapeScope::Misread), m_options.file));
    // NUL bytes alone at the end are padding, which reading drops.
    if (const std::uint64_t padding = file.length - file.bytes.size();
        file.length > file.bytes.size())
        Say(LoadFormatted(padding == 1 ? IDS_CLI_NUL_PADDING_ONE : IDS_CLI_NUL_PADDING,
                          {std::to_string(padding)}) +
            "\n");
    return kExitOk;
}

void Runner::Say(const std::string& lines) {
    if (!lines.empty())
        m_context.err.Write(lines);
}

int Runner::Fail(const std::string& line) {
    m_context.err.Write(line + '\n');
    return kExitFailure;
}

std::string Runner::DocumentMessage(unsigned fallback) const {
    return m_messages.Said(m_name, fallback);
}

std::string Runner::Stored() {
    if (m_options.numbers)
        m_numbered->SetLineNumOutput(*m_options.numbers);
    return m_doc->SerializeStore();
}

std::string Runner::Unnumbered() {
    if (m_numbered)
        m_numbered->SetLineNumOutput(false);
    return m_doc->SerializeStore();
}

std::string Runner::DisplayName(const CliOptions& options) {
    if (options.command != Command::Receive)
        return ShownName(options.file);
    if (!options.output || *options.output == "-")
        return std::string(LoadString(IDS_CLI_STANDARD_OUTPUT));
    return ShownName(*options.output);
}

int Runner::Write(const std::string& bytes) {
    if (const FileError error = WriteResult(bytes)) {
        if (m_options.inPlace)
            return Fail(ShownName(m_options.file) + ": " + error.Reason());
        if (m_options.output && *m_options.output != "-")
            return Fail(ShownName(*m_options.output) + ": " + error.Reason());
        return Fail(std::string(LoadString(IDS_CLI_STANDARD_OUTPUT)) + ": " + error.Reason());
    }
    return kExitOk;
}

FileError Runner::WriteResult(const std::string& bytes) {
    if (m_options.inPlace)
        return WriteOrReplaceFile(m_options.file, bytes);
    if (m_options.output && *m_options.output != "-")
        return WriteOrReplaceFile(*m_options.output, bytes);
    return m_context.out.Write(bytes);
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
        settings.tabStop = *options.tab;
    if (options.endOfLine)
        settings.m_comSettings.EndOfLine = *options.endOfLine;
    if (options.endOfFile) {
        settings.m_comSettings.EndOfFile = *options.endOfFile;
        settings.m_comSettings.EndOfFileText = Hex(*options.endOfFile);
    }
    if (options.numberStart)
        settings.startLine = *options.numberStart;
    if (options.numberStep)
        settings.lineStep = *options.numberStep;
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
