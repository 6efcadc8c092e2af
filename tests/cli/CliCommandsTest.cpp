// The commands in-process, on real files.

#include "cli/CliCommands.h"
#include "comm/ComPort.h"
#include "res/StringTable.h"
#include "settings/AppSettings.h"
#include "support/SysCallFaults.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

namespace tessel::cli {
namespace {

// The device of the first port when the settings name none.
#if defined(_WIN32)
constexpr const char kFirstPortDevice[] = "COM1";
#else
constexpr const char kFirstPortDevice[] = "/dev/ttyUSB0";
#endif

using tessel::test::ReadBytes;
using tessel::test::WriteBytes;
using test::TempDir;

const std::string kEot = "\x1a";

// The tool's own wording is checked in English here (the locale decides, and
// LANGUAGE comes first); the string table's texts in whichever language runs.
class CliCommands : public ::testing::Test {
protected:
    CliCommands() { SetLanguage(Language::English); }
    ~CliCommands() override { SetLanguage(Language::Japanese); }
    test::ScopedEnv m_english{"LANGUAGE", "en"};

    struct Result {
        int status;
        std::string out;
        std::string err;
    };

    // Runs tessel-cli on `content` saved as `name` in the temporary folder;
    // "FILE" in the arguments stands for its path.
    Result Run(const std::string& name, const std::string& content, std::vector<std::string> args) {
        m_file = m_dir.file(name);
        WriteBytes(m_file, content);
        for (std::string& arg : args)
            if (arg == "FILE")
                arg = m_file;
        return RunArgs(args);
    }

    Result RunArgs(const std::vector<std::string>& args) {
        const std::vector<std::string_view> views(args.begin(), args.end());
        StringOutput out;
        StringOutput err;
        CliContext context{out, err, m_defaultSettings};
        const int status = RunCommandLine(views, context);
        return {status, out.Text(), err.Text()};
    }

