#pragma once

#include <QImage>
#include <QWidget>

namespace tessel {

// The picture shown while the program starts: a popup with a thin border,
// the picture's size, centred on the screen.
class SplashDialog : public QWidget {
    Q_OBJECT

public:
    // Owned by the main frame, as the start-up shows it above it.
    explicit SplashDialog(QWidget* owner);

    // Loads the picture and sizes and centres the window; false when there
    // is no picture to show.
    bool Create();
    const QImage& Picture() const { return m_picture; }
    // The number of entries of the picture's colour table.
    int ColorCount() const { return m_colorCount; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
    int m_colorCount = 0;
};

} // namespace tessel
