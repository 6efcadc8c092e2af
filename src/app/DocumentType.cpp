#include "app/DocumentType.h"

#include "ui/MessageBox.h"

namespace tessel {

DocumentType::DocumentType(DocKind kind, unsigned resourceId, int newCommand)
    : m_kind(kind), m_newCommand(newCommand), m_fields(LoadQString(resourceId).split(u'\n')) {
    while (m_fields.size() < 7)
        m_fields.append(QString());
}

QString DocumentType::NextUntitledTitle() {
    return DefaultName() + QString::number(++m_untitledCount);
}

} // namespace tessel
