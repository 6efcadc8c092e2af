#pragma once

// How messages reach the server and its answers reach the client. The
// server talks to a Transport and implements a MessageHandler; the transport
// of a real run frames JSON-RPC messages with Content-Length headers over a
// byte channel (standard input and output), and the tests put their own
// transport in its place and drive the server in-process.
//
// Only protocol messages go to the output; the log goes elsewhere (standard
// error).

#include "lsp/Json.h"
#include "lsp/Protocol.h"

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace tessel::lsp {

// One line for the log, without its line end. Called from any thread.
using LogSink = std::function<void(std::string_view line)>;

// What the server does with each message a transport reads.
class MessageHandler {
public:
    virtual ~MessageHandler() = default;
    // Each returns false to end the loop (after exit).
    virtual bool OnNotification(std::string_view method, Json params) = 0;
    virtual bool OnRequest(std::string_view method, Json params, Json id) = 0;
    virtual bool OnResponse(Json id, Expected<Json> result) = 0;
};

class Transport {
public:
    virtual ~Transport() = default;

    // Each sends one whole message. Any thread may send at any time, also
    // while Loop() reads or a handler runs: messages never interleave.
    virtual void Notify(std::string_view method, const Json& params) = 0;
    virtual void Call(std::string_view method, const Json& params, const Json& id) = 0;
    virtual void Reply(const Json& id, const Expected<Json>& result) = 0;

    enum class End {
        Exit,       // the handler ended it
        EndOfInput, // the input ended (or a message was cut short by its end)
        Failed,     // reading failed
    };
    // Reads messages and hands each to `handler`, in order, until the
    // handler returns false or the input ends.
    virtual End Loop(MessageHandler& handler) = 0;
};

// Checks that `message` is a JSON-RPC 2.0 request, notification or response
// and hands it to `handler`; one that is not is answered with InvalidRequest
// (through `transport`, with its id when it has a valid one, else null) or,
// without an id, logged. False when the handler ends the loop.
bool DispatchMessage(Json message, MessageHandler& handler, Transport& transport,
                     const LogSink& log);

// Where a StreamTransport reads and writes bytes.
class ByteChannel {
public:
    virtual ~ByteChannel() = default;
    // Up to `size` bytes into `buffer`: how many came, 0 at the end of the
    // input, -1 when reading failed.
    virtual std::ptrdiff_t Read(char* buffer, std::size_t size) = 0;
    // All of `bytes`; false when writing failed.
    virtual bool Write(std::string_view bytes) = 0;
};

// Two file descriptors, through the system-call seam (retried on EINTR).
class FdChannel final : public ByteChannel {
public:
    FdChannel(int in, int out) : m_in(in), m_out(out) {}
    std::ptrdiff_t Read(char* buffer, std::size_t size) override;
    bool Write(std::string_view bytes) override;

private:
    int m_in;
    int m_out;
};

// JSON-RPC messages framed as the protocol frames them:
//
//   Content-Length: 52\r\n
//   \r\n
//   {"jsonrpc":"2.0","id":1,"method":"shutdown"}
//
// Reading is lenient where a client may differ and safe where a message is
// wrong: header names in any case, other headers (Content-Type) ignored, a
// bare LF as a line end. A header block without a valid Content-Length is
// answered with ParseError and skipped up to the next "Content-Length"; a
// length above kMaxMessage is refused (InvalidRequest) and its body skipped
// without keeping it; a body that is not JSON is answered with ParseError.
// The loop goes on after each. A body cut short by the end of the input
// ends the loop as the end of the input does.
class StreamTransport final : public Transport {
public:
    // The largest message read: 64 MiB, far above any document the device
    // or the editor holds.
    static constexpr std::size_t kMaxMessage = std::size_t{64} << 20;

    explicit StreamTransport(ByteChannel& channel, LogSink log = {});

    void Notify(std::string_view method, const Json& params) override;
    void Call(std::string_view method, const Json& params, const Json& id) override;
    void Reply(const Json& id, const Expected<Json>& result) override;
    End Loop(MessageHandler& handler) override;

private:
    enum class Frame { Message, Skipped, End, Failed };
    Frame ReadFrame(std::string& body);
    // Reads more input into the buffer; false at the end or on a failure.
    bool Fill();
    // The next line of the buffer, without its line end; false when the
    // input ends first or the line grows too long for a header.
    bool ReadLine(std::string& line);
    // Drops input up to the next "Content-Length" (any case); false when
    // the input ends first.
    bool Resync();
    // Drops `count` bytes of input; false when the input ends first.
    bool Skip(std::size_t count);
    void Send(const Json& message);
    void Log(std::string_view line) const;

    ByteChannel& m_channel;
    LogSink m_log;
    std::string m_buffer; // read but not yet taken, from m_begin
    std::size_t m_begin = 0;
    std::size_t m_lineStart = 0; // of the line ReadLine() gave last
    bool m_failed = false;
    std::mutex m_writeLock;
};

} // namespace tessel::lsp
