#pragma once

#include <QSyntaxHighlighter>
#include <QTextCharFormat>

namespace tessel {

// Makes the marks that stand for bytes (control bytes, lone CR and LF, bytes
// that are no character) stand out from the text, whatever glyph the font
// has for them.
class PlaceholderHighlighter : public QSyntaxHighlighter {
    Q_OBJECT

public:
    explicit PlaceholderHighlighter(QTextDocument* document);

protected:
    void highlightBlock(const QString& text) override;

private:
    QTextCharFormat m_format;
};

} // namespace tessel
