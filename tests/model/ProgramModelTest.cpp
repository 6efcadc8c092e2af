#include "model/ProgramModel.h"

#include "engine/BasicDocument.h"
#include "settings/AppSettings.h"
#include "support/DocHarness.h"

#include "BasicProgram.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

namespace tessel {
namespace {

using test::CrLf;
using test::DocHarness;

// A problem as "line:column id severity", with " fix(offset,length)" for a
// mend that removes bytes and the byte range when it is not the whole line.
std::string Show(const ProgramProblem& p) {
    std::string out = std::to_string(p.line + 1) + ':' + std::to_string(p.column + 1) + ' ' +
                      std::to_string(p.message) + ' ' + "EWH"[static_cast<int>(p.severity)];
    out += " [" + std::to_string(p.begin) + ',' + std::to_string(p.end) + ')';
    for (const std::string& argument : p.arguments)
        out += " " + argument;
    if (p.fix)
        out += " fix" + std::to_string(p.fix->title) + '(' + std::to_string(p.fix->edit.offset) +
               ',' + std::to_string(p.fix->edit.length) + p.fix->edit.text + ')';
    return out;
}

std::vector<std::string> ShowAll(const ProgramModel& model) {
    std::vector<std::string> shown;
    for (const ProgramProblem& p : model.Problems())
        shown.push_back(Show(p));
    return shown;
}

ProgramModel Built(std::string_view text, ModelOptions options = {}) {
    ProgramModel model(options);
    model.Build(text);
    return model;
}

TEST(ProgramModel, LinesAndTheirNumbersAsTheLineTableReadsThem) {
    const ProgramModel model = Built("10 A\r\n0020B\n30 C\r\r\n40");
    ASSERT_EQ(model.LineCount(), 5u);
    EXPECT_EQ(model.Line(0).number, 10u);
    EXPECT_EQ(model.Line(1).number, 20u);
    EXPECT_EQ(model.Line(1).digits, 4u);
    EXPECT_EQ(model.Line(1).endLength, 1);
    EXPECT_EQ(model.LineText(2), "30 C");
    EXPECT_EQ(model.Line(2).endLength, 1); // a lone CR, then an empty line
    EXPECT_EQ(model.LineText(3), "");
    EXPECT_EQ(model.Line(4).endLength, 0);
    EXPECT_EQ(model.LineAt(5), 0u); // the LF of CR LF belongs to its line
    EXPECT_EQ(model.LineAt(6), 1u);
    EXPECT_EQ(model.LineAt(99), 4u);
    EXPECT_EQ(model.PlaceOf(8).line, 1u);
    EXPECT_EQ(model.PlaceOf(8).column, 2u);
    EXPECT_EQ(model.OffsetOf(1, 2), 8u);
    EXPECT_EQ(model.OffsetOf(1, 99), 11u); // no further than the line's end
    EXPECT_EQ(Built("10 A\r\n").LineCount(), 1u);
    EXPECT_EQ(Built("").LineCount(), 0u);
    // Whether the text is ASCII, for a caller that looks for UTF-8 only then.
    EXPECT_FALSE(model.BeyondAscii());
    EXPECT_TRUE(Built("10 A\r\n20 PRINT \"\x82\xa0\"\r\n").BeyondAscii());
}

TEST(ProgramModel, EveryProblemAtOnceWithItsPlaceAndMend) {
    struct Case {
        std::string text;
        std::vector<std::string> problems;
    };
    const std::string longLine = "30 " + std::string(251, 'A'); // 254 bytes: fits
    const Case cases[] = {
        {CrLf({"10 PRINT", "20 END"}), {}},
        // Lines without a number: blank, indented, the DOS end mark, other.
        {CrLf({"10 A", "", "  ", "  20 B", "X"}) + "\x1a",
         {"2:1 200 E [6,6) fix474(6,2)", "3:1 200 E [8,10) fix474(8,4)",
          "4:1 200 E [12,14) fix475(12,2)", "5:1 200 E [20,21)", "6:1 200 E [23,24) fix476(23,1)"}},
        // Out of range, used twice (every line that carries it), out of order.
        {CrLf({"0 A", "65280 B", "99999999999 C", "65279 D"}),
         {"1:1 202 E [0,1)", "2:1 202 E [5,10)", "3:1 202 E [14,25)"}},
        {CrLf({"20 A", "10 B", "20 C"}),
         {"1:1 204 E [0,2)", "2:1 471 H [6,8)", "3:1 204 E [12,14)"}},
        // 254 bytes as it goes out fit; a tab counts as the blanks it becomes.
        {CrLf({longLine, "35" + longLine.substr(2) + "B", "40\t" + std::string(251, 'C')}),
         {"2:255 205 E [510,511)", "3:254 205 E [766,767)"}},
        // A reference to no line is a warning, at its digits.
        {CrLf({"10 GOTO 30:GOSUB 0010", "20 IF A THEN 99 ELSE 10"}),
         {"1:9 470 W [8,10) 30", "2:14 470 W [36,38) 99"}},
        // NUL, the end code inside (but not as the text's last byte), bytes
        // that start no character.
        {std::string("10 A\0B\x1a\r\n20 \x82\xa0\x82\r\n30 C\x1a\r\n", 24),
         {"1:5 472 E [4,5) fix478(4,1)", "1:7 214 E [6,7) fix477(6,1)", "2:6 473 W [14,15) 82"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShowAll(Built(c.text)), c.problems) << c.text;
}

TEST(ProgramModel, KindsCheckWhatTheyHave) {
    // DATA files have no numbers, no length limit and no references.
    ModelOptions data{DocKind::Data};
    EXPECT_EQ(ShowAll(Built("A\r\n\r\n" + std::string(300, 'x') + "\x1a\r\nB\r\n", data)),
              std::vector<std::string>{"3:301 214 E [305,306) fix477(305,1)"});
    // Text and C files have numbers but no references.
    const std::string text = CrLf({"10 GOTO 99", "A"});
    for (const DocKind kind : {DocKind::Text, DocKind::C, DocKind::Asm, DocKind::Casl}) {
        const ProgramModel model = Built(text, {kind});
        EXPECT_EQ(ShowAll(model), std::vector<std::string>{"2:1 200 E [12,13)"});
        EXPECT_TRUE(model.References().empty());
    }
    // The end code of the settings, and one that is part of every line end.
    EXPECT_EQ(ShowAll(Built(CrLf({"10 A@B", "20 @"}), {DocKind::Basic, 4, '@'})),
              std::vector<std::string>{"1:5 214 E [4,5) fix477(4,1)"});
    EXPECT_EQ(ShowAll(Built(CrLf({"10 A", "20 B"}), {DocKind::Basic, 4, '\r', kEolCr})),
              std::vector<std::string>{"1:5 214 E [4,5)"});
    // The tab width of the settings decides how long a line goes out.
    AppSettings settings;
    settings.tabStop = 8;
    const std::string tabbed = CrLf({"40\t" + std::string(249, 'C')});
    EXPECT_TRUE(ShowAll(Built(tabbed, ModelOptions::For(DocKind::Basic, AppSettings{}))).empty());
    EXPECT_EQ(ShowAll(Built(tabbed, ModelOptions::For(DocKind::Basic, settings))),
              std::vector<std::string>{"1:250 205 E [249,252)"});
}

TEST(ProgramModel, MessagesInBothLanguages) {
    const std::vector<ProgramProblem> problems = Built(CrLf({"10 GOTO 30", "\x80"})).Problems();
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_EQ(problems[0].Text(Language::English),
              "There is no line 30. The program may still run, but it cannot be renumbered.");
    EXPECT_EQ(problems[0].Text(Language::Japanese),
              "行番号 30 の行がありません。プログラムは実行できても、行番号の変更はできません。");
    EXPECT_EQ(problems[2].Text(Language::English), "Byte 0x80 is no character of code page 932.");
    EXPECT_EQ(problems[1].Text(Language::English), "A line has no line number.");
}

// What the engine says when it refuses a text: its first message, and the
// line and column it names, as the model's refusal gives them.
struct Said {
    unsigned id = IDS_NONE;
    std::size_t line = kNoLine;
    std::size_t column = kNoColumn;
    bool operator==(const Said&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Said& said) {
    return out << said.id << '@' << said.line << ':' << said.column;
}

Said EngineSays(const std::string& text, Operation operation, DocKind kind) {
    DocHarness<BasicDocument> basic;
    DocHarness<NumberedDocument> numbered;
    AppSettings& settings = kind == DocKind::Basic ? basic.settings : numbered.settings;
    NumberedDocument& doc =
        kind == DocKind::Basic ? static_cast<NumberedDocument&>(basic.doc) : numbered.doc;
    test::RecordingSink& sink = kind == DocKind::Basic ? basic.sink : numbered.sink;
    (kind == DocKind::Basic ? basic.editor : numbered.editor).ReplaceText(text);
    (void)settings;
    std::string out;
    switch (operation) {
    case Operation::Send:
        doc.GetSendText(out, SendNumbers::With);
        break;
    case Operation::Sort:
        doc.SortLines();
        break;
    case Operation::Renumber: {
        // From the first line, with numbers that fit: only the text decides
        // (an empty text has no line to start from, and nothing to renumber).
        if (text.empty())
            return {};
        const auto lowest = doc.LowestLineNumber();
        doc.Renumber(lowest.value_or(1), lowest.value_or(1), 1);
        break;
    }
    }
    if (sink.ids.empty())
        return {};
    if (sink.lines.empty())
        return {sink.ids.front()};
    return {sink.ids.front(), sink.lines.front(), sink.columns.front()};
}

Said ModelSays(const std::string& text, Operation operation, DocKind kind) {
    const auto refusal = Built(text, ModelOptions::For(kind, AppSettings{})).Refusal(operation);
    if (!refusal)
        return {};
    return {refusal->message, refusal->line,
            refusal->message == IDS_END_CODE_INSIDE ? refusal->column : kNoColumn};
}

// For every text a send, a sort or a renumbering refuses, the model's
// refusal is the same message at the same line; where they go through, the
// model has none.
TEST(ProgramModel, RefusesWhatTheEngineRefusesAtTheSameLine) {
    const std::string longLine = "30 " + std::string(260, 'A');
    const std::vector<std::string> texts = {
        CrLf({"10 A", "20 B"}),
        CrLf({"10 A", "", "20 B"}),
        CrLf({"10 A", "  20 B", longLine}), // the length first for a send
        CrLf({longLine, "X"}),
        CrLf({"10 A", "10 B", "20 C", "20 D"}),
        CrLf({"10 A", "20 B", "10 C", "20 D"}), // the sort meets 20 first
        CrLf({"30 C", "10 A", "10 B", "20 D"}),
        CrLf({"10 GOTO 99", "20 B"}),
        CrLf({"20 GOTO 99", "10 GOSUB 5"}), // renumbering reads in number order
        CrLf({"10 A\x1a"
              "B",
              "20 C"}),
        "10 A\r\n20 B\x1a\r\n",
        CrLf({"10 A", "\x1a"}),
        "10 A\n\r20 B",
        "10 A\r\n0 B\r\n",
        "10\tA\r\n20 " + std::string(249, 'B') + "\t\r\n",
        "",
    };
    for (const std::string& text : texts)
        for (const DocKind kind : {DocKind::Basic, DocKind::Text})
            for (const Operation operation :
                 {Operation::Send, Operation::Sort, Operation::Renumber})
                EXPECT_EQ(ModelSays(text, operation, kind), EngineSays(text, operation, kind))
                    << text << " operation " << static_cast<int>(operation);
}

TEST(ProgramModel, RefusesWhatTheEngineRefusesOnGeneratedTexts) {
    std::mt19937 rng(404);
    const std::vector<std::string> pieces = {
        "10 A",
        "20 GOTO 10",
        "30 GOSUB 99",
        "20 B",
        "",
        "  40 C",
        "X",
        "\x1a",
        "50 " + std::string(252, 'L'),
        "60\t" + std::string(250, 'T'),
        "0 Z",
        "65280 Q",
        "70 A\x1a",
        "5 RESTORE 30",
        "80 ON A GOTO 10,20,30",
        "90 PRINT \"GOTO 77\"",
    };
    const char* ends[] = {"\r\n", "\r\n", "\r\n", "\n", "\r"};
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        for (std::size_t n = rng() % 7; n > 0; --n)
            text += pieces[rng() % pieces.size()] + ends[rng() % std::size(ends)];
        if (rng() % 4 == 0 && !text.empty())
            text.pop_back();
        const Operation operation = static_cast<Operation>(rng() % 3);
        const DocKind kind = rng() % 4 == 0 ? DocKind::Text : DocKind::Basic;
        ASSERT_EQ(ModelSays(text, operation, kind), EngineSays(text, operation, kind))
            << text << " operation " << static_cast<int>(operation);
    }
}

TEST(ProgramModel, TheIndexOfLinesReferencesLabelsAndVariables) {
    const ProgramModel model = Built(CrLf({
        "10 *MAIN:A=1:FOR I=1 TO 9:B$(I)=\"X\"",
        "20 IF A THEN 40 ELSE GOSUB *SUB",
        "30 GOTO 10,40:INPUT \"N\";N,M",
        "40 PRINT A+N:LET C=A",
        "50 *SUB:RETURN",
        "40 REM twice",
    }));
    EXPECT_EQ(model.LineWithNumber(40), 3u); // the first of the two
    EXPECT_EQ(model.LinesWithNumber(40), 2u);
    EXPECT_FALSE(model.LineWithNumber(35));
    ASSERT_EQ(model.References().size(), 3u);
    const std::span<const LineReference> from30 = model.ReferencesFrom(2);
    ASSERT_EQ(from30.size(), 2u);
    EXPECT_EQ(from30[0].keyword, kKwGoto);
    EXPECT_EQ(model.Target(from30[0]), 0u);
    EXPECT_EQ(model.Target(from30[1]), 3u);
    EXPECT_EQ(model.ReferencesTo(3), (std::vector<std::size_t>{0, 2}));
    EXPECT_TRUE(model.ReferencesTo(5).empty()); // the second line 40
    EXPECT_EQ(model.LabelLine("sub"), 4u);
    EXPECT_EQ(model.LabelLine("MAIN"), 0u);
    EXPECT_FALSE(model.LabelLine("ELSEWHERE"));

    std::vector<std::string> shown;
    for (const Symbol& symbol : model.Symbols()) {
        std::string line = (symbol.label ? "*" : "") + symbol.name + ':';
        for (const SymbolUse& use : symbol.uses)
            line += " " + std::to_string(use.line + 1) + "RSdu"[static_cast<int>(use.kind) ^ 2];
        shown.push_back(line);
    }
    // Labels first; d defined, u used, S set, R read.
    EXPECT_EQ(shown,
              (std::vector<std::string>{"*MAIN: 1d", "*SUB: 2u 5d", "A: 1S 2R 4R 4R", "B$: 1S",
                                        "C: 4S", "I: 1S 1R", "M: 3S", "N: 3S 4R"}));
    EXPECT_EQ(model.Uses("a", false).size(), 4u);
}

std::string ShowTokens(const ProgramModel& model, std::size_t line) {
    std::vector<Token> tokens;
    model.Tokens(line, tokens);
    const std::string_view text = model.LineText(line);
    std::string out;
    for (const Token& token : tokens) {
        if (!out.empty())
            out += ' ';
        out += "NKRLJSC#VOPGDX"[static_cast<int>(token.kind)];
        out += ':';
        out += text.substr(token.begin, token.end - token.begin);
    }
    return out;
}

TEST(ProgramModel, TokensOfEveryKind) {
    const ProgramModel basic = Built("10 GOSUB *A,20:X$=\"HI\" ' done\r\n");
    EXPECT_EQ(ShowTokens(basic, 0), "N:10 K:GOSUB J:*A P:, R:20 P:: V:X$ O:= S:\"HI\" C:' done");

    const ProgramModel c = Built(CrLf({"10 #include <stdio.h>", "20 int x = 0x1F; /* a",
                                       "30 comment */ char *s = \"a\\\"b\";", "40 // x++"}),
                                 {DocKind::C});
    EXPECT_EQ(ShowTokens(c, 0), "N:10 D:#include S:<stdio.h>");
    EXPECT_EQ(ShowTokens(c, 1), "N:20 K:int V:x O:= #:0x1F P:; C:/* a");
    EXPECT_EQ(ShowTokens(c, 2), "N:30 C: comment */ K:char O:* V:s O:= S:\"a\\\"b\" P:;");
    EXPECT_EQ(ShowTokens(c, 3), "N:40 C:// x++");

    const ProgramModel asm_ = Built(CrLf({"10 LOOP: LD A,(HL) ; next", "20 START JP NZ,LOOP",
                                          "30 MSG DEFM 'it''s'", "40 ORG 0C000H"}),
                                    {DocKind::Asm});
    EXPECT_EQ(ShowTokens(asm_, 0), "N:10 L:LOOP: K:LD G:A P:, P:( G:HL P:) C:; next");
    EXPECT_EQ(ShowTokens(asm_, 1), "N:20 L:START K:JP G:NZ P:, V:LOOP");
    EXPECT_EQ(ShowTokens(asm_, 2), "N:30 L:MSG D:DEFM S:'it''s'");
    EXPECT_EQ(ShowTokens(asm_, 3), "N:40 D:ORG #:0C000H");

    const ProgramModel casl =
        Built(CrLf({"10 MAIN START", "20  LAD GR1,=#FF", "30 A DC 'X',-5 ;c"}), {DocKind::Casl});
    EXPECT_EQ(ShowTokens(casl, 0), "N:10 L:MAIN D:START");
    EXPECT_EQ(ShowTokens(casl, 1), "N:20 K:LAD G:GR1 P:, O:= #:#FF");
    EXPECT_EQ(ShowTokens(casl, 2), "N:30 L:A D:DC S:'X' P:, #:-5 C:;c");

    EXPECT_EQ(ShowTokens(Built("10 GOTO 20\r\n", {DocKind::Text}), 0), "N:10");
    EXPECT_EQ(ShowTokens(Built("10 GOTO 20\r\n", {DocKind::Data}), 0), "");
}

// Everything a model answers, for comparing two.
std::string Everything(const ProgramModel& model) {
    std::string out(model.Text());
    out += '\n';
    for (std::size_t i = 0; i < model.LineCount(); ++i) {
        const ProgramLine& l = model.Line(i);
        out += std::to_string(l.start) + ',' + std::to_string(l.length) + ',' +
               std::to_string(l.endLength) + ',' + std::to_string(l.number) + ',' +
               std::to_string(l.digits) + ',' + std::to_string(l.sentLength) + ',' +
               std::to_string(l.flags) + ' ' + ShowTokens(model, i) + '\n';
    }
    for (const LineReference& r : model.References())
        out += std::to_string(r.line) + ':' + std::to_string(r.column) + '>' +
               std::to_string(r.target) + ' ';
    for (const std::string& problem : ShowAll(model))
        out += problem + '\n';
    for (const Symbol& symbol : model.Symbols()) {
        out += symbol.name;
        for (const SymbolUse& use : symbol.uses)
            out += ' ' + std::to_string(use.line) + ':' + std::to_string(use.column);
        out += '\n';
    }
    for (std::uint32_t n : {10u, 20u, 30u, 40u, 50u})
        out += std::to_string(model.LineWithNumber(n).value_or(999)) + ' ';
    for (const Operation operation : {Operation::Send, Operation::Sort, Operation::Renumber})
        if (const auto refusal = model.Refusal(operation))
            out += Show(*refusal) + '\n';
    return out;
}

// After any edits, the model kept up to date is the model built afresh.
TEST(ProgramModel, EditedEqualsBuiltAfresh) {
    std::mt19937 rng(77);
    const std::vector<std::string> inserts = {
        "\r\n", "\r",  "\n",      "1",  "0",   " ",        "\t",   "GOTO 30", "*L",
        "\"",   "'",   "/*",      "*/", "20 ", "\x82\xa0", "\x82", "\x1a",    std::string(1, '\0'),
        ":A=1", "REM", "ELSE 10",
    };
    for (int round = 0; round < 60; ++round) {
        const DocKind kind = std::array{DocKind::Basic, DocKind::Basic, DocKind::C, DocKind::Asm,
                                        DocKind::Data}[rng() % 5];
        std::string text = CrLf({"10 *L:A=1:GOTO 20", "20 IF A THEN 30 ELSE *L", "30 /* x",
                                 "40 PRINT B$:INPUT C", "50 */ RETURN"});
        ProgramModel model({kind});
        model.Build(text);
        // Labels, variables and comment states are kept up to date once asked for.
        if (round % 2 == 0)
            (void)model.Symbols();
        for (int edit = 0; edit < 40; ++edit) {
            const std::size_t offset = text.empty() ? 0 : rng() % (text.size() + 1);
            const std::size_t removed = rng() % 3 == 0 ? rng() % 8 : 0;
            const std::string inserted = rng() % 4 == 0 ? "" : inserts[rng() % inserts.size()];
            const std::size_t cut = std::min(removed, text.size() - offset);
            text.replace(offset, cut, inserted);
            model.Edit(offset, removed, inserted);
            if (rng() % 3 == 0)
                (void)ShowTokens(model, model.LineAt(rng() % (text.size() + 1)));
            ASSERT_EQ(Everything(model), Everything(Built(text, {kind})))
                << "round " << round << " edit " << edit;
        }
    }
}

TEST(ProgramModel, TheMeasurementProgramHasNoProblem) {
    const std::string program = bench::MakeBasicProgram();
    ProgramModel model;
    model.Build(program);
    EXPECT_GT(model.LineCount(), 2900u);
    EXPECT_TRUE(model.Problems().empty());
    EXPECT_GT(model.References().size(), 3000u);
    for (const Operation operation : {Operation::Send, Operation::Sort, Operation::Renumber})
        EXPECT_FALSE(model.Refusal(operation));
}

} // namespace
} // namespace tessel
