#include "lsp/DocumentStore.h"

#include <algorithm>

namespace tessel::lsp {

WorkspaceEdit DocumentEdit(const Document& document, std::vector<TextEdit> edits, bool versioned) {
    WorkspaceEdit edit;
    if (versioned)
        edit.documentChanges =
            std::vector<TextDocumentEdit>{{{document.uri, document.version}, std::move(edits)}};
    else
        edit.changes[document.uri] = std::move(edits);
    return edit;
}

DocumentSnapshot DocumentStore::Open(const TextDocumentItem& item) {
    auto document = std::make_shared<Document>();
    document->uri = item.uri;
    document->languageId = item.languageId;
    document->version = item.version;
    document->text = SourceText(item.text);
    const std::lock_guard lock(m_lock);
    m_documents[item.uri] = document;
    return document;
}

Expected<DocumentSnapshot>
DocumentStore::Change(const VersionedTextDocumentIdentifier& id,
                      const std::vector<TextDocumentContentChangeEvent>& changes,
                      PositionEncoding encoding) {
    const DocumentSnapshot old = Get(id.uri);
    if (!old)
        return Error{ErrorCode::InvalidParams, "the document is not open: " + id.uri};
    // Only this thread changes the store: the copy cannot go stale.
    auto document = std::make_shared<Document>(*old);
    document->version = id.version;
    for (const TextDocumentContentChangeEvent& change : changes) {
        if (!change.range) {
            document->text = SourceText(change.text);
            continue;
        }
        SourceText& text = document->text;
        std::size_t begin = text.OffsetOf(change.range->start, encoding);
        std::size_t end = text.OffsetOf(change.range->end, encoding);
        if (end < begin)
            std::swap(begin, end);
        text.Replace(begin, end, change.text);
    }
    const std::lock_guard lock(m_lock);
    m_documents[id.uri] = document;
    return DocumentSnapshot(document);
}

bool DocumentStore::Close(std::string_view uri) {
    DocumentSnapshot closed; // released outside the lock
    const std::lock_guard lock(m_lock);
    const auto it = m_documents.find(uri);
    if (it == m_documents.end())
        return false;
    closed = std::move(it->second);
    m_documents.erase(it);
    return true;
}

DocumentSnapshot DocumentStore::Get(std::string_view uri) const {
    const std::lock_guard lock(m_lock);
    const auto it = m_documents.find(uri);
    return it == m_documents.end() ? nullptr : it->second;
}

std::vector<std::string> DocumentStore::Uris() const {
    std::vector<std::string> uris;
    const std::lock_guard lock(m_lock);
    for (const auto& [uri, document] : m_documents)
        uris.push_back(uri);
    return uris;
}

} // namespace tessel::lsp
