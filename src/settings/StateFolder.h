#pragma once

#include "sys/FileIo.h"

#include <string>
#include <string_view>

namespace tessel {

// The folder where the programs keep what would otherwise be lost and has
// no place of the user's: a received text that its output file would not
// take, say. $XDG_STATE_HOME/tessel, or $HOME/.local/state/tessel when
// XDG_STATE_HOME is unset or not an absolute path (a relative one does not
// count); empty when HOME is needed and unset too. Only the name: the
// folder may not exist yet.
std::string StateFolder();

// Keeps received bytes that could not go where they were meant to in a new
// file of the state folder (made when needed), named after the time
// ("received-20240501-093000" and `extension`, with its dot); `path` gets
// its name. Never replaces a file.
FileError KeepReceivedInStateFolder(const std::string& bytes, std::string_view extension,
                                    std::string& path);

} // namespace tessel
