#include "comm/PortDevice.h"

#include "res/StringTable.h"

#include <cerrno>

namespace tessel {

Problem OpenFailure(int error, std::string systemText) {
    return Problem::FromSystem(IDS_PORT_OPEN_FAILED, error, std::move(systemText));
}

Problem LineFailure(int error, std::string systemText) {
    return Problem::FromSystem(IDS_TRANSFER_FAILED, error, std::move(systemText));
}

Problem HungUp() {
    return Problem::Of(IDS_REASON_HUNG_UP);
}

Problem WaitProblem(Wake wake, Problem failure) {
    switch (wake) {
    case Wake::Cancelled:
        return LineFailure(ECANCELED);
    case Wake::Failed:
        return failure;
    case Wake::TimedOut:
    case Wake::Ready:
        break;
    }
    return {};
}

} // namespace tessel
