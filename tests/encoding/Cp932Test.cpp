#include "encoding/Cp932.h"

#include <gtest/gtest.h>

#include <random>

namespace tessel::cp932 {
namespace {

std::string RoundTrip(std::string_view bytes) {
    std::string out = "not encoded";
    const auto refusal = Encode(Decode(bytes), out);
    EXPECT_FALSE(refusal) << "refused at " << refusal->position;
    return out;
}

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values)
        s += static_cast<char>(v);
    return s;
}

TEST(Cp932Decode, EverySingleByteComesBackAloneAndInContext) {
    for (int b = 0; b < 256; ++b) {
        const std::string byte = Bytes({b});
        const std::u16string shown = Decode(byte);
        ASSERT_EQ(shown.size(), 1u) << b;
        // Only TAB, printable ASCII and half-width katakana are shown as themselves.
        const bool itself = b == 0x09 || (b >= 0x20 && b < 0x7F);
        const bool katakana = b >= 0xA1 && b <= 0xDF;
        EXPECT_EQ(IsPlaceholder(shown[0]), !itself && !katakana) << b;
        if (katakana) {
            EXPECT_EQ(shown[0], 0xFF61 + (b - 0xA1));
        }
        for (const std::string& text :
             {byte, byte + byte, "A" + byte + "B", "\r" + byte + "\n", byte + "\r\n", "\x82" + byte,
              byte + "\x82", "\x82\xa0" + byte + "\x82\xa0"})
            ASSERT_EQ(RoundTrip(text), text) << b;
    }
    EXPECT_EQ(Decode("\\~"), u"\\~"); // backslash and tilde, not yen sign and overline
    EXPECT_EQ(Decode(Bytes({0, 0x1b, 0x7f, 0x80, 0xa0, 0xfd, 0xff})),
              u"\u2400\u241b\u2421\uf780\uf7a0\uf7fd\uf7ff");
}

TEST(Cp932Decode, EveryDoubleByteCodeComesBack) {
    int characters = 0;
    int standIns = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        for (int trail = 0x00; trail <= 0xFF; ++trail) {
            const std::string code = Bytes({lead, trail});
            const std::u16string shown = Decode(code);
            ASSERT_EQ(RoundTrip(code), code) << lead << ' ' << trail;
            if (shown.size() == 1) {
                ++characters;
                standIns += StandsFor(shown[0]) != shown[0];
                EXPECT_EQ(IsPlaceholder(shown[0]), StandsFor(shown[0]) != shown[0]);
            }
        }
    }
    EXPECT_EQ(characters, 9604);
    EXPECT_EQ(standIns, 398);
}

TEST(Cp932Decode, KnownCodesAndRepeatedOnes) {
    EXPECT_EQ(Decode("\x82\xa0\x81\x40\x81\x60\x81\x5f"), u"あ\u3000\uff5e\uff3c");
    EXPECT_EQ(Decode("\x87\x54\xfa\x40\xf0\x40\xf9\xfc"), u"Ⅰⅰ\ue000\ue757");
    // Second codes of a character stand for it but keep their own bytes.
    for (const auto& [code, character] : {std::pair{"\xee\xef", u'ⅰ'},
                                          {"\x87\x9c", u'∪'},
                                          {"\xfa\x4a", u'Ⅰ'},
                                          {"\xee\xf9", u'￢'}}) {
        const std::u16string shown = Decode(code);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_NE(shown[0], character);
        EXPECT_EQ(StandsFor(shown[0]), character);
    }
    // Typed, such a character gets the code Windows gives it.
    std::string bytes;
    EXPECT_FALSE(Encode(u"ⅰ￢∵∪", bytes));
    EXPECT_EQ(bytes, "\xfa\x40\x81\xca\x81\xe6\x81\xbe");
}

TEST(Cp932Decode, OnlyCrLfBreaksALine) {
    EXPECT_EQ(Decode("a\r\nb"), u"a\nb");
    EXPECT_EQ(Decode("a\rb\nc"), u"a\u240db\u240ac");
    EXPECT_EQ(Decode("\n\r"), u"\u240a\u240d");
    EXPECT_EQ(Decode("\r\r\n\n"), u"\u240d\n\u240a");
    EXPECT_EQ(Decode("\r"), u"\u240d");
}

