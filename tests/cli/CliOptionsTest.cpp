#include "cli/CliOptions.h"

#include "cli/CliHelp.h"
#include "res/Language.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

namespace tessel::cli {
namespace {

bool Parse(std::vector<std::string_view> args, CliOptions& options, std::string& error) {
    return ParseCommandLine(args, options, error);
}

constexpr Command kCommandsWithFile[] = {Command::Number,   Command::Unnumber, Command::Sort,
                                         Command::Renumber, Command::Tidy,     Command::Check,
                                         Command::Wire,     Command::Send,     Command::Receive};

TEST(CliOptions, GnuFormsInAnyOrder) {
    CliOptions o;
    std::string error;
    ASSERT_TRUE(
        Parse({"renumber", "--old", "20", "prog", "-oOUT", "--new=5", "--step", "3", "--type", "C"},
              o, error))
        << error;
    EXPECT_EQ(o.command, Command::Renumber);
    EXPECT_EQ(o.file, "prog");
    EXPECT_EQ(o.output, "OUT");
    EXPECT_EQ(o.oldStart, 20u);
    EXPECT_EQ(o.newStart, 5u);
    EXPECT_EQ(o.step, 3u);
    EXPECT_EQ(o.Kind(), DocKind::C);
    ASSERT_TRUE(Parse({"wire", "--eol=CRLF", "prog", "--eof", "8A", "--tab=8"}, o, error)) << error;
    EXPECT_EQ(o.endOfLine, 2u);
    EXPECT_EQ(o.endOfFile, 0x8Au);
    EXPECT_EQ(o.tab, 8u);

    // "--" ends the options; "-" is a file; a unique prefix names an option.
    ASSERT_TRUE(Parse({"number", "-o", "-", "--number-sta", "7", "--", "-x.DAT"}, o, error));
    EXPECT_EQ(o.file, "-x.DAT");
    EXPECT_EQ(o.output, "-");
    EXPECT_EQ(o.numberStart, 7u);
    EXPECT_EQ(o.Kind(), DocKind::Data);
    ASSERT_TRUE(Parse({"wire", "-"}, o, error));
    EXPECT_EQ(o.file, "-");

    // Every command that reads or writes a file takes --encoding.
    EXPECT_EQ(o.encoding, TextEncoding::Cp932);
    ASSERT_TRUE(Parse({"receive", "-o", "x", "--encoding=UTF-8"}, o, error)) << error;
    EXPECT_EQ(o.encoding, TextEncoding::Utf8);
    ASSERT_TRUE(
        Parse({"tidy", "-i", "a.bas", "--encoding", "utf8", "--encoding", "cp932"}, o, error))
        << error;
    EXPECT_EQ(o.encoding, TextEncoding::Cp932);

    ASSERT_TRUE(Parse({"help", "sort"}, o, error));
    EXPECT_EQ(o.helpTopic, Command::Sort);
    ASSERT_TRUE(Parse({"--version"}, o, error));
    EXPECT_TRUE(o.version);
}

TEST(CliOptions, SerialLine) {
    CliOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"send", "a.bas", "--port", "/dev/ttyS1", "--baud=9600", "--data-bits", "7",
                       "--stop-bits", "2", "--parity", "Odd", "--flow", "XON", "--char-delay", "0",
                       "--line-delay", "1000"},
                      o, error))
        << error;
    EXPECT_EQ(o.device, "/dev/ttyS1");
    EXPECT_FALSE(o.comPort);
    EXPECT_EQ(o.baudRate, 5u);
    EXPECT_EQ(o.dataBit, 0u);
    EXPECT_EQ(o.stopBit, 1u);
    EXPECT_EQ(o.parity, 2u);
    EXPECT_EQ(o.flow, 0u);
    EXPECT_EQ(o.charDelay, 0u);
    EXPECT_EQ(o.lineDelay, 1000u);

    // COM1 to COM4 choose a port of the settings; the last --port counts.
    ASSERT_TRUE(
        Parse({"receive", "--data", "-o", "-", "--port", "/dev/x", "--port=com3"}, o, error))
        << error;
    EXPECT_EQ(o.comPort, 2u);
    EXPECT_FALSE(o.device);
    EXPECT_EQ(o.Kind(), DocKind::Data);
    ASSERT_TRUE(Parse({"receive", "-o", "in.dat", "--port", "COM5"}, o, error));
    EXPECT_EQ(o.device, "COM5");
    EXPECT_EQ(o.Kind(), DocKind::Text); // whatever -o is called
}

