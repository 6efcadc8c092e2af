#include "comm/TransferFlows.h"

#include "doc/Document.h"

namespace tessel {

bool PrepareSend(Document& doc, std::string& buffer) {
    return doc.GetSendText(buffer, SendNumbers::With);
}

bool AcceptReceived(Document& doc, const std::string& received) {
    if (received.empty())
        return false;
    if (!doc.SetReceivedText(received, ReceiveNumbering::NumberIfMissing))
        return false;
    doc.SetModifiedFlag(true);
    return true;
}

} // namespace tessel
