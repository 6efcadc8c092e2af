#include "app/DocTemplate.h"

#include "ui/MessageBox.h"

namespace tessel {

CDocTemplate::CDocTemplate(DocKind kind, unsigned resourceId, int newCommand)
    : m_kind(kind), m_newCommand(newCommand), m_fields(LoadQString(resourceId).split(u'\n')) {
    while (m_fields.size() < 7)
        m_fields.append(QString());
}

QString CDocTemplate::NextUntitledTitle() {
    return DefaultName() + QString::number(++m_untitledCount);
}

} // namespace tessel
