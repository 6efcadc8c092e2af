#pragma once

#include "doc/DocKind.h"
#include "doc/KivaDoc.h"

#include <memory>

namespace tessel {

// A new, empty document of a kind: CDocBasic, CDocWithLineNum or CKivaDoc.
std::unique_ptr<CKivaDoc> CreateDocument(DocKind kind, IEditText& editor, IMessageSink& messages,
                                         const AppSettings& settings);

} // namespace tessel
