#pragma once

#include <QDialog>

#include <span>

class QListWidget;

namespace tessel {

class DocumentType;

// "新規作成": which type of document to make.
class DocumentTypeDialog : public QDialog {
    Q_OBJECT

public:
    DocumentTypeDialog(std::span<DocumentType* const> templates, QWidget* parent = nullptr);

    // The chosen type once the dialog ended with OK (null if none was selected).
    DocumentType* SelectedTemplate() const { return m_selected; }

    int exec() override;
    void accept() override;

private:
    QListWidget* m_list;
    DocumentType* m_selected = nullptr;
};

} // namespace tessel
