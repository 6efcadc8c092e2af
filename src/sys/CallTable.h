#pragma once

// Inside the system-call seam only: the table in use and the retry on EINTR,
// shared by the calls of every system and the terminal calls of Linux.

#include "sys/SysCalls.h"

#include <cerrno>
#include <type_traits>

namespace tessel::sys::detail {

const Calls& Table();

// The real startThread of every system: a std::thread.
int StartStdThread(std::thread& thread, void (*body)(void* context), void* context);

template <typename Result>
bool Failed(Result result) {
    if constexpr (std::is_pointer_v<Result>)
        return result == nullptr;
    else
        return result == -1;
}

// Calls `call` again for as long as it fails with EINTR.
template <typename Call>
auto Retry(Call call) {
    for (;;) {
        const auto result = call();
        if (!Failed(result) || errno != EINTR)
            return result;
    }
}

} // namespace tessel::sys::detail
