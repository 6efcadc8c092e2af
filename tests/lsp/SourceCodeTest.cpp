// The text of an open document: the client's UTF-8 held as code page 932,
// characters without a code kept aside, and positions in both encodings.

#include "lsp/SourceCode.h"
#include "lsp/DocumentStore.h"
#include "lsp/ProgramProblems.h"
#include "lsp/TextProblems.h"
#include "res/StringTable.h"

#include <gtest/gtest.h>

namespace tessel::lsp {
namespace {

constexpr auto kUtf16 = PositionEncoding::Utf16;
constexpr auto kUtf8 = PositionEncoding::Utf8;

// Four lines, each ended its own way: CR LF, LF, CR, none. "é" and the
// emoji have no code in code page 932; "ｱ" is one byte there (three in
// UTF-8), "漢" two (three in UTF-8), the emoji two UTF-16 units.
//
//   offset  0 "10 A" 4 CR 5 LF | 6 "20 \"" 10 é 11 "\"" 12 LF |
//          13 "30 " 16 ｱ 17 漢 19 emoji 20 CR | 21 "X" 22
const std::string kText = "10 A\r\n20 \"é\"\n30 ｱ漢😀\rX";

TEST(SourceText, HoldsCodePage932AndKeepsForeignCharactersAside) {
    const SourceText text(kText);
    EXPECT_EQ(text.Bytes(), "10 A\r\n20 \"\xFF\"\n30 \xB1\x8A\xBF\xFF\rX");
    ASSERT_EQ(text.Foreign().size(), 2u);
    EXPECT_EQ(text.Foreign()[0], (ForeignCharacter{10, U'é'}));
    EXPECT_EQ(text.Foreign()[1], (ForeignCharacter{19, U'😀'}));
    EXPECT_EQ(text.Utf8(), kText);
    EXPECT_EQ(text.Utf8(13, 21), "30 ｱ漢😀\r");
    EXPECT_EQ(text.LineCount(), 4u);
    EXPECT_EQ(text.LineEnd(0), 4u);
    EXPECT_EQ(text.LineEnd(2), 20u);
}

TEST(SourceText, CharactersWithoutACodeBecomeForeignNeverLost) {
    // Yen sign, U+2028 (a character in the protocol, no line end), the
    // editor's own byte mark and control picture, a byte-order mark, a
    // private-use stand-in: none is a character of code page 932.
    const std::u32string foreign = U"\u00A5\u2028\uF780\u2400\uFEFF\uF000";
    const std::string utf8 = "a\u00A5\u2028\uF780\u2400\uFEFF\uF000b\\~\x7F";
    const SourceText text(utf8);
    ASSERT_EQ(text.Foreign().size(), foreign.size());
    for (std::size_t k = 0; k < foreign.size(); ++k)
        EXPECT_EQ(text.Foreign()[k].character, foreign[k]) << k;
    EXPECT_EQ(text.Bytes().substr(7), "b\\~\x7F"); // ASCII as it is
    EXPECT_EQ(text.Utf8(), utf8);
    EXPECT_EQ(text.LineCount(), 1u);

    // A NUL is a character of the text; bytes that are no UTF-8 (which JSON
    // never brings) are each a foreign U+FFFD.
    const SourceText odd(std::string("x\0y\xC3\x28", 5));
    EXPECT_EQ(odd.Bytes(), std::string("x\0y\xFF(", 5));
    ASSERT_EQ(odd.Foreign().size(), 1u);
    EXPECT_EQ(odd.Foreign()[0].character, U'\uFFFD');
}

TEST(SourceText, OffsetsToPositionsInBothEncodings) {
    const SourceText text(kText);
    const struct {
        std::size_t offset;
        Position utf16;
        Position utf8;
    } cases[] = {
        {0, {0, 0}, {0, 0}},
        {4, {0, 4}, {0, 4}},
        {5, {0, 4}, {0, 4}}, // between CR and LF: the line end
        {6, {1, 0}, {1, 0}},
        {10, {1, 4}, {1, 4}},
        {11, {1, 5}, {1, 6}}, // after é: one unit, two bytes
        {16, {2, 3}, {2, 3}},
        {17, {2, 4}, {2, 6}}, // after ｱ: three bytes in UTF-8
        {18, {2, 4}, {2, 6}}, // inside 漢: its start
        {19, {2, 5}, {2, 9}},
        {20, {2, 7}, {2, 13}}, // after the emoji: a surrogate pair, four bytes
        {21, {3, 0}, {3, 0}},
        {22, {3, 1}, {3, 1}},
        {500, {3, 1}, {3, 1}}, // past the end: the end
    };
    for (const auto& c : cases) {
        EXPECT_EQ(text.PositionOf(c.offset, kUtf16), c.utf16) << c.offset;
        EXPECT_EQ(text.PositionOf(c.offset, kUtf8), c.utf8) << c.offset;
    }
}

TEST(SourceText, PositionsToOffsetsNeverSplitACharacter) {
    const SourceText text(kText);
    const struct {
        Position position;
        PositionEncoding encoding;
        std::size_t offset;
    } cases[] = {
        {{1, 5}, kUtf16, 11},  {{1, 6}, kUtf8, 11},
        {{1, 5}, kUtf8, 10},                         // inside é's two bytes: its start
        {{2, 4}, kUtf8, 16},                         // inside ｱ
        {{2, 6}, kUtf16, 19},                        // between the emoji's surrogates
        {{2, 12}, kUtf8, 19},                        // inside its four bytes
        {{2, 7}, kUtf16, 20},                        // the line's end
        {{2, 99}, kUtf16, 20},                       // past it: the line's end, not the next line
        {{0, 99}, kUtf8, 4},                         // before CR LF
        {{3, 1}, kUtf16, 22},  {{9, 0}, kUtf16, 22}, // past the last line: the end of the text
    };
    for (const auto& c : cases)
        EXPECT_EQ(text.OffsetOf(c.position, c.encoding), c.offset)
            << c.position.line << ":" << c.position.character;
    // Every boundary comes back as itself.
    for (const PositionEncoding encoding : {kUtf16, kUtf8})
        for (const std::size_t offset : {0u, 4u, 6u, 10u, 11u, 16u, 17u, 19u, 20u, 21u, 22u})
            EXPECT_EQ(text.OffsetOf(text.PositionOf(offset, encoding), encoding), offset);
}

TEST(SourceText, ReplacingKeepsForeignCharactersInPlace) {
    SourceText text(kText);
    // é becomes "e" and an emoji comes before it: the emoji after moves on.
    text.Replace(10, 11, "e");
    text.Replace(9, 9, "🙂");
    EXPECT_EQ(text.Utf8(), "10 A\r\n20 🙂\"e\"\n30 ｱ漢😀\rX");
    ASSERT_EQ(text.Foreign().size(), 2u);
    EXPECT_EQ(text.Foreign()[0], (ForeignCharacter{9, U'🙂'}));
    EXPECT_EQ(text.Foreign()[1], (ForeignCharacter{20, U'😀'}));
    // Joining a CR and an LF makes one line end of them.
    SourceText lines("A\rB\nC");
    lines.Replace(2, 3, "");
    EXPECT_EQ(lines.LineCount(), 2u);
    EXPECT_EQ(lines.PositionOf(4, kUtf16), (Position{1, 1}));
}

TEST(DocumentStore, ChangesApplyInOrderInTheNegotiatedEncoding) {
    for (const PositionEncoding encoding : {kUtf16, kUtf8}) {
        DocumentStore store;
        store.Open({"file:///a.bas", "basic", 1, "10 PRINT \"é😀\"\r\n"});
        // After the emoji: column 13 in UTF-16, 16 in UTF-8.
        const std::uint32_t after = encoding == kUtf16 ? 13 : 16;
        const std::vector<TextDocumentContentChangeEvent> changes = {
            {Range{{0, after}, {0, after}}, "!"},
            {Range{{0, 3}, {0, 8}}, "?"}, // PRINT becomes ?, on the text just made
            {Range{{1, 0}, {1, 0}}, "20 END"},
        };
        const auto changed = store.Change({"file:///a.bas", 2}, changes, encoding);
        ASSERT_TRUE(changed.Ok());
        EXPECT_EQ(changed.Value()->version, 2);
        EXPECT_EQ(changed.Value()->text.Utf8(), "10 ? \"é😀!\"\r\n20 END");
        // A whole text replaces everything; a document not open is refused.
        ASSERT_TRUE(store.Change({"file:///a.bas", 3}, {{std::nullopt, "X"}}, encoding).Ok());
        EXPECT_EQ(store.Get("file:///a.bas")->text.Bytes(), "X");
        EXPECT_FALSE(store.Change({"file:///b.bas", 1}, {}, encoding).Ok());
        EXPECT_TRUE(store.Close("file:///a.bas"));
        EXPECT_EQ(store.Get("file:///a.bas"), nullptr);
    }
}

TEST(TextProblems, EachForeignCharacterIsAnErrorUpToALimit) {
    SetLanguage(Language::English);
    const SourceText text("10 A=\"¥é\"");
    const std::vector<Diagnostic> problems = ForeignCharacterProblems(text, kUtf16);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0].range, (Range{{0, 6}, {0, 7}}));
    EXPECT_EQ(problems[0].severity, DiagnosticSeverity::Error);
    EXPECT_NE(problems[0].message.find("U+00A5"), std::string::npos);
    EXPECT_NE(problems[0].message.find("yen"), std::string::npos) << problems[0].message;
    EXPECT_NE(problems[1].message.find("「é」(U+00E9)"), std::string::npos);