TEST(Cp932Decode, LeadWithoutItsTrailIsMarkedAloneAndTheNextByteReadAfresh) {
    EXPECT_EQ(Decode("\x82\x31"), u"\uf782"
                                  u"1");
    EXPECT_EQ(Decode("\x82\""), u"\uf782\"");
    EXPECT_EQ(Decode("\x82\r\n"), u"\uf782\n");
    EXPECT_EQ(Decode("ab\x82"), u"ab\uf782");
    EXPECT_EQ(Decode("\x82\x7f"), u"\uf782\u2421");
    EXPECT_EQ(Decode("\x85\x82\xa0"), u"\uf785あ"); // 0x8582 is undefined
    EXPECT_EQ(Decode("\x81\xad"), u"\uf781ｭ");      // a gap in a row; 0xAD is katakana
}

TEST(Cp932RoundTrip, RandomBytesWithoutNul) {
    std::mt19937 rng(932);
    // Biased towards the bytes that interact: leads, trails, CR, LF.
    const std::string pool = Bytes({0x82, 0x81, 0xea, 0xfc, 0x85, 0xa0, 0x40, 0x7f, 0x80, 0xfd,
                                    '\r', '\n', '\t', 'a', '1', 0xb1, 0x01});
    for (int round = 0; round < 20000; ++round) {
        std::string text(rng() % 40, 'x');
        for (char& c : text)
            c = rng() % 2 ? pool[rng() % pool.size()] : static_cast<char>(1 + rng() % 255);
        ASSERT_EQ(RoundTrip(text), text);
        // CharacterBytes() steps through the text as Decode() does: a byte
        // that starts no character is the one Decode() marks.
        const std::u16string decoded = Decode(text);
        std::size_t unit = 0;
        for (std::size_t i = 0; i < text.size(); ++unit) {
            const std::size_t bytes = CharacterBytes(text, i);
            const auto b = static_cast<unsigned char>(text[i]);
            ASSERT_LT(unit, decoded.size());
            EXPECT_EQ(bytes == 0, b >= 0x80 && decoded[unit] == 0xF700 + b) << i;
            i += text.compare(i, 2, "\r\n") == 0 ? 2 : std::max<std::size_t>(bytes, 1);
        }
        EXPECT_EQ(unit, decoded.size());
    }
}

TEST(Cp932Encode, LineBreaksOfEveryKindBecomeCrLf) {
    std::string bytes;
    EXPECT_FALSE(Encode(u"a\nb\u2029c\r\nd\re\u2028", bytes));
    EXPECT_EQ(bytes, "a\r\nb\r\nc\r\nd\r\ne\r\n");
    EXPECT_FALSE(Encode(u"\r\r\n\n", bytes));
    EXPECT_EQ(bytes, "\r\n\r\n\r\n");
}

TEST(Cp932Encode, RefusesWhatTheCodePageCannotHoldAndSaysWhere) {
    const struct {
        std::u16string text;
        std::size_t position, length;
        char32_t character;
    } cases[] = {
        {u"abé", 2, 1, U'é'},       {u"x😀y", 1, 2, U'😀'},
        {u"x\xd83d", 1, 1, 0xD83D}, // high surrogate at the end
        {u"\xde00x", 0, 1, 0xDE00}, // low surrogate alone
        {u"¥", 0, 1, U'¥'},         // no silent backslash
        {u"\u301c", 0, 1, 0x301C},  // WAVE DASH: the code page has U+FF5E
        {u"\u00a0", 0, 1, 0xA0},    // no silent blank
        {u"\u2409", 0, 1, 0x2409},  // not a mark: a tab decodes as a tab
        {u"\uf7b1", 0, 1, 0xF7B1},  // 0xB1 is always a character, never a mark
        {u"\uf18e", 0, 1, 0xF18E},  // past the last stand-in
    };
    for (const auto& c : cases) {
        std::string bytes = "old";
        const auto refusal = Encode(c.text, bytes);
        ASSERT_TRUE(refusal) << int(c.character);
        EXPECT_EQ(refusal->reason, RefusalReason::NotInCodePage);
        EXPECT_EQ(refusal->position, c.position);
        EXPECT_EQ(refusal->length, c.length);
        EXPECT_EQ(refusal->character, c.character);
        EXPECT_EQ(bytes, "");
        const auto typed = CheckInput(c.text);
        ASSERT_TRUE(typed);
        EXPECT_EQ(typed->position, c.position);
    }
    // What the message names: the character, else its code point alone.
    EXPECT_EQ(NameCharacter(U'é'), "「é」(U+00E9)");
    EXPECT_EQ(NameCharacter(0xD83D), "(U+D83D)");
    EXPECT_EQ(NameCharacter(0), "NUL (U+0000)");
}

