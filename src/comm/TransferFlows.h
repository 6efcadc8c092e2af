#pragma once

#include <string>

namespace tessel {

class Document;

// What a send and a receive do with the documents, around the transfer
// worker; the desktop program and the command-line tool both go through
// these.

// The bytes a send of `doc` puts on the line, into `buffer`. False when the
// document refuses to send (its message has been shown): no transfer then.
bool PrepareSend(Document& doc, std::string& buffer);

// Hands the bytes of a receive, complete or not, to the new document `doc`
// made for them. False when the document is to be closed again: nothing
// arrived, or the editor could not hold it all (its message has been
// shown). Otherwise the document holds the text and is marked modified.
bool AcceptReceived(Document& doc, const std::string& received);

} // namespace tessel
