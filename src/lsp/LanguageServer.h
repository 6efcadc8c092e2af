#pragma once

// tessel-cli lsp: the language server over standard input and output, with
// every feature it has.

#include "lsp/Server.h"

#include <string>

namespace tessel::lsp {

// Plugs the features into `server`: each adds its handlers, capabilities
// and problem sources.
void AddFeatures(Server& server);

// Serves the protocol on standard input and output, logging to standard
// error, until exit or the end of the input; the exit status (0 after
// shutdown, 1 otherwise).
int ServeStandardStreams(const std::string& version);

} // namespace tessel::lsp
