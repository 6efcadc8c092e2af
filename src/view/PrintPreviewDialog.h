#pragma once

#include <QDialog>

class QAction;
class QLabel;
class QPrinter;
class QScrollArea;

namespace tessel {

class TextPrinter;

// The print preview: a job's pages as they will print, one or two side by
// side, with the toolbar "印刷", "次ﾍﾟｰｼﾞ", "前ﾍﾟｰｼﾞ", "1 ﾍﾟｰｼﾞ"/"2 ﾍﾟｰｼﾞ",
// "拡大", "縮小" and "閉じる". Zoomed in, it shows one page at its size on
// paper, then twice that.
class PrintPreviewDialog : public QDialog {
    Q_OBJECT

public:
    // The result when "印刷" closed the preview: the caller prints.
    static constexpr int kPrint = 2;

    // Shows `pages`, laid out for `printer`, with `pagesShown` pages side
    // by side (0 or less counts as 1, more than 2 as 2).
    PrintPreviewDialog(const TextPrinter& pages, const QPrinter& printer, int pagesShown,
                       QWidget* parent = nullptr);
    ~PrintPreviewDialog() override;

    // Pages side by side when not zoomed: 1 or 2.
    int PagesShown() const { return m_pages; }
    // The first page in view (1 for the first).
    int CurrentPage() const { return m_page; }
    int PageCount() const;
    // 0: whole pages in view; 1: one page at its size; 2: twice that.
    int Zoom() const { return m_zoom; }

private:
    class Pane;

    void SetPage(int page);
    void SetZoom(int zoom);
    void TogglePages();
    // Pages in view now: a zoomed view shows one.
    int Visible() const { return m_zoom > 0 ? 1 : m_pages; }
    void Update();

    const TextPrinter& m_printer;
    int m_pages;
    int m_page = 1;
    int m_zoom = 0;
    QScrollArea* m_scroll;
    Pane* m_pane;
    QLabel* m_pageLabel;
    QAction* m_next;
    QAction* m_previous;
    QAction* m_pagesAction;
    QAction* m_zoomIn;
    QAction* m_zoomOut;
};

} // namespace tessel
