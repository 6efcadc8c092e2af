#include "view/SourceHighlighter.h"

#include "encoding/Cp932.h"
#include "model/SourceLexer.h"
#include "view/Hue.h"

#include <QGuiApplication>
#include <QPalette>

#include <string>
#include <string_view>

namespace tessel {
namespace {

constexpr std::size_t kKindCount = static_cast<std::size_t>(TokenKind::Other) + 1;
// Keywords by category: statement, function, operator, clause.
constexpr std::size_t KeywordSlot(KeywordCategory category) {
    return kKindCount + static_cast<std::size_t>(category);
}

constexpr Hue kLineNumber{0x6E6E6E, 0x9A9A9A};
constexpr Hue kKeyword{0x0033B3, 0xCC8A4F};
constexpr Hue kFunction{0x00627A, 0xE6C07B};
constexpr Hue kReference{0x8B1A9A, 0xD79BE0};
constexpr Hue kString{0x067D17, 0x8DBE6A};
constexpr Hue kComment{0x7A7A7A, 0x8F969E};
constexpr Hue kNumber{0x1750EB, 0x79AEE0};
constexpr Hue kRegister{0x871094, 0xC79DD6};
constexpr Hue kDirective{0x8A6D00, 0xD6C26A};

} // namespace

SourceHighlighter::SourceHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {
    m_placeholder.setBackground(QColor(0xFF, 0xE0, 0xB0));
    m_placeholder.setForeground(QColor(0xA0, 0x30, 0x00));
    MakeFormats();
}

void SourceHighlighter::MakeFormats() {
    const bool dark = Hue::IsDark(QGuiApplication::palette());
    const auto format = [&](TokenKind kind, Hue hue) -> QTextCharFormat& {
        QTextCharFormat& f = m_formats[static_cast<std::size_t>(kind)];
        f.setForeground(QColor(dark ? hue.dark : hue.light));
        return f;
    };
    m_formats = {};
    format(TokenKind::LineNumber, kLineNumber);
    format(TokenKind::Keyword, kKeyword).setFontWeight(QFont::Bold);
    format(TokenKind::LineReference, kReference);
    format(TokenKind::Label, kReference).setFontWeight(QFont::Bold);
    format(TokenKind::LabelReference, kReference);
    format(TokenKind::String, kString);
    format(TokenKind::Comment, kComment).setFontItalic(true);
    format(TokenKind::Number, kNumber);
    format(TokenKind::Register, kRegister);
    format(TokenKind::Directive, kDirective);
    const QTextCharFormat& keyword = m_formats[static_cast<std::size_t>(TokenKind::Keyword)];
    m_formats[KeywordSlot(kKcStatement)] = keyword;
    m_formats[KeywordSlot(kKcOperator)] = keyword;
    QTextCharFormat clause = keyword;
    clause.setFontWeight(QFont::Normal);
    m_formats[KeywordSlot(kKcClause)] = clause;
    QTextCharFormat function;
    function.setForeground(QColor(dark ? kFunction.dark : kFunction.light));
    m_formats[KeywordSlot(kKcFunction)] = function;
}

const QTextCharFormat* SourceHighlighter::FormatOf(const Token& token) const {
    if (token.kind == TokenKind::Keyword)
        return &m_formats[KeywordSlot(token.category)];
    const QTextCharFormat& format = m_formats[static_cast<std::size_t>(token.kind)];
    return format.hasProperty(QTextFormat::ForegroundBrush) ? &format : nullptr;
}

void SourceHighlighter::SetKind(DocKind kind) {
    if (kind == m_kind)
        return;
    m_kind = kind;
    rehighlight();
}

void SourceHighlighter::SetColored(bool colored) {
    if (colored == m_colored)
        return;
    m_colored = colored;
    if (colored)
        MakeFormats(); // the palette may have changed meanwhile
    rehighlight();
}

void SourceHighlighter::highlightBlock(const QString& text) {
    const std::u16string_view units(reinterpret_cast<const char16_t*>(text.utf16()),
                                    static_cast<std::size_t>(text.size()));
    // Only a C comment runs on from one line to the next.
    LexState state = previousBlockState() == static_cast<int>(LexState::InComment)
                         ? LexState::InComment
                         : LexState::Code;
    if (m_colored && m_kind != DocKind::Data) {
        std::string bytes;
        if (!cp932::Encode(units, bytes)) {
            m_tokens.clear();
            state = SourceLexer::LexLine(m_kind, bytes, state, m_tokens);
            const cp932::OffsetIndex index(units);
            for (const Token& token : m_tokens)
                if (const QTextCharFormat* format = FormatOf(token)) {
                    const std::size_t begin = index.Position(token.begin);
                    const std::size_t end = index.Position(token.end);
                    setFormat(static_cast<int>(begin), static_cast<int>(end - begin), *format);
                }
        }
    }
    setCurrentBlockState(static_cast<int>(state));
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        // Every mark lies above U+2400; most lines have nothing that high.
        if (text.at(i).unicode() < 0x2400 || !cp932::IsPlaceholder(text.at(i).unicode()))
            continue;
        qsizetype end = i + 1;
        while (end < size && cp932::IsPlaceholder(text.at(end).unicode()))
            ++end;
        setFormat(static_cast<int>(i), static_cast<int>(end - i), m_placeholder);
        i = end - 1;
    }
}

} // namespace tessel
