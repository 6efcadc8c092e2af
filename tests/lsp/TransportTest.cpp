// Framing over a byte stream, and what a message must be to reach the server:
// whatever comes in, the loop goes on or ends cleanly, and the client hears
// of each message it will get no answer to.

#include "lsp/Transport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

namespace tessel::lsp {
namespace {

// Input in pieces (each one read at most: a read never crosses two), and
// the output collected. A piece may be filler: that many blanks, made as
// they are read.
class ScriptedChannel final : public ByteChannel {
public:
    struct Piece {
        std::string bytes;
        std::size_t filler = 0;
    };
    explicit ScriptedChannel(std::deque<Piece> pieces, bool failAtEnd = false)
        : m_pieces(std::move(pieces)), m_failAtEnd(failAtEnd) {}

    std::ptrdiff_t Read(char* buffer, std::size_t size) override {
        m_largestRead = std::max(m_largestRead, size);
        while (!m_pieces.empty() && m_pieces.front().bytes.empty() && m_pieces.front().filler == 0)
            m_pieces.pop_front();
        if (m_pieces.empty()) {
            errno = EIO;
            return m_failAtEnd ? -1 : 0;
        }
        Piece& piece = m_pieces.front();
        if (piece.filler > 0) {
            const std::size_t n = std::min(size, piece.filler);
            std::memset(buffer, ' ', n);
            piece.filler -= n;
            return static_cast<std::ptrdiff_t>(n);
        }
        const std::size_t n = std::min(size, piece.bytes.size());
        std::memcpy(buffer, piece.bytes.data(), n);
        piece.bytes.erase(0, n);
        return static_cast<std::ptrdiff_t>(n);
    }
    bool Write(std::string_view bytes) override {
        m_output += bytes;
        return true;
    }