TEST(Cp932Input, NulIsRefusedAndControlsAreShownAsMarks) {
    for (const char16_t nul : {u'\0', u'\u2400'}) {
        const std::u16string text = std::u16string(u"ab") + nul;
        EXPECT_EQ(CheckInput(text)->reason, RefusalReason::NulByte);
        EXPECT_EQ(CheckInput(text)->position, 2u);
        EXPECT_EQ(CheckInput(text)->character, nul); // for the message to name
    }
    // Marks and stand-ins come back from the clipboard when text is copied
    // within the editor.
    const std::u16string pasted = u"\x01\x7f\t\r\n\r\u2028x\u240d\uf781\uf000あ";
    EXPECT_FALSE(CheckInput(pasted));
    const std::u16string prepared = PrepareInput(pasted);
    EXPECT_EQ(prepared, u"\u2401\u2421\t\n\n\nx\u240d\uf781\uf000あ");
    std::string asPasted, asPrepared;
    ASSERT_FALSE(Encode(pasted, asPasted));
    ASSERT_FALSE(Encode(prepared, asPrepared));
    EXPECT_EQ(asPrepared, asPasted);
}

TEST(Cp932Offsets, DoubleBytesAndCrLfCountTwoBytesAndOnePosition) {
    const std::u16string text = Decode("\x82\xa0"
                                       "A\r\nB"); // "あA\nB"
    const std::size_t bytes[] = {0, 2, 3, 5, 6};
    for (std::size_t p = 0; p < 5; ++p)
        EXPECT_EQ(ByteOffset(text, p), bytes[p]) << p;
    EXPECT_EQ(ByteOffset(text, 99), 6u);
    const std::size_t positions[] = {0, 0, 1, 2, 2, 3, 4, 4};
    for (std::size_t o = 0; o < 8; ++o)
        EXPECT_EQ(Position(text, o), positions[o]) << o;
    // "\r\n" in text that has not been through the widget: CR and LF apart.
    EXPECT_EQ(ByteOffset(u"\r\n\r", 1), 1u);
    EXPECT_EQ(ByteOffset(u"\r\n\r", 3), 4u);
}

// Against the encoder itself: the bytes before each position are what the
// text up to that position encodes to.
TEST(Cp932Offsets, AgreeWithTheEncoderAndTheIndexOnRandomText) {
    std::mt19937 rng(4);
    const std::u16string pool = u"aあ\n\r\u2029\uf781\u240d\tｱ";
    for (int round = 0; round < 300; ++round) {
        std::u16string text(rng() % 300, u'x');
        for (char16_t& u : text)
            u = pool[rng() % pool.size()];
        const OffsetIndex index(text);
        std::string all;
        ASSERT_FALSE(Encode(text, all));
        ASSERT_EQ(index.ByteLength(), all.size());
        std::size_t expected = 0; // the position byte o belongs to
        for (std::size_t o = 0; o <= all.size() + 1; ++o) {
            while (expected < text.size() && ByteOffset(text, expected + 1) <= o)
                ++expected;
            ASSERT_EQ(Position(text, o), expected) << o;
            ASSERT_EQ(index.Position(o), expected) << o;
        }
        for (std::size_t p = 0; p <= text.size(); ++p) {
            std::string prefix;
            ASSERT_FALSE(Encode(text.substr(0, p), prefix));
            // A prefix that ends in '\r' gets a whole break; the text has only its CR.
            const bool split = p > 0 && p < text.size() && text[p - 1] == u'\r' && text[p] == u'\n';
            ASSERT_EQ(ByteOffset(text, p), prefix.size() - split) << p;
            ASSERT_EQ(index.ByteOffset(p), ByteOffset(text, p)) << p;
        }
    }
}

