#pragma once

#include "doc/DocKind.h"
#include "doc/Document.h"

#include <memory>

namespace tessel {

// A new, empty document of a kind: BasicDocument, NumberedDocument or Document.
std::unique_ptr<Document> CreateDocument(DocKind kind, EditText& editor, MessageSink& messages,
                                         const AppSettings& settings);

} // namespace tessel