    TempDir m_dir;
    std::string m_file;
    std::string m_defaultSettings = m_dir.file("tessel.INI");
};

TEST_F(CliCommands, WritesTheResultByteForByte) {
    const struct {
        const char* name;
        std::string content;
        std::vector<std::string> args;
        std::string expected;
    } cases[] = {
        // Numbering keeps each line's own line end, lone CR and LF included.
        {"a.bas", "PRINT 1\nPRINT 2\rEND", {"number", "FILE"}, "10PRINT 1\n20PRINT 2\r30END"},
        {"a.txt", "10 A\n20 B\n", {"number", "FILE"}, "10 A\n20 B\n"},
        {"a.txt", "10 A\n20 B\n", {"unnumber", "FILE"}, " A\n B\n"},
        // A file without numbers comes back as it was: its own leading
        // digits are text, not line numbers.
        {"a.txt", "Items\n2 eggs\n10\n", {"unnumber", "FILE"}, "Items\n2 eggs\n10\n"},
        {"a.dat", "1 2\n\x82\x60\xff", {"number", "FILE"}, "1 2\n\x82\x60\xff"},
        {"a.dat", "1 2\n", {"unnumber", "FILE"}, "1 2\n"},
        // A file whose lines all end in LF (or all in CR) keeps that line
        // end; one with mixed line ends gets CR LF where lines move.
        {"a.asm",
         "20 \x82\x60\"\n10 \x93\x30\xfe\n",
         {"sort", "FILE"},
         "10 \x93\x30\xfe\n20 \x82\x60\"\n"},
        {"a.cas", "B\nA\n", {"sort", "FILE", "--numbers"}, "10B\n20A\n"},
        {"a.cas", "20 B\r10 A", {"sort", "FILE"}, "10 A\r20 B\r"},
        {"a.cas", "20 B\r\n10 A\n", {"sort", "FILE"}, "10 A\r\n20 B\r\n"},
        {"a.bas",
         "10 PRINT \"\x82\x60\":GOTO 20\r\n20 GOSUB 10\r\n",
         {"renumber", "FILE", "--new", "100", "--step", "5"},
         "100 PRINT \"\x82\x60\":GOTO 105\r\n105 GOSUB 100\r\n"},
        {"a.c", "20 X\n10 GOTO 20\n", {"renumber", "FILE", "--new=100"}, "100 GOTO 20\n110 X\n"},
        {"a.bas", "20 B\n10 A\tX\n", {"wire", "FILE", "--eol", "lf"}, "10 A    X\n20 B\n" + kEot},
        {"a.dat", "X\r\nY", {"wire", "FILE", "--eol=cr"}, "X\rY" + kEot},
        // A text that ends with the end-of-text code goes as it is.
        {"a.dat", "AB\x1a", {"wire", "FILE"}, "AB" + kEot},
        // (the device reads up to the first end code; nothing is lost)
        {"a.bas", "10 A\x1a\r\n", {"wire", "FILE"}, "10 A" + kEot},
        // Tabs go out as blanks: a tab is no end code.
        {"a.bas", "10 A\tB\r\n", {"wire", "FILE", "--eof", "09"}, "10 A    B\r\n\t"},
        {"a.dat", "A\r\nB", {"wire", "FILE", "--eof", "0a", "--eol", "cr"}, "A\rB\n"},
        {"a.bas", "", {"sort", "FILE"}, ""},
        // UTF-8 is read as code page 932 and written back as UTF-8; the
        // bytes of a send are the device's.
        {"a.bas",
         "20 B\n10 \"あｱ\\\"\n",
         {"sort", "FILE", "--encoding", "utf-8"},
         "10 \"あｱ\\\"\n20 B\n"},
        {"a.txt", "漢\nｶﾅ\n", {"number", "FILE", "--encoding=UTF8"}, "10漢\n20ｶﾅ\n"},
        {"a.bas",
         "10 PRINT \"あ\"\n",
         {"wire", "FILE", "--encoding", "utf-8"},
         "10 PRINT \"\x82\xa0\"\r\n" + kEot},
        {"a.bas",
         "10 \x82\xa0\n",
         {"wire", "FILE", "--encoding", "cp932"},
         "10 \x82\xa0\r\n" + kEot},
        {"a.bas",
         "\xEF\xBB\xBF"
         "10 \"あ\"\n",
         {"check", "FILE", "--encoding", "utf-8"},
         ""},
        {"a.bas", "10 A\r\n", {"check", "FILE"}, ""},
        {"a.bas", "", {"check", "FILE"}, ""},
    };
    for (const auto& c : cases) {
        const Result r = Run(c.name, c.content, c.args);
        EXPECT_EQ(r.status, kExitOk) << c.args[0] << ' ' << c.content << r.err;
        EXPECT_EQ(r.out, c.expected) << c.args[0] << ' ' << c.content;
        EXPECT_EQ(r.err, "");
    }
}

TEST_F(CliCommands, ReportsTheFileTheLineAndTheMessageAndWritesNothing) {
    const std::string longLine = "10 " + std::string(246, 'x') + "\t!\n";
    const struct {
        const char* name;
        std::string content;
        std::vector<std::string> args;
        int line; // 1-based; 0 when the message is about no line
        unsigned id;
        int column = 0; // 1-based; 0 when the message names none
    } cases[] = {
        {"a.bas", "10 A\r\n20 B\r\n\r\n", {"sort", "FILE"}, 3, IDS_LINE_NO_NUMBER},
        {"a.bas", "10 A\n65280 B\n", {"sort", "FILE"}, 2, IDS_LINE_OUT_OF_RANGE},
        {"a.bas", "10 A\n99999999999 B\n", {"check", "FILE"}, 2, IDS_LINE_OUT_OF_RANGE},
        // The sort meets 10 first; its first line in text order is line 2.
        {"a.bas", "30 A\n10 B\n30 C\n10 D\n", {"renumber", "FILE"}, 2, IDS_LINE_DUPLICATE},
        // 249 bytes, then a tab to column 256 at width 8 (253 bytes at width 4).
        {"a.bas", "5 A\n" + longLine, {"check", "FILE", "--tab", "8"}, 2, IDS_LINE_TOO_LONG},
        // Counted in the loaded text, not in number order.
        {"a.bas", "20 A\r\n30 GOTO 99\r\n10 B\r\n", {"renumber", "FILE"}, 2, IDS_LINE_REF_MISSING},
        {"a.bas", "10 A\n20 B\n", {"renumber", "FILE", "--old", "25"}, 0, IDS_RENUM_OLD_MISSING},
        {"a.bas",
         "10 A\n20 B\n",
         {"renumber", "FILE", "--new", "5", "--old", "20"},
         0,
         IDS_RENUM_ORDER},
        {"a.bas",
         "10 A\n20 B\n",
         {"renumber", "FILE", "--new", "65279", "--step", "1"},
         0,
         IDS_RENUM_OVERFLOW},
        {"a.bas", "", {"renumber", "FILE"}, 0, IDS_RENUM_OLD_MISSING},
        // A send runs the checks before it opens the port.
        {"a.bas",
         "10 A\n10 B\n",
         {"send", "FILE", "--port", "/nonexistent"},
         1,
         IDS_LINE_DUPLICATE},
        {"a.dat", std::string(65536, 'x'), {"number", "FILE"}, 0, IDS_FILE_TOO_LARGE},
        // number writes only numbers the device takes, on every line.
        {"a.txt",
         "A\nB\nC\n",
         {"number", "FILE", "--number-start", "65270", "--number-step", "5"},
         3,
         IDS_LINE_OUT_OF_RANGE},
        {"a.txt", "10 A\nB\n", {"number", "FILE"}, 2, IDS_LINE_NO_NUMBER},
        // The end-of-text code inside the text would stop the device there.
        {"a.bas",
         "10 PRINT \"A\x1a"
         "B\"\r\n20 END\r\n",
         {"check", "FILE"},
         1,
         IDS_END_CODE_INSIDE,
         12},
        {"a.bas", "10 A\n20 B\n", {"check", "FILE", "--eof", "0a"}, 1, IDS_END_CODE_INSIDE, 5},
        {"a.dat",
         "AB\x1a"
         "CD",
         {"wire", "FILE"},
         1,
         IDS_END_CODE_INSIDE,
         3},
        {"a.dat",
         "A\x82\x60"
         "B",
         {"wire", "FILE", "--eof", "82"},
         1,
         IDS_END_CODE_INSIDE,
         2},
        {"a.bas",
         "10 A\x1a"
         "B\r\n",
         {"send", "FILE", "--port", "/nonexistent"},
         1,
         IDS_END_CODE_INSIDE,
         5},
        // A DATA file's own lone CRs and LFs go as they are.
        {"a.dat",
         "A\rB",
         {"wire", "FILE", "--eof", "0d", "--eol", "lf"},
         1,
         IDS_END_CODE_INSIDE,
         2},
        {"a.dat",
         "A\nB",
         {"send", "FILE", "--eof", "0a", "--eol", "cr", "--port", "/nonexistent"},
         1,
         IDS_END_CODE_INSIDE,
         2},
        {"a.dat", "A\rC\r\nD", {"wire", "FILE", "--eof", "0a"}, 2, IDS_END_CODE_INSIDE, 2},
        // Sent in number order, the last line of the file goes first.
        {"a.bas", "20 B\r\n10 A\x1a", {"wire", "FILE"}, 2, IDS_END_CODE_INSIDE, 5},
        // 60000 bytes that grow past the limit when numbered.
        {"a.bas", std::string(60000, '\n'), {"unnumber", "FILE"}, 0, IDS_FILE_TOO_LARGE},
    };
    for (const auto& c : cases) {
        const Result r = Run(c.name, c.content, c.args);
        std::string where = c.line ? ":" + std::to_string(c.line) : "";
        if (c.column)
            where += ":" + std::to_string(c.column);
        EXPECT_EQ(r.status, kExitFailure);
        // The message; after 213 a second line says what was asked for.
        EXPECT_EQ(r.err.substr(0, r.err.find('\n') + 1),
                  m_file + where + ": " + std::string(LoadString(c.id)) + "\n");
        if (c.id == IDS_RENUM_OLD_MISSING && !c.content.empty()) {
            EXPECT_EQ(r.err.substr(r.err.find('\n') + 1),
                      m_file + ": --old 25 names no line; the program's first line is 10\n");
        }
        EXPECT_EQ(r.out, "");
    }
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"wire", "FILE"}, {"send", "FILE", "--port", "/nonexistent"}}) {
        const Result empty = Run("a.dat", "", args);
        EXPECT_EQ(empty.err, m_file + ": nothing to send: the text is empty\n");
    }
    // A DATA file of exactly 65535 bytes is fine.
    EXPECT_EQ(Run("a.dat", std::string(65535, 'x'), {"number", "FILE"}).status, kExitOk);
}

