#include "comm/LineConfig.h"

#include "settings/ComSettings.h"

#include <algorithm>

namespace tessel {

bool LineConfigSupported(const LineConfiguration& config) {
    return std::ranges::find(kBaudRates, config.BaudRate) != std::end(kBaudRates) &&
           (config.ByteSize == 7 || config.ByteSize == 8) &&
           (config.StopBits == kOneStopBit || config.StopBits == kTwoStopBits) &&
           (config.Parity == kNoParity || config.Parity == kOddParity ||
            config.Parity == kEvenParity);
}

} // namespace tessel
