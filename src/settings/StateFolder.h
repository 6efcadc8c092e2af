#pragma once

#include <string>

namespace tessel {

// The folder where the programs keep what would otherwise be lost and has
// no place of the user's: a received text that its output file would not
// take, say. $XDG_STATE_HOME/tessel, or $HOME/.local/state/tessel when
// XDG_STATE_HOME is unset or not an absolute path (a relative one does not
// count); empty when HOME is needed and unset too. Only the name: the
// folder may not exist yet.
std::string StateFolder();

} // namespace tessel