TEST_F(CliCommands, TidyWritesTheFileTheDeviceTakesAndSaysWhatItChanged) {
    const struct {
        std::string content;
        std::vector<std::string> args;
        std::string out;
        std::string err;
    } cases[] = {
        {"\n  10 PRINT\n\n\t20 GOTO 10\n \n30 END",
         {"tidy", "FILE"},
         "10 PRINT\n20 GOTO 10\n30 END",
         "removed 3 blank lines\nremoved the blanks before 2 line numbers\n"},
        {"10 A\r\n\r\n", {"tidy", "FILE"}, "10 A\r\n", "removed 1 blank line\n"},
        {" 10 A\r\n", {"tidy", "FILE"}, "10 A\r\n", "removed the blanks before 1 line number\n"},
        // Nothing to change: nothing said.
        {"10 A\r\n20 B", {"tidy", "FILE"}, "10 A\r\n20 B", ""},
        {"", {"tidy", "FILE"}, "", ""},
        // A file without numbers is left as it is.
        {"PRINT\n\n", {"tidy", "--type", "c", "FILE"}, "PRINT\n\n", ""},
        // From UTF-8 the result is the device's code page.
        {"\xEF\xBB\xBF"
         "10 PRINT \"あ\"\n\n20 REM ｱ\\~\n30 END\n",
         {"tidy", "--encoding", "utf-8", "FILE"},
         "10 PRINT \"\x82\xa0\"\n20 REM \xb1\\~\n30 END\n",
         "converted 2 lines from UTF-8 to code page 932\nremoved the UTF-8 byte order mark\n"
         "removed 1 blank line\n"},
        {"10 A\n", {"tidy", "--encoding", "utf-8", "FILE"}, "10 A\n", ""},
        // The end-of-file mark of DOS editors.
        {"10 A\r\n\x1a",
         {"tidy", "FILE"},
         "10 A\r\n",
         "removed the end-of-file mark ^Z (0x1A) after the last line\n"},
        {std::string("10 A\n\0\0", 7),
         {"tidy", "FILE"},
         "10 A\n",
         "removed 2 NUL bytes of padding at the end\n"},
    };
    for (const auto& c : cases) {
        const Result r = Run("a.bas", c.content, c.args);
        EXPECT_EQ(r.status, kExitOk) << c.content << r.err;
        EXPECT_EQ(r.out, c.out) << c.content;
        EXPECT_EQ(r.err, c.err) << c.content;
    }
    // -i replaces FILE; -o writes elsewhere.
    Result r = Run("a.bas", "10 A\n\n20 B\n", {"tidy", "-i", "FILE"});
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(ReadBytes(m_file), "10 A\n20 B\n");
    r = Run("a.bas", " 10 A\n", {"tidy", "FILE", "-o", m_dir.file("out.bas")});
    EXPECT_EQ(ReadBytes(m_dir.file("out.bas")), "10 A\n");
    EXPECT_EQ(ReadBytes(m_file), " 10 A\n");
    // The usual checks of the command line.
    EXPECT_EQ(Run("a.bas", "10 A\n", {"tidy", "FILE", "--numbers"}).status, kExitUsage);
    EXPECT_EQ(Run("a.dat", "10 A\n", {"tidy", "FILE"}).status, kExitUsage);
    EXPECT_EQ(Run("a.bas", "10 A\n", {"tidy", "FILE", "--tab", "8"}).status, kExitUsage);
}

