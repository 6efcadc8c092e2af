#pragma once

// The documents the client has open, as code page 932 text (SourceText),
// each with the version the client gave it.
//
// Only the server's main loop changes the store (didOpen, didChange,
// didClose, in order). Any thread may read it: a document is an immutable
// snapshot, shared, and a change makes a new one, so a worker keeps reading
// the version it took while the main loop goes on.

#include "lsp/Protocol.h"
#include "lsp/SourceCode.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace tessel::lsp {

struct Document {
    std::string uri;
    std::string languageId;
    std::int32_t version = 0;
    SourceText text;
};

using DocumentSnapshot = std::shared_ptr<const Document>;

// `edits` of one document as a workspace edit: by document with its version
// when `versioned` (the client takes documentChanges), else by URI.
WorkspaceEdit DocumentEdit(const Document& document, std::vector<TextEdit> edits, bool versioned);

class DocumentStore {
public:
    // Opens a document; one already open under the same URI is replaced.
    DocumentSnapshot Open(const TextDocumentItem& item);
    // Applies the changes in order, each to the text the one before made,
    // and takes the new version. An error when the document is not open.
    Expected<DocumentSnapshot> Change(const VersionedTextDocumentIdentifier& document,
                                      const std::vector<TextDocumentContentChangeEvent>& changes,
                                      PositionEncoding encoding);
    // False when it was not open.
    bool Close(std::string_view uri);

    // The document as it is now; null when it is not open.
    DocumentSnapshot Get(std::string_view uri) const;
    std::vector<std::string> Uris() const;
    // Runs `action` while `uri` is open at `version`, and no change or close
    // can come between the check and the action; false when it is not.
    template <typename Action>
    bool IfCurrent(std::string_view uri, std::int32_t version, Action&& action) const {
        const std::lock_guard lock(m_lock);
        const auto it = m_documents.find(uri);
        if (it == m_documents.end() || it->second->version != version)
            return false;
        action();
        return true;
    }

private:
    mutable std::mutex m_lock;
    std::map<std::string, DocumentSnapshot, std::less<>> m_documents;
};

} // namespace tessel::lsp
