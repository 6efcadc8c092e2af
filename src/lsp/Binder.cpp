#include "lsp/Binder.h"

namespace tessel::lsp {

PendingReply::~PendingReply() {
    if (!Answered())
        Answer(Error{ErrorCode::InternalError, "the server dropped the request unanswered"});
}

void PendingReply::Answer(Expected<Json> result) {
    if (m_answered.exchange(true))
        return;
    if (m_cancel.stop_requested())
        result = Error{ErrorCode::RequestCancelled, "the request was cancelled"};
    m_send(m_id, result);
}

const Binder::RawRequest* Binder::FindRequest(std::string_view method) const {
    const auto it = m_requests.find(method);
    return it == m_requests.end() ? nullptr : &it->second;
}

const Binder::RawNotification* Binder::FindNotification(std::string_view method) const {
    const auto it = m_notifications.find(method);
    return it == m_notifications.end() ? nullptr : &it->second;
}

} // namespace tessel::lsp
