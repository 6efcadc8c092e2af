#include "settings/StateFolder.h"

#include <cstdlib>

namespace tessel {

std::string StateFolder() {
    if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && state[0] == '/')
        return std::string(state) + "/tessel";
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0')
        return std::string(home) + "/.local/state/tessel";
    return {};
}

} // namespace tessel
