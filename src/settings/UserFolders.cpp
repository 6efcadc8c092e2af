#include "settings/UserFolders.h"

#include <cstdlib>

namespace tessel {

std::string UserStateFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/')
        return std::string(state) + "/tessel";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return std::string(home) + "/.local/state/tessel";
    return {};
}

} // namespace tessel
