#include "view/PlaceholderHighlighter.h"

#include "encoding/Cp932.h"

namespace tessel {

PlaceholderHighlighter::PlaceholderHighlighter(QTextDocument* document)
    : QSyntaxHighlighter(document) {
    m_format.setBackground(QColor(0xFF, 0xE0, 0xB0));
    m_format.setForeground(QColor(0xA0, 0x30, 0x00));
}

void PlaceholderHighlighter::highlightBlock(const QString& text) {
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        // Every mark lies above U+2400; most lines have nothing that high.
        if (text.at(i).unicode() < 0x2400 || !cp932::IsPlaceholder(text.at(i).unicode()))
            continue;
        qsizetype end = i + 1;
        while (end < size && cp932::IsPlaceholder(text.at(end).unicode()))
            ++end;
        setFormat(static_cast<int>(i), static_cast<int>(end - i), m_format);
        i = end - 1;
    }
}

} // namespace tessel