// What cannot be made right is refused: exit 1, FILE:LINE: and the reason,
// nothing written, FILE as it was.
TEST_F(CliCommands, ConversionsAndTidyRefuseWhatTheyCannotMend) {
    const std::string out = m_dir.file("out.bas");
    const struct {
        std::string content;
        std::vector<std::string> args;
        std::string err; // after "FILE"
    } cases[] = {
        {"10 A\n\n  B\n",
         {"tidy", "-i", "FILE"},
         ":3: " + std::string(LoadString(IDS_LINE_NO_NUMBER))},
        {"10 A\n\n20 \"😀\"\n",
         {"tidy", "--encoding", "utf-8", "-i", "FILE"},
         ":3: 「😀」(U+1F600) has no code in code page 932, the device's character set; change or "
         "remove it"},
        {"10 \"¥\"\n",
         {"number", "--encoding", "utf-8", "FILE", "-o", out},
         ":1: 「¥」(U+00A5) has no code in code page 932, the device's character set; change or "
         "remove it (code page 932 has no yen sign of its own: byte 0x5c is the backslash)"},
        {"10 A\n20 \x82\xa0\n",
         {"renumber", "--encoding", "utf-8", "-i", "FILE"},
         ":2: byte 0x82 is not UTF-8; a file in code page 932 is read without --encoding utf-8"},
        {"10 A\n20 \x82\xa0\n",
         {"check", "--encoding", "utf-8", "FILE"},
         ":2: byte 0x82 is not UTF-8; a file in code page 932 is read without --encoding utf-8"},
        // A NUL byte cuts the file, whatever the command.
        {std::string("10 A\n\0B", 7),
         {"tidy", "-i", "FILE"},
         ": the text would end at the NUL byte at offset 5, cutting off the 1 bytes after it; "
         "remove the NUL byte first"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(out);
        const Result r = Run("a.bas", c.content, c.args);
        EXPECT_EQ(r.status, kExitFailure) << c.content;
        EXPECT_EQ(r.err, m_file + c.err + "\n");
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(ReadBytes(m_file), c.content);
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

// Warnings go where a person reads (check, send) and say how tidy fixes the
// file; commands whose output is for scripts stay silent.
TEST_F(CliCommands, CheckAndSendWarnOfUtf8AndIndentedNumbers) {
    const std::string utf8 = "10 A\n20 PRINT \"あ\"\n";
    const std::string indented = "  10 A\n  20 B\n";
    const std::string blankFirst = "\n10 A\n";
    const std::string utf8Warning =
        ":2: warning: the file looks like UTF-8 (this line has characters beyond ASCII), but the "
        "device reads code page 932; convert it with 'tessel-cli tidy --encoding utf-8 -i FILE', "
        "or "
        "read it with --encoding utf-8\n";
    const std::string indentWarning =
        ":1: warning: 2 lines begin with blanks and a number (this is the first), so the file is "
        "taken as having no line numbers and gets new ones in front of them; remove the blanks "
        "with 'tessel-cli tidy -i FILE'\n";
    const std::string blankWarning =
        ": warning: the file begins with a blank line, so it is taken as having no line numbers "
        "and its lines get new ones in front of theirs; remove the blank lines with 'tessel-cli "
        "tidy -i FILE'\n";
    const auto named = [&](std::string warning) {
        const std::size_t at = warning.find("-i FILE");
        warning.replace(at + 3, 4, m_file);
        return m_file + warning;
    };
    for (const auto& [content, warning] :
         {std::pair{utf8, utf8Warning}, {indented, indentWarning}, {blankFirst, blankWarning}}) {
        Result r = Run("a.bas", content, {"check", "FILE"});
        EXPECT_EQ(r.status, kExitOk);
        // The problems of the text follow (a byte of UTF-8 that starts no
        // character of code page 932, say).
        EXPECT_EQ(r.err.substr(0, named(warning).size()), named(warning));
        // A send warns before it tries the port.
        r = Run("a.bas", content, {"send", "FILE", "--port", "/nonexistent"});
        EXPECT_EQ(r.status, kExitFailure);
        EXPECT_EQ(r.err.substr(0, r.err.find('\n') + 1), named(warning));
        for (const std::vector<std::string>& args : {std::vector<std::string>{"wire", "FILE"},
                                                     {"number", "FILE"},
                                                     {"unnumber", "FILE"},
                                                     {"sort", "FILE"},
                                                     {"renumber", "FILE"}}) {
            r = Run("a.bas", content, args);
            EXPECT_EQ(r.err.find("warning"), std::string::npos) << args[0] << ' ' << r.err;
        }
    }
    // Read as UTF-8, or tidied, there is nothing to warn of.
    EXPECT_EQ(Run("a.bas", utf8, {"check", "--encoding", "utf-8", "FILE"}).err, "");
    // tidy without --encoding utf-8 leaves UTF-8 as it is, and says so.
    Result tidied = Run("a.bas", utf8 + "\n", {"tidy", "FILE", "-o", m_dir.file("out.bas")});
    EXPECT_EQ(tidied.status, kExitOk);
    EXPECT_EQ(tidied.err, "removed 1 blank line\n" + named(utf8Warning));
    EXPECT_EQ(Run("a.bas", utf8, {"tidy", "--encoding", "utf-8", "FILE"}).err,
              "converted 1 line from UTF-8 to code page 932\n");
    // A blank line or an indented number in a program fails its check;
    // a second line says that tidy mends it.
    for (const auto& [content, hint] :
         {std::pair<std::string, std::string>{"10 A\n  20 B\n", "the blanks before line numbers"},
          {"10 A\n\n20 B\n", "blank lines"},
          {"10 A\n \t\n20 B\n", "blank lines"},
          {"10 A\r\n\x1a", "the end-of-file mark ^Z (0x1A) after the last line"}}) {
        const Result r = Run("a.bas", content, {"check", "FILE"});
        EXPECT_EQ(r.status, kExitFailure);
        EXPECT_EQ(r.err, m_file + ":2: " + std::string(LoadString(IDS_LINE_NO_NUMBER)) + "\n" +
                             m_file + ": " + hint + " can be removed with 'tessel-cli tidy -i " +
                             m_file + "'\n");
    }
    EXPECT_EQ(Run("a.bas", "10 A\nB\n", {"check", "FILE"}).err,
              m_file + ":2: " + std::string(LoadString(IDS_LINE_NO_NUMBER)) + "\n");
    // A text with numbers nowhere is no program with indented numbers.
    EXPECT_EQ(Run("a.txt", "Items\n  2 eggs\n", {"check", "FILE"}).err, "");
}

// check lists every problem, one a line, in file order, warnings and notes
// marked; the error a send stops at comes first among the errors, in the
// words the send has for it; --max cuts the list and says how much is left.
TEST_F(CliCommands, CheckListsEveryProblemTheSendsRefusalFirstAmongTheErrors) {
    const std::string program = "10 GOTO 99\n\n20 " + std::string(260, 'A') + "\n5 END\n";
    Result r = Run("a.bas", program, {"check", "FILE"});
    const std::string all =
        m_file +
        ":1:9: warning: There is no line 99. The program may still run, but it cannot be "
        "renumbered.\n" +
        m_file + ":3: A line is too long. Keep each line to 254 characters or fewer.\n" + m_file +
        ":2:1: A line has no line number.\n" + m_file +
        ":4:1: note: This line's number is lower than the one before it. A send puts the lines in "
        "number order.\n";
    EXPECT_EQ(r.status, kExitFailure);
    EXPECT_EQ(r.err, all);
    EXPECT_EQ(r.out, "");
    r = Run("a.bas", program, {"check", "--max", "3", "FILE"});
    EXPECT_EQ(r.status, kExitFailure);
    EXPECT_EQ(r.err, all.substr(0, all.rfind(m_file)) + m_file +
                         ": 1 more problem not shown (--max sets how many are)\n");
    // Warnings and notes alone: the program can be sent.
    r = Run("a.bas", "20 GOSUB 100\n10 RETURN\n", {"check", "FILE"});
    EXPECT_EQ(r.status, kExitOk);
    EXPECT_EQ(r.err.substr(0, m_file.size() + 15), m_file + ":1:10: warning:");
    EXPECT_NE(r.err.find(m_file + ":2:1: note: "), std::string::npos);
    EXPECT_EQ(Run("a.bas", "20 GOSUB 10\n", {"check", "--max", "0", "FILE"}).status, kExitUsage);
    EXPECT_EQ(Run("a.bas", "20 GOSUB 10\n", {"sort", "--max", "1", "FILE"}).status, kExitUsage);
}

// xref: who refers to which line and how, references to missing lines,
// labels and variables, as a table for cut and awk and as JSON.
TEST_F(CliCommands, XrefListsReferencesLabelsAndVariables) {
    const std::string program = "10 *LOOP: A=A+1\n"
                                "20 IF A<10 THEN 10 ELSE 40\n"
                                "30 ON A GOSUB 100,200,300\n"
                                "40 GOTO *LOOP\n"
                                "50 RESTORE 60\n"
                                "60 DATA 1,2\n"
                                "100 B$=\"X\":PRINT B$\n"
                                "200 RETURN\n";
    Result r = Run("c.bas", program, {"xref", "FILE"});
    EXPECT_EQ(r.status, kExitOk);
    EXPECT_EQ(r.out, "line\t10\tTHEN\t20\t2:17\n"
                     "line\t40\tELSE\t20\t2:25\n"
                     "line\t60\tRESTORE\t50\t5:12\n"
                     "line\t100\tGOSUB\t30\t3:15\n"
                     "line\t200\tGOSUB\t30\t3:19\n"
                     "missing\t300\tGOSUB\t30\t3:23\n"
                     "label\t*LOOP\tdefined\t10\t1:5\n"
                     "label\t*LOOP\tused\t40\t4:10\n"
                     "variable\tA\tset\t10\t1:11\n"
                     "variable\tA\tread\t10\t1:13\n"
                     "variable\tA\tread\t20\t2:7\n"
                     "variable\tA\tread\t30\t3:7\n"
                     "variable\tB$\tset\t100\t7:5\n"
                     "variable\tB$\tread\t100\t7:18\n");
    EXPECT_EQ(r.err, "");

    r = Run("c.bas", program, {"xref", "--json", "FILE"});
    EXPECT_EQ(r.status, kExitOk);
    const nlohmann::json listing = nlohmann::json::parse(r.out);
    ASSERT_EQ(listing["lines"].size(), 5u);
    EXPECT_EQ(listing["lines"][0]["number"], 10);
    EXPECT_EQ(listing["lines"][0]["line"], 1);
    EXPECT_EQ(listing["lines"][0]["references"][0],
              (nlohmann::json{{"how", "THEN"}, {"from", 20}, {"line", 2}, {"column", 17}}));
    EXPECT_EQ(listing["missing"][0]["target"], 300);
    EXPECT_EQ(listing["labels"][0]["name"], "LOOP");
    EXPECT_EQ(listing["labels"][0]["uses"].size(), 2u);
    EXPECT_EQ(listing["variables"][1]["name"], "B$");
    EXPECT_EQ(listing["variables"][1]["uses"][0]["how"], "set");

    // A file without numbers: its places are its own, without the numbers
    // loading gave it.
    r = Run("u.bas", "GOSUB 100\nRETURN\n", {"xref", "FILE"});
    EXPECT_EQ(r.out, "missing\t100\tGOSUB\t10\t1:7\n");
    EXPECT_EQ(Run("d.dat", "1,2\n", {"xref", "FILE"}).status, kExitUsage);
}

// A program as it is shared: a remark without a number, then its numbered
// lines indented. Loading takes it as having no numbers, so check and send
// say that it would go out numbered anew, and tidy names the remark.
TEST_F(CliCommands, AnIndentedProgramAfterARemarkIsWarnedOfAndTidyNamesTheRemark) {
    const std::string program = "      ' Comment line GOTO 123\n"
                                "   100 GOTO 200\n"
                                "   200 GOTO A$\n"
                                "   300 END\n";
    Result r = Run("game.bas", program, {"check", "FILE"});
    EXPECT_EQ(r.status, kExitOk);
    const std::string warnings =
        m_file +
        ":2: warning: 3 lines begin with blanks and a number (this is the first), so the file is "
        "taken as having no line numbers and gets new ones in front of them; remove the blanks "
        "with 'tessel-cli tidy -i " +
        m_file + "'\n" + m_file +
        ":1: warning: this line has no line number, though most lines have one, so the file is "
        "taken as having no line numbers and its lines get new ones in front of theirs; give it a "
        "number or remove it\n";
    // Numbered anew, the program has no line 200 for its GOTO.
    EXPECT_EQ(r.err, warnings + m_file +
                         ":2:13: warning: There is no line 200. The program may still run, but it "
                         "cannot be renumbered.\n");
    r = Run("game.bas", program, {"send", "FILE", "--port", "/nonexistent"});
    EXPECT_EQ(r.status, kExitFailure);
    EXPECT_EQ(r.err.substr(0, warnings.size()), warnings);
    // wire writes what a send would put on the line, for scripts: as loading
    // reads the file, without a word.
    r = Run("game.bas", program, {"wire", "--eol", "lf", "FILE"});
    EXPECT_EQ(r.status, kExitOk);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.substr(0, 40), "10      ' Comment line GOTO 123\n20    10");

    // tidy takes the blanks away and refuses the line still without a
    // number; the file stays as it was.
    r = Run("game.bas", program, {"tidy", "-i", "FILE"});
    EXPECT_EQ(r.status, kExitFailure);
    EXPECT_EQ(r.err, m_file + ":1: " + std::string(LoadString(IDS_LINE_NO_NUMBER)) + "\n");
    EXPECT_EQ(ReadBytes(m_file), program);
    // Each such line is named.
    r = Run("game.bas", "REM\n 10 A\n 20 B\nX\n 30 C\n 40 D\n", {"tidy", "FILE"});
    EXPECT_EQ(r.err, m_file + ":1: " + std::string(LoadString(IDS_LINE_NO_NUMBER)) + "\n" + m_file +
                         ":4: " + std::string(LoadString(IDS_LINE_NO_NUMBER)) + "\n");
    // Without the remark the program is tidied, and then checks clean.
    r = Run("game.bas", program.substr(program.find('\n') + 1), {"tidy", "-i", "FILE"});
    EXPECT_EQ(r.status, kExitOk);
    EXPECT_EQ(ReadBytes(m_file), "100 GOTO 200\n200 GOTO A$\n300 END\n");
    r = RunArgs({"check", m_file});
    EXPECT_EQ(r.status, kExitOk);
    EXPECT_EQ(r.err, "");
    // A first line without a number above numbers that are not indented.
    r = Run("game.bas", "REM game\n10 A\n20 B\n", {"check", "FILE"});
    EXPECT_EQ(r.err, m_file +
                         ":1: warning: this line has no line number, though most lines have one, "
                         "so the file is taken as having no line numbers and its lines get new "
                         "ones in front of theirs; give it a number or remove it\n");
}

// Programs as they are shared: no line 10, blank lines, numbers indented,
// LF line ends.
std::string SharedProgram(unsigned seed) {
    std::mt19937 rng(seed);
    std::string text = rng() % 2 ? "\n" : "";
    const auto lines = static_cast<unsigned>(3 + rng() % 20);
    const auto first = static_cast<unsigned>(100 + 10 * (rng() % 50));
    for (unsigned i = 0; i < lines; ++i) {
        const unsigned number = first + 10 * i;
        if (rng() % 4 == 0)
            text += rng() % 2 ? "\n" : "  \n";
        text += rng() % 5 == 0 ? " " : "";
        text += std::to_string(number);
        if (i + 1 < lines && rng() % 2)
            text += " GOTO " + std::to_string(first + 10 * (rng() % lines));
        else
            text += " PRINT \"\x82\xa0\"";
        text += '\n';
    }
    return text;
}

// The guide's examples, in its order, on programs as they are shared.
TEST_F(CliCommands, TheGuidesExamplesWorkOnProgramsAsShared) {
    const auto utf8 = [](std::string text) {
        for (std::size_t at; (at = text.find("\x82\xa0")) != std::string::npos;)
            text.replace(at, 2, "あ");
        return text;
    };
    for (unsigned seed = 1; seed <= 20; ++seed) {
        const std::string program = SharedProgram(seed);
        Result r = Run("game.bas", program, {"tidy", "-i", "FILE"});
        ASSERT_EQ(r.status, kExitOk) << program << r.err;
        const std::string tidied = ReadBytes(m_file);
        // The same program kept in UTF-8 tidies to the same bytes.
        const std::string kept = m_dir.file("game-utf8.bas");
        WriteBytes(kept, utf8(program));
        r = RunArgs({"tidy", "--encoding", "utf-8", kept, "-o", m_dir.file("from-utf8.bas")});
        EXPECT_EQ(ReadBytes(m_dir.file("from-utf8.bas")), tidied) << r.err;

        r = RunArgs({"renumber", "--new", "100", "--step", "10", "-i", m_file});
        ASSERT_EQ(r.status, kExitOk) << program << r.err;
        const std::string renumbered = ReadBytes(m_file);
        EXPECT_EQ(renumbered.substr(0, 4), "100 ") << program;
        EXPECT_EQ(renumbered.find('\r'), std::string::npos); // still LF
        r = RunArgs({"renumber", "--old", "500", "--new", "1000", m_file, "-o",
                     m_dir.file("game-new.bas")});
        EXPECT_EQ(r.status == kExitOk, renumbered.find("\n500 ") != std::string::npos)
            << renumbered << r.err;
        r = RunArgs({"sort", m_file, "--numbers", "-o", m_dir.file("sorted.bas")});
        EXPECT_EQ(ReadBytes(m_dir.file("sorted.bas")), renumbered);
        r = RunArgs({"check", m_file});
        EXPECT_EQ(r.status, kExitOk) << renumbered << r.err;
        EXPECT_EQ(r.err, "");
        r = RunArgs({"wire", "--eol", "lf", "--tab", "8", m_file});
        EXPECT_EQ(r.out, renumbered + "\x1a");

        WriteBytes(m_dir.file("main.c"), "int main()\n{\n\n}\n");
        r = RunArgs({"number", m_dir.file("main.c")});
        EXPECT_EQ(r.out, "10int main()\n20{\n30\n40}\n");

        // Kept in UTF-8 and worked on as it is.
        WriteBytes(kept, utf8(renumbered));
        r = RunArgs({"renumber", "--encoding", "utf-8", "-i", kept});
        EXPECT_EQ(ReadBytes(kept), utf8(RunArgs({"renumber", m_file}).out)) << r.err;
        r = RunArgs({"check", "--encoding", "utf-8", kept});
        EXPECT_EQ(r.status, kExitOk);
        EXPECT_EQ(r.err, "");
    }
}

// The guide's first examples, on programs as they are shared: no line 10,
// LF line ends.
TEST_F(CliCommands, RenumberWithoutOldRenumbersTheWholeProgram) {
    Result r = Run("game.bas", "100 GOTO 130\n120 PRINT\n130 END\n",
                   {"renumber", "--new", "100", "--step", "10", "-i", "FILE"});
    EXPECT_EQ(r.status, kExitOk) << r.err;
    EXPECT_EQ(ReadBytes(m_file), "100 GOTO 120\n110 PRINT\n120 END\n");
    r = Run("game.bas", "5 GOSUB 7\n7 RETURN\n", {"renumber", "FILE"});
    EXPECT_EQ(r.out, "10 GOSUB 20\n20 RETURN\n");
    r = Run("notes.txt", "20 B\n10 A\n", {"sort", "FILE", "-o", m_dir.file("sorted.txt")});
    EXPECT_EQ(ReadBytes(m_dir.file("sorted.txt")), "10 A\n20 B\n");
}

#if !defined(_WIN32) // POSIX permissions and FIFOs
TEST_F(CliCommands, InPlaceReplacesTheFileKeepingItsPermissions) {
    const std::string program = "20 GOTO 10\r\n10 END\r\n";
    m_file = m_dir.file("p.bas");
    WriteBytes(m_file, program);
    ::chmod(m_file.c_str(), 0640);
    ASSERT_EQ(RunArgs({"renumber", "-i", m_file, "--new", "100"}).status, kExitOk);
    EXPECT_EQ(ReadBytes(m_file), "100 END\r\n110 GOTO 100\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(m_file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // On an error neither FILE nor the output changes, and no file is left over.
    WriteBytes(m_file, program);
    EXPECT_EQ(RunArgs({"renumber", "-i", m_file, "--old", "99"}).status, kExitFailure);
    EXPECT_EQ(ReadBytes(m_file), program);
    EXPECT_EQ(RunArgs({"sort", m_file, "-o", m_dir.file("out.bas"), "--step", "0"}).status,
              kExitUsage);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.path()), {}), 1);

    // Only a regular file is replaced: a FIFO would block, a pipe or a
    // terminal would swallow the result.
    const std::string fifo = m_dir.file("fifo.bas");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo, std::string("/dev/null")}) {
        const Result r = RunArgs({"sort", "-i", path});
        EXPECT_EQ(r.status, kExitUsage) << path;
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')),
                  "tessel-cli: --in-place needs a regular file; '" + path +
                      "' is not one (use -o)");
    }
}
#endif

