#pragma once

#include <QDialog>

#include <span>

class QListWidget;

namespace tessel {

class CDocTemplate;

// "新規作成": which type of document to make.
class CDocTypeDlg : public QDialog {
    Q_OBJECT

public:
    CDocTypeDlg(std::span<CDocTemplate* const> templates, QWidget* parent = nullptr);

    // The chosen type once the dialog ended with OK (null if none was selected).
    CDocTemplate* SelectedTemplate() const { return m_selected; }

    int exec() override;
    void accept() override;

private:
    QListWidget* m_list;
    CDocTemplate* m_selected = nullptr;
};

} // namespace tessel