// Read off the bytes, a run of units takes as many bytes as the encoder
// gives them: line breaks, double bytes, lone CRs and the marks of lead bytes
// without their trail among them.
TEST(Cp932Offsets, UnitsToBytesAgreesWithTheWidgetsText) {
    std::mt19937 rng(7);
    const std::string pool[] = {"\r\n", "\r", "\n", "a", "\x82\xa0", "\x82", "\x80", "\xb1", "\t"};
    for (int round = 0; round < 200; ++round) {
        std::string bytes;
        for (std::size_t n = rng() % 60; n > 0; --n)
            bytes += pool[rng() % std::size(pool)];
        const std::u16string text = Decode(bytes);
        for (std::size_t p = 0; p <= text.size(); ++p)
            for (std::size_t k = 0; k <= text.size() - p + 1; ++k)
                ASSERT_EQ(UnitsToBytes(bytes, ByteOffset(text, p), k),
                          ByteOffset(text, p + k) - ByteOffset(text, p))
                    << round << ' ' << p << ' ' << k;
    }
}

TEST(Cp932KeepsApart, NeighboursThatWouldReadAsOneCharacter) {
    struct Case {
        std::string bytes; // decoded, then edited by taking out `cut` units at `at`
        std::size_t at, cut;
        bool keeps;
    };
    const Case cases[] = {
        {"\x81 @", 1, 1, false},   // a lead byte and "@": an ideographic space
        {"\x81 A", 1, 1, false},   // 0x81 0x41 is a code too
        {"\x81 \x7f", 1, 1, true}, // 0x7f completes no character
        {"A\rB\nC", 2, 1, false},  // a lone CR and a lone LF: a line break
        {"A\nB\rC", 2, 1, true},   // LF then CR stay two
        {"\x82\xa0 X", 1, 1, true},
    };
    for (const Case& c : cases) {
        std::u16string text = Decode(c.bytes);
        ASSERT_TRUE(KeepsApart(text)) << c.bytes;
        text.erase(c.at, c.cut);
        EXPECT_EQ(KeepsApart(text), c.keeps) << c.bytes;
    }
    // The editor's own paragraph breaks count as line breaks.
    EXPECT_TRUE(KeepsApart(u"A\u2029B"));
}

// --- Files in UTF-8 ----------------------------------------------------------

std::string Utf8(std::u16string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size())
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        AppendUtf8(out, c);
    }
    return out;
}

TEST(Cp932Utf8, CharactersTakeTheEditorsCodesAndAsciiBytesStayAsTheyAre) {
    const struct {
        std::u16string text;
        std::string bytes;
    } cases[] = {
        {u"10 PRINT \"\\~\"\r\n", "10 PRINT \"\\~\"\r\n"},
        {u"ｱｲﾞ｡", Bytes({0xB1, 0xB2, 0xDE, 0xA1})},
        {u"あ\u3000漢\uff5e\uff3c", "\x82\xa0\x81\x40\x8a\xbf\x81\x60\x81\x5f"},
        // A character with two codes takes the one Windows writes.
        {u"ⅰ∵", "\xfa\x40\x81\xe6"},
        // Line ends and control bytes of every kind pass as they are.
        {u"a\rb\nc\r\n\x01\x1a\x7f\t", "a\rb\nc\r\n\x01\x1a\x7f\t"},
        {u"\ue000", "\xf0\x40"}, // user-defined characters too
    };
    for (const auto& c : cases) {
        std::string bytes = "old";
        EXPECT_FALSE(FromUtf8(Utf8(c.text), bytes));
        EXPECT_EQ(bytes, c.bytes);
        std::string utf8;
        EXPECT_FALSE(ToUtf8(c.bytes, utf8));
        EXPECT_EQ(utf8, Utf8(c.text));
    }
    // A byte-order mark at the start is dropped; elsewhere it is a character
    // the code page does not hold.
    std::string bytes;
    bool dropped = false;
    EXPECT_FALSE(FromUtf8("\xEF\xBB\xBF"
                          "10 A",
                          bytes, &dropped));
    EXPECT_EQ(bytes, "10 A");
    EXPECT_TRUE(dropped);
    EXPECT_FALSE(FromUtf8("10 A", bytes, &dropped));
    EXPECT_FALSE(dropped);
    const auto inside = FromUtf8("A\xEF\xBB\xBF", bytes);
    ASSERT_TRUE(inside);
    EXPECT_EQ(inside->character, 0xFEFFu);
    // A second code comes back as its character, that is as the first code.
    std::string utf8;
    EXPECT_FALSE(ToUtf8("\xee\xef\x87\x9c", utf8));
    EXPECT_EQ(utf8, Utf8(u"ⅰ∪"));
}

