#include "app/SplashDialog.h"

#include "res/StringTable.h"
#include "ui/MessageBox.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace tessel {

SplashDialog::SplashDialog(QWidget* owner)
    : QWidget(owner, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("Splash"));
    // What the picture says, for a screen reader.
    setAccessibleName(LoadQString(IDR_MAINFRAME));
}

bool SplashDialog::Create() {
    if (!m_picture.load(QStringLiteral(":/res/splash.bmp")))
        return false;
    m_colorCount = static_cast<int>(m_picture.colorTable().size());
    // The window is the picture's size; its thin border covers the
    // picture's last row and column, as the picture is drawn from the corner.
    setFixedSize(m_picture.size());
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    move(area.center() - rect().center());
    return true;
}

void SplashDialog::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.drawImage(0, 0, m_picture);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace tessel
