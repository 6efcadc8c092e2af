#include "model/CLexer.h"

#include "model/LineCursor.h"

#include <algorithm>
#include <iterator>

namespace tessel {
namespace {

constexpr std::string_view kKeywords[] = {
    "auto",   "break",  "case",     "char",   "const",    "continue", "default",  "do",
    "double", "else",   "enum",     "extern", "float",    "for",      "goto",     "if",
    "int",    "long",   "register", "return", "short",    "signed",   "sizeof",   "static",
    "struct", "switch", "typedef",  "union",  "unsigned", "void",     "volatile", "while",
};

bool IsKeyword(std::string_view name) {
    return std::ranges::find(kKeywords, name) != std::end(kKeywords);
}

// The rest of a comment from the cursor: through its */, or to the line's
// end (then it runs on).
LexState Comment(LineCursor& cursor, std::uint32_t from) {
    for (std::uint32_t pos = from; pos + 1 < cursor.Size(); ++pos) {
        if (cursor.At(pos) == '*' && cursor.At(pos + 1) == '/') {
            cursor.Emit(TokenKind::Comment, pos + 2);
            return LexState::Code;
        }
    }
    cursor.Emit(TokenKind::Comment, cursor.Size());
    return LexState::InComment;
}

std::uint32_t NumberEnd(const LineCursor& cursor) {
    std::uint32_t pos = cursor.Pos();
    if (cursor.At(pos) == '0' && (cursor.At(pos + 1) == 'x' || cursor.At(pos + 1) == 'X'))
        return cursor.NameEnd(pos + 2, "");
    // Digits, a point, an exponent with its sign, and suffixes (1.5e-3f, 10UL).
    while (pos < cursor.Size()) {
        const char c = cursor.At(pos);
        if ((c == 'e' || c == 'E') && (cursor.At(pos + 1) == '+' || cursor.At(pos + 1) == '-'))
            pos += 2;
        else if (LineCursor::IsDigit(c) || LineCursor::IsLetter(c) || c == '.')
            ++pos;
        else
            break;
    }
    return pos;
}

} // namespace

LexState CLexer::Lex(std::string_view body, std::uint32_t offset, LexState state,
                     std::vector<Token>& out) {
    LineCursor cursor(body, offset, out);
    if (state == LexState::InComment && Comment(cursor, 0) == LexState::InComment)
        return LexState::InComment;
    bool lineStart = true;
    while (true) {
        cursor.SkipBlanks();
        if (cursor.AtEnd())
            return LexState::Code;
        const char c = cursor.Peek();
        const char next = cursor.Peek(1);
        if (c == '/' && next == '*') {
            if (Comment(cursor, cursor.Pos() + 2) == LexState::InComment)
                return LexState::InComment;
        } else if (c == '/' && next == '/') {
            cursor.Emit(TokenKind::Comment, cursor.Size());
        } else if (c == '#' && lineStart) {
            // A preprocessor line: the directive, then its tokens; a file
            // name in angle brackets is a string.
            cursor.SkipBlanks();
            std::uint32_t end = cursor.Pos() + 1;
            while (cursor.At(end) == ' ' || cursor.At(end) == '\t')
                ++end;
            cursor.Emit(TokenKind::Directive, cursor.NameEnd(end));
            cursor.SkipBlanks();
            if (cursor.Peek() == '<') {
                std::uint32_t close = cursor.Pos() + 1;
                while (close < cursor.Size() && cursor.At(close) != '>')
                    ++close;
                cursor.Emit(TokenKind::String, std::min(close + 1, cursor.Size()));
            }
        } else if (c == '"' || c == '\'') {
            cursor.Emit(TokenKind::String, cursor.QuotedEnd(c, '\\'));
        } else if (LineCursor::IsDigit(c) || (c == '.' && LineCursor::IsDigit(next))) {
            cursor.Emit(TokenKind::Number, NumberEnd(cursor));
        } else if (LineCursor::IsLetter(c) || c == '_') {
            const std::uint32_t end = cursor.NameEnd(cursor.Pos());
            cursor.Emit(IsKeyword(cursor.Slice(cursor.Pos(), end)) ? TokenKind::Keyword
                                                                   : TokenKind::Variable,
                        end);
        } else if (std::string_view("+-*/%=<>!&|^~?").find(c) != std::string_view::npos) {
            std::uint32_t end = cursor.Pos() + 1;
            while (std::string_view("+-=<>&|").find(cursor.At(end)) != std::string_view::npos &&
                   end - cursor.Pos() < 3)
                ++end;
            cursor.Emit(TokenKind::Operator, end);
        } else {
            cursor.Other();
        }
        lineStart = false;
    }
}

} // namespace tessel
