#pragma once

#include "doc/DocKind.h"

#include <QString>
#include <QStringList>

namespace tessel {

// One of the six document types: its kind, the texts of its document string
// and the counter that numbers its untitled documents.
class DocumentType {
public:
    DocumentType(DocKind kind, unsigned resourceId, int newCommand);

    DocKind Kind() const { return m_kind; }
    int NewCommand() const { return m_newCommand; }
    // "BASIC：無題", "BASIC", "BASIC(*.bas)", ".bas".
    const QString& DefaultName() const { return m_fields[1]; }
    const QString& NewListName() const { return m_fields[2]; }
    const QString& FilterName() const { return m_fields[3]; }
    const QString& Extension() const { return m_fields[4]; }
    // The title of the next untitled document: "BASIC：無題1", "BASIC：無題2", ...
    QString NextUntitledTitle();

private:
    DocKind m_kind;
    int m_newCommand;
    QStringList m_fields;
    int m_untitledCount = 0;
};

} // namespace tessel
