#pragma once

#include "doc/DocKind.h"
#include "model/Token.h"

#include <QSyntaxHighlighter>
#include <QTextCharFormat>

#include <array>
#include <vector>

namespace tessel {

// The editor's colours: the parts of a program (line numbers, keywords by
// what they are, line references and labels, strings, remarks and comments,
// numbers, registers, directives) as the core's lexers find them, in hues
// chosen for the palette's base, light or dark. Text and DATA documents get
// only their line numbers, or nothing. The marks that stand for bytes keep
// their look with colours on or off.
class SourceHighlighter : public QSyntaxHighlighter {
    Q_OBJECT

public:
    explicit SourceHighlighter(QTextDocument* document);

    // The kind of document the text is: how it is read. Colours the text
    // again.
    void SetKind(DocKind kind);
    DocKind Kind() const { return m_kind; }
    // Colours on or off (the marks stay). Colours the text again.
    void SetColored(bool colored);
    bool Colored() const { return m_colored; }

protected:
    void highlightBlock(const QString& text) override;

private:
    // The formats, for the palette of this moment.
    void MakeFormats();
    // The format of a token; none for one shown as plain text.
    const QTextCharFormat* FormatOf(const Token& token) const;

    DocKind m_kind = DocKind::Data;
    bool m_colored = true;
    QTextCharFormat m_placeholder;
    // By TokenKind, keywords by category after them.
    std::array<QTextCharFormat, 18> m_formats;
    std::vector<Token> m_tokens; // of the line being coloured
};

} // namespace tessel
