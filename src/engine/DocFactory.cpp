#include "engine/DocFactory.h"

#include "engine/BasicDocument.h"

namespace tessel {

std::unique_ptr<Document> CreateDocument(DocKind kind, EditText& editor, MessageSink& messages,
                                         const AppSettings& settings) {
    switch (kind) {
    case DocKind::Basic:
        return std::make_unique<BasicDocument>(editor, messages, settings);
    case DocKind::Data:
        return std::make_unique<Document>(editor, messages, settings);
    default:
        return std::make_unique<NumberedDocument>(editor, messages, settings);
    }
}

} // namespace tessel
