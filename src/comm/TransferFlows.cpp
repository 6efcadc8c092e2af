#include "comm/TransferFlows.h"

#include "doc/KivaDoc.h"

namespace tessel {

bool PrepareSend(CKivaDoc& doc, std::string& buffer) {
    return doc.GetSendText(buffer, SendNumbers::With);
}

bool AcceptReceived(CKivaDoc& doc, const std::string& received) {
    if (received.empty())
        return false;
    if (!doc.SetReceivedText(received, ReceiveNumbering::NumberIfMissing))
        return false;
    doc.SetModifiedFlag(true);
    return true;
}

} // namespace tessel