    std::string m_output;
    std::size_t m_largestRead = 0;

private:
    std::deque<Piece> m_pieces;
    bool m_failAtEnd;
};

class Recorder final : public MessageHandler {
public:
    bool OnNotification(std::string_view method, Json params) override {
        seen.push_back({{"method", method}, {"params", params}});
        return method != "exit";
    }
    bool OnRequest(std::string_view method, Json params, Json id) override {
        seen.push_back({{"method", method}, {"params", params}, {"id", id}});
        return true;
    }
    bool OnResponse(Json id, Expected<Json> result) override {
        seen.push_back({{"response", id}, {"ok", result.Ok()}});
        return true;
    }
    std::vector<Json> seen;
};

std::string Framed(const std::string& body) {
    return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

const std::string kPing = R"({"jsonrpc":"2.0","method":"ping","params":{"n":1}})";

// The messages the transport wrote, as JSON, checking their framing.
std::vector<Json> Written(const std::string& output) {
    std::vector<Json> messages;
    std::size_t at = 0;
    while (at < output.size()) {
        const std::size_t end = output.find("\r\n\r\n", at);
        EXPECT_NE(end, std::string::npos);
        if (end == std::string::npos)
            break;
        const std::string header = output.substr(at, end - at);
        EXPECT_EQ(header.rfind("Content-Length: ", 0), 0u) << header;
        const std::size_t length = std::stoul(header.substr(16));
        messages.push_back(Json::parse(output.substr(end + 4, length)));
        at = end + 4 + length;
    }
    return messages;
}

struct Served {
    Transport::End end;
    std::vector<Json> seen;
    std::vector<Json> written;
    std::vector<std::string> log;
    std::size_t largestRead = 0;
};

Served Serve(std::deque<ScriptedChannel::Piece> pieces, bool failAtEnd = false) {
    ScriptedChannel channel(std::move(pieces), failAtEnd);
    Served run;
    StreamTransport transport(channel, [&](std::string_view line) { run.log.emplace_back(line); });
    Recorder recorder;
    run.end = transport.Loop(recorder);
    run.seen = recorder.seen;
    run.written = Written(channel.m_output);
    run.largestRead = channel.m_largestRead;
    return run;
}

TEST(StreamTransport, ReadsMessagesAsClientsFrameThem) {
    const std::string body = R"({"jsonrpc":"2.0","id":"a","method":"m"})";
    const Served run = Serve({
        {Framed(kPing)},
        // Header names in any case, another header, LF alone, spaces.
        {"content-length:" + std::to_string(body.size()) +
         "  \nContent-Type: application/vscode-jsonrpc; charset=utf-8\r\n\r\n" + body},
        // Blank lines between messages, and a message split across reads.
        {"\r\n" + Framed(kPing).substr(0, 30)},
        {Framed(kPing).substr(30)},
        {Framed(R"({"jsonrpc":"2.0","method":"exit"})")},
        {Framed(kPing)}, // after exit: never read
    });
    EXPECT_EQ(run.end, Transport::End::Exit);
    ASSERT_EQ(run.seen.size(), 4u);
    EXPECT_EQ(run.seen[0]["params"]["n"], 1);
    EXPECT_EQ(run.seen[1]["id"], "a");
    EXPECT_EQ(run.seen[1]["params"], nullptr);
    EXPECT_EQ(run.seen[2]["method"], "ping");
    EXPECT_TRUE(run.written.empty());
}

TEST(StreamTransport, ABadHeaderIsAnsweredAndSkippedToTheNextMessage) {
    const std::string request = R"({"jsonrpc":"2.0","id":7,"method":"lost"})";
    const std::string cases[] = {
        "Content-Type: application/json\r\n\r\n" + request, // no length at all
        "Content-Length: -5\r\n\r\n" + request,
        "Content-Length: 12x\r\n\r\n" + request,
        "Content-Length:\r\n\r\n" + request,
        "Content-Length: 99999999999999999999\r\n\r\n" + request,
        "Content-Length: 40\r\nContent-Length: 41\r\n\r\n" + request,
        "hello\r\n" + request + "\r\n\r\n", // no header at all
        request,                            // the next header glued on
        std::string(5000, 'x') + "\r\n",    // no header is that long
    };
    for (const std::string& bad : cases) {
        const Served run = Serve({{bad}, {Framed(kPing)}});
        EXPECT_EQ(run.end, Transport::End::EndOfInput) << bad;
        ASSERT_EQ(run.seen.size(), 1u) << bad.substr(0, 60);
        EXPECT_EQ(run.seen[0]["method"], "ping");
        ASSERT_EQ(run.written.size(), 1u);
        EXPECT_EQ(run.written[0]["id"], nullptr);
        EXPECT_EQ(run.written[0]["error"]["code"], -32700);
    }
}

TEST(StreamTransport, AHugeLengthIsRefusedWithoutKeepingTheBody) {
    const std::size_t length = StreamTransport::kMaxMessage + 1;
    const Served run = Serve({{"Content-Length: " + std::to_string(length) + "\r\n\r\n{"},
                              {"", length - 1},
                              {Framed(kPing)}});
    ASSERT_EQ(run.seen.size(), 1u);
    EXPECT_EQ(run.seen[0]["method"], "ping");
    ASSERT_EQ(run.written.size(), 1u);
    EXPECT_EQ(run.written[0]["error"]["code"], -32600);
    EXPECT_LE(run.largestRead, std::size_t{64 * 1024});

    // The same length with no body after it: the input ends.
    const Served cut = Serve({{"Content-Length: 999999999999\r\n\r\n"}});
    EXPECT_EQ(cut.end, Transport::End::EndOfInput);
    EXPECT_TRUE(cut.seen.empty());
}

TEST(StreamTransport, ABodyCutShortEndsTheLoopAsTheEndOfInput) {
    const std::string framed = Framed(kPing);
    Served run = Serve({{Framed(kPing)}, {framed.substr(0, framed.size() - 3)}});
    EXPECT_EQ(run.end, Transport::End::EndOfInput);
    EXPECT_EQ(run.seen.size(), 1u);
    EXPECT_TRUE(std::any_of(run.log.begin(), run.log.end(), [](const std::string& line) {
        return line.find("bytes into a message of") != std::string::npos;
    }));
    // Inside the headers too, and a failed read is a failure.
    EXPECT_EQ(Serve({{"Content-Len"}}).end, Transport::End::EndOfInput);
    EXPECT_EQ(Serve({{Framed(kPing)}}, true).end, Transport::End::Failed);
}

TEST(StreamTransport, WhatIsNoJsonRpcMessageIsAnsweredOrLogged) {
    std::string deep(100000, '[');
    deep += std::string(100000, ']');
    const Served run = Serve({
        {Framed("{\"jsonrpc\":\"2.0\",\"id\":1,")}, // cut: not JSON
        {Framed("")},
        {Framed("\xFF\xFE{}")}, // not UTF-8
        {Framed(deep)},         // an array, nested deep
        {Framed(R"({"jsonrpc":"2.0","id":{"a":1},"method":"m"})")},
        {Framed(R"({"jsonrpc":"1.0","id":3,"method":"m"})")},
        {Framed(R"({"id":4,"method":"m"})")},
        {Framed(R"({"jsonrpc":"2.0","id":5,"method":7})")},
        {Framed(R"({"jsonrpc":"2.0","id":6,"method":"m","params":3})")},
        {Framed(R"({"jsonrpc":"2.0","method":"m","params":"x"})")}, // a notification: logged
        {Framed(R"({"method":"m"})")},                              // logged
        {Framed(R"({"jsonrpc":"2.0"})")},
        {Framed(R"({"jsonrpc":"2.0","id":null,"error":{"code":-32700,"message":"?"}})")},
        {Framed(R"({"jsonrpc":"2.0","id":9,"result":{"x":1}})")},
        {Framed(R"({"jsonrpc":"2.0","id":10,"error":{"code":"x","message":["no"]}})")},
        {Framed(kPing)},
    });
    std::vector<std::pair<Json, int>> answers;
    for (const Json& message : run.written)
        answers.emplace_back(message["id"], message["error"]["code"].get<int>());
    const std::vector<std::pair<Json, int>> expected = {
        {nullptr, -32700}, {nullptr, -32700}, {nullptr, -32700}, {nullptr, -32600},
        {nullptr, -32600}, {3, -32600},       {4, -32600},       {5, -32600},
        {6, -32600},       {nullptr, -32600},
    };
    EXPECT_EQ(answers, expected);
    ASSERT_EQ(run.seen.size(), 3u);
    EXPECT_EQ(run.seen[0], Json({{"response", 9}, {"ok", true}}));
    EXPECT_EQ(run.seen[1], Json({{"response", 10}, {"ok", false}}));
    EXPECT_EQ(run.seen[2]["method"], "ping");
}

TEST(StreamTransport, WritesWholeFramesCountingBytes) {
    ScriptedChannel channel({});
    StreamTransport transport(channel);
    transport.Notify("window/showMessage", {{"type", 3}, {"message", "漢字"}});
    transport.Reply(4, Error{ErrorCode::RequestCancelled, "cancelled"});
    transport.Call("window/workDoneProgress/create", {{"token", "t"}}, 1);
    const std::string body = R"({"jsonrpc":"2.0","method":"window/showMessage",)"
                             R"("params":{"message":"漢字","type":3}})";
    EXPECT_EQ(channel.m_output.substr(0, body.size() + 22),
              "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
    const std::vector<Json> written = Written(channel.m_output);
    ASSERT_EQ(written.size(), 3u);
    EXPECT_EQ(written[1]["error"]["code"], -32800);
    EXPECT_EQ(written[2]["method"], "window/workDoneProgress/create");
}

} // namespace
} // namespace tessel::lsp