TEST(CliOptions, NumbersAreDigitsOnlyWithinRange) {
    unsigned v = 0;
    for (const char* bad : {"", "+5", "-5", " 5", "5 ", "5x", "0x10", "1e3", "0", "65280",
                            "4294967306", "99999999999999999999999"})
        EXPECT_FALSE(ParseNumber(bad, 1, 65279, v)) << bad;
    EXPECT_TRUE(ParseNumber("007", 1, 65279, v));
    EXPECT_EQ(v, 7u);
    EXPECT_TRUE(ParseNumber("65279", 1, 65279, v));
    EXPECT_EQ(v, 65279u);

    std::uint32_t code = 0;
    for (const char* bad : {"", "100", "g", "0x", "-1", " 1", "1 "})
        EXPECT_FALSE(ParseHexByte(bad, code)) << bad;
    EXPECT_TRUE(ParseHexByte("fF", code));
    EXPECT_EQ(code, 255u);
    EXPECT_TRUE(ParseHexByte("0", code));
    EXPECT_EQ(code, 0u);
}

// In English here; CliProcess checks one in Japanese.
TEST(CliOptions, UsageErrors) {
    SetLanguage(Language::English);
    const struct {
        std::vector<std::string_view> args;
        const char* message;
    } cases[] = {
        {{}, "missing command"},
        {{"upload", "a.bas"}, "unknown command 'upload'"},
        {{"sort"}, "missing FILE"},
        {{"sort", "a", "b"}, "unexpected argument 'b'"},
        {{"sort", "a", "--frob"}, "unknown option '--frob'"},
        {{"sort", "a", "--num=1"},
         "ambiguous option '--num' could be --numbers, --number-start, --number-step"},
        {{"sort", "a", "--\x1b[2J"}, "unknown option '--\\x1b[2J'"},
        {{"sort", "a", "--numbers=1"}, "option '--numbers' takes no value"},
        {{"sort", "a", "-o"}, "option '-o' needs a value"},
        {{"sort", "a", "--output="}, "option '--output' needs a file name"},
        {{"sort", "a", "-i", "-o", "b"}, "cannot be used together"},
        {{"sort", "-", "-i"}, "standard input"},
        {{"sort", "a", "--step", "1"}, "belong to renumber"},
        // Options that would change nothing are refused, not ignored.
        {{"sort", "a", "--tab", "8"}, "--tab belongs to check, wire and send, not sort"},
        {{"sort", "a", "--eol", "lf"}, "--eol and --eof belong to check, wire, send and receive"},
        {{"renumber", "a", "--eof", "1"}, "not renumber"},
        {{"unnumber", "a", "--number-start", "5"}, "not unnumber"},
        {{"receive", "-o", "x", "--number-start", "5"},
         "--number-start and --number-step belong to number, sort, renumber, check, wire and "
         "send, not receive"},
        {{"receive", "-o", "x", "--tab", "8"}, "not receive"},
        {{"renumber", "a", "--new", "65280"}, "'65280' for --new (1 to 65279)"},
        {{"renumber", "a", "--step", "65279"}, "for --step (1 to 65278)"},
        {{"number", "a", "--tab", "11"}, "for --tab (1 to 10)"},
        {{"number", "a", "--eol", "cr lf"}, "for --eol (cr, lf or crlf)"},
        {{"number", "a", "--eof", "1a2"}, "'1a2' for --eof (one or two hexadecimal digits)"},
        {{"number", "a", "--type", "pascal"},
         "invalid value 'pascal' for --type (basic, c, asm, casl, text or data)"},
        {{"number", "a", "--no-numbers"}, "number cannot be used with --no-numbers"},
        {{"unnumber", "a", "--numbers"}, "unnumber cannot be used with --numbers"},
        {{"check", "a", "-o", "x"}, "check writes no file"},
        {{"wire", "a", "--no-numbers"}, "does not apply"},
        {{"wire", "a", "-i"}, "wire cannot replace FILE; use --output"},
        {{"sort", "x.Dat"}, "'x.Dat' is a DATA file"},
        {{"renumber", "x.bas", "--type", "data"}, "DATA file"},
        // The serial line.
        {{"send"}, "missing FILE"},
        {{"send", "a", "--baud", "1000"}, "'1000' for --baud (300, 600, 1200, 2400, 4800 or 9600)"},
        {{"send", "a", "--data-bits", "9"}, "for --data-bits (7 or 8)"},
        {{"send", "a", "--stop-bits", "1.5"}, "for --stop-bits (1 or 2)"},
        {{"send", "a", "--parity", "mark"}, "for --parity (none, even or odd)"},
        {{"send", "a", "--flow", "hw"}, "for --flow (xon, rts or none)"},
        {{"send", "a", "--char-delay", "1001"}, "for --char-delay (0 to 1000)"},
        {{"send", "a", "--line-delay", "-1"}, "for --line-delay (0 to 1000)"},
        {{"send", "a", "--port="}, "'--port' needs a device"},
        {{"send", "a", "-o", "x"}, "send writes no file"},
        {{"send", "a", "--numbers"}, "does not apply"},
        {{"send", "a", "--data"}, "--data belongs to receive, not send"},
        {{"wire", "a", "--flow", "none"}, "'--flow' belongs to send and receive, not wire"},
        {{"receive"}, "receive needs -o FILE"},
        {{"receive", "a", "-o", "b"}, "receive reads no FILE"},
        {{"receive", "-o", "b", "-i"}, "cannot replace a file in place"},
        {{"receive", "-o", "b", "--type", "data"}, "--type does not apply"},
        {{"receive", "-o", "b", "--no-numbers"}, "--no-numbers does not apply"},
        {{"receive", "-o", "b", "--old", "1"}, "belong to renumber, not receive"},
        {{"number", "a", "--encoding", "sjis"}, "'sjis' for --encoding (cp932 or utf-8)"},
        {{"tidy", "a", "--no-numbers"}, "tidy keeps the line numbers as they are"},
        {{"tidy", "a", "--number-start", "5"}, "not tidy"},
        {{"tidy", "a", "--eol", "lf"}, "not tidy"},
        {{"tidy", "x.dat"}, "'x.dat' is a DATA file"},
        {{"receive", "-o", "b", "--timeout", "0"},
         "'0' for --timeout (seconds above 0, up to 86400, such as 10 or 0.5)"},
        {{"receive", "-o", "b", "--timeout", "1.2345"}, "for --timeout"},
        {{"receive", "-o", "b", "--timeout", "86400.5"}, "for --timeout"},
        {{"receive", "-o", "b", "--timeout", "."}, "for --timeout"},
        {{"send", "a", "--timeout", "5"}, "--timeout belongs to receive, not send"},
        {{"number", "a", "--json"}, "--json belongs to xref and ports, not number"},
        {{"ports", "a"}, "ports reads no FILE"},
        {{"ports", "--baud", "1200"}, "option '--baud' does not apply to ports"},
        {{"ports", "-o", "x"}, "option '-o' does not apply to ports"},
        // The language server reads no FILE and converts none.
        {{"lsp", "a.bas"}, "lsp reads no FILE"},
        {{"lsp", "--encoding", "utf-8"}, "option '--encoding' does not apply to lsp"},
        {{"lsp", "--json"}, "--json belongs to xref and ports, not lsp"},
        {{"lsp", "-o", "x"}, "option '-o' does not apply to lsp"},
        // Several options a command does not take: the message tells of one,
        // the same one whatever the order they are typed in, but for the
        // serial options, where it is the first typed.
        {{"tidy", "a", "--tab", "4", "--json"}, "--json belongs to"},
        {{"tidy", "a", "--json", "--tab", "4"}, "--json belongs to"},
        {{"sort", "a", "--data", "--eof", "0"}, "--eol and --eof belong to"},
        {{"sort", "--data", "--baud", "1200"}, "missing FILE"},
        {{"sort", "a", "--data", "--parity", "odd", "--baud", "1200"}, "'--parity' belongs to"},
        {{"ports", "--tab", "4", "--baud", "1200"}, "option '--tab' does not apply to ports"},
    };
    for (const auto& c : cases) {
        CliOptions o;
        std::string error;
        EXPECT_FALSE(Parse(c.args, o, error)) << c.message;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
    SetLanguage(Language::Japanese);
}

TEST(CliOptions, TimeoutInSecondsAndPortsTakeTheirOwnOptions) {
    const std::pair<std::string_view, unsigned> timeouts[] = {
        {"10", 10000}, {"0.5", 500}, {".25", 250}, {"1.005", 1005}, {"86400", 86400000}};
    for (const auto& [text, ms] : timeouts) {
        CliOptions o;
        std::string error;
        ASSERT_TRUE(Parse({"receive", "-o", "x", "--timeout", text}, o, error)) << error;
        EXPECT_EQ(o.timeoutMs, ms) << text;
    }
    CliOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"ports", "--json", "--settings", "s.ini"}, o, error)) << error;
    EXPECT_EQ(o.command, Command::Ports);
    EXPECT_TRUE(o.json);
    ASSERT_TRUE(Parse({"lsp", "--settings", "s.ini", "--lang", "en"}, o, error)) << error;
    EXPECT_EQ(o.command, Command::Lsp);
}

