#include "app/ToolbarIcons.h"

#include "doc/DocKind.h"
#include "ui/CommandIds.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tessel {
namespace {

void Page(QPainter& p, int x, int y) {
    QPainterPath path;
    path.moveTo(x, y);
    path.lineTo(x + 7, y);
    path.lineTo(x + 10, y + 3);
    path.lineTo(x + 10, y + 13);
    path.lineTo(x, y + 13);
    path.closeSubpath();
    p.setBrush(Qt::white);
    p.drawPath(path);
}

void Lines(QPainter& p, int x, int y, int count) {
    for (int i = 0; i < count; ++i)
        p.drawLine(x, y + 2 * i, x + 5, y + 2 * i);
}

void Arrow(QPainter& p, bool right, const QColor& color) {
    p.setBrush(color);
    p.setPen(color.darker());
    QPolygon arrow;
    if (right)
        arrow << QPoint(2, 6) << QPoint(9, 6) << QPoint(9, 3) << QPoint(14, 8) << QPoint(9, 13)
              << QPoint(9, 10) << QPoint(2, 10);
    else
        arrow << QPoint(14, 6) << QPoint(7, 6) << QPoint(7, 3) << QPoint(2, 8) << QPoint(7, 13)
              << QPoint(7, 10) << QPoint(14, 10);
    p.drawPolygon(arrow);
}

} // namespace

QIcon ToolbarIcon(int commandId) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::black);
    switch (commandId) {
    case ID_FILE_NEW:
        Page(p, 3, 1);
        break;
    case ID_FILE_OPEN:
        p.setBrush(QColor(0xE8, 0xC0, 0x40));
        p.drawRect(1, 5, 12, 8);
        p.drawLine(1, 5, 4, 2);
        p.drawLine(4, 2, 8, 2);
        break;
    case ID_FILE_SAVE:
        p.setBrush(QColor(0x30, 0x50, 0xA0));
        p.drawRect(1, 1, 13, 13);
        p.setBrush(Qt::white);
        p.drawRect(4, 1, 7, 5);
        p.drawRect(4, 9, 7, 5);
        break;
    case ID_FILE_PRINT:
        p.setBrush(Qt::white);
        p.drawRect(4, 1, 7, 5);
        p.setBrush(Qt::lightGray);
        p.drawRect(1, 6, 13, 6);
        p.setBrush(Qt::white);
        p.drawRect(4, 10, 7, 4);
        break;
    case ID_FILE_PRINT_PREVIEW:
        Page(p, 1, 1);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(7, 6, 5, 5);
        p.drawLine(11, 11, 14, 14);
        break;
    case ID_EDIT_CUT:
        p.drawEllipse(2, 9, 4, 4);
        p.drawEllipse(9, 9, 4, 4);
        p.drawLine(5, 9, 11, 1);
        p.drawLine(10, 9, 4, 1);
        break;
    case ID_EDIT_COPY:
        Page(p, 1, 1);
        Page(p, 5, 3);
        break;
    case ID_EDIT_PASTE:
        p.setBrush(QColor(0xB0, 0x80, 0x40));
        p.drawRect(1, 2, 10, 12);
        Page(p, 6, 5);
        break;
    case ID_SORT_LINES:
        Lines(p, 1, 3, 5);
        p.drawLine(11, 2, 11, 13);
        p.drawLine(11, 13, 8, 10);
        p.drawLine(11, 13, 14, 10);
        break;
    case ID_RENUMBER:
        p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("#"));
        break;
    case ID_TEXT_SEND:
        Arrow(p, true, QColor(0x30, 0xA0, 0x30));
        break;
    case ID_TEXT_RECEIVE:
        Arrow(p, false, QColor(0x30, 0x60, 0xC0));
        break;
    case ID_COM_SETTINGS:
        p.setBrush(Qt::darkGray);
        p.drawRect(2, 5, 12, 6);
        p.setPen(Qt::white);
        for (int x = 4; x <= 12; x += 2)
            p.drawPoint(x, 8);
        break;
    default:
        break;
    }
    return QIcon(pixmap);
}

QIcon DocumentIcon(DocKind kind) {
    static const char* const kLetters[] = {"B", "C", "A", "S", "T", "D"};
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(Qt::black);
    Page(p, 2, 1);
    QFont font = p.font();
    font.setPixelSize(9);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(0x20, 0x40, 0x90));
    p.drawText(QRect(2, 3, 11, 12), Qt::AlignCenter,
               QString::fromLatin1(kLetters[static_cast<int>(kind)]));
    return QIcon(pixmap);
}

QIcon ApplicationIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(Qt::black);
    p.setBrush(QColor(60, 64, 72));
    p.drawRoundedRect(2, 6, 28, 22, 3, 3);
    p.setBrush(QColor(150, 170, 120));
    p.drawRect(5, 9, 22, 7);
    p.setBrush(QColor(200, 200, 205));
    for (int x = 5; x < 27; x += 6)
        p.drawRect(x, 19, 4, 5);
    return QIcon(pixmap);
}

} // namespace tessel