    const std::vector<Diagnostic> limited = ForeignCharacterProblems(SourceText("éééé"), kUtf8, 2);
    ASSERT_EQ(limited.size(), 3u);
    EXPECT_EQ(limited[2].range, (Range{{0, 4}, {0, 6}}));
    EXPECT_EQ(limited[2].message, "2 more characters have no code in code page 932");
    SetLanguage(Language::Japanese);
}

// The model's problems as an editor shows them: where they are in the
// client's positions, how bad, in the interface's language, with a mend.
TEST(ProgramProblems, EveryProblemOfTheModelWithItsPlaceAndMend) {
    SetLanguage(Language::English);
    const Document document{"file:///a.bas", "basic", 1,
                            SourceText("10 GOTO 99\n\n20 A$=\"漢\"\n5 END")};
    const std::vector<Diagnostic> problems = ProgramProblems(document, kUtf16);
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_EQ(problems[0].range, (Range{{0, 8}, {0, 10}}));
    EXPECT_EQ(problems[0].severity, DiagnosticSeverity::Warning);
    EXPECT_EQ(problems[0].message,
              "There is no line 99. The program may still run, but it cannot be renumbered.");
    EXPECT_EQ(problems[0].source, "tessel");
    EXPECT_EQ(problems[1].range.start, (Position{1, 0}));
    EXPECT_EQ(problems[1].severity, DiagnosticSeverity::Error);
    EXPECT_EQ(problems[1].code, std::to_string(IDS_LINE_NO_NUMBER));
    ASSERT_TRUE(problems[1].data);
    EXPECT_EQ((*problems[1].data)["fix"]["offset"], 11);
    EXPECT_EQ((*problems[1].data)["fix"]["length"], 1);
    EXPECT_EQ((*problems[1].data)["fix"]["text"], "");
    EXPECT_EQ(problems[2].range.start, (Position{3, 0}));
    EXPECT_EQ(problems[2].severity, DiagnosticSeverity::Hint);
    // The kind goes by the language id, else by the file's extension.
    EXPECT_EQ(DocumentKind({"file:///n.txt", "plaintext", 1, {}}), DocKind::Text);
    // An editor that knows no BASIC calls a program plain text.
    EXPECT_EQ(DocumentKind({"file:///g.bas", "plaintext", 1, {}}), DocKind::Basic);
    EXPECT_EQ(DocumentKind({"file:///d.DAT", "x-data", 1, {}}), DocKind::Data);
    EXPECT_TRUE(ProgramProblems({"file:///d.dat", "", 1, SourceText("\n\n")}, kUtf8).empty());

    // The settings' tab width and end code, as check goes by them: a tab
    // that takes a line past 254 bytes, an end code inside the text.
    const Document wide{"file:///w.bas", "basic", 1,
                        SourceText("10 A\t" + std::string(245, 'B') +
                                   "\n20 C\x01"
                                   "D\n")};
    EXPECT_TRUE(ProgramProblems(wide, kUtf8).empty());
    AppSettings settings;
    settings.tabStop = 10;
    settings.m_comSettings.EndOfFile = 1;
    const std::vector<Diagnostic> found = ProgramProblems(wide, kUtf8, settings);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].range.start.line, 0u);
    EXPECT_EQ(found[1].range.start.line, 1u);
    SetLanguage(Language::Japanese);
}

} // namespace
} // namespace tessel::lsp