TEST(CliOptions, EachCommandsHelpListsTheOptionsItsCheckAccepts) {
    // Beyond those that stand for settings of the text, which every command
    // accepts.
    const std::pair<std::string_view, std::vector<std::vector<std::string_view>>> options[] = {
        {"--output", {{"-o", "x"}}},
        {"--in-place", {{"-i"}}},
        {"--numbers", {{"--numbers"}, {"--no-numbers"}}},
        {"--new", {{"--new", "5"}, {"--old", "5"}, {"--step", "5"}}},
        {"--port", {{"--port", "COM2"}, {"--baud", "300"}, {"--line-delay", "5"}}},
        {"--data ", {{"--data"}}},
        {"--type", {{"--type", "basic"}}},
        {"--encoding", {{"--encoding", "utf-8"}}},
        {"--timeout", {{"--timeout", "3"}}},
    };
    for (const Command command :
         {Command::Number, Command::Unnumber, Command::Sort, Command::Renumber, Command::Tidy,
          Command::Check, Command::Wire, Command::Send, Command::Receive}) {
        const std::string help = CommandHelp(command);
        for (const auto& [listedAs, forms] : options) {
            bool accepted = false;
            for (const auto& form : forms) {
                std::vector<std::string_view> args = {CommandName(command)};
                if (command == Command::Receive && listedAs != "--output")
                    args.insert(args.end(), {"-o", "x"});
                else if (command != Command::Receive)
                    args.push_back("f.bas");
                args.insert(args.end(), form.begin(), form.end());
                CliOptions o;
                std::string error;
                accepted = accepted || Parse(args, o, error);
            }
            EXPECT_EQ(accepted, help.find(listedAs) != std::string::npos)
                << CommandName(command) << " " << listedAs;
        }
    }
}