// Reading stops at the first NUL byte; when more than NULs follow it, every
// command refuses the file rather than write or send it cut short.
TEST_F(CliCommands, ANulByteNeverCutsAFileSilently) {
    using namespace std::string_literals;
    const std::string out = m_dir.file("out.bas");
    const struct {
        std::string content;
        std::vector<std::string> args;
        int status;
        std::string err;   // after "FILE: "
        std::string after; // FILE's bytes afterwards
    } cases[] = {
        {"\0"
         "10 A\r\n"s,
         {"check", "FILE"},
         kExitFailure,
         "the text would end at the NUL byte at offset 0, cutting off the 6 bytes after it; "
         "remove the NUL byte first\n",
         "\0"
         "10 A\r\n"s},
        {"10 A\r\n20 B\0\r\n30 C\r\n"s,
         {"sort", "-i", "FILE"},
         kExitFailure,
         "the text would end at the NUL byte at offset 10, cutting off the 8 bytes after it; "
         "remove the NUL byte first\n",
         "10 A\r\n20 B\0\r\n30 C\r\n"s},
        {"10 A\r\n\0\0X"s,
         {"wire", "FILE"},
         kExitFailure,
         "the text would end at the NUL byte at offset 6, cutting off the 2 bytes after it; "
         "remove the NUL byte first\n",
         "10 A\r\n\0\0X"s},
        {"20 A\r\n\0\0\0B"s,
         {"renumber", "FILE", "-o", out},
         kExitFailure,
         "the text would end at the NUL byte at offset 6, cutting off the 3 bytes after it; "
         "remove the NUL byte first\n",
         "20 A\r\n\0\0\0B"s},
        // NUL bytes alone at the end are padding: dropped, as always.
        {"20 B\r\n10 A\r\n\0\0\0"s, {"sort", "-i", "FILE"}, kExitOk, "", "10 A\r\n20 B\r\n"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(out);
        const Result r = Run("p.bas", c.content, c.args);
        EXPECT_EQ(r.status, c.status) << c.args[0];
        EXPECT_EQ(r.err, c.err.empty() ? "" : m_file + ": " + c.err) << c.args[0];
        EXPECT_EQ(ReadBytes(m_file), c.after) << c.args[0];
        if (c.status != kExitOk) {
            EXPECT_EQ(r.out, "") << c.args[0];
            EXPECT_FALSE(std::filesystem::exists(out)) << c.args[0];
        }
    }
}

TEST_F(CliCommands, UnreadableAndUnwritableFiles) {
    Result r = RunArgs({"sort", m_dir.file("missing.bas")});
    EXPECT_EQ(r.status, kExitFailure);
    EXPECT_EQ(r.err, m_dir.file("missing.bas: ") + SystemReason(ENOENT) + "\n");
    // A name with a line break stays on one line.
    r = RunArgs({"sort", m_dir.file("two\nlines.bas")});
    EXPECT_EQ(r.err, "'" + m_dir.file("two\\nlines.bas': ") + SystemReason(ENOENT) + "\n");
    r = RunArgs({"number", m_dir.path()});
    EXPECT_EQ(r.err, m_dir.path() + ": Is a directory\n");

    r = Run("a.bas", "10 A\n", {"number", "FILE", "-o", m_dir.file("no/such/dir.bas")});
    EXPECT_EQ(r.status, kExitFailure);
    EXPECT_EQ(r.err, m_dir.file("no/such/dir.bas: ") + SystemReason(ENOENT) + "\n");
    r = Run("a.bas", "10 A\n", {"number", "FILE", "-o", m_dir.path()});
    EXPECT_EQ(r.err, m_dir.path() + ": Is a directory\n");
#if !defined(_WIN32)
    r = Run("a.bas", "10 A\n", {"number", "FILE", "-o", "/dev/full"});
    EXPECT_EQ(r.err, "/dev/full: " + SystemReason(ENOSPC) + "\n");
#endif
    EXPECT_EQ(ReadBytes(m_file), "10 A\n");

    // A receive finds out before it opens the port.
    r = RunArgs({"receive", "-o", m_dir.file("no/such/dir.bas"), "--port", "/nonexistent"});
    EXPECT_EQ(r.status, kExitFailure);
    EXPECT_EQ(r.err, m_dir.file("no/such/dir.bas: ") + SystemReason(ENOENT) + "\n");
}

#if !defined(_WIN32) // Windows replaces with its own calls
// Every file call of a run goes through the system-call table: interrupted
// calls are made again, and one that fails is reported with the file's name
// and leaves the output file as it was.
TEST_F(CliCommands, FileCallsGoThroughTheSystemCallTable) {
    const std::string ini = m_dir.file("my.ini");
    WriteBytes(ini, "[LineNumber]\r\nStartLine=100\r\nStep=5\r\n");
    const std::string out = m_dir.file("out.bas");
    const std::vector<std::string> args = {"number", "FILE", "--settings", ini, "-o", out};
    for (const std::string_view call : {"open", "fstat", "read", "stat", "access", "lstat",
                                        "fchmod", "write", "fsync", "rename"}) {
        WriteBytes(out, "old");
        const test::ScopedFileFaults faults({.call = call, .interrupts = 2});
        const Result r = Run("a.txt", "A\r\nB\r\n", args);
        EXPECT_EQ(r.status, kExitOk) << call << ": " << r.err;
        EXPECT_EQ(ReadBytes(out), "100A\r\n105B\r\n") << call;
        EXPECT_GT(faults.Calls(), 2) << call;
    }
    for (const auto& [call, error] :
         {std::pair{"access", EACCES}, {"write", ENOSPC}, {"fsync", EIO}, {"rename", EROFS}}) {
        WriteBytes(out, "old");
        const test::ScopedFileFaults faults({.call = call, .error = error});
        const Result r = Run("a.txt", "A\r\nB\r\n", args);
        EXPECT_EQ(r.status, kExitFailure) << call;
        EXPECT_EQ(r.err, out + ": " + SystemReason(error) + "\n");
        EXPECT_EQ(ReadBytes(out), "old") << call;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.path()), {}), 3) << call;
    }
}
#endif

