#pragma once

#include <string>

namespace tessel {

// The folder where the program keeps what it must not lose between runs but
// that is no setting (copies of unsaved work, bytes it could not write):
// "$XDG_STATE_HOME/tessel", or "~/.local/state/tessel" when that is unset or
// not an absolute path. Empty when neither can be told. Not made here.
std::string UserStateFolder();

} // namespace tessel
