#include "view/PrintPreviewDialog.h"

#include "res/StringTable.h"
#include "ui/MessageBox.h"
#include "view/TextPrinter.h"

#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <QScrollArea>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

namespace tessel {

// The pages themselves: paper drawn to scale with the job's pages on it.
class PrintPreviewDialog::Pane : public QWidget {
public:
    Pane(PrintPreviewDialog& dialog, const QPrinter& printer)
        : QWidget(nullptr), m_dialog(dialog),
          m_paper(printer.paperRect(QPrinter::DevicePixel).size()),
          m_printable(printer.pageRect(QPrinter::DevicePixel).topLeft() -
                      printer.paperRect(QPrinter::DevicePixel).topLeft()),
          m_dpi(std::max(1, printer.logicalDpiX())) {
        setAutoFillBackground(true);
        setBackgroundRole(QPalette::Dark);
    }

    // Printer pixels to screen pixels.
    double Scale() const {
        const int visible = m_dialog.Visible();
        if (m_dialog.Zoom() == 0) {
            const double across = (width() - (visible + 1) * kGap) / (visible * m_paper.width());
            const double down = (height() - 2 * kGap) / m_paper.height();
            return std::max(0.01, std::min(across, down));
        }
        return m_dialog.Zoom() * logicalDpiX() / static_cast<double>(m_dpi);
    }

    // The size a zoomed view scrolls over.
    QSize ZoomedSize() const {
        const double scale = Scale();
        return QSize(static_cast<int>(m_paper.width() * scale) + 2 * kGap,
                     static_cast<int>(m_paper.height() * scale) + 2 * kGap);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        const double scale = Scale();
        const QSizeF sheet = m_paper * scale;
        const int visible = m_dialog.Visible();
        const double total = visible * sheet.width() + (visible - 1) * kGap;
        double left = std::max<double>(kGap, (width() - total) / 2);
        const double top = std::max<double>(kGap, (height() - sheet.height()) / 2);
        for (int i = 0; i < visible; ++i) {
            const int page = m_dialog.CurrentPage() + i;
            const QRectF paper(QPointF(left, top), sheet);
            left += sheet.width() + kGap;
            if (page > m_dialog.PageCount())
                break;
            painter.fillRect(paper.translated(3, 3), Qt::black);
            painter.fillRect(paper, Qt::white);
            painter.save();
            painter.translate(paper.topLeft() + m_printable * scale);
            painter.scale(scale, scale);
            m_dialog.m_printer.DrawPage(painter, page);
            painter.restore();
        }
    }

private:
    static constexpr int kGap = 12;

    PrintPreviewDialog& m_dialog;
    QSizeF m_paper;
    QPointF m_printable; // the printable area's corner on the paper
    int m_dpi;
};

PrintPreviewDialog::PrintPreviewDialog(const TextPrinter& pages, const QPrinter& printer,
                                       int pagesShown, QWidget* parent)
    : QDialog(parent), m_printer(pages), m_pages(pagesShown >= 2 ? 2 : 1) {
    setWindowTitle(LoadQString(IDS_PREVIEW_CAPTION));

    auto* toolBar = new QToolBar(this);
    toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto add = [&](unsigned text, const char* name) {
        QAction* action = toolBar->addAction(text == 0 ? QString() : LoadQString(text));
        action->setObjectName(QString::fromUtf8(name));
        return action;
    };
    QAction* print = add(IDS_PREVIEW_PRINT, "previewPrint");
    m_next = add(IDS_PREVIEW_NEXT, "previewNext");
    m_next->setShortcut(Qt::Key_PageDown);
    m_previous = add(IDS_PREVIEW_PREVIOUS, "previewPrevious");
    m_previous->setShortcut(Qt::Key_PageUp);
    m_pagesAction = add(0, "previewPages");
    m_zoomIn = add(IDS_PREVIEW_ZOOM_IN, "previewZoomIn");
    m_zoomOut = add(IDS_PREVIEW_ZOOM_OUT, "previewZoomOut");
    QAction* close = add(IDS_PREVIEW_CLOSE, "previewClose");
    toolBar->addSeparator();
    m_pageLabel = new QLabel(toolBar);
    m_pageLabel->setObjectName(QStringLiteral("previewPage"));
    toolBar->addWidget(m_pageLabel);

    connect(print, &QAction::triggered, this, [this] { done(kPrint); });
    connect(m_next, &QAction::triggered, this, [this] { SetPage(m_page + 1); });
    connect(m_previous, &QAction::triggered, this, [this] { SetPage(m_page - 1); });
    connect(m_pagesAction, &QAction::triggered, this, &PrintPreviewDialog::TogglePages);
    connect(m_zoomIn, &QAction::triggered, this, [this] { SetZoom(m_zoom + 1); });
    connect(m_zoomOut, &QAction::triggered, this, [this] { SetZoom(m_zoom - 1); });
    connect(close, &QAction::triggered, this, &QDialog::reject);

    m_pane = new Pane(*this, printer);
    m_scroll = new QScrollArea(this);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_scroll->setWidget(m_pane);
    m_scroll->setWidgetResizable(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar);
    layout->addWidget(m_scroll, 1);

    const QRect screen = QGuiApplication::primaryScreen()
                             ? QGuiApplication::primaryScreen()->availableGeometry()
                             : QRect(0, 0, 1024, 768);
    resize(screen.width() * 3 / 4, screen.height() * 7 / 8);
    Update();
}

PrintPreviewDialog::~PrintPreviewDialog() = default;

int PrintPreviewDialog::PageCount() const {
    return m_printer.PageCount();
}

void PrintPreviewDialog::SetPage(int page) {
    m_page = std::clamp(page, 1, PageCount());
    Update();
}

void PrintPreviewDialog::SetZoom(int zoom) {
    m_zoom = std::clamp(zoom, 0, 2);
    if (m_zoom == 0) {
        m_scroll->setWidgetResizable(true);
    } else {
        m_scroll->setWidgetResizable(false);
        m_pane->resize(m_pane->ZoomedSize());
    }
    Update();
}

void PrintPreviewDialog::TogglePages() {
    m_pages = m_pages == 1 ? 2 : 1;
    // Two pages from the last one would show one and an empty place.
    if (m_pages == 2 && m_page == PageCount() && m_page > 1)
        --m_page;
    Update();
}

void PrintPreviewDialog::Update() {
    const int last = std::min(PageCount(), m_page + Visible() - 1);
    m_next->setEnabled(last < PageCount());
    m_previous->setEnabled(m_page > 1);
    m_pagesAction->setText(
        LoadQString(m_pages == 1 ? IDS_PREVIEW_TWO_PAGES : IDS_PREVIEW_ONE_PAGE));
    m_pagesAction->setEnabled(m_zoom == 0 && (PageCount() > 1 || m_pages == 2));
    m_zoomIn->setEnabled(m_zoom < 2);
    m_zoomOut->setEnabled(m_zoom > 0);
    m_pageLabel->setText(last > m_page ? LoadQString(IDS_PREVIEW_PAGES).arg(m_page).arg(last)
                                       : LoadQString(IDS_PREVIEW_PAGE).arg(m_page));
    m_pane->update();
}

} // namespace tessel