TEST_F(CliCommands, OptionsBeatTheSettingsFileWhichBeatsTheDefaults) {
    const std::string ini = m_dir.file("my.ini");
    WriteBytes(ini, "[Edit]\r\nTabStop=2\r\n[COMPORT]\r\nEndOfLine=1\r\nEndOfFile=4\r\n"
                    "[LineNumber]\r\nStartLine=100\r\nStep=5\r\n");
    const std::string text = "A\tB\r\nC\r\n";
    Result r = Run("a.txt", text, {"wire", "FILE"});
    EXPECT_EQ(r.out, "10A B\r\n20C\r\n" + kEot);
    r = Run("a.txt", text, {"wire", "FILE", "--settings", ini});
    EXPECT_EQ(r.out, "100A  B\n105C\n\x04");
    r = Run("a.txt", text,
            {"wire", "FILE", "--settings=" + ini, "--tab", "8", "--eol", "cr", "--eof", "1A",
             "--number-start", "7", "--number-step", "1"});
    EXPECT_EQ(r.out, "7A      B\r8C\r" + kEot);

    // Without --settings the given default file is read.
    m_defaultSettings = ini;
    EXPECT_EQ(Run("a.txt", text, {"number", "FILE"}).out, "100A\tB\r\n105C\r\n");

    r = Run("a.txt", text, {"number", "FILE", "--settings", m_dir.file("typo.ini")});
    EXPECT_EQ(r.status, kExitUsage);
    EXPECT_NE(r.err.find("typo.ini': " + SystemReason(ENOENT)), std::string::npos);

    // A value out of its range counts as absent, and says so once.
    const std::string bad = m_dir.file("bad.ini");
    WriteBytes(bad, "[LineNumber]\r\nStartLine=0\r\nStep=99999\r\n[COMPORT]\r\nEndOfLine=7\r\n"
                    "[Misc]\r\nLanguage=fr\r\n");
    r = Run("a.txt", text, {"wire", "FILE", "--settings", bad});
    EXPECT_EQ(r.status, kExitOk);
    EXPECT_EQ(r.out, "10A B\r\n20C\r\n" + kEot);
    EXPECT_EQ(r.err,
              bad + ": warning: [COMPORT] EndOfLine=7 is not 0 to 2; 2 is used\n" + bad +
                  ": warning: [LineNumber] StartLine=0 is not 1 to 65279; 10 is used\n" + bad +
                  ": warning: [LineNumber] Step=99999 is not 1 to 65278; 10 is used\n" + bad +
                  ": warning: [Misc] Language=fr is not ja or en; the locale's language is "
                  "used\n");
}

