#include "app/DocumentTypeDialog.h"

#include "app/DocumentType.h"
#include "res/StringTable.h"
#include "ui/MessageBox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tessel {

DocumentTypeDialog::DocumentTypeDialog(std::span<DocumentType* const> templates, QWidget* parent)
    : QDialog(parent), m_list(new QListWidget(this)) {
    setWindowTitle(LoadQString(IDS_NEW_CAPTION));
    m_list->setObjectName(QStringLiteral("types"));
    // Types with a name for the "new" list, in registration order.
    for (DocumentType* docTemplate : templates) {
        if (docTemplate->NewListName().isEmpty())
            continue;
        auto* item = new QListWidgetItem(docTemplate->NewListName(), m_list);
        item->setData(Qt::UserRole, QVariant::fromValue(static_cast<void*>(docTemplate)));
    }
    if (m_list->count() > 0)
        m_list->setCurrentRow(0);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        m_list->setCurrentItem(item);
        accept();
    });

    auto* label = new QLabel(LoadQString(IDS_NEW_TYPE_LABEL), this);
    label->setBuddy(m_list);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    auto* cancel = new QPushButton(LoadQString(IDS_BUTTON_CANCEL), this);
    connect(ok, &QPushButton::clicked, this, &DocumentTypeDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* left = new QVBoxLayout;
    left->addWidget(label);
    left->addWidget(m_list);
    auto* right = new QVBoxLayout;
    right->addSpacing(label->sizeHint().height());
    right->addWidget(ok);
    right->addWidget(cancel);
    right->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(right);
}

int DocumentTypeDialog::exec() {
    // Nothing to choose from, or only one thing: no need to ask.
    if (m_list->count() == 0)
        return -1;
    if (m_list->count() == 1) {
        accept();
        return QDialog::Accepted;
    }
    return QDialog::exec();
}

void DocumentTypeDialog::accept() {
    const QListWidgetItem* item = m_list->currentItem();
    m_selected =
        item ? static_cast<DocumentType*>(item->data(Qt::UserRole).value<void*>()) : nullptr;
    QDialog::accept();
}

} // namespace tessel