// The help speaks of this system's ports, folders and signals only.
TEST(CliOptions, HelpNamesThisSystemsPortsAndFolders) {
#if defined(_WIN32)
    const std::string_view others[] = {"/dev/", "~/.config", "XDG_", "SIGTERM", "ttyUSB"};
    const std::string_view ours[] = {"COM", "%LOCALAPPDATA%\\tessel", "Ctrl-Break"};
#else
    const std::string_view others[] = {"%LOCALAPPDATA%", "Ctrl-Break", "\\Device"};
    const std::string_view ours[] = {"/dev/ttyUSB", "$XDG_STATE_HOME/tessel", "SIGTERM"};
#endif
    std::string help = ToolHelp();
    for (const Command command : {Command::Receive, Command::Ports, Command::Send})
        help += CommandHelp(command);
    for (const std::string_view text : others)
        EXPECT_EQ(help.find(text), std::string::npos) << text;
    for (const std::string_view text : ours)
        EXPECT_NE(help.find(text), std::string::npos) << text;
}

// The completion offers each command exactly the options its checks accept,
// so the shell never suggests a usage error nor hides an option.
TEST(CliOptions, CompletionOffersTheOptionsEachCommandAccepts) {
    std::set<std::string> every;
    for (const Command command : kCommandsWithFile) {
        const Completion offered =
            Complete(std::vector<std::string_view>{CommandName(command), "-"});
        every.insert(offered.words.begin(), offered.words.end());
    }
    every.erase("--help"); // every command takes them, and they end the checks
    every.erase("--version");
    ASSERT_GT(every.size(), 20u);
    for (const Command command : kCommandsWithFile) {
        const Completion offered =
            Complete(std::vector<std::string_view>{CommandName(command), "--"});
        for (const std::string& option : every) {
            const Completion values =
                Complete(std::vector<std::string_view>{CommandName(command), option, ""});
            const std::string sample = values.words.empty() ? "1" : values.words.front();
            std::vector<std::string_view> args = {CommandName(command)};
            if (command == Command::Receive && option != "--output")
                args.insert(args.end(), {"-o", "x"});
            else if (command != Command::Receive)
                args.push_back("f.bas");
            args.push_back(option);
            CliOptions o;
            std::string error;
            bool accepted = Parse(args, o, error);
            args.push_back(sample);
            accepted = accepted || Parse(args, o, error);
            EXPECT_EQ(accepted, std::ranges::count(offered.words, option) == 1)
                << CommandName(command) << " " << option << ": " << error;
        }
    }
}