TEST_F(CliCommands, SerialOptionsBeatTheSettingsFile) {
    const std::string ini = m_dir.file("com.ini");
    WriteBytes(ini, "[COMPORT]\r\nBaudRate=0\r\nCOMPort=1\r\nDataBit=0\r\nStopBit=1\r\n"
                    "Parity=1\r\nFlowControl=0\r\nCharDelay=5\r\nLineDelay=50\r\n"
                    "Device2=/dev/ttyS9\r\n");
    const auto load = [&](std::vector<std::string_view> args) {
        CliOptions options;
        std::string error;
        EXPECT_TRUE(ParseCommandLine(args, options, error)) << error;
        AppSettings settings;
        std::vector<std::string> warnings;
        EXPECT_TRUE(LoadCliSettings(options, {}, settings, error, warnings)) << error;
        EXPECT_TRUE(warnings.empty());
        return settings.m_comSettings;
    };

    ComSettings com = load({"receive", "-o", "x"});
    EXPECT_EQ(DevicePath(com), kFirstPortDevice);
    EXPECT_EQ(com.LineConfig.BaudRate, 1200u);
    EXPECT_EQ(com.LineConfig.fOutxCtsFlow, 1);

    com = load({"send", "a.bas", "--settings", ini});
    EXPECT_EQ(DevicePath(com), "/dev/ttyS9");
    EXPECT_EQ(com.LineConfig.BaudRate, 300u);
    EXPECT_EQ(com.LineConfig.ByteSize, 7);
    EXPECT_EQ(com.LineConfig.StopBits, kTwoStopBits);
    EXPECT_EQ(com.LineConfig.Parity, kEvenParity);
    EXPECT_EQ(com.LineConfig.fOutX, 1);
    EXPECT_EQ(com.CharDelay, 5u);
    EXPECT_EQ(com.LineDelay, 50u);

    // Each option replaces its key, and the line configuration follows.
    com = load({"send",         "a.bas", "--settings",  ini,    "--port",       "/dev/ttyACM0",
                "--baud",       "9600",  "--data-bits", "8",    "--stop-bits",  "1",
                "--parity",     "none",  "--flow",      "none", "--char-delay", "0",
                "--line-delay", "0"});
    EXPECT_EQ(DevicePath(com), "/dev/ttyACM0");
    EXPECT_EQ(com.LineConfig.BaudRate, 9600u);
    EXPECT_EQ(com.LineConfig.ByteSize, 8);
    EXPECT_EQ(com.LineConfig.StopBits, kOneStopBit);
    EXPECT_EQ(com.LineConfig.fParity, 0);
    EXPECT_EQ(com.LineConfig.fOutX, 0);
    EXPECT_EQ(com.LineConfig.fOutxCtsFlow, 0);
    EXPECT_EQ(com.CharDelay, 0u);
    EXPECT_EQ(com.LineDelay, 0u);

    EXPECT_EQ(DevicePath(load({"send", "a.bas", "--settings", ini, "--port", "COM1"})),
              kFirstPortDevice);
}