TEST(Cp932Utf8, RefusalsNameTheOffsetAndTheCharacterOrByte) {
    const struct {
        std::string utf8;
        ConversionProblem problem;
        std::size_t offset;
        char32_t character;
        int byte;
    } cases[] = {
        {"10 \xF0\x9F\x98\x80", ConversionProblem::NotInCodePage, 3, 0x1F600, 0xF0},
        {"\xC2\xA5", ConversionProblem::NotInCodePage, 0, 0xA5, 0xC2}, // no yen sign
        {"ab\xC3\xA9", ConversionProblem::NotInCodePage, 2, 0xE9, 0xC3},
        {"\xE3\x80\x9C", ConversionProblem::NotInCodePage, 0, 0x301C, 0xE3},
        // The editor's marks for bytes are characters of their own in a file.
        {"\xE2\x90\x8A", ConversionProblem::NotInCodePage, 0, 0x240A, 0xE2},
        {"\xEF\x9E\x80", ConversionProblem::NotInCodePage, 0, 0xF780, 0xEF},
        {"\xEF\x80\x80", ConversionProblem::NotInCodePage, 0, 0xF000, 0xEF},
        {"\xE2\x80\xA8", ConversionProblem::NotInCodePage, 0, 0x2028, 0xE2},
        {"\xC2\x85", ConversionProblem::NotInCodePage, 0, 0x85, 0xC2},
        // Not UTF-8: code page 932 itself, stray, cut short, overlong,
        // surrogates, past U+10FFFF.
        {"A\x82\xa0", ConversionProblem::NotUtf8, 1, 0, 0x82},
        {"\x80", ConversionProblem::NotUtf8, 0, 0, 0x80},
        {"xy\xE3\x81", ConversionProblem::NotUtf8, 2, 0, 0xE3},
        {"\xC0\x80", ConversionProblem::NotUtf8, 0, 0, 0xC0},
        {"\xE0\x80\xAF", ConversionProblem::NotUtf8, 0, 0, 0xE0},
        {"\xED\xA0\x80", ConversionProblem::NotUtf8, 0, 0, 0xED},
        {"\xF4\x90\x80\x80", ConversionProblem::NotUtf8, 0, 0, 0xF4},
        {"\xEF\xBB\xBF\xFF", ConversionProblem::NotUtf8, 3, 0, 0xFF},
    };
    for (const auto& c : cases) {
        std::string bytes = "old";
        const auto error = FromUtf8(c.utf8, bytes);
        ASSERT_TRUE(error) << c.utf8;
        EXPECT_EQ(error->problem, c.problem) << c.utf8;
        EXPECT_EQ(error->offset, c.offset) << c.utf8;
        EXPECT_EQ(error->character, c.character) << c.utf8;
        EXPECT_EQ(error->byte, c.byte) << c.utf8;
        EXPECT_EQ(bytes, "");
    }
    // Bytes that are no character cannot be written as UTF-8.
    for (const auto& [bytes, offset] : {std::pair<std::string, std::size_t>{"ab\x80", 2},
                                        {"\xa0", 0},
                                        {"x\xfd", 1},
                                        {"\x82\xa0\x82", 2}, // a lead at the end
                                        {"\x82\x31", 0},     // a lead before no trail
                                        {"\x85\x40", 0}}) {  // an undefined pair
        std::string utf8 = "old";
        const auto error = ToUtf8(bytes, utf8);
        ASSERT_TRUE(error) << bytes;
        EXPECT_EQ(error->problem, ConversionProblem::NoCharacter);
        EXPECT_EQ(error->offset, offset) << bytes;
        EXPECT_EQ(error->byte, static_cast<unsigned char>(bytes[offset]));
        EXPECT_EQ(utf8, "");
    }
    EXPECT_EQ(NameCharacter(0x1F600), "「😀」(U+1F600)");
    EXPECT_EQ(NameCharacter(0x85), "(U+0085)");
}

