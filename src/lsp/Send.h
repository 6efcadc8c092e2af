#pragma once

// Sending a document to the device from the editor: the command
// "tessel.send" (workspace/executeCommand, with the document's URI as its
// argument) sends it as tessel-cli send does, over the port of the user's
// settings file, on the server's long-work queue, so that the server goes on
// answering meanwhile. The text goes through the checks of a send first; a
// refusal is shown with the words of tessel-cli send, and nothing is sent.
//
// While it sends, the editor shows its progress ($/progress under the
// client's token, or one the server creates: bytes sent, their share, the
// time the rest takes) and may cancel it (window/workDoneProgress/cancel, or
// $/cancelRequest of the command). One send at a time: the port is one.
// The answer comes when the send has ended: null once the last byte has left,
// else an error saying why it did not, which the editor is also shown.

#include "lsp/Server.h"
#include "settings/AppSettings.h"

#include <memory>
#include <string_view>

namespace tessel::lsp {

inline constexpr std::string_view kSendCommand = "tessel.send";

// Binds the command and the cancellation of its progress; announces the
// command.
void AddSend(Server& server, std::shared_ptr<const AppSettings> settings);

} // namespace tessel::lsp