// A Windows console shows the tool's messages (UTF-8) and a document's text
// (code page 932) alike, with the line ends as they are.
TEST(ConsoleText, MessagesAsUtf8AndDocumentTextAsCodePage932) {
    EXPECT_EQ(ConsoleText("送信しました ok\n"), u"送信しました ok\n");
    EXPECT_EQ(ConsoleText("\xf0\x9f\x98\x80"), u"\U0001F600");
    EXPECT_EQ(ConsoleText("\x82\xa0\xb1\r\nA\tB\nC\r\x80"), u"\u3042\uFF71\r\nA\tB\nC\r\uF780");
    // Overlong and surrogate forms are no UTF-8: the code page reads them.
    EXPECT_EQ(ConsoleText("\xc0\xaf"), std::u16string(u"\uFF80\uFF6F")); // ﾀｯ
    EXPECT_EQ(ConsoleText("\xed\xa0\x80").size(), 2u); // a double-byte code, a byte
    EXPECT_EQ(ConsoleText(""), u"");
}

#if !defined(_WIN32) // a Linux device tree of its own
TEST_F(CliCommands, PortsListsOneLineAPortOrJsonAndSaysWhenThereIsNone) {
    namespace fs = std::filesystem;
    const std::vector<std::string_view> table = {"ports"};
    const std::vector<std::string_view> json = {"ports", "--json"};
    StringOutput out;
    StringOutput err;
    CliContext context{out, err, m_defaultSettings};
    context.roots.dev = m_dir.file("dev");
    context.roots.sys = m_dir.file("sys");
    context.roots.proc = m_dir.file("proc");
    fs::create_directories(context.roots.dev);

    // None: nothing on standard output, a hint on standard error, status 0.
    EXPECT_EQ(RunCommandLine(table, context), kExitOk);
    EXPECT_EQ(out.Text(), "");
    EXPECT_EQ(err.Text(), "tessel-cli: no serial port found; plug in the adapter, and check its "
                          "cable and driver (dmesg tells)\n");
    EXPECT_EQ(RunCommandLine(json, context), kExitOk);
    EXPECT_EQ(out.Text(), "[]\n");

    // A USB adapter with its stable name, which the settings make COM2, and
    // an ACM device without one.
    const std::string& dev = context.roots.dev;
    WriteBytes(dev + "/ttyUSB0", "");
    WriteBytes(dev + "/ttyACM0", "");
    fs::create_directories(dev + "/serial/by-id");
    fs::create_symlink("../../ttyUSB0", dev + "/serial/by-id/usb-Prolific_PL2303-if00-port0");
    const std::string usb = context.roots.sys + "/devices/usb1/1-1";
    fs::create_directories(usb + "/1-1:1.0/ttyUSB0");
    WriteBytes(usb + "/idVendor", "067b\n");
    WriteBytes(usb + "/idProduct", "2303\n");
    WriteBytes(usb + "/manufacturer", "Prolific \"Tech\"\n");
    WriteBytes(usb + "/product", "USB-Serial Controller\n");
    fs::create_directories(context.roots.sys + "/class/tty/ttyUSB0");
    fs::create_directory_symlink(usb + "/1-1:1.0/ttyUSB0",
                                 context.roots.sys + "/class/tty/ttyUSB0/device");
    WriteBytes(m_defaultSettings, "[COMPORT]\nDevice2=" + dev + "/ttyUSB0\n");

    StringOutput listed;
    StringOutput quiet;
    CliContext again{listed, quiet, m_defaultSettings, context.roots};
    EXPECT_EQ(RunCommandLine(table, again), kExitOk);
    const std::string usb0 = fs::canonical(dev + "/ttyUSB0").string();
    EXPECT_EQ(listed.Text(), dev + "/serial/by-id/usb-Prolific_PL2303-if00-port0\t" + usb0 +
                                 "\tCOM2\trw\t067b:2303\t-\tProlific \"Tech\" USB-Serial "
                                 "Controller\n" +
                                 dev + "/ttyACM0\t" + dev + "/ttyACM0\t-\trw\t-\t-\t-\n");
    EXPECT_EQ(quiet.Text(), "");

    StringOutput asJson;
    CliContext third{asJson, quiet, m_defaultSettings, context.roots};
    EXPECT_EQ(RunCommandLine(json, third), kExitOk);
    EXPECT_EQ(asJson.Text(),
              "[\n  {\"path\": \"" + dev +
                  "/serial/by-id/usb-Prolific_PL2303-if00-port0\", \"device\": \"" + usb0 +
                  "\", \"com\": [\"COM2\"], \"openable\": true, \"vendor_id\": \"067b\", "
                  "\"product_id\": \"2303\", \"manufacturer\": \"Prolific \\\"Tech\\\"\", "
                  "\"product\": \"USB-Serial Controller\", \"serial\": \"\", \"driver\": \"\", "
                  "\"description\": \"Prolific \\\"Tech\\\" USB-Serial Controller\"},\n  "
                  "{\"path\": \"" +
                  dev + "/ttyACM0\", \"device\": \"" + dev +
                  "/ttyACM0\", \"com\": [], \"openable\": true, \"vendor_id\": \"\", "
                  "\"product_id\": \"\", \"manufacturer\": \"\", \"product\": \"\", "
                  "\"serial\": \"\", \"driver\": \"\", \"description\": \"\"}\n]\n");

    // An adapter may name itself with any bytes: the listing stays JSON.
    WriteBytes(usb + "/product", "Serial\xff\x01\n");
    StringOutput odd;
    CliContext fourth{odd, quiet, m_defaultSettings, context.roots};
    EXPECT_EQ(RunCommandLine(json, fourth), kExitOk);
    const nlohmann::json parsed = nlohmann::json::parse(odd.Text());
    EXPECT_EQ(parsed[0]["product"], "Serial\xEF\xBF\xBD\x01");
}
#else
// The settings may name a port as Win32 opens it (\\.\COM1); ports still
// knows which it is.
TEST_F(CliCommands, PortsTellsWhichComPortsTheSettingsMakeOfEachPort) {
    WriteBytes(m_defaultSettings, "[COMPORT]\nDevice2=\\\\.\\COM1\nDevice3=COM1\n");
    StringOutput out;
    StringOutput err;
    CliContext context{out, err, m_defaultSettings};
    EXPECT_EQ(RunCommandLine(std::vector<std::string_view>{"ports"}, context), kExitOk);
    if (out.Text().find("COM1\t") != 0)
        GTEST_SKIP() << "this system has no COM1";
    const std::string first = out.Text().substr(0, out.Text().find('\n'));
    EXPECT_NE(first.find("\tCOM1,COM2,COM3\t"), std::string::npos) << first;
}
#endif

} // namespace
} // namespace tessel::cli
