#include "engine/DocFactory.h"

#include "engine/DocBasic.h"

namespace tessel {

std::unique_ptr<CKivaDoc> CreateDocument(DocKind kind, IEditText& editor, IMessageSink& messages,
                                         const AppSettings& settings) {
    switch (kind) {
    case DocKind::Basic:
        return std::make_unique<CDocBasic>(editor, messages, settings);
    case DocKind::Data:
        return std::make_unique<CKivaDoc>(editor, messages, settings);
    default:
        return std::make_unique<CDocWithLineNum>(editor, messages, settings);
    }
}

} // namespace tessel
