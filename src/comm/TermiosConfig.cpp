#include "comm/TermiosConfig.h"

#include "comm/LineConfig.h"
#include "settings/ComSettings.h"

namespace tessel {
namespace {

bool SpeedFor(std::uint32_t baudRate, speed_t& speed) {
    switch (baudRate) {
    case 300:
        speed = B300;
        return true;
    case 600:
        speed = B600;
        return true;
    case 1200:
        speed = B1200;
        return true;
    case 2400:
        speed = B2400;
        return true;
    case 4800:
        speed = B4800;
        return true;
    case 9600:
        speed = B9600;
        return true;
    default:
        return false;
    }
}

} // namespace

bool ApplyLineConfig(const LineConfiguration& config, termios& tio) {
    speed_t speed{};
    if (!LineConfigSupported(config) || !SpeedFor(config.BaudRate, speed))
        return false;

    termios result = tio;
    // Raw mode, as cfmakeraw sets it, plus everything set below cleared.
    result.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR |
                                             ICRNL | IXON | IXOFF | IXANY | INPCK);
    result.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    result.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    result.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARENB | PARODD);
#ifdef CRTSCTS
    result.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
#endif
    result.c_cflag |= CLOCAL | CREAD;

    result.c_cflag |= config.ByteSize == 7 ? CS7 : CS8;
    if (config.StopBits == kTwoStopBits)
        result.c_cflag |= CSTOPB;
    if (config.Parity != kNoParity) {
        result.c_cflag |= PARENB;
        if (config.Parity == kOddParity)
            result.c_cflag |= PARODD;
        if (config.fParity)
            result.c_iflag |= INPCK;
    }

#ifdef CRTSCTS
    if (config.fOutxCtsFlow)
        result.c_cflag |= CRTSCTS;
#endif
    if (config.fOutX)
        result.c_iflag |= IXON;
    if (config.fInX)
        result.c_iflag |= IXOFF;
    if (config.fOutX || config.fInX) {
        result.c_cc[VSTART] = static_cast<cc_t>(config.XonChar);
        result.c_cc[VSTOP] = static_cast<cc_t>(config.XoffChar);
    }

    result.c_cc[VMIN] = 1;
    result.c_cc[VTIME] = 0;

    if (cfsetispeed(&result, speed) != 0 || cfsetospeed(&result, speed) != 0)
        return false;
    tio = result;
    return true;
}

} // namespace tessel
