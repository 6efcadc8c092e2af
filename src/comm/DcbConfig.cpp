#include "comm/DcbConfig.h"

#include "comm/LineConfig.h"
#include "settings/ComSettings.h"

namespace tessel {

bool ApplyLineConfig(const LineConfiguration& config, DCB& dcb) {
    if (!LineConfigSupported(config))
        return false;

    DCB result = dcb;
    result.DCBlength = sizeof(DCB);
    result.BaudRate = config.BaudRate;
    result.fBinary = TRUE;
    result.fParity = config.fParity != 0;
    result.fOutxCtsFlow = config.fOutxCtsFlow != 0;
    result.fOutxDsrFlow = config.fOutxDsrFlow != 0;
    result.fDtrControl = config.fDtrControl & 3u;
    result.fDsrSensitivity = config.fDsrSensitivity != 0;
    result.fTXContinueOnXoff = config.fTXContinueOnXoff != 0;
    result.fOutX = config.fOutX != 0;
    result.fInX = config.fInX != 0;
    result.fErrorChar = FALSE;
    result.fNull = FALSE;
    result.fRtsControl = config.fRtsControl & 3u;
    result.fAbortOnError = FALSE;
    result.XonLim = config.XonLim;
    result.XoffLim = config.XoffLim;
    result.ByteSize = config.ByteSize;
    result.Parity = config.Parity;
    result.StopBits = config.StopBits;
    result.XonChar = config.XonChar;
    result.XoffChar = config.XoffChar;
    result.ErrorChar = config.ErrorChar;
    result.EofChar = config.EofChar;
    result.EvtChar = config.EvtChar;
    dcb = result;
    return true;
}

} // namespace tessel