// Every character the code page holds, as the text of a UTF-8 file.
std::u16string CharactersOfTheCodePage() {
    std::u16string characters;
    for (int b = 0; b < 0x80; ++b)
        characters += static_cast<char16_t>(b);
    for (int b = 0xA1; b <= 0xDF; ++b)
        characters += Decode(Bytes({b}));
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const std::u16string shown = Decode(Bytes({lead, trail}));
            if (shown.size() == 1 && !IsPlaceholder(shown[0]))
                characters += shown;
        }
    }
    return characters;
}

TEST(Cp932Utf8, AnyTextTheCodePageHoldsComesBackFromItsBytes) {
    const std::u16string characters = CharactersOfTheCodePage();
    ASSERT_EQ(characters.size(), 128u + 63u + 9604u - 398u);
    // Each character alone...
    for (const char16_t c : characters) {
        std::string bytes, back;
        ASSERT_FALSE(FromUtf8(Utf8({&c, 1}), bytes)) << int(c);
        ASSERT_FALSE(ToUtf8(bytes, back)) << int(c);
        ASSERT_EQ(back, Utf8({&c, 1})) << int(c);
    }
    // ... and in random texts, where neighbours could run together.
    std::mt19937 rng(65001);
    for (int round = 0; round < 3000; ++round) {
        std::u16string text(rng() % 60, u'x');
        for (char16_t& c : text)
            c = rng() % 3 ? characters[rng() % characters.size()] : characters[rng() % 0x80];
        const std::string utf8 = Utf8(text);
        std::string bytes, back;
        ASSERT_FALSE(FromUtf8(utf8, bytes));
        ASSERT_FALSE(ToUtf8(bytes, back));
        ASSERT_EQ(back, utf8);
        // The code page's bytes read as the editor reads them give the same
        // characters, line breaks aside.
        if (text.find_first_of(u"\r\n") == std::u16string::npos) {
            ASSERT_EQ(Encode(Decode(bytes), back), std::nullopt);
        }
    }
}

TEST(Cp932Utf8, LooksLikeUtf8OnlyWithCharactersBeyondAscii) {
    EXPECT_EQ(LooksLikeUtf8("10 PRINT \"A\"\r\n"), std::nullopt);
    EXPECT_EQ(LooksLikeUtf8(""), std::nullopt);
    EXPECT_EQ(LooksLikeUtf8("10 A\n20 \xE3\x81\x82\n"), 8u);
    // Code page 932 text is seldom valid UTF-8.
    EXPECT_EQ(LooksLikeUtf8("10 \x82\xa0\n"), std::nullopt);
    EXPECT_EQ(LooksLikeUtf8("10 \xb1\xb2\n"), std::nullopt);
    EXPECT_EQ(LooksLikeUtf8("\xE3\x81\x82\x82\xa0"), std::nullopt);
    // Long runs of ASCII before, between and after, at every alignment.
    for (std::size_t run = 0; run < 20; ++run) {
        const std::string ascii(run, 'A');
        EXPECT_EQ(LooksLikeUtf8(ascii + "\xC3\xA9" + ascii + "\xE3\x81\x82" + ascii), run);
        EXPECT_EQ(LooksLikeUtf8(ascii + "\xC3\xA9" + ascii + "\x82\xa0" + ascii), std::nullopt);
        EXPECT_EQ(LooksLikeUtf8(ascii + ascii + "\xC3"), std::nullopt);
    }
}

} // namespace
} // namespace tessel::cp932
