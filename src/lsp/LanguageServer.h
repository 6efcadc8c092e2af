#pragma once

// tessel-cli lsp: the language server over standard input and output, with
// every feature it has.

#include "lsp/Server.h"
#include "settings/AppSettings.h"

#include <string>

namespace tessel::lsp {

// Plugs the features into `server`: each adds its handlers, capabilities
// and problem sources. `settings` are the user's, as tessel-cli reads them
// (the numbering's start and step for renumbering).
void AddFeatures(Server& server, const AppSettings& settings = {});

// Serves the protocol on standard input and output, logging to standard
// error, until exit or the end of the input; the exit status (0 after
// shutdown, 1 otherwise).
int ServeStandardStreams(const std::string& version, const AppSettings& settings);

} // namespace tessel::lsp