TEST(CliOptions, CompletionReadsTheWordsBefore) {
    using Words = std::vector<std::string>;
    const auto complete = [](std::vector<std::string_view> args) { return Complete(args); };
    EXPECT_EQ(complete({""}).words.size(), 13u); // the commands, help too
    EXPECT_EQ(complete({"help", ""}).words.size(), 12u);
    EXPECT_EQ(complete({"help", "sort", ""}).words, Words{});
    // A value: after the option, after "=", after a short option's letter.
    EXPECT_EQ(complete({"wire", "--eol", ""}).words, (Words{"cr", "lf", "crlf"}));
    EXPECT_EQ(complete({"send", "--flo=x"}).words, (Words{"xon", "rts", "none"}));
    EXPECT_EQ(complete({"tidy", "--encoding", ""}).words, (Words{"cp932", "utf-8"}));
    EXPECT_EQ(complete({"send", "--parity", "odd", "--data-b", ""}).words, (Words{"7", "8"}));
    EXPECT_TRUE(complete({"sort", "-io", ""}).files);
    EXPECT_TRUE(complete({"send", "--port", "/dev/tty"}).devices);
    EXPECT_EQ(complete({"--tab", ""}).words, Words{}); // a number: nothing to offer
    // FILE, then the options; after "--" a word with a dash is FILE.
    EXPECT_TRUE(complete({"number", "--type", "c", ""}).files);
    EXPECT_FALSE(complete({"number", "a.c", ""}).files);
    EXPECT_FALSE(complete({"number", "a.c", ""}).words.empty());
    EXPECT_TRUE(complete({"number", "--", "-"}).files);
    EXPECT_FALSE(complete({"receive", ""}).files); // it reads no FILE
    EXPECT_FALSE(complete({"ports", ""}).files);   // nor does this
    EXPECT_EQ(complete({"ports", "--"}).words, (Words{"--settings", "--lang", "--json", "--help"}));
    EXPECT_FALSE(complete({"lsp", ""}).files);
    EXPECT_EQ(complete({"lsp", "--"}).words, (Words{"--settings", "--lang", "--help"}));
}

} // namespace
} // namespace tessel::cli
