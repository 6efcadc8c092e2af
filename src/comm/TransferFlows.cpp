#include "comm/TransferFlows.h"

#include "doc/KivaDoc.h"

namespace tessel {

bool PrepareSend(CKivaDoc& doc, std::string& buffer) {
    return doc.GetSendText(buffer, true);
}

bool AcceptReceived(CKivaDoc& doc, const std::string& received) {
    if (received.empty())
        return false;
    doc.m_bReceiveError = false;
    doc.SetReceivedText(received, true);
    if (doc.m_bReceiveError)
        return false;
    doc.SetModifiedFlag(true);
    return true;
}

} // namespace tessel
